#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <memory>
#include <optional>

#include "appearance/kp_interface_definitions.h"
#include "appearance/kp_yosemite_window.h"

// One finger of a touchpad gesture: its identity and its horizontal position on the
// pad, from 0 (left edge) to 1 (right edge).
class KPPopoverViewController;

struct KPTouch {
    qint64 identity = 0;
    qreal normalizedX = 0;
};

// The base of the program's window controllers: owns a window laid out by the form
// named after the controller's class, runs kp_viewDidLoad once, shows the window as a
// sheet and recognises two-finger horizontal swipes.
class KPWindowController : public QObject {
    Q_OBJECT
public:
    // The total horizontal travel of two or more fingers that makes a swipe.
    static constexpr qreal kSwipeThreshold = 0.3;

    // A new controller of that class with its window loaded from the form named exactly
    // like the class (an empty window when there is none).
    template <class Controller>
    static std::shared_ptr<Controller> controller() {
        std::shared_ptr<Controller> made(new Controller, [](Controller* c) { c->deleteLater(); });
        made->loadWindow();
        return made;
    }

    ~KPWindowController() override;

    // The controller that owns the window, if any.
    static KPWindowController* controllerOf(QWidget* window);

    KPYosemiteWindow* window() const { return window_; }
    QWidget* parentWindow() const { return parentWindow_; }
    void setParentWindow(QWidget* window) { parentWindow_ = window; }
    KPWindowController* parentWindowController() const { return parentWindowController_; }
    void setParentWindowController(KPWindowController* c) { parentWindowController_ = c; }
    // The in-window popover shown in this window, if any.
    KPPopoverViewController* popoverViewController() const;
    void setPopoverViewController(KPPopoverViewController* popover);

    bool wantsSwipeEvents() const { return wantsSwipeEvents_; }
    void setWantsSwipeEvents(bool wants) { wantsSwipeEvents_ = wants; }
    bool kpViewIsLoaded() const { return kpViewIsLoaded_; }

    // Shows the window as a sheet over that window on the next pass of the main loop.
    void beginSheetInWindow(QWidget* window);
    void closeSheet();

    void beginGesture(const QList<KPTouch>& touches);
    void endGesture(const QList<KPTouch>& touches);

protected:
    KPWindowController() = default;
    // The window the form is laid out in; a themed window without a title bar.
    virtual KPYosemiteWindow* makeWindow();
    // Runs once, after the form is loaded.
    virtual void awakeFromNib();
    bool eventFilter(QObject* watched, QEvent* event) override;

    virtual void kp_viewDidLoad() {}
    virtual void kp_sheetWillAppear() {}
    virtual void kp_sheetDidAppear() {}
    virtual void kp_sheetWillDisappear() {}
    virtual void kp_sheetDidDisappear() {}
    virtual void didSwipeBack() {}
    virtual void didSwipeForward() {}

private:
    void loadWindow();
    void didEndSheet();

    QPointer<KPYosemiteWindow> window_;
    QPointer<QWidget> parentWindow_;
    QPointer<KPWindowController> parentWindowController_;
    QPointer<KPPopoverViewController> popoverViewController_;
    bool wantsSwipeEvents_ = false;
    bool kpViewIsLoaded_ = false;
    std::optional<QHash<qint64, KPTouch>> touchesDictionary_;
};
