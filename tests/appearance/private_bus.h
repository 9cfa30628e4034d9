#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QString>

// A D-Bus daemon of the test's own, for services played by the test. Not running when
// dbus-daemon is not installed.
class PrivateBus {
public:
    PrivateBus();
    ~PrivateBus();
    bool isRunning() const { return !address_.isEmpty(); }
    // A new connection to the bus under that name.
    QDBusConnection connect(const QString& name);

private:
    QProcess daemon_;
    QString address_;
    QStringList connectionNames_;
};
