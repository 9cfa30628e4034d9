#pragma once

#include <QObject>
#include <QString>

// Notifications between parts of the program, posted and observed on the main thread.
// The object identifies the sender (compare it with what you hold).
class NotificationCenter : public QObject {
    Q_OBJECT
public:
    static NotificationCenter& defaultCenter();
    void postNotification(const QString& name, const void* object = nullptr);

signals:
    void notificationPosted(const QString& name, const void* object);
};
