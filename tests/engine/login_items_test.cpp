#include <gtest/gtest.h>

#include "engine/categories/broken_login_items_item.h"
#include "engine/categories/login_item_helper.h"
#include "engine/categories/login_items_item.h"
#include "platform/error.h"
#include "platform/file_path.h"
#include "platform/property_list.h"
#include "platform/property_list_writer.h"
#include "platform/xdg_autostart.h"
#include "tests/support/fake_platform.h"
#include "tests/support/fixture_home.h"

namespace {

// A folder that takes no new file: its permissions, and for root (who is not bound by
// them) the immutable flag.
bool makeUnwritable(FixtureHome& home, const QString& relative) {
    home.setMode(relative, 0555);
    return !ScopedUnprivileged::runningAsRoot() || home.setImmutable(relative, true);
}

const QStringList kAllApplications = {
    QStringLiteral("kMDItemContentType=com.apple.application-bundle")};

class LoginItemsTest : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("XDG_CACHE_HOME", home_.abs(QStringLiteral(".cache")).toUtf8());
    }
    void TearDown() override { qunsetenv("XDG_CACHE_HOME"); }

    // An application with helpers inside Contents/Library/LoginItems.
    QString applicationWithHelpers(const QString& name, const QStringList& helpers) {
        const QString app = home_.appBundle(QStringLiteral("Applications/") + name,
                                            QStringLiteral("org.app.") + name.section(u'.', 0, 0));
        for (const QString& helper : helpers) {
            home_.appBundle(QStringLiteral("Applications/") + name +
                                QStringLiteral("/Contents/Library/LoginItems/") + helper,
                            QStringLiteral("org.helper.") + helper.section(u'.', 0, 0));
        }
        applications_.append(app);
        platform_.metadata().setPaths(QStringLiteral("/"), kAllApplications, applications_);
        return app;
    }
    QList<std::shared_ptr<QSLoginItemFile>> scan() {
        QSLoginItemHelper::sharedInstance().update();
        const auto result = QSLoginItemsItem::item()->actuallyScan();
        EXPECT_TRUE(std::dynamic_pointer_cast<QSUnremovableScanResult>(result));
        QList<std::shared_ptr<QSLoginItemFile>> items;
        for (const auto& file : result->detailArray()) {
            items.append(std::dynamic_pointer_cast<QSLoginItemFile>(file));
        }
        return items;
    }

    FixtureHome home_;
    FakePlatform platform_{home_.path()};
    QStringList applications_;
};

TEST_F(LoginItemsTest, TheFirstHelperNamesTheItemAndLoadedJobsWithoutAPidAreEnabled) {
    const QString app = applicationWithHelpers(QStringLiteral("Two.app"),
                                               {QStringLiteral("B.app"), QStringLiteral("A.app")});
    applicationWithHelpers(QStringLiteral("Running.app"), {QStringLiteral("R.app")});
    applicationWithHelpers(QStringLiteral("NoHelpers.app"), {});
    platform_.setUserJobs(
        {{{QStringLiteral("Label"), QStringLiteral("org.helper.A")}},
         {{QStringLiteral("Label"), QStringLiteral("org.helper.R")}, {QStringLiteral("PID"), 42}}});
    const auto items = scan();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0]->path(), app);
    EXPECT_EQ(items[0]->fileName(), u"Two.app Login Item");
    EXPECT_EQ(items[0]->helperBundleID(), u"org.helper.A");
    EXPECT_EQ(items[0]->bundleID(), u"org.app.Two");
    EXPECT_TRUE(items[0]->selected());
    EXPECT_FALSE(items[1]->selected());
    EXPECT_EQ(items[0]->fileSize(), 1u);
}

TEST_F(LoginItemsTest, ListEntriesMatchByPrefixOrLastComponent) {
    const QString app =
        home_.appBundle(QStringLiteral("Apps/Tool.app"), QStringLiteral("org.tool"));
    platform_.loginItems().insertItemLast(app, nullptr);
    platform_.loginItems().insertItemLast(QStringLiteral("/elsewhere/Unreadable.app"), nullptr);
    const auto items = scan();
    ASSERT_EQ(items.size(), 1);  // the entry whose dates cannot be read is left out
    EXPECT_EQ(items[0]->bundleID(), u"org.tool");
    EXPECT_TRUE(items[0]->helperBundleID().isEmpty());
    EXPECT_TRUE(items[0]->selected());

    auto sameName = std::make_shared<QSLoginItemFile>();
    sameName->setPath(QStringLiteral("/other/place/Tool.app"));
    EXPECT_TRUE(QSLoginItemHelper::sharedInstance().isFileLaunchDEnabled(*sameName));
    sameName->setPath(app + QStringLiteral("/Contents/MacOS/Tool"));
    EXPECT_TRUE(QSLoginItemHelper::sharedInstance().isFileLaunchDEnabled(*sameName));
    sameName->setPath(QStringLiteral("/other/Tool2.app"));
    EXPECT_FALSE(QSLoginItemHelper::sharedInstance().isFileLaunchDEnabled(*sameName));
}

TEST_F(LoginItemsTest, SwitchingAHelperOnAddsTheApplicationAndOffRemovesItFromTheList) {
    applicationWithHelpers(QStringLiteral("Agent.app"), {QStringLiteral("H.app")});
    const auto items = scan();
    ASSERT_EQ(items.size(), 1);
    const auto item = items[0];
    EXPECT_FALSE(item->selected());
    item->setSelected(true);
    EXPECT_TRUE(item->selected());
    EXPECT_EQ(platform_.loginItems().paths(), QStringList{item->path()});
    EXPECT_TRUE(item->helperBundleID().isEmpty());
    EXPECT_TRUE(item->helperPath().isEmpty());
    item->setSelected(false);
    EXPECT_TRUE(platform_.loginItems().paths().isEmpty());
    EXPECT_TRUE(platform_.launchControl().calls().isEmpty());
}

TEST_F(LoginItemsTest, SwitchingOffRemovesOnlyTheFirstMatchingEntry) {
    const QString app =
        home_.appBundle(QStringLiteral("Apps/Twice.app"), QStringLiteral("org.twice"));
    platform_.loginItems().insertItemLast(app, nullptr);
    platform_.loginItems().insertItemLast(app + QStringLiteral("/Contents/MacOS/Twice"), nullptr);
    auto item = std::make_shared<QSLoginItemFile>();
    item->setPath(app);
    item->setSelected(false);
    EXPECT_EQ(platform_.loginItems().paths(),
              QStringList{app + QStringLiteral("/Contents/MacOS/Twice")});
    item->setSelected(true, true);  // silent: records only
    EXPECT_EQ(platform_.loginItems().paths().size(), 1);
}

TEST_F(LoginItemsTest, SwitchingAHelperOffWritesTheJobDescriptionAndUnloadsIt) {
    applicationWithHelpers(QStringLiteral("Agent.app"), {QStringLiteral("H.app")});
    platform_.setUserJobs({{{QStringLiteral("Label"), QStringLiteral("org.helper.H")}}});
    const auto item = scan().value(0);
    ASSERT_TRUE(item && item->selected());
    item->setSelected(false);
    ASSERT_EQ(platform_.launchControl().calls().size(), 1);
    const QStringList call = platform_.launchControl().calls().first();
    const QString plist =
        home_.abs(QStringLiteral(".cache/org.sweepwell.Sweepwell/org.helper.H.plist"));
    EXPECT_EQ(call, (QStringList{QStringLiteral("unload"), QStringLiteral("-wF"), plist}));
    EXPECT_TRUE(readAll(plist).startsWith("<?xml"));
    const auto job = platform::propertyListDictionaryAtPath(plist);
    ASSERT_TRUE(job);
    EXPECT_EQ(job->size(), 8);
    EXPECT_EQ(job->value(QStringLiteral("Program")).toString(), item->helperPath());
    EXPECT_EQ(job->value(QStringLiteral("ProgramArguments")).toList().value(1).toString(),
              u"-RunAsAgent");
    EXPECT_EQ(job->value(QStringLiteral("LimitLoadToSessionType")).toString(), u"Aqua");
}

TEST_F(LoginItemsTest, AHelperWhoseJobDescriptionCannotBeWrittenStaysOn) {
    applicationWithHelpers(QStringLiteral("Agent.app"), {QStringLiteral("H.app")});
    platform_.setUserJobs({{{QStringLiteral("Label"), QStringLiteral("org.helper.H")}}});
    const auto item = scan().value(0);
    ASSERT_TRUE(item && item->selected());
    home_.folder(QStringLiteral(".cache"));
    if (!makeUnwritable(home_, QStringLiteral(".cache")))
        GTEST_SKIP() << "the caches folder cannot be made unwritable here";
    platform::Error error;
    EXPECT_FALSE(item->switchSelected(false, &error));
    EXPECT_TRUE(item->selected());
    EXPECT_TRUE(error.description.contains(item->path())) << error.toString().toStdString();
    EXPECT_TRUE(platform_.launchControl().calls().isEmpty());
}

TEST_F(LoginItemsTest, ALabelThatIsNotAPlainNameWritesNothing) {
    auto item = std::make_shared<QSLoginItemFile>();
    item->setPath(QStringLiteral("/Applications/X.app"));
    item->setBundleID(QStringLiteral("../../escape"));
    EXPECT_TRUE(item->temporaryPlistPath().isNull());
}

TEST_F(LoginItemsTest, AListEntryEnablesOnlyItselfAndWhatLiesInsideIt) {
    platform_.loginItems().insertItemLast(QStringLiteral("/opt/bin/tool"), nullptr);
    auto item = std::make_shared<QSLoginItemFile>();
    const auto enabled = [&](const QString& path) {
        item->setPath(path);
        return QSLoginItemHelper::sharedInstance().isFileLaunchDEnabled(*item);
    };
    QSLoginItemHelper::sharedInstance().update();
    EXPECT_TRUE(enabled(QStringLiteral("/opt/bin/tool")));
    EXPECT_TRUE(enabled(QStringLiteral("/opt/bin/tool/inside")));
    EXPECT_FALSE(enabled(QStringLiteral("/opt/bin/tool-extra")));
    EXPECT_FALSE(enabled(QStringLiteral("/opt/bin/toolbox/inside")));
}

// The same switches over the real autostart folders of the fixture home.
class AutostartLoginItemsTest : public LoginItemsTest {
protected:
    void SetUp() override {
        LoginItemsTest::SetUp();
        platform::services().loginItems = std::make_shared<platform::XdgAutostartLoginItems>(
            home_.abs(QStringLiteral("config/autostart")),
            QStringList{home_.abs(QStringLiteral("xdg/autostart"))});
    }
    // A program and the user's own entry that starts it.
    QString entryStarting(const QString& program) {
        const QString path = home_.file(QStringLiteral("bin/") + program, 1);
        home_.write(QStringLiteral("config/autostart/") + program + QStringLiteral(".desktop"),
                    "# the user's\n[Desktop Entry]\nType=Application\nExec=\"" +
                        platform::encodePath(path) + "\" --now\nX-Mine=1\n");
        return path;
    }
    std::shared_ptr<QSLoginItemFile> scannedItem(const QString& path) {
        for (const auto& item : scan()) {
            if (item->path() == path) return item;
        }
        return nullptr;
    }
    QByteArray entryBytes(const QString& program) {
        return readAll(
            home_.abs(QStringLiteral("config/autostart/") + program + QStringLiteral(".desktop")));
    }
};

TEST_F(AutostartLoginItemsTest, SwitchingMatchesTheProgramExactly) {
    const QString tool = entryStarting(QStringLiteral("tool"));
    entryStarting(QStringLiteral("tool-extra"));
    entryStarting(QStringLiteral("b-tool"));
    const QByteArray extra = entryBytes(QStringLiteral("tool-extra"));
    const QByteArray own = entryBytes(QStringLiteral("b-tool"));
    const QByteArray original = entryBytes(QStringLiteral("tool"));
    const auto item = scannedItem(tool);
    ASSERT_TRUE(item && item->selected());

    item->setSelected(false);
    EXPECT_FALSE(item->selected());
    EXPECT_EQ(entryBytes(QStringLiteral("tool")), original + "Hidden=true\n");
    platform::Error error;
    EXPECT_FALSE(item->switchSelected(false, &error));  // nothing starts it any more
    EXPECT_EQ(error.code, platform::Error::kFileNoSuchFile);
    item->setSelected(true);
    EXPECT_TRUE(item->selected());
    EXPECT_EQ(entryBytes(QStringLiteral("tool")), original);
    EXPECT_EQ(entryBytes(QStringLiteral("tool-extra")), extra);
    EXPECT_EQ(entryBytes(QStringLiteral("b-tool")), own);
    const auto items = scan();
    EXPECT_EQ(items.size(), 3);
    for (const auto& each : items)
        EXPECT_TRUE(each->selected()) << each->path().toStdString();
}

TEST_F(AutostartLoginItemsTest, AFailedSwitchKeepsTheStateAndSaysWhy) {
    const QString tool = entryStarting(QStringLiteral("tool"));
    const QByteArray original = entryBytes(QStringLiteral("tool"));
    const auto item = scannedItem(tool);
    ASSERT_TRUE(item && item->selected());
    if (!makeUnwritable(home_, QStringLiteral("config/autostart")))
        GTEST_SKIP() << "the autostart folder cannot be made unwritable here";
    platform::Error error;
    EXPECT_FALSE(item->switchSelected(false, &error));
    EXPECT_TRUE(item->selected());
    EXPECT_EQ(error.code, platform::Error::kFileWriteNoPermission);
    EXPECT_TRUE(error.description.contains(QStringLiteral("tool.desktop")))
        << error.toString().toStdString();
    EXPECT_EQ(entryBytes(QStringLiteral("tool")), original);
}

class BrokenLoginItemsTest : public ::testing::Test {
protected:
    QString agent(const QString& relative, const QVariantMap& job) {
        return home_.xmlPlist(QStringLiteral("Library/LaunchAgents/") + relative, job);
    }
    QStringList brokenPaths() {
        QStringList paths;
        const QSScanResultPtr result = QSBrokenLoginItemsItem::item()->actuallyScan();
        for (const auto& file : result->detailArray()) {
            EXPECT_EQ(file->fileName(), file->path());
            EXPECT_TRUE(file->selected());
            paths.append(file->path());
        }
        paths.sort();
        return paths;
    }
    FixtureHome home_;
    FakePlatform platform_{home_.path()};
};

TEST_F(BrokenLoginItemsTest, AgentsWhoseProgramIsGoneAreBroken) {
    const QString present = home_.file(QStringLiteral("bin/tool"), 1);
    const QString gone = home_.abs(QStringLiteral("bin/gone"));
    const QString missingApp = agent(QStringLiteral("open-missing.plist"),
                                     {{QStringLiteral("ProgramArguments"),
                                       QVariantList{QStringLiteral("/usr/bin/open"), gone}}});
    agent(QStringLiteral("open-alone.plist"),
          {{QStringLiteral("ProgramArguments"), QVariantList{QStringLiteral("/usr/bin/open")}}});
    agent(QStringLiteral("ok.plist"), {{QStringLiteral("Program"), present}});
    const QString bare =
        agent(QStringLiteral("bare.plist"), {{QStringLiteral("Program"), QStringLiteral("sh")}});
    const QString nested =
        agent(QStringLiteral("sub/nested.plist"), {{QStringLiteral("Program"), gone}});
    agent(QStringLiteral("Pkg.bundle/inside.plist"), {{QStringLiteral("Program"), gone}});
    home_.write(QStringLiteral("Library/LaunchAgents/array.plist"),
                platform::xmlPropertyList(QVariantList{gone}).value());
    home_.file(QStringLiteral("Library/LaunchAgents/garbage.plist"), 10);
    const QString daemon = home_.binaryPlist(QStringLiteral("Library/LaunchDaemons/.hidden.plist"),
                                             {{QStringLiteral("Program"), gone}});
    QStringList expected{missingApp, bare, nested, daemon};
    expected.sort();
    EXPECT_EQ(brokenPaths(), expected);
}

}  // namespace
