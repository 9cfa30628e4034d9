#pragma once

#include <QObject>
#include <QPointer>
#include <QSizeF>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>

#include "appearance/kp_interface_definitions.h"
#include "appearance/kp_window_controller.h"

class KPNavigationController;

// A screen: a view laid out by the form named after the screen's class (or, for a
// class without one, its direct superclass's form), with hooks for its life in a
// navigation stack. The form's widgets are the outlets; slots named
// on_<widget>_<signal> are its actions.
class KPViewController : public QObject {
    Q_OBJECT
public:
    // A new screen of that class, laid out by its form when there is one.
    template <class Screen>
    static std::shared_ptr<Screen> controller() {
        std::shared_ptr<Screen> made(new Screen, &KPViewController::release);
        made->loadView(nibName(&Screen::staticMetaObject));
        return made;
    }
    // A new plain screen showing the given view.
    static std::shared_ptr<KPViewController> controllerWithView(QWidget* view);
    // The form a screen of that class is laid out by; null when none.
    static QString nibName(const QMetaObject* type);

    ~KPViewController() override;

    QWidget* view();
    void setView(QWidget* view);

    KPNavigationController* navigationController() const;
    void setNavigationController(KPNavigationController* controller);
    // The window it was given, else the window its view is in, else the active window.
    QWidget* parentWindow() const;
    void setParentWindow(QWidget* window) { parentWindow_ = window; }
    KPWindowController* parentWindowController() const { return parentWindowController_; }
    void setParentWindowController(KPWindowController* c) { parentWindowController_ = c; }

    QSizeF viewDefaultSize() const { return viewDefaultSize_; }
    void setViewDefaultSize(QSizeF size) { viewDefaultSize_ = size; }
    bool forceResize() const { return forceResize_; }
    void setForceResize(bool force) { forceResize_ = force; }
    bool kp_viewHasLoaded() const { return kp_viewHasLoaded_; }
    bool kp_isVisible() const { return kp_isVisible_; }
    virtual void kp_setIsVisible(bool visible) { kp_isVisible_ = visible; }

    virtual void kp_viewDidLoad() {}
    virtual void kp_viewWillAppear() {}
    virtual void kp_viewDidAppear() {}
    virtual void kp_viewWillDisappear() {}
    virtual void kp_viewDidDisappear() {}

    // "<ClassName: address>", as the log shows screens.
    QString description() const;
    // The action slots that matched no widget of the form when it was loaded.
    const QStringList& unconnectedActions() const { return unconnectedActions_; }

protected:
    KPViewController() = default;
    // Called once the form is loaded.
    virtual void awakeFromNib();

private:
    static void release(KPViewController* controller) { controller->deleteLater(); }
    void loadView(const QString& name);

    QPointer<QWidget> view_;
    QPointer<KPNavigationController> navigationController_;
    QPointer<QWidget> parentWindow_;
    QPointer<KPWindowController> parentWindowController_;
    // Zero, not Qt's invalid size: a zero size means "no wish".
    QSizeF viewDefaultSize_{0, 0};
    QStringList unconnectedActions_;
    bool forceResize_ = false;
    bool kp_viewHasLoaded_ = false;
    bool kp_isVisible_ = false;
};

// Every screen and popover class of the program, registered beside its form with
// KP_SCREEN, so that one test can load them all: forms are found by class name and
// actions by widget name, and a mistake in either is otherwise silent.
class KPScreenCatalogue {
public:
    struct Entry {
        const QMetaObject* type;
        std::function<std::shared_ptr<KPViewController>()> make;
    };
    static void add(Entry entry);
    static QList<Entry> entries();
    // What is wrong with the screen the entry makes: no form to lay it out, or an action
    // slot connected to nothing.
    static QStringList problems(const Entry& entry);
};

template <class Screen>
class KPScreenRegistration {
public:
    KPScreenRegistration() {
        KPScreenCatalogue::add({&Screen::staticMetaObject, [] {
                                    return std::shared_ptr<KPViewController>(
                                        KPViewController::controller<Screen>());
                                }});
    }
};

// Registers the screen class Name in the catalogue; next to KP_INTERFACE_DEFINITION.
#define KP_SCREEN(Name) static const KPScreenRegistration<Name> kpScreen##Name
