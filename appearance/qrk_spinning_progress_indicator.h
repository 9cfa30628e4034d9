#pragma once

#include <QColor>
#include <QList>
#include <QWidget>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "appearance/theme_update.h"

class QTimer;

// A spinner of twelve fins whose brightness runs round the circle, one step every
// 50 ms, or, once given a value, a pie that fills clockwise from the top.
class QRKSpinningProgressIndicator : public QWidget {
    Q_OBJECT
public:
    static constexpr int kFinCount = 12;
    static constexpr int kFrameIntervalMs = 50;

    explicit QRKSpinningProgressIndicator(QWidget* parent = nullptr);
    ~QRKSpinningProgressIndicator() override;

    void startAnimation();
    void stopAnimation();
    bool isAnimating() const { return isAnimating_; }

    QColor color() const { return color_; }
    void setColor(const QColor& color);
    QColor backgroundColor() const { return backgroundColor_; }
    void setBackgroundColor(const QColor& color);
    bool drawsBackground() const { return drawsBackground_; }
    void setDrawsBackground(bool draws);

    // Whether the stopped spinner stays visible (with faint fins); hidden otherwise.
    bool displayedWhenStopped() const { return displayedWhenStopped_; }
    void setDisplayedWhenStopped(bool displayed);
    // Frames computed on a thread of their own (painted on the main thread), or by a
    // timer on the main thread.
    bool usesThreadedAnimation() const { return usesThreadedAnimation_; }
    void setUsesThreadedAnimation(bool threaded);

    bool indeterminate() const { return indeterminate_; }
    // Turning determinate stops the animation.
    void setIsIndeterminate(bool indeterminate);
    // Only the flag.
    void setIndeterminate(bool indeterminate) { indeterminate_ = indeterminate; }
    double currentValue() const { return currentValue_; }
    // Makes the spinner determinate.
    void setCurrentValue(double value);
    double maxValue() const { return maxValue_; }
    void setMaxValue(double value);

    // The fins' colours of the current frame (empty until the first frame or colour).
    QList<QColor> finColors() const;
    int currentPosition() const;
    // The alpha of fin position `position` (0-11) in frame `currentPosition`.
    static qreal finAlpha(int position, int currentPosition);

    QSize sizeHint() const override { return QSize(16, 16); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Computes the next frame's fin colours, from either the timer or the thread.
    void updateFrame();
    // The fins' colours at the current position, none fainter than `minimumAlpha`; called
    // with the frame lock held.
    void computeFinColors(qreal minimumAlpha);
    void runAnimationThread(std::stop_token stop);

    QColor color_ = Qt::black;
    QColor backgroundColor_ = Qt::transparent;
    bool drawsBackground_ = false;
    bool isAnimating_ = false;
    bool displayedWhenStopped_ = false;
    bool usesThreadedAnimation_ = true;
    bool indeterminate_ = true;
    double currentValue_ = 0;
    double maxValue_ = 100.0;

    // Shared with the animation thread while it runs (written under the mutex).
    mutable std::mutex frameMutex_;
    QList<QColor> finColors_;
    int currentPosition_ = 0;
    std::condition_variable_any threadWake_;

    QTimer* timer_ = nullptr;
    std::jthread thread_;
};

// A spinner whose colour is a theme key; white on a selected row (background style 1).
// Timer-driven and hidden while stopped.
class PVThemableSpinningProgressIndicator : public QRKSpinningProgressIndicator,
                                            public KPThemeUpdateProtocol {
    Q_OBJECT
public:
    static constexpr int kEmphasizedBackgroundStyle = 1;

    explicit PVThemableSpinningProgressIndicator(QWidget* parent = nullptr);

    QString tintColorKey() const { return tintColorKey_; }
    void setTintColorKey(const QString& key);
    int backgroundStyle() const { return backgroundStyle_; }
    void setBackgroundStyle(int style);

    bool isConfigured() const { return themeObserver_.isConfigured(); }
    void applyTheme() override;

private:
    QString tintColorKey_;
    int backgroundStyle_ = 0;
    KPThemeObserver themeObserver_;
};
