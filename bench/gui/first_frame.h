#pragma once

#include <QObject>
#include <functional>

// Calls `painted` once, as soon as the first frame of a window has been painted and
// handed to the platform. It watches every object of the application, so it can be set up
// before any window exists. The first frame comes from an expose event (later ones from
// update requests): the watch delivers that event itself so that it can tell when the
// painting it causes is over.
class FirstFrameWatch : public QObject {
public:
    explicit FirstFrameWatch(std::function<void()> painted);
    ~FirstFrameWatch() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> painted_;
    int paintEvents_ = 0;
    bool done_ = false;
};

// What a probe prints for its parent: "first-frame-ms <milliseconds since its start>".
void printFirstFrameAndExit();
// Reads that line from a probe's output; -1 when there is none.
double firstFrameMilliseconds(const QByteArray& output);
