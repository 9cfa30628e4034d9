#pragma once

#include "platform/login_items.h"

namespace platform {

// The user's jobs as systemd user services, asked over the session bus: "Label" is the
// unit name without ".service" (so that a job named after a bundle identifier matches
// it), "PID" the main process of a running service. Empty, quickly, when no user manager
// answers.
class SystemdUserJobs : public UserJobs {
public:
    QList<QVariantMap> allJobDictionaries() const override;
};

// Switches user services with `systemctl --user enable|disable`, run without a shell.
// Where no service manager runs, systemctl edits the unit links of the user's config
// folder itself.
class SystemctlUserServices : public UserServices {
public:
    explicit SystemctlUserServices(QString systemctl = QStringLiteral("systemctl"));
    bool setEnabled(const QString& unit, bool enabled, Error* error) override;

private:
    QString systemctl_;
};

}  // namespace platform
