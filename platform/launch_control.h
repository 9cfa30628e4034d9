#pragma once

#include "platform/login_items.h"

namespace platform {

// Runs "/bin/launchctl" where it exists. Elsewhere "unload PLIST" is done by a stand-in
// that reads the property list's "Label" and disables the user service of that name
// with `systemctl --user disable --now`; other commands do nothing there, and say so.
class LinuxLaunchControl : public LaunchControl {
public:
    explicit LinuxLaunchControl(QString launchctl = QStringLiteral("/bin/launchctl"),
                                QString systemctl = QStringLiteral("systemctl"));
    bool start(const QStringList& arguments) override;

    // The systemd unit for a job label.
    static QString unitForLabel(const QString& label);

private:
    QString launchctl_;
    QString systemctl_;
};

}  // namespace platform
