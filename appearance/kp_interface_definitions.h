#pragma once

#include <QMetaObject>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>

// The interface definitions (Qt Designer forms compiled by uic) known by class name,
// so that a screen or window controller can load the form named after its class at
// run time. Each form registers itself from the source file of the class it lays out.
class KPInterfaceDefinitions {
public:
    using Setup = std::function<void(QWidget*)>;

    static void add(const QString& name, Setup setup);
    static bool contains(const QString& name);
    // Lays the named form out on the widget; answers false for an unknown name.
    static bool setUp(const QString& name, QWidget* widget);
    // The class's own name when it has a form, else its direct superclass's name when
    // that one has a form, else null: a subclass without a layout reuses its parent's.
    static QString nameFor(const QMetaObject* type);
};

template <class Form>
class KPInterfaceRegistration {
public:
    explicit KPInterfaceRegistration(const char* name) {
        KPInterfaceDefinitions::add(QString::fromLatin1(name), [](QWidget* widget) {
            Form form;
            form.setupUi(widget);
        });
    }
};

// Registers the uic form class Ui::Name under Name.
#define KP_INTERFACE_DEFINITION(Name) \
    static const KPInterfaceRegistration<Ui::Name> kpInterfaceDefinition##Name(#Name)

// Connects every slot of the receiver named on_<objectName>_<signal> to that signal of
// the widget of that name inside the view, the way uic connects a form's own slots: the
// form's widgets are the outlets and the controller's slots are its actions. Answers the
// action slots left unconnected (no such widget, or no signal the slot can take), which
// a form test reports.
QStringList kpConnectActions(QObject* receiver, QWidget* view);
