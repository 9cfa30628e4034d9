#include "appearance/kp_navigation_controller.h"

#include <QEvent>
#include <QPropertyAnimation>
#include <QStringList>

#include "appearance/kp_window_controller.h"
#include "appearance/kp_window_geometry.h"
#include "base/dispatch.h"
#include "base/system_log.h"

KPNavigationController::KPNavigationController(QObject* parent) : QObject(parent) {}

void KPNavigationController::setView(QWidget* view) {
    if (view_) view_->removeEventFilter(this);
    view_ = view;
    if (view_) view_->installEventFilter(this);
}

// The shown screen's view resizes with the container in both directions.
bool KPNavigationController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == view_ && event->type() == QEvent::Resize && currentViewController_ &&
        !transition_)
        currentViewController_->view()->setGeometry(view_->rect());
    return QObject::eventFilter(watched, event);
}

void KPNavigationController::setWindowController(KPWindowController* controller) {
    windowController_ = controller;
}

QWidget* KPNavigationController::window() const {
    if (windowController_ && windowController_->window()) return windowController_->window();
    return window_;
}

void KPNavigationController::setIsVisible(bool visible) {
    isVisible_ = visible;
    for (const Screen& screen : viewControllerStack_)
        screen->kp_setIsVisible(visible);
}

void KPNavigationController::setViewControllers(const QList<Screen>& screens, bool animated) {
    viewControllerStack_ = screens;
    for (const Screen& screen : screens)
        screen->setNavigationController(this);
    if (!screens.isEmpty()) setCurrentViewController(screens.last(), animated, false);
}

void KPNavigationController::setViewControllers(const QList<Screen>& screens) {
    setViewControllers(screens, true);
}

void KPNavigationController::setCurrentViewController(const Screen& screen) {
    setCurrentViewController(screen, true, false);
}

void KPNavigationController::later(std::function<void(KPNavigationController&)> step) {
    dispatch::dispatchMain([self = QPointer<KPNavigationController>(this), step = std::move(step)] {
        if (self) step(*self);
    });
}

void KPNavigationController::pushViewController(const Screen& screen, bool animated) {
    later([screen, animated](KPNavigationController& self) {
        screen->setNavigationController(&self);
        self.viewControllerStack_.append(screen);
        self.setCurrentViewController(screen, animated, false);
    });
}

KPNavigationController::Screen KPNavigationController::popViewControllerAnimated(bool animated) {
    if (!viewControllerStack_.isEmpty()) viewControllerStack_.removeLast();
    const Screen top = viewControllerStack_.value(viewControllerStack_.size() - 1);
    if (top)
        later([top, animated](KPNavigationController& self) {
            self.setCurrentViewController(top, animated, true);
        });
    return top;
}

void KPNavigationController::toRoot(bool animated, bool isPop) {
    later([animated, isPop](KPNavigationController& self) {
        if (self.viewControllerStack_.isEmpty()) return;
        self.viewControllerStack_ = {self.viewControllerStack_.first()};
        self.setCurrentViewController(self.viewControllerStack_.first(), animated, isPop);
    });
}

KPNavigationController::Screen KPNavigationController::pushToRootViewControllerAnimated(
    bool animated) {
    toRoot(animated, false);
    return rootViewController();
}

KPNavigationController::Screen KPNavigationController::popToRootViewControllerAnimated(
    bool animated) {
    toRoot(animated, true);
    return rootViewController();
}

void KPNavigationController::popToController(const Screen& screen, bool animated) {
    if (screen == currentViewController_) {
        base::log(QString::fromLatin1(kAlreadyTopMessage));
        return;
    }
    const qsizetype index = viewControllerStack_.indexOf(screen);
    if (index < 0) {
        base::log(
            QString::fromLatin1(kNotInStackMessage).arg(screen ? screen->description() : "nil"));
        base::log(QString::fromLatin1(kStackMessage).arg(describeStack()));
        return;
    }
    viewControllerStack_.resize(index + 1);
    later([screen, animated](KPNavigationController& self) {
        self.setCurrentViewController(screen, animated, true);
    });
}

void KPNavigationController::setCurrentViewController(const Screen& screen, bool animated,
                                                      bool isPop) {
    if (!screen || screen == currentViewController_) return;
    // A change that arrives mid-slide starts from where the last one ends.
    if (transition_) transition_->setCurrentTime(transition_->totalDuration());
    const Screen outgoing = currentViewController_;
    QWidget* window = this->window();
    if (window && originalMinSize_.isEmpty()) originalMinSize_ = window->minimumSize();
    if (window) window->setMinimumSize(originalMinSize_);
    if (outgoing) outgoing->kp_viewWillDisappear();
    screen->kp_viewWillAppear();
    currentViewController_ = screen;
    if (outgoing) {
        slide(outgoing, screen, animated, isPop);
        return;
    }
    screen->kp_setIsVisible(true);
    screen->view()->setParent(view_);
    configure(*screen);
    resizeWindow(*screen, false);
    screen->view()->show();
    screen->kp_viewDidAppear();
}

void KPNavigationController::slide(const Screen& outgoing, const Screen& incoming, bool animated,
                                   bool isPop) {
    QWidget* from = outgoing->view();
    QWidget* to = incoming->view();
    to->setParent(view_);
    configure(*incoming);
    resizeWindow(*incoming, animated);
    auto finish = [outgoing, incoming] {
        incoming->kp_setIsVisible(true);
        outgoing->kp_setIsVisible(false);
        outgoing->view()->hide();
        outgoing->view()->setParent(nullptr);
        outgoing->kp_viewDidDisappear();
        incoming->kp_viewDidAppear();
    };
    if (!animated) {
        to->show();
        finish();
        return;
    }
    const int width = view_->width();
    const int direction = isPop ? -1 : 1;
    auto* group = new QParallelAnimationGroup(this);
    for (const auto& [moving, start, end] :
         {std::tuple{to, QPoint(direction * width, 0), QPoint(0, 0)},
          std::tuple{from, QPoint(0, 0), QPoint(-direction * width, 0)}}) {
        auto* animation = new QPropertyAnimation(moving, "pos", group);
        animation->setDuration(kTransitionMilliseconds);
        animation->setEasingCurve(QEasingCurve::Linear);
        animation->setStartValue(start);
        animation->setEndValue(end);
        group->addAnimation(animation);
    }
    to->move(direction * width, 0);
    to->show();
    to->raise();
    connect(group, &QAbstractAnimation::finished, this, finish);
    transition_ = group;
    group->start(QAbstractAnimation::DeleteWhenStopped);
}

void KPNavigationController::configure(KPViewController& screen) {
    if (windowController_) screen.setParentWindowController(windowController_);
    if (QWidget* window = this->window()) screen.setParentWindow(window);
    // Child widgets follow the container through this geometry and the resize below.
    screen.view()->setGeometry(QRect(QPoint(0, 0), view_ ? view_->size() : QSize()));
}

void KPNavigationController::resizeWindow(KPViewController& screen, bool animated) {
    // A negative wish counts as none.
    const QSizeF wanted = screen.viewDefaultSize().expandedTo(QSizeF(0, 0));
    QWidget* window = this->window();
    if (wanted.isNull() || !window || !view_) return;
    const bool largeEnough = view_->width() >= wanted.width() && view_->height() >= wanted.height();
    if (largeEnough && !screen.forceResize()) return;
    const QSizeF content = kp_contentView(window)->size();
    const QSizeF grown(content.width() + wanted.width() - view_->width(),
                       content.height() + wanted.height() - view_->height());
    kp_setContentSize(window, grown, animated);
}

QString KPNavigationController::describeStack() const {
    QStringList items;
    for (const Screen& screen : viewControllerStack_)
        items.append(screen->description());
    return QStringLiteral("(%1)").arg(items.join(QStringLiteral(", ")));
}
