#include "appearance/kp_interface_definitions.h"

#include <QHash>
#include <QMetaMethod>

namespace {

QHash<QString, KPInterfaceDefinitions::Setup>& definitions() {
    static QHash<QString, KPInterfaceDefinitions::Setup> table;
    return table;
}

// The sender's signal of that name whose arguments the slot can take: an unchecked
// connection would call the slot with arguments of other types.
int signalIndex(const QObject* sender, const QByteArray& signalName, const QMetaMethod& slot) {
    const QMetaObject* type = sender->metaObject();
    for (int i = 0; i < type->methodCount(); ++i) {
        const QMetaMethod method = type->method(i);
        if (method.methodType() == QMetaMethod::Signal && method.name() == signalName &&
            QMetaObject::checkConnectArgs(method, slot))
            return i;
    }
    return -1;
}

}  // namespace

void KPInterfaceDefinitions::add(const QString& name, Setup setup) {
    definitions().insert(name, std::move(setup));
}

bool KPInterfaceDefinitions::contains(const QString& name) {
    return definitions().contains(name);
}

bool KPInterfaceDefinitions::setUp(const QString& name, QWidget* widget) {
    const auto found = definitions().constFind(name);
    if (found == definitions().constEnd()) return false;
    (*found)(widget);
    return true;
}

QString KPInterfaceDefinitions::nameFor(const QMetaObject* type) {
    const QString own = QString::fromLatin1(type->className());
    if (contains(own)) return own;
    if (const QMetaObject* super = type->superClass()) {
        const QString parent = QString::fromLatin1(super->className());
        if (contains(parent)) return parent;
    }
    return {};
}

QStringList kpConnectActions(QObject* receiver, QWidget* view) {
    QStringList unconnected;
    const QMetaObject* type = receiver->metaObject();
    for (int i = 0; i < type->methodCount(); ++i) {
        const QMetaMethod slot = type->method(i);
        const QByteArray name = slot.name();
        if (slot.methodType() != QMetaMethod::Slot || !name.startsWith("on_")) continue;
        const int split = name.lastIndexOf('_');
        if (split <= 3) continue;
        const QString objectName = QString::fromLatin1(name.mid(3, split - 3));
        QObject* sender =
            view->objectName() == objectName ? view : view->findChild<QObject*>(objectName);
        const int signal = sender ? signalIndex(sender, name.mid(split + 1), slot) : -1;
        if (signal >= 0)
            QMetaObject::connect(sender, signal, receiver, i);
        else
            unconnected.append(QString::fromLatin1(name));
    }
    return unconnected;
}
