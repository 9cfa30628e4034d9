#include <gtest/gtest.h>

#include <unistd.h>

#include "engine/categories/broken_login_items_item.h"
#include "engine/categories/broken_prefs_item.h"
#include "engine/categories/login_item_helper.h"
#include "engine/categories/login_items_item.h"
#include "platform/file_path.h"
#include "platform/systemd_unit_files.h"
#include "platform/xdg_autostart.h"
#include "tests/support/folder_fixtures.h"
#include "tests/support/linux_home_startup.h"

using namespace linux_home_startup;

namespace {

class LinuxStartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedPath_ = qgetenv("PATH");
        qputenv("PATH", platform::encodePath(home.abs(QStringLiteral("bin"))) + ":/usr/bin:/bin");
    }
    void TearDown() override { qputenv("PATH", savedPath_); }

    QSScanResultPtr scanBrokenLoginItems() { return fixture.scan(QSBrokenLoginItemsItem::item()); }
    QStringList brokenLoginItems() { return entryPathsOf(scanBrokenLoginItems()->detailArray()); }
    QSScanResultPtr scanBrokenPrefs() { return fixture.scan(QSBrokenPrefsItem::item()); }
    QString unit(const QString& name) const { return home.abs(kUnitFolder + u'/' + name); }

    FolderFixture fixture;
    FixtureHome& home = fixture.home();
    ScopedSystemConfig systemConfig{home};
    QByteArray savedPath_;
};

TEST_F(LinuxStartupTest, AutostartEntriesWhoseProgramIsGoneAreBroken) {
    const QString spaced = program(home, QStringLiteral("My Apps/tool"));
    program(home, QStringLiteral("bin/on-path"));
    userAutostart(home, QStringLiteral("spaced.desktop"), execLine(spaced, "--tray %U"));
    const QString spacedGone =
        userAutostart(home, QStringLiteral("spaced-gone.desktop"),
                      execLine(home.abs(QStringLiteral("My Apps/gone")), "--tray"));
    userAutostart(home, QStringLiteral("bare.desktop"), "Exec=on-path --now\n");
    const QString bareGone =
        userAutostart(home, QStringLiteral("bare-gone.desktop"), "Exec=sweepwell-no-such-tool\n");
    const QString tryExec = userAutostart(home, QStringLiteral("try.desktop"),
                                          "TryExec=/opt/sweepwell-gone/bin/x\nExec=on-path\n");
    userAutostart(home, QStringLiteral("off.desktop"), "Hidden=true\nExec=/opt/gone\n");
    userAutostart(home, QStringLiteral("nothing.desktop"), "Name=No program\n");
    const QString relative =
        userAutostart(home, QStringLiteral("relative.desktop"), "Exec=bin/on-path\n");
    QStringList expected{spacedGone, bareGone, tryExec, relative};
    expected.sort();
    QStringList found = brokenLoginItems();
    found.sort();
    EXPECT_EQ(found, expected);
}

TEST_F(LinuxStartupTest, BrokenSystemEntriesAreSwitchedOffForTheUserNeverDeleted) {
    const QString system = systemAutostart(home, QStringLiteral("sys.desktop"), "Exec=/opt/gone\n");
    const QString covered =
        systemAutostart(home, QStringLiteral("covered.desktop"), "Exec=/opt/gone\n");
    const QString cover =
        userAutostart(home, QStringLiteral("covered.desktop"), "Exec=/opt/also-gone\nX-Mine=1\n");
    const QString own = userAutostart(home, QStringLiteral("own.desktop"), "Exec=/opt/gone\n");
    const QByteArray systemBytes = readAll(system);
    const QByteArray coverBytes = readAll(cover);
    const QSScanResultPtr result = scanBrokenLoginItems();
    EXPECT_EQ(entryPathsOf(result->detailArray()), (QStringList{cover, own, system}));

    bool success = false;
    const QSRemovedItemPtr removed = deleteNow(result, &success);
    ASSERT_TRUE(removed && success);
    EXPECT_TRUE(removed->failedFiles().isEmpty());
    EXPECT_FALSE(exists(own));
    EXPECT_EQ(readAll(system), systemBytes);
    EXPECT_EQ(readAll(covered), systemBytes);
    EXPECT_EQ(readAll(cover), coverBytes + "Hidden=true\n");
    const QString hider = home.abs(QStringLiteral(".config/autostart/sys.desktop"));
    EXPECT_TRUE(readAll(hider).contains("Hidden=true"));
    EXPECT_TRUE(brokenLoginItems().isEmpty());
}

TEST_F(LinuxStartupTest, ASystemEntryIsLeftAloneOnceTheUserWroteOneOfTheSameName) {
    systemAutostart(home, QStringLiteral("sys.desktop"), "Exec=/opt/gone\n");
    const QSScanResultPtr result = scanBrokenLoginItems();
    ASSERT_EQ(result->detailArray().size(), 1);
    const QString mine = userAutostart(home, QStringLiteral("sys.desktop"), "Exec=/bin/sh\n");
    const QByteArray bytes = readAll(mine);
    const QSRemovedItemPtr removed = deleteNow(result);
    ASSERT_TRUE(removed);
    ASSERT_EQ(removed->failedFiles().size(), 1);
    EXPECT_EQ(removed->failedFiles().first()->error()->code,
              platform::Error::kFileChangedSinceScan);
    EXPECT_EQ(readAll(mine), bytes);
}

TEST_F(LinuxStartupTest, UserUnitsWhoseProgramIsGoneGoWithTheLinksThatEnableThem) {
    program(home, QStringLiteral("bin/tool"));
    userUnit(home, QStringLiteral("ok.service"), "ExecStart=%h/bin/tool --serve\n");
    const QString gone = userUnit(home, QStringLiteral("gone.service"),
                                  "ExecStartPre=/bin/true\nExecStart=-\"%h/My Tools/gone\" -x\n");
    userUnit(home, QStringLiteral("fixed.service"), "ExecStart=/opt/sweepwell-gone\n");
    home.write(kUnitFolder + QStringLiteral("/fixed.service.d/override.conf"),
               "[Service]\nExecStart=\nExecStart=/bin/sh -c true\n");
    userUnit(home, QStringLiteral("specifier.service"), "ExecStart=/run/user/%U/gone\n");
    userUnit(home, QStringLiteral("bare.service"), "ExecStart=sh -c true\n");
    const QString bareGone =
        userUnit(home, QStringLiteral("bare-gone.service"), "ExecStart=sweepwell-no-such-tool\n");
    home.symlink(kUnitFolder + QStringLiteral("/masked.service"), QStringLiteral("/dev/null"));
    const QString okLink =
        wantsLink(home, QStringLiteral("default.target"), QStringLiteral("ok.service"));
    const QString goneLink =
        wantsLink(home, QStringLiteral("default.target"), QStringLiteral("gone.service"));
    const QString goneTimerLink =
        wantsLink(home, QStringLiteral("timers.target"), QStringLiteral("gone.service"));
    const QString dangling =
        wantsLink(home, QStringLiteral("default.target"), QStringLiteral("removed.service"));

    const QSScanResultPtr result = scanBrokenLoginItems();
    EXPECT_EQ(entryPathsOf(result->detailArray()), (QStringList{bareGone, gone, dangling}));
    const auto broken = std::dynamic_pointer_cast<QSBrokenUnitFile>(result->detailArray().value(1));
    ASSERT_TRUE(broken);
    EXPECT_EQ(entryPathsOf(broken->wantsLinks()), (QStringList{goneLink, goneTimerLink}));

    const QSRemovedItemPtr removed = deleteNow(result);
    ASSERT_TRUE(removed);
    EXPECT_TRUE(removed->failedFiles().isEmpty());
    for (const QString& path : {bareGone, gone, goneLink, goneTimerLink, dangling})
        EXPECT_FALSE(exists(path)) << path.toStdString();
    EXPECT_TRUE(exists(okLink));
    EXPECT_TRUE(exists(unit(QStringLiteral("ok.service"))));
    EXPECT_TRUE(exists(unit(QStringLiteral("masked.service"))));
}

TEST_F(LinuxStartupTest, AUnitThatChangedSinceTheScanKeepsItsLinks) {
    const QString gone = userUnit(home, QStringLiteral("gone.service"), "ExecStart=/opt/gone\n");
    const QString link =
        wantsLink(home, QStringLiteral("default.target"), QStringLiteral("gone.service"));
    const QSScanResultPtr result = scanBrokenLoginItems();
    ASSERT_EQ(result->detailArray().size(), 1);
    home.write(kUnitFolder + QStringLiteral("/gone.service"),
               "[Service]\nExecStart=/bin/sh -c 'installed again'\n");
    const QSRemovedItemPtr removed = deleteNow(result);
    ASSERT_TRUE(removed);
    EXPECT_EQ(removed->failedFiles().size(), 1);
    EXPECT_TRUE(exists(gone));
    EXPECT_TRUE(exists(link));
}

TEST(SystemdUnitFiles, ExecStartProgramsAsSystemdReadsThem) {
    const QString home = QStringLiteral("/home/u");
    EXPECT_EQ(platform::execStartProgram(QStringLiteral("-@\"/opt/My App/run\" name --x"), home),
              u"/opt/My App/run");
    EXPECT_EQ(platform::execStartProgram(QStringLiteral("'%h/bin/a b' c"), home),
              u"/home/u/bin/a b");
    EXPECT_EQ(platform::execStartProgram(QStringLiteral("/opt/100%%/run"), home), u"/opt/100%/run");
    EXPECT_TRUE(platform::execStartProgram(QStringLiteral("/run/%U/x"), home).isNull());
    EXPECT_TRUE(platform::execStartProgram(QStringLiteral("${TOOL} --x"), home).isNull());
    EXPECT_TRUE(platform::unitProgramExists(QStringLiteral("sh")));
    EXPECT_FALSE(platform::unitProgramExists(QStringLiteral("bin/sh")));
}

TEST_F(LinuxStartupTest, LaunchersThatDoNotLoadOrWhoseProgramIsGoneAreBrokenPreferences) {
    const QString spaced = program(home, QStringLiteral("My Apps/tool"));
    launcher(home, QStringLiteral("ok.desktop"), desktopEntry(execLine(spaced, "%F")));
    const QString gone = launcher(home, QStringLiteral("gone.desktop"),
                                  desktopEntry(execLine(home.abs(QStringLiteral("My Apps/gone")))));
    const QString nested = launcher(home, QStringLiteral("wine/Programs/game.desktop"),
                                    desktopEntry("Exec=/opt/sweepwell-gone/game.exe\n"));
    const QString noGroup = launcher(home, QStringLiteral("no-group.desktop"), "Exec=/bin/sh\n");
    const QString stray = launcher(home, QStringLiteral("stray.desktop"),
                                   desktopEntry("Exec=/bin/sh\nthis is not a key\n"));
    const QString otherFirst =
        launcher(home, QStringLiteral("other-first.desktop"),
                 "[Desktop Action new]\nExec=/bin/sh\n[Desktop Entry]\nExec=/bin/sh\n");
    const QString empty = launcher(home, QStringLiteral("empty.desktop"), QByteArray());
    launcher(home, QStringLiteral("hides-system.desktop"),
             desktopEntry("Hidden=true\nExec=/opt/sweepwell-gone\n"));
    launcher(home, QStringLiteral("link.desktop"),
             "[Desktop Entry]\nType=Link\nURL=https://example.org\n");
    launcher(home, QStringLiteral("mimeapps.list"), "not a desktop entry");
    launcher(home, QStringLiteral(".hidden.desktop"), "junk");

    const QSScanResultPtr result = scanBrokenPrefs();
    QStringList expected{gone, nested, noGroup, stray, otherFirst, empty};
    expected.sort();
    EXPECT_EQ(entryPathsOf(result->detailArray()), expected);
    for (const auto& file : result->detailArray())
        EXPECT_FALSE(file->selected()) << file->path().toStdString();
}

// Login Items over the fixture's real autostart folders and unit links.
class LinuxLoginItemsTest : public LinuxStartupTest {
protected:
    void SetUp() override {
        LinuxStartupTest::SetUp();
        platform::services().loginItems = std::make_shared<platform::XdgAutostartLoginItems>(
            home.abs(QStringLiteral(".config/autostart")),
            QStringList{home.abs(kSystemConfig + QStringLiteral("/autostart"))});
        platform::services().userServices = services_;
    }
    QList<std::shared_ptr<QSLoginItemFile>> scan() {
        QSLoginItemHelper::sharedInstance().update();
        QList<std::shared_ptr<QSLoginItemFile>> items;
        const QSScanResultPtr result = fixture.scan(QSLoginItemsItem::item());
        for (const auto& file : result->detailArray())
            items.append(std::dynamic_pointer_cast<QSLoginItemFile>(file));
        return items;
    }
    // What `systemctl --user` does to the links when it succeeds.
    void toolEditsLinks() {
        services_->onSwitch = [this](const QString& unitName, bool enabled) {
            if (enabled) {
                wantsLink(home, QStringLiteral("default.target"), unitName);
            } else {
                for (const auto& link : platform::wantsLinks(home.abs(kUnitFolder))) {
                    if (link.unit == unitName) ::unlink(platform::encodePath(link.path));
                }
            }
        };
    }

    std::shared_ptr<platform::fakes::RecordingUserServices> services_ =
        std::make_shared<platform::fakes::RecordingUserServices>();
};

TEST_F(LinuxLoginItemsTest, AnEntryWhoseProgramIsGoneIsListedAndSwitchesOff) {
    const QString missing = home.abs(QStringLiteral("My Apps/gone"));
    const QString entry =
        userAutostart(home, QStringLiteral("gone.desktop"), execLine(missing, "--tray"));
    const auto items = scan();
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items[0]->path(), missing);
    EXPECT_EQ(items[0]->fileName(), u"gone Login Item");
    EXPECT_TRUE(items[0]->selected());
    platform::Error error;
    EXPECT_TRUE(items[0]->switchSelected(false, &error)) << error.toString().toStdString();
    EXPECT_TRUE(readAll(entry).endsWith("Hidden=true\n"));
    EXPECT_TRUE(scan().isEmpty());
    EXPECT_TRUE(items[0]->switchSelected(true, &error)) << error.toString().toStdString();
    EXPECT_FALSE(readAll(entry).contains("Hidden"));
}

TEST_F(LinuxLoginItemsTest, EnabledUserServicesSwitchThroughTheServiceManager) {
    const QString file = userUnit(home, QStringLiteral("sync.service"), "ExecStart=/bin/sh\n");
    userUnit(home, QStringLiteral("idle.service"), "ExecStart=/bin/sh\n");
    wantsLink(home, QStringLiteral("default.target"), QStringLiteral("sync.service"));
    wantsLink(home, QStringLiteral("graphical-session.target"), QStringLiteral("sync.service"));
    toolEditsLinks();
    const auto items = scan();
    ASSERT_EQ(items.size(), 1);
    const auto item = items[0];
    EXPECT_EQ(item->path(), file);
    EXPECT_EQ(item->serviceUnit(), u"sync.service");
    EXPECT_EQ(item->fileName(), u"sync.service Login Item");
    EXPECT_TRUE(item->selected());

    platform::Error error;
    ASSERT_TRUE(item->switchSelected(false, &error)) << error.toString().toStdString();
    EXPECT_FALSE(item->selected());
    EXPECT_TRUE(scan().isEmpty());
    ASSERT_TRUE(item->switchSelected(true, &error)) << error.toString().toStdString();
    EXPECT_TRUE(item->selected());
    EXPECT_EQ(services_->calls(),
              (QList<std::pair<QString, bool>>{{QStringLiteral("sync.service"), false},
                                               {QStringLiteral("sync.service"), true}}));
}

TEST_F(LinuxLoginItemsTest, AServiceSwitchThatFailsKeepsTheStateAndTheReason) {
    userUnit(home, QStringLiteral("sync.service"), "ExecStart=/bin/sh\n");
    const QString link =
        wantsLink(home, QStringLiteral("default.target"), QStringLiteral("sync.service"));
    const auto item = scan().value(0);
    ASSERT_TRUE(item && item->selected());

    services_->failure = platform::Error{
        platform::Error::Domain::Cocoa, 512, QStringLiteral("Failed to connect to bus"), {}};
    platform::Error error;
    EXPECT_FALSE(item->switchSelected(false, &error));
    EXPECT_TRUE(item->selected());
    EXPECT_EQ(error.description, u"Failed to connect to bus");

    // The tool says it succeeded, but the unit still starts with the session.
    services_->failure.reset();
    error = {};
    EXPECT_FALSE(item->switchSelected(false, &error));
    EXPECT_TRUE(item->selected());
    EXPECT_TRUE(error.description.contains(QStringLiteral("sync.service")))
        << error.toString().toStdString();
    EXPECT_TRUE(exists(link));
}

}  // namespace
