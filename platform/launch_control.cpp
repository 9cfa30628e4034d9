#include "platform/launch_control.h"

#include <QProcess>

#include "platform/file_manager.h"
#include "platform/property_list.h"

namespace platform {

LinuxLaunchControl::LinuxLaunchControl(QString launchctl, QString systemctl)
    : launchctl_(std::move(launchctl)), systemctl_(std::move(systemctl)) {}

QString LinuxLaunchControl::unitForLabel(const QString& label) {
    static const QStringList unitTypes = {QStringLiteral(".service"), QStringLiteral(".timer"),
                                          QStringLiteral(".socket"), QStringLiteral(".target")};
    for (const QString& type : unitTypes) {
        if (label.endsWith(type)) return label;
    }
    return label + QStringLiteral(".service");
}

bool LinuxLaunchControl::start(const QStringList& arguments) {
    if (fileExistsAtPath(launchctl_)) return QProcess::startDetached(launchctl_, arguments);
    if (arguments.size() < 2 || arguments.first() != u"unload") return false;
    const auto plist = propertyListDictionaryAtPath(arguments.last());
    const QString label = plist ? plist->value(QStringLiteral("Label")).toString() : QString();
    if (label.isEmpty()) return false;
    // The label comes from a file anyone could have written: after "--" it can only name
    // a unit, never pass as an option of systemctl.
    return QProcess::startDetached(
        systemctl_, {QStringLiteral("--user"), QStringLiteral("disable"), QStringLiteral("--now"),
                     QStringLiteral("--"), unitForLabel(label)});
}

}  // namespace platform
