#include <gtest/gtest.h>

#include "engine/categories/aging_files_item.h"
#include "tests/support/fake_platform.h"
#include "tests/support/fixture_home.h"
#include "tests/support/folder_fixtures.h"

namespace {

const QStringList kQuery = {QStringLiteral(
    "kMDItemUsedDates<=$time.today(-90) && kMDItemContentType=com.apple.application-bundle")};

class UnusedApplicationsTest : public ::testing::Test {
protected:
    // An application bundle under the fixture, listed by the index with these attributes.
    QString application(const QString& relative, const QString& bundle, const QVariantMap& extra) {
        const QString path = home_.appBundle(relative, bundle);
        QVariantMap attributes = extra;
        if (!bundle.isNull())
            attributes.insert(QStringLiteral("kMDItemCFBundleIdentifier"), bundle);
        platform_.metadata().setAttributes(path, attributes);
        listed_.append(path);
        platform_.metadata().setPaths(volume(), kQuery, listed_);
        return path;
    }
    QString usedDaysAgo(const QString& relative, const QString& bundle, double days) {
        return application(relative, bundle,
                           {{QStringLiteral("kMDItemLastUsedDate"),
                             QDateTime::currentDateTimeUtc().addMSecs(qint64(-days * 86400000))}});
    }
    void SetUp() override {
        previousVolume_ = volume();
        QSDiskUtilities::sharedInstance().setCurrentVolumePath(QStringLiteral("/"));
    }
    void TearDown() override {
        QSDiskUtilities::sharedInstance().setCurrentVolumePath(previousVolume_);
    }
    QString volume() const { return QSDiskUtilities::sharedInstance().currentVolumePath(); }
    QList<QSScannedFilePtr> scan() {
        return QSAgingFilesItem::item()->actuallyScan()->detailArray();
    }
    static QStringList memberPaths(const QSScannedFilePtr& group) {
        QStringList paths;
        for (const auto& member : group->files())
            paths.append(member->path());
        return paths;
    }

    FixtureHome home_;
    FakePlatform platform_{home_.path()};
    QStringList listed_;
    QString previousVolume_;
};

TEST_F(UnusedApplicationsTest, NinetyDaysIsTheThresholdAndAppleApplicationsAreNeverListed) {
    const QString old =
        usedDaysAgo(QStringLiteral("Apps/Old.app"), QStringLiteral("org.old"), 90.001);
    usedDaysAgo(QStringLiteral("Apps/Recent.app"), QStringLiteral("org.recent"), 89.9);
    usedDaysAgo(QStringLiteral("Apps/Safari.app"), QStringLiteral("com.apple.Safari"), 400);
    usedDaysAgo(QStringLiteral("Apps/NoId.app"), QString(), 400);
    const auto entries = scan();
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries[0]->path(), old);
    EXPECT_EQ(entries[0]->fileName(), u"Old.app");
    EXPECT_FALSE(entries[0]->selected());
    EXPECT_TRUE(entries[0]->lastUsedDate().isValid());
    EXPECT_FALSE(entries[0]->modificationDate().isValid());
}

TEST_F(UnusedApplicationsTest, TheLastUsedDatesEntryStandsInForAMissingLastUsedDate) {
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QString byList = application(
        QStringLiteral("A.app"), QStringLiteral("org.a"),
        {{QStringLiteral("kMDItemUsedDates"), QVariantList{now.addDays(-10), now.addDays(-200)}}});
    application(
        QStringLiteral("B.app"), QStringLiteral("org.b"),
        {{QStringLiteral("kMDItemUsedDates"), QVariantList{now.addDays(-200), now.addDays(-10)}}});
    application(QStringLiteral("C.app"), QStringLiteral("org.c"), {});
    const auto entries = scan();
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries[0]->path(), byList);
    EXPECT_EQ(entries[0]->lastUsedDate(), now.addDays(-200));
}

TEST_F(UnusedApplicationsTest, RelatedFilesMakeAGroupWithoutDuplicates) {
    const QString app = usedDaysAgo(QStringLiteral("Apps/Same.app"), QStringLiteral("Same"), 100);
    home_.file(QStringLiteral("Library/Application Support/Same/data"), 100);   // templates 1 and 2
    home_.file(QStringLiteral("Library/Caches/Same/cache"), 10);                // templates 4 and 5
    home_.file(QStringLiteral("Library/Preferences/SAME.plist"), 5);            // any letter case
    home_.file(QStringLiteral("Library/Preferences/com.apple.Same.plist"), 5);  // ignored prefix
    home_.file(QStringLiteral("Library/Preferences/org.sweepwell.Sweepwell.Same.plist"), 5);
    home_.file(QStringLiteral("Library/SyncedPreferences/same.sync.plist"), 7);
    const auto entries = scan();
    ASSERT_EQ(entries.size(), 1);
    const auto& group = entries[0];
    ASSERT_TRUE(group->isGroup());
    QStringList paths;
    for (const auto& member : group->files())
        paths.append(member->path());
    EXPECT_EQ(paths, (QStringList{
                         app, home_.abs(QStringLiteral("Library/Application Support/Same")),
                         home_.abs(QStringLiteral("Library/Caches/Same")),
                         home_.abs(QStringLiteral("Library/Preferences/SAME.plist")),
                         home_.abs(QStringLiteral("Library/SyncedPreferences/same.sync.plist"))}));
    const quint64 bundleSize = group->files().first()->fileSize();
    EXPECT_GT(bundleSize, 0u);
    EXPECT_EQ(group->fileSize(), bundleSize + 100 + 10 + 5 + 7);
}

TEST_F(UnusedApplicationsTest, AnApplicationWithoutRelatedFilesIsOneEntryOfItsOwnSize) {
    usedDaysAgo(QStringLiteral("Lonely.app"), QStringLiteral("org.lonely"), 100);
    const auto entries = scan();
    ASSERT_EQ(entries.size(), 1);
    EXPECT_FALSE(entries[0]->isGroup());
    EXPECT_EQ(entries[0]->fileSize(),
              QSDiskUtilities::sharedInstance().fileSizeForPath(entries[0]->path()));
}

TEST_F(UnusedApplicationsTest, StandardFoldersAreNeverRelatedFiles) {
    home_.file(QStringLiteral("Library/Preferences/keep.plist"), 5);
    home_.file(QStringLiteral("Library/Caches/other/keep"), 5);
    home_.file(QStringLiteral("Library/Logs/keep.log"), 5);
    usedDaysAgo(QStringLiteral("A/Preferences.app"), QStringLiteral("org.p"), 100);
    usedDaysAgo(QStringLiteral("B/Caches.app"), QStringLiteral("org.c"), 100);
    usedDaysAgo(QStringLiteral("C/Logs.app"), QStringLiteral("org.l"), 100);
    usedDaysAgo(QStringLiteral("D/...app"), QStringLiteral("org.dots"), 100);
    for (const auto& entry : scan()) {
        EXPECT_FALSE(entry->isGroup()) << entry->path().toStdString();
    }
    EXPECT_TRUE(QSAgingFilesItem::isProtectedRelatedPath(home_.path(), QString()));
    EXPECT_TRUE(QSAgingFilesItem::isProtectedRelatedPath(
        home_.abs(QStringLiteral("Library/WebKit")), QString()));
    EXPECT_FALSE(QSAgingFilesItem::isProtectedRelatedPath(
        home_.abs(QStringLiteral("Library/WebKit/x")), QString()));
}

TEST_F(UnusedApplicationsTest, AnApplicationsFolderOfOtherApplicationsIsNeverRelated) {
    const QString applications = home_.folder(QStringLiteral("Applications"));
    home_.appBundle(QStringLiteral("Applications/Utilities/Terminal.app"), QStringLiteral("org.t"));
    home_.appBundle(QStringLiteral("Applications/Utilities/Deeper/Console.app"),
                    QStringLiteral("org.c"));
    home_.appBundle(QStringLiteral("Applications/Solo/Solo.app"), QStringLiteral("org.s"));
    const auto guarded = [&](const QString& folder, const QString& app) {
        return QSAgingFilesItem::isProtectedRelatedPath(applications + u'/' + folder,
                                                        applications + u'/' + app, applications);
    };
    EXPECT_TRUE(guarded(QStringLiteral("Utilities"), QStringLiteral("Utilities/Terminal.app")));
    // A folder named after the application that holds only it stays related.
    EXPECT_FALSE(guarded(QStringLiteral("Solo"), QStringLiteral("Solo/Solo.app")));
}

TEST_F(UnusedApplicationsTest, AnIdentifierThatClimbsOutOfTheLibraryTakesNothingWithTheApp) {
    // Four levels up from a folder of ~/Library is the folder around the home.
    home_.folder(QStringLiteral("Library/Caches"));
    const QString sentinel = home_.file(QStringLiteral("../../outside/keep"), 3);
    const QString app =
        usedDaysAgo(QStringLiteral("Evil.app"), QStringLiteral("../../../../outside"), 100);
    // Scanned as the scanner does, so that the entries carry what they were.
    const auto result = scanNow(QSAgingFilesItem::item());
    ASSERT_EQ(result->detailArray().size(), 1);
    const QSScannedFilePtr entry = result->detailArray().first();
    EXPECT_FALSE(entry->isGroup()) << memberPaths(entry).join(u' ').toStdString();
    entry->setSelected(true);
    bool success = false;
    ASSERT_TRUE(deleteNow(result, &success));
    EXPECT_TRUE(success);
    EXPECT_FALSE(exists(app));
    EXPECT_TRUE(exists(sentinel));
}

TEST_F(UnusedApplicationsTest, AnIdentifierThatCouldNameAnotherFileGivesNoRelatedFiles) {
    home_.file(QStringLiteral("../../outside/keep"), 3);
    home_.file(QStringLiteral("Library/Containers/org.fox/data"), 3);
    home_.file(QStringLiteral("Library/Preferences/org.fox.plist"), 3);
    home_.file(QStringLiteral("Library/Saved Application State/..savedState"), 3);
    const auto item = QSAgingFilesItem::item();
    item->updatePreferenceFiles();
    const QString identifiers[] = {
        QStringLiteral("../../../../outside"),
        QStringLiteral("."),
        QStringLiteral(".."),
        QStringLiteral(""),
        QString(),
        QStringLiteral("Preferences/org.fox"),
        // The system reads a name up to its NUL: this would be org.fox's container.
        QStringLiteral("org.fox") + QChar(0) + QStringLiteral(".x"),
    };
    for (const QString& identifier : identifiers) {
        EXPECT_EQ(
            fileNamesOf(item->findRelatedFilesForAppNamed(QStringLiteral("Editor"), identifier)),
            QStringList())
            << QString(identifier).replace(QChar(0), u'|').toStdString();
    }
}

TEST_F(UnusedApplicationsTest, PreferencesAreTheApplicationsOnlyWhenTheirNameStartsWithIt) {
    for (const char* name : {"org.fox.plist", "ORG.FOX.plist", "org.fox.helper.plist",
                             "org.foxtrot.editor.plist", "x.org.fox.y.plist", "org.fox"}) {
        home_.file(QStringLiteral("Library/Preferences/") + QLatin1String(name), 1);
    }
    home_.file(QStringLiteral("Library/SyncedPreferences/Org.Fox.plist"), 1);
    home_.file(QStringLiteral("Library/SyncedPreferences/org.foxtrot.plist"), 1);
    const QString app = usedDaysAgo(QStringLiteral("Fox.app"), QStringLiteral("org.fox"), 100);
    const auto entries = scan();
    ASSERT_EQ(entries.size(), 1);
    QStringList related = memberPaths(entries[0]);
    ASSERT_FALSE(related.isEmpty());
    EXPECT_EQ(related.takeFirst(), app);
    related.sort();
    EXPECT_EQ(related,
              (QStringList{home_.abs(QStringLiteral("Library/Preferences/ORG.FOX.plist")),
                           home_.abs(QStringLiteral("Library/Preferences/org.fox.helper.plist")),
                           home_.abs(QStringLiteral("Library/Preferences/org.fox.plist")),
                           home_.abs(QStringLiteral("Library/SyncedPreferences/Org.Fox.plist"))}));
}

TEST_F(UnusedApplicationsTest, TheNotificationGateShutsTheCategory) {
    usedDaysAgo(QStringLiteral("Old.app"), QStringLiteral("org.old"), 400);
    platform_.setNotificationGate(false);
    const auto result = QSAgingFilesItem::item()->actuallyScan();
    EXPECT_TRUE(result->disabled());
    EXPECT_TRUE(result->path().isNull());
}

}  // namespace
