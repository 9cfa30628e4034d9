#include "tests/support/linux_home_startup.h"

#include <sys/stat.h>

#include "platform/editable_desktop_file.h"
#include "platform/file_path.h"

namespace linux_home_startup {

QString program(FixtureHome& home, const QString& relative) {
    const QString path = home.file(relative, 1);
    chmod(platform::encodePath(path).constData(), 0755);
    return path;
}

QByteArray desktopEntry(const QByteArray& lines) {
    return "[Desktop Entry]\nType=Application\n" + lines;
}

QByteArray execLine(const QString& program, const QByteArray& arguments) {
    QByteArray line = "Exec=" + platform::quotedExecArgument(program).toUtf8();
    if (!arguments.isEmpty()) line += ' ' + arguments;
    return line + '\n';
}

QString userAutostart(FixtureHome& home, const QString& name, const QByteArray& lines) {
    return home.write(QStringLiteral(".config/autostart/") + name, desktopEntry(lines));
}

QString systemAutostart(FixtureHome& home, const QString& name, const QByteArray& lines) {
    return home.write(kSystemConfig + QStringLiteral("/autostart/") + name, desktopEntry(lines));
}

QString launcher(FixtureHome& home, const QString& relative, const QByteArray& content) {
    return home.write(QStringLiteral(".local/share/applications/") + relative, content);
}

QString userUnit(FixtureHome& home, const QString& unit, const QByteArray& serviceLines) {
    return home.write(kUnitFolder + u'/' + unit, "[Unit]\nDescription=" + unit.toUtf8() +
                                                     "\n\n[Service]\n" + serviceLines +
                                                     "\n[Install]\nWantedBy=default.target\n");
}

QString wantsLink(FixtureHome& home, const QString& wantedBy, const QString& unit,
                  const QString& target) {
    return home.symlink(kUnitFolder + u'/' + wantedBy + QStringLiteral(".wants/") + unit,
                        target.isNull() ? home.abs(kUnitFolder + u'/' + unit) : target);
}

ScopedSystemConfig::ScopedSystemConfig(const FixtureHome& home)
    : saved_(qgetenv("XDG_CONFIG_DIRS")), wasSet_(qEnvironmentVariableIsSet("XDG_CONFIG_DIRS")) {
    qputenv("XDG_CONFIG_DIRS", platform::encodePath(home.abs(kSystemConfig)));
}

ScopedSystemConfig::~ScopedSystemConfig() {
    if (wasSet_) {
        qputenv("XDG_CONFIG_DIRS", saved_);
    } else {
        qunsetenv("XDG_CONFIG_DIRS");
    }
}

}  // namespace linux_home_startup
