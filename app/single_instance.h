#pragma once

#include <QLocalServer>
#include <QObject>

// One application per user: a second start asks the running one to come to the front
// and ends, so that no second scanner runs over the same files.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // The local socket's name for the user, and for the home folder being cleaned.
    explicit SingleInstance(const QString& name, QObject* parent = nullptr);

    static QString nameForHome(const QString& home);

    // Answers true when another instance took the message; this one should end then.
    bool activateRunningInstance();
    // Becomes the running instance; answers false when the name cannot be taken.
    bool listen();

signals:
    // Another start asked this instance to come to the front.
    void activationRequested();

private:
    QString name_;
    QLocalServer server_;
};
