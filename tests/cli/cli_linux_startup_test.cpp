#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>

#include "platform/file_path.h"
#include "tests/support/fixture_home.h"
#include "tests/support/linux_home_startup.h"

using namespace linux_home_startup;

namespace {

QStringList pathsIn(const QByteArray& scanJson, const QString& key) {
    QStringList paths;
    const QJsonArray categories =
        QJsonDocument::fromJson(scanJson).object().value(QStringLiteral("categories")).toArray();
    for (const auto& category : categories) {
        if (category.toObject().value(QStringLiteral("key")).toString() != key) continue;
        for (const auto& file : category.toObject().value(QStringLiteral("files")).toArray())
            paths.append(file.toObject().value(QStringLiteral("path")).toString());
    }
    return paths;
}

class CliLinuxStartupTest : public ::testing::Test {
protected:
    // sweepwell-cli as a session of the fixture's user starts it: the home, its config and
    // data folders and the system's autostart folder are the fixture's.
    QByteArray run(const QStringList& arguments, int expectedStatus = 0) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), home.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.abs(QStringLiteral(".config")));
        environment.insert(QStringLiteral("XDG_DATA_HOME"),
                           home.abs(QStringLiteral(".local/share")));
        environment.insert(QStringLiteral("XDG_CONFIG_DIRS"), home.abs(kSystemConfig));
        environment.insert(QStringLiteral("PATH"), QStringLiteral("/usr/bin:/bin"));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(SWEEPWELL_CLI_PATH),
                      arguments + QStringList{QStringLiteral("--home"), home.path(),
                                              QStringLiteral("--system-root"),
                                              home.abs(QStringLiteral("root"))});
        EXPECT_TRUE(process.waitForFinished(120000));
        const QByteArray errors = process.readAllStandardError();
        EXPECT_EQ(process.exitCode(), expectedStatus) << errors.constData();
        return process.readAllStandardOutput();
    }

    FixtureHome home;
};

TEST_F(CliLinuxStartupTest, ScanAndCleanBrokenStartupEntriesKeepingWhatWorks) {
    home.folder(QStringLiteral("root"));
    const QString chat = userAutostart(home, QStringLiteral("chat.desktop"),
                                       execLine(home.abs(QStringLiteral("Chat App/chat"))));
    const QString tray = userAutostart(home, QStringLiteral("tray.desktop"), "Exec=sh -c true\n");
    const QString system =
        systemAutostart(home, QStringLiteral("vendor.desktop"), "Exec=/opt/sweepwell-gone\n");
    const QByteArray systemBytes = readAll(system);
    const QString gone = userUnit(home, QStringLiteral("gone.service"), "ExecStart=%h/bin/gone\n");
    const QString goneLink =
        wantsLink(home, QStringLiteral("default.target"), QStringLiteral("gone.service"));
    const QString ok = userUnit(home, QStringLiteral("ok.service"), "ExecStart=/bin/sh\n");
    const QString okLink =
        wantsLink(home, QStringLiteral("default.target"), QStringLiteral("ok.service"));
    const QString dangling =
        wantsLink(home, QStringLiteral("default.target"), QStringLiteral("removed.service"));
    const QString old = launcher(home, QStringLiteral("old.desktop"),
                                 desktopEntry(execLine(home.abs(QStringLiteral("Old App/run")))));
    const QString garbage = launcher(home, QStringLiteral("garbage.desktop"),
                                     "\x7f"
                                     "ELF");
    const QString editor =
        launcher(home, QStringLiteral("editor.desktop"), desktopEntry("Exec=sh %F\n"));

    const QByteArray scan = run({QStringLiteral("scan"), QStringLiteral("--category"),
                                 QStringLiteral("login-items"), QStringLiteral("--category"),
                                 QStringLiteral("broken-preferences"), QStringLiteral("--json")});
    const QStringList broken = pathsIn(scan, QStringLiteral("login-items"));
    EXPECT_EQ(broken, (QStringList{chat, system, gone, dangling}));
    const QStringList launchers = pathsIn(scan, QStringLiteral("broken-preferences"));
    EXPECT_EQ(launchers, (QStringList{garbage, old}));

    QStringList clean{QStringLiteral("clean"),
                      QStringLiteral("--category"),
                      QStringLiteral("login-items"),
                      QStringLiteral("--category"),
                      QStringLiteral("broken-preferences"),
                      QStringLiteral("--yes")};
    for (const QString& path : broken + launchers)
        clean << QStringLiteral("--path") << path;
    run(clean);

    for (const QString& path : {chat, gone, goneLink, dangling, old, garbage})
        EXPECT_FALSE(exists(path)) << path.toStdString();
    for (const QString& path : {tray, ok, okLink, editor})
        EXPECT_TRUE(exists(path)) << path.toStdString();
    EXPECT_EQ(readAll(system), systemBytes);
    EXPECT_TRUE(readAll(home.abs(QStringLiteral(".config/autostart/vendor.desktop")))
                    .contains("Hidden=true"));
    const QByteArray again = run({QStringLiteral("scan"), QStringLiteral("--category"),
                                  QStringLiteral("login-items"), QStringLiteral("--category"),
                                  QStringLiteral("broken-preferences"), QStringLiteral("--json")});
    EXPECT_TRUE(pathsIn(again, QStringLiteral("login-items")).isEmpty());
    EXPECT_TRUE(pathsIn(again, QStringLiteral("broken-preferences")).isEmpty());
}

TEST_F(CliLinuxStartupTest, LoginItemsListBrokenEntriesAndSwitchUserServices) {
    home.folder(QStringLiteral("root"));
    const QString missing = home.abs(QStringLiteral("Chat App/chat"));
    userAutostart(home, QStringLiteral("chat.desktop"), execLine(missing));
    const QString ok = userUnit(home, QStringLiteral("ok.service"), "ExecStart=/bin/sh\n");
    const QString okLink =
        wantsLink(home, QStringLiteral("default.target"), QStringLiteral("ok.service"));
    EXPECT_EQ(
        run({QStringLiteral("login-items")}),
        "on   " + platform::encodePath(missing) + "\non   " + platform::encodePath(ok) + "\n");
    if (QStandardPaths::findExecutable(QStringLiteral("systemctl")).isEmpty() ||
        QFile::exists(QStringLiteral("/run/systemd/system"))) {
        GTEST_SKIP() << "systemctl is missing, or a service manager runs here";
    }
    EXPECT_EQ(run({QStringLiteral("login-items"), QStringLiteral("disable"), ok}),
              "Switched off: " + platform::encodePath(ok) + "\n");
    EXPECT_FALSE(exists(okLink));
    EXPECT_TRUE(exists(ok));
    EXPECT_EQ(run({QStringLiteral("login-items")}), "on   " + platform::encodePath(missing) + "\n");
}

}  // namespace
