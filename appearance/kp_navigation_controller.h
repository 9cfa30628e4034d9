#pragma once

#include <QList>
#include <QObject>
#include <QParallelAnimationGroup>
#include <QPointer>
#include <QSize>
#include <memory>

#include "appearance/kp_view_controller.h"

class KPWindowController;

// The stack of screens shown in one container view of a window. The screen on top is
// shown; changes slide the new screen's view in over 0.15 seconds, from the right going
// forward and from the left going back. Pushes and backward moves take effect on the
// next pass of the main loop, so an action may push without disturbing its own event.
class KPNavigationController : public QObject {
    Q_OBJECT
public:
    using Screen = std::shared_ptr<KPViewController>;

    static constexpr int kTransitionMilliseconds = 150;
    static constexpr char kAlreadyTopMessage[] = "View controller is already the top item";
    static constexpr char kNotInStackMessage[] = "Could not find in stack: %1";
    static constexpr char kStackMessage[] = "Stack: %1";

    explicit KPNavigationController(QObject* parent = nullptr);

    QList<Screen> viewControllers() const { return viewControllerStack_; }
    Screen rootViewController() const { return viewControllerStack_.value(0); }
    Screen currentViewController() const { return currentViewController_; }

    QWidget* view() const { return view_; }
    void setView(QWidget* view);
    KPWindowController* windowController() const { return windowController_; }
    void setWindowController(KPWindowController* controller);
    // The window of the window controller, else the window given directly.
    QWidget* window() const;
    void setWindow(QWidget* window) { window_ = window; }
    QSize originalMinSize() const { return originalMinSize_; }
    bool isVisible() const { return isVisible_; }
    void setIsVisible(bool visible);

    void setViewControllers(const QList<Screen>& screens, bool animated);
    void setViewControllers(const QList<Screen>& screens);
    void setCurrentViewController(const Screen& screen);
    void pushViewController(const Screen& screen, bool animated);
    // Answers the screen below the top one at once; shows it on the next pass.
    Screen popViewControllerAnimated(bool animated);
    Screen pushToRootViewControllerAnimated(bool animated);
    Screen popToRootViewControllerAnimated(bool animated);
    void popToController(const Screen& screen, bool animated);

    // The slide in progress, if any (for whoever needs to follow it).
    QParallelAnimationGroup* transition() const { return transition_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setCurrentViewController(const Screen& screen, bool animated, bool isPop);
    void later(std::function<void(KPNavigationController&)> step);
    void toRoot(bool animated, bool isPop);
    void configure(KPViewController& screen);
    void resizeWindow(KPViewController& screen, bool animated);
    void slide(const Screen& outgoing, const Screen& incoming, bool animated, bool isPop);
    QString describeStack() const;

    QList<Screen> viewControllerStack_;
    Screen currentViewController_;
    QPointer<QWidget> view_;
    QPointer<KPWindowController> windowController_;
    QPointer<QWidget> window_;
    QSize originalMinSize_;
    bool isVisible_ = false;
    QPointer<QParallelAnimationGroup> transition_;
};
