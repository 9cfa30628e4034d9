#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <optional>

#include "platform/error.h"

// What starts when the user logs in: the session's login-items list and the user's
// background jobs.
namespace platform {

struct LoginListEntry {
    QString id;                           // identifies the entry within the list
    std::optional<QString> resolvedPath;  // what it starts; empty when it cannot be resolved
    QString program;                      // what it starts, as the entry writes it
};

class SessionLoginItems {
public:
    virtual ~SessionLoginItems() = default;
    // The enabled entries, in list order.
    virtual QList<LoginListEntry> snapshot() const = 0;
    // Makes `path` start at login: nothing to do when an entry starts it already, else an
    // entry switched off earlier comes back, else a new one goes at the end of the list.
    // False, with the reason, when the list could not be changed.
    virtual bool insertItemLast(const QString& path, Error* error) = 0;
    // False, with the reason, when the entry could not be taken out of the list.
    virtual bool removeItem(const LoginListEntry& entry, Error* error) = 0;
};

class UserJobs {
public:
    virtual ~UserJobs() = default;
    // One dictionary per job of the user's service manager: "Label" and, while the job
    // runs, "PID". Empty when no service manager can be reached.
    virtual QList<QVariantMap> allJobDictionaries() const = 0;
};

class LaunchControl {
public:
    virtual ~LaunchControl() = default;
    // Starts the job-control tool with these arguments and returns without waiting; false
    // when it could not be started.
    virtual bool start(const QStringList& arguments) = 0;
};

class UserServices {
public:
    virtual ~UserServices() = default;
    // Makes the user's service `unit` start with the session, or no longer, and waits
    // for the change; false, with the reason the tool gave, when it could not be made.
    virtual bool setEnabled(const QString& unit, bool enabled, Error* error) = 0;
};

}  // namespace platform
