#include <gtest/gtest.h>

#include <QFile>
#include <QStandardPaths>

#include <sys/stat.h>

#include "platform/editable_desktop_file.h"
#include "platform/error.h"
#include "platform/file_path.h"
#include "platform/launch_control.h"
#include "platform/property_list_writer.h"
#include "platform/systemd_user_jobs.h"
#include "platform/xdg_autostart.h"
#include "tests/support/fixture_home.h"

namespace {

TEST(EditableDesktopFile, KeepsEveryLineItDoesNotChange) {
    FixtureHome home;
    const QByteArray original =
        "# a comment\n[Desktop Entry]\nName=Thing\nName[de]=Ding\nX-Unknown=keep me\n"
        "Exec=thing --flag\n\n[Desktop Action new]\nExec=other\n";
    const QString path = home.write(QStringLiteral("thing.desktop"), original);
    auto file = platform::EditableDesktopFile::read(path);
    ASSERT_TRUE(file);
    file->setValue(QStringLiteral("Hidden"), QStringLiteral("true"));
    file->setValue(QStringLiteral("Name"), QStringLiteral("Renamed"));
    ASSERT_TRUE(file->save(path, nullptr));
    EXPECT_EQ(readAll(path),
              "# a comment\n[Desktop Entry]\nName=Renamed\nName[de]=Ding\nX-Unknown=keep me\n"
              "Exec=thing --flag\nHidden=true\n\n[Desktop Action new]\nExec=other\n");
    EXPECT_EQ(file->entry().value(QStringLiteral("Exec")), u"thing --flag");
    file->removeKey(QStringLiteral("Hidden"));
    EXPECT_FALSE(file->toBytes().contains("Hidden"));
}

TEST(EditableDesktopFile, ExecQuotingRoundTrips) {
    for (const QString& program :
         {QStringLiteral("/opt/My App/bin/run"), QStringLiteral("/a/\"q\"$`\\%x")}) {
        auto file = platform::EditableDesktopFile::create();
        file.setValue(QStringLiteral("Exec"), platform::quotedExecArgument(program));
        EXPECT_EQ(platform::execProgram(file.entry().value(QStringLiteral("Exec"))), program);
    }
    EXPECT_EQ(platform::execProgram(QStringLiteral("  run --now %U")), u"run");
}

class XdgAutostartTest : public ::testing::Test {
protected:
    void SetUp() override {
        user_ = home_.folder(QStringLiteral("config/autostart"));
        system_ = home_.folder(QStringLiteral("xdg/autostart"));
        tool_ = home_.file(QStringLiteral("bin/tool"), 1);
        chmod(platform::encodePath(tool_).constData(), 0755);
        app_ = home_.appBundle(QStringLiteral("Apps/Clock.app"), QStringLiteral("org.clock"));
        chmod(platform::encodePath(app_ + QStringLiteral("/Contents/MacOS/Clock")).constData(),
              0755);
        savedPath_ = qgetenv("PATH");
        qputenv("PATH", platform::encodePath(home_.abs(QStringLiteral("bin"))) + ":/usr/bin:/bin");
    }
    void TearDown() override { qputenv("PATH", savedPath_); }

    QString entry(const QString& folder, const QString& name, const QByteArray& body) {
        return home_.write(folder.mid(home_.path().size() + 1) + u'/' + name,
                           "[Desktop Entry]\n" + body);
    }
    QStringList resolved() {
        QStringList paths;
        for (const auto& e : list_.snapshot())
            paths.append(e.resolvedPath.value_or(QStringLiteral("?")));
        return paths;
    }

    FixtureHome home_;
    QString user_, system_, tool_, app_;
    QByteArray savedPath_;
    platform::XdgAutostartLoginItems list_{home_.abs(QStringLiteral("config/autostart")),
                                           {home_.abs(QStringLiteral("xdg/autostart"))}};
};

TEST_F(XdgAutostartTest, UserEntriesHideSystemOnesAndDisabledEntriesAreLeftOut) {
    entry(system_, QStringLiteral("a.desktop"), "Exec=tool --daemon\n");
    entry(system_, QStringLiteral("b.desktop"), "Exec=/bin/sh\n");
    entry(user_, QStringLiteral("b.desktop"), "Exec=/bin/sh\nHidden=true\n");
    entry(system_, QStringLiteral("c.desktop"), "Exec=/bin/sh\nX-GNOME-Autostart-enabled=false\n");
    entry(user_, QStringLiteral("d.desktop"),
          "Exec=\"" + platform::encodePath(app_) + "/Contents/MacOS/Clock\"\n");
    entry(user_, QStringLiteral("e.desktop"), "Exec=no-such-program\n");
    entry(user_, QStringLiteral("notes.txt"), "Exec=/bin/sh\n");
    EXPECT_EQ(resolved(), (QStringList{tool_, app_, QStringLiteral("?")}));
}

TEST_F(XdgAutostartTest, InsertingAndRemovingRoundTrips) {
    ASSERT_TRUE(list_.insertItemLast(app_, nullptr));
    ASSERT_EQ(resolved(), QStringList{app_});
    const auto entries = list_.snapshot();
    ASSERT_TRUE(list_.removeItem(entries.first(), nullptr));
    EXPECT_TRUE(resolved().isEmpty());
    EXPECT_TRUE(readAll(user_ + u'/' + entries.first().id).contains("Hidden=true"));
}

TEST_F(XdgAutostartTest, ASystemEntryIsHiddenByAUserOverrideAndComesBack) {
    const QString system = entry(system_, QStringLiteral("tool.desktop"), "Exec=tool\nX-Keep=1\n");
    const QByteArray before = readAll(system);
    ASSERT_TRUE(list_.removeItem(list_.snapshot().first(), nullptr));
    EXPECT_TRUE(resolved().isEmpty());
    EXPECT_EQ(readAll(system), before);
    const QByteArray override = readAll(user_ + QStringLiteral("/tool.desktop"));
    EXPECT_TRUE(override.contains("Hidden=true"));
    EXPECT_TRUE(override.contains("X-Keep=1"));
    ASSERT_TRUE(list_.insertItemLast(tool_, nullptr));
    EXPECT_EQ(resolved(), QStringList{tool_});
    EXPECT_FALSE(exists(user_ + QStringLiteral("/tool.desktop")));
}

TEST_F(XdgAutostartTest, TheUsersOwnEntryIsSwitchedOffInPlaceAndBackExactly) {
    const QString own =
        entry(user_, QStringLiteral("tool.desktop"), "# mine\nExec=tool --daemon\nX-Keep=1\n");
    const QByteArray before = readAll(own);
    platform::Error error;
    ASSERT_TRUE(list_.removeItem(list_.snapshot().first(), &error))
        << error.toString().toStdString();
    EXPECT_EQ(readAll(own), before + "Hidden=true\n");
    EXPECT_TRUE(resolved().isEmpty());
    ASSERT_TRUE(list_.insertItemLast(tool_, &error)) << error.toString().toStdString();
    EXPECT_EQ(readAll(own), before);
    // Switching on what is on already adds no second entry.
    ASSERT_TRUE(list_.insertItemLast(tool_, &error)) << error.toString().toStdString();
    EXPECT_EQ(resolved(), QStringList{tool_});
}

TEST_F(XdgAutostartTest, AHiderTheUserChangedIsSwitchedBackOnNotRemoved) {
    entry(system_, QStringLiteral("tool.desktop"), "Exec=tool\n");
    ASSERT_TRUE(list_.removeItem(list_.snapshot().first(), nullptr));
    const QString hider = user_ + QStringLiteral("/tool.desktop");
    home_.write(QStringLiteral("config/autostart/tool.desktop"),
                readAll(hider) + "Comment=my own note\n");
    ASSERT_TRUE(list_.insertItemLast(tool_, nullptr));
    const QByteArray kept = readAll(hider);
    EXPECT_TRUE(kept.contains("Comment=my own note"));
    EXPECT_TRUE(kept.contains("Hidden=false"));
    EXPECT_EQ(resolved(), QStringList{tool_});
}

// A folder that takes no new file: its permissions, and for root (who is not bound by
// them) the immutable flag.
bool makeUnwritable(FixtureHome& home, const QString& relative) {
    home.setMode(relative, 0555);
    return !ScopedUnprivileged::runningAsRoot() || home.setImmutable(relative, true);
}

TEST_F(XdgAutostartTest, AFailedWriteIsReportedAndChangesNothing) {
    const QString own = entry(user_, QStringLiteral("a.desktop"), "Exec=tool\n");
    const QString system = entry(system_, QStringLiteral("b.desktop"), "Exec=/bin/sh\n");
    if (!makeUnwritable(home_, QStringLiteral("config/autostart")))
        GTEST_SKIP() << "the autostart folder cannot be made unwritable here";
    const auto entries = list_.snapshot();
    ASSERT_EQ(entries.size(), 2);
    for (const auto& listed : entries) {
        platform::Error error;
        EXPECT_FALSE(list_.removeItem(listed, &error));
        EXPECT_EQ(error.code, platform::Error::kFileWriteNoPermission);
        EXPECT_TRUE(error.description.contains(user_ + u'/' + listed.id))
            << error.toString().toStdString();
    }
    platform::Error error;
    EXPECT_FALSE(list_.insertItemLast(app_, &error));
    EXPECT_EQ(error.code, platform::Error::kFileWriteNoPermission);
    EXPECT_EQ(readAll(own), "[Desktop Entry]\nExec=tool\n");
    EXPECT_FALSE(exists(user_ + QStringLiteral("/b.desktop")));
    EXPECT_EQ(resolved(), (QStringList{tool_, QStringLiteral("/bin/sh")}));
}

TEST(LinuxLaunchControl, TheStandInDisablesTheUserServiceNamedByTheLabel) {
    FixtureHome home;
    const QString record = home.abs(QStringLiteral("calls"));
    const QString systemctl =
        home.write(QStringLiteral("systemctl"),
                   "#!/bin/sh\necho \"$@\" > '" + platform::encodePath(record) + "'\n");
    chmod(platform::encodePath(systemctl).constData(), 0755);
    const QString plist =
        home.write(QStringLiteral("job.plist"),
                   platform::xmlPropertyList(
                       QVariantMap{{QStringLiteral("Label"), QStringLiteral("org.x.helper")}})
                       .value());
    platform::LinuxLaunchControl control(home.abs(QStringLiteral("no-launchctl")), systemctl);
    EXPECT_TRUE(control.start({QStringLiteral("unload"), QStringLiteral("-wF"), plist}));
    ASSERT_TRUE(waitUntil([&] { return readAll(record).endsWith('\n'); }));
    EXPECT_EQ(readAll(record), "--user disable --now -- org.x.helper.service\n");
    // A label that looks like an option stays a unit name.
    QFile::remove(record);
    const QString option = home.write(
        QStringLiteral("option.plist"),
        platform::xmlPropertyList(QVariantMap{{QStringLiteral("Label"), QStringLiteral("-Hhost")}})
            .value());
    EXPECT_TRUE(control.start({QStringLiteral("unload"), QStringLiteral("-wF"), option}));
    ASSERT_TRUE(waitUntil([&] { return readAll(record).endsWith('\n'); }));
    EXPECT_EQ(readAll(record), "--user disable --now -- -Hhost.service\n");
    EXPECT_EQ(platform::LinuxLaunchControl::unitForLabel(QStringLiteral("a.timer")), u"a.timer");
    platform::LinuxLaunchControl missing(home.abs(QStringLiteral("no-launchctl")),
                                         home.abs(QStringLiteral("no-systemctl")));
    EXPECT_FALSE(missing.start({QStringLiteral("unload"), QStringLiteral("-wF"), plist}));
}

TEST(SystemdUserJobs, NoReachableManagerMeansNoJobs) {
    const QByteArray saved = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus");
    const auto jobs = platform::SystemdUserJobs().allJobDictionaries();
    qputenv("DBUS_SESSION_BUS_ADDRESS", saved);
    for (const auto& job : jobs)
        EXPECT_TRUE(job.contains(QStringLiteral("Label")));
}

TEST(SystemctlUserServices, RunsTheToolWithTheUnitAfterDashesAndKeepsItsReason) {
    FixtureHome home;
    const QString record = home.abs(QStringLiteral("calls"));
    const QString systemctl = home.write(
        QStringLiteral("systemctl"), "#!/bin/sh\necho \"$@\" >> '" + platform::encodePath(record) +
                                         "'\n[ \"$2\" = enable ] && exit 0\n"
                                         "echo 'Failed to connect to bus: No medium found' >&2\n"
                                         "exit 1\n");
    chmod(platform::encodePath(systemctl).constData(), 0755);
    platform::SystemctlUserServices services(systemctl);
    platform::Error error;
    EXPECT_TRUE(services.setEnabled(QStringLiteral("-Hhost.service"), true, &error));
    EXPECT_FALSE(services.setEnabled(QStringLiteral("a.service"), false, &error));
    EXPECT_EQ(error.description, u"Failed to connect to bus: No medium found");
    EXPECT_EQ(readAll(record), "--user enable -- -Hhost.service\n--user disable -- a.service\n");
    error = {};
    EXPECT_FALSE(platform::SystemctlUserServices(home.abs(QStringLiteral("none")))
                     .setEnabled(QStringLiteral("a.service"), true, &error));
    EXPECT_FALSE(error.description.isEmpty());
}

// Where no service manager runs (a build machine), systemctl edits the unit links of the
// config folder it is given itself; where one runs, it would switch the real session's
// units, so the test does not run there.
TEST(SystemctlUserServices, SwitchesAUnitOfTheHomeWithTheRealTool) {
    if (QStandardPaths::findExecutable(QStringLiteral("systemctl")).isEmpty() ||
        QFile::exists(QStringLiteral("/run/systemd/system"))) {
        GTEST_SKIP() << "systemctl is missing, or a service manager runs here";
    }
    FixtureHome home;
    home.write(QStringLiteral(".config/systemd/user/sweepwell-test.service"),
               "[Service]\nExecStart=/bin/true\n[Install]\nWantedBy=default.target\n");
    const QByteArray savedHome = qgetenv("HOME");
    const bool configWasSet = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    const QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", platform::encodePath(home.path()));
    qputenv("XDG_CONFIG_HOME", platform::encodePath(home.abs(QStringLiteral(".config"))));
    platform::SystemctlUserServices services;
    platform::Error enableError, disableError, missingError;
    const bool enabled =
        services.setEnabled(QStringLiteral("sweepwell-test.service"), true, &enableError);
    const QString link = home.abs(
        QStringLiteral(".config/systemd/user/default.target.wants/sweepwell-test.service"));
    const bool linked = exists(link);
    const bool disabled =
        services.setEnabled(QStringLiteral("sweepwell-test.service"), false, &disableError);
    const bool missing =
        services.setEnabled(QStringLiteral("sweepwell-no-such.service"), true, &missingError);
    qputenv("HOME", savedHome);
    if (configWasSet) {
        qputenv("XDG_CONFIG_HOME", savedConfig);
    } else {
        qunsetenv("XDG_CONFIG_HOME");
    }
    EXPECT_TRUE(enabled) << enableError.toString().toStdString();
    EXPECT_TRUE(linked);
    EXPECT_TRUE(disabled) << disableError.toString().toStdString();
    EXPECT_FALSE(exists(link));
    EXPECT_FALSE(missing);
    EXPECT_TRUE(missingError.description.contains(QStringLiteral("sweepwell-no-such.service")))
        << missingError.toString().toStdString();
}

}  // namespace
