#pragma once

#include <QString>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

// The few concurrency primitives the engine uses: serial queues that run beside one
// another, groups that report when their work is done, and hops to the main thread.
namespace dispatch {

// Runs its tasks one after another, in the order given, on a pool thread. Queues never
// wait for one another: every queue with work has a thread of its own.
class SerialQueue : public std::enable_shared_from_this<SerialQueue> {
public:
    static std::shared_ptr<SerialQueue> create(QString label);
    const QString& label() const { return label_; }
    void async(std::function<void()> task);

private:
    explicit SerialQueue(QString label) : label_(std::move(label)) {}
    void drain();

    const QString label_;
    std::mutex mutex_;
    std::deque<std::function<void()>> tasks_;
    bool running_ = false;
};

// Counts outstanding work; the notify callback runs once the count drops to zero, on the
// thread that left last (or at once when nothing is outstanding).
class Group {
public:
    void enter();
    void leave();
    void notify(std::function<void()> callback);

private:
    std::mutex mutex_;
    int count_ = 0;
    std::function<void()> callback_;
};

// Queues `task` on the main thread's event loop; tasks run in the order queued.
void dispatchMain(std::function<void()> task);
// Runs `task` on the main thread after `seconds`.
void dispatchAfter(double seconds, std::function<void()> task);
bool isMainThread();

// "org.sweepwell." + suffix: the prefix of every queue label.
QString queueLabel(const QString& suffix);

}  // namespace dispatch
