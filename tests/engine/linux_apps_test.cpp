#include <gtest/gtest.h>

#include <sys/mount.h>
#include <cstdio>

#include "engine/categories/aging_files_item.h"
#include "engine/categories/leftover_item.h"
#include "engine/categories/linux_applications.h"
#include "platform/editable_desktop_file.h"
#include "tests/support/folder_fixtures.h"
#include "tests/support/linux_home_flatpak.h"

using namespace linux_home_flatpak;
using Kind = platform::FlatpakInstallation::Kind;

namespace {

QDateTime daysAgo(double days) {
    return QDateTime::currentDateTimeUtc().addMSecs(qint64(-days * 86400000));
}

QSScannedFilePtr named(const QList<QSScannedFilePtr>& files, const QString& name) {
    for (const auto& file : files) {
        if (file->fileName() == name) return file;
    }
    return nullptr;
}

QStringList sorted(QStringList names) {
    names.sort();
    return names;
}

QStringList failureTexts(const QSRemovedItemPtr& removed) {
    QStringList texts;
    for (const auto& record : removed->failedFiles())
        texts.append(record->error()->description);
    return texts;
}

class LinuxAppsTest : public ::testing::Test {
protected:
    void SetUp() override {
        previousVolume_ = QSDiskUtilities::sharedInstance().currentVolumePath();
        QSDiskUtilities::sharedInstance().setCurrentVolumePath(QStringLiteral("/"));
    }
    void TearDown() override {
        QSDiskUtilities::sharedInstance().setCurrentVolumePath(previousVolume_);
    }
    QSScanResultPtr scanUnused() { return fixture.scan(QSAgingFilesItem::item()); }
    QSScanResultPtr scanLeftovers() { return fixture.scan(QSLeftoverItem::item()); }

    FolderFixture fixture;
    FixtureHome& home = fixture.home();
    QString previousVolume_;
};

TEST_F(LinuxAppsTest, DataOfApplicationsInstalledNowhereIsALeftoverNamedAfterTheApplication) {
    auto& flatpak = useFixtureSystem(home, true);
    deploy(home, kUserInstallation, QStringLiteral("org.gnome.Installed"), 4, daysAgo(3));
    deploy(home, kSystemInstallation, QStringLiteral("org.kde.SystemWide"), 4, daysAgo(3));
    deploy(home, kExtraInstallation, QStringLiteral("com.example.OnCard"), 4, daysAgo(3));
    // Half uninstalled (no deployment left): still the installation's to finish.
    home.folder(kUserInstallation + QStringLiteral("/app/org.example.Half"));
    appStream(home, kSystemInstallation, QStringLiteral("flathub"),
              {{QStringLiteral("com.valvesoftware.Steam.desktop"), QStringLiteral("Steam")}});
    for (const char* id :
         {"org.gnome.Installed", "org.kde.SystemWide", "com.example.OnCard", "org.example.Half",
          "com.valvesoftware.Steam", "org.example.NoCatalogue"}) {
        home.file(QStringLiteral(".var/app/%1/data/save.dat").arg(QLatin1String(id)), 30);
    }
    home.file(QStringLiteral(".var/app/scratch/notes.txt"), 5);
    home.file(QStringLiteral("Elsewhere/precious"), 5);
    home.symlink(QStringLiteral(".var/app/org.example.Linked"), home.abs("Elsewhere"));
    home.file(QStringLiteral(".config/org.example.Gone/settings.ini"), 5);
    home.file(QStringLiteral(".local/share/org.example.Gone/db"), 5);
    installSnap(home, QStringLiteral("firefox"));
    home.file(QStringLiteral("snap/firefox/common/.mozilla/profile"), 6);
    home.file(QStringLiteral("snap/spotify/common/.config/spotify/prefs"), 7);

    const auto result = scanLeftovers();

    ASSERT_EQ(sorted(fileNamesOf(result->detailArray())),
              QStringList({"NoCatalogue", "Steam", "spotify"}));
    const auto steam = named(result->detailArray(), "Steam");
    EXPECT_EQ(steam->path(), home.abs(".var/app/com.valvesoftware.Steam"));
    EXPECT_EQ(steam->fileSize(), 30u);
    EXPECT_TRUE(steam->identity().isValid());
    for (const auto& file : result->detailArray())
        EXPECT_FALSE(file->selected()) << file->fileName().toStdString();
    EXPECT_EQ(named(result->detailArray(), "spotify")->path(), home.abs("snap/spotify"));

    steam->setSelected(true);
    deleteNow(result);
    EXPECT_FALSE(exists(home.abs(".var/app/com.valvesoftware.Steam")));
    for (const char* kept : {".var/app/org.example.NoCatalogue/data/save.dat",
                             ".var/app/org.gnome.Installed/data/save.dat", "snap/spotify",
                             "Elsewhere/precious", ".config/org.example.Gone/settings.ini"}) {
        EXPECT_TRUE(exists(home.abs(QString::fromLatin1(kept)))) << kept;
    }
    EXPECT_TRUE(flatpak.calls().isEmpty());
}

TEST_F(LinuxAppsTest, WithoutKnowingWhereSnapsAreInstalledNoSnapIsALeftover) {
    useFixtureSystem(home).snaps.clear();
    home.file(QStringLiteral("snap/spotify/common/.config/spotify/prefs"), 7);
    EXPECT_TRUE(scanLeftovers()->detailArray().isEmpty());
}

TEST_F(LinuxAppsTest, UnusedFlatpaksCarryTheirLastUseAndLeaveOnlyThroughFlatpak) {
    auto& flatpak = useFixtureSystem(home);
    flatpak.act = platform::fakes::FakeFlatpakInstallations::removeApplicationFolder;
    const QString game =
        deploy(home, kUserInstallation, QStringLiteral("org.example.Game"), 40, daysAgo(500));
    const QString save = flatpakData(home, QStringLiteral("org.example.Game"),
                                     QStringLiteral("data/saves/slot1.sav"), 3, daysAgo(200));
    // A walk of the data (a backup's, our own) moves the folders' access times.
    home.setAccessDate(QStringLiteral(".var/app/org.example.Game/data/saves"), daysAgo(0));
    deploy(home, kUserInstallation, QStringLiteral("org.example.Recent"), 5, daysAgo(500));
    flatpakData(home, QStringLiteral("org.example.Recent"), QStringLiteral("config/x"), 1,
                daysAgo(5));
    const QString viewer =
        deploy(home, kSystemInstallation, QStringLiteral("org.example.Viewer"), 20, daysAgo(300));
    deploy(home, kSystemInstallation, QStringLiteral("org.example.New"), 5, daysAgo(10));
    appStream(home, kUserInstallation, QStringLiteral("flathub"),
              {{QStringLiteral("org.example.Game"), QStringLiteral("Space Game")}});

    const auto result = scanUnused();

    ASSERT_EQ(
        sorted(fileNamesOf(result->detailArray())),
        QStringList({"Space Game (Flatpak, user installation; last use of its data)",
                     "Viewer (Flatpak, system installation; installed, never opened since)"}));
    const auto gameEntry = result->detailArray().first();
    EXPECT_EQ(gameEntry->path(), game);
    EXPECT_FALSE(gameEntry->selected());
    EXPECT_NEAR(gameEntry->lastUsedDate().secsTo(daysAgo(200)), 0, 5);
    EXPECT_NEAR(result->detailArray().last()->lastUsedDate().secsTo(daysAgo(300)), 0, 5);
    EXPECT_GE(gameEntry->fileSize(), 40u);

    for (const auto& entry : result->detailArray())
        entry->setSelected(true);
    bool success = false;
    const auto removed = deleteNow(result, &success);
    ASSERT_TRUE(success);
    EXPECT_TRUE(removed->failedFiles().isEmpty())
        << failureTexts(removed).join(u'\n').toStdString();
    ASSERT_EQ(flatpak.calls().size(), 2);
    EXPECT_EQ(flatpak.calls()[0].id, u"org.example.Game");
    EXPECT_EQ(flatpak.calls()[0].installation.kind, Kind::User);
    EXPECT_EQ(flatpak.calls()[1].id, u"org.example.Viewer");
    EXPECT_EQ(flatpak.calls()[1].installation.kind, Kind::System);
    EXPECT_FALSE(exists(game));
    EXPECT_FALSE(exists(viewer));
    // The game's saves are the person's: a later scan offers them as a leftover, unticked.
    EXPECT_TRUE(exists(save));
    EXPECT_EQ(removed->size(),
              result->detailArray()[0]->fileSize() + result->detailArray()[1]->fileSize());
}

TEST_F(LinuxAppsTest, AFlatpakStillInstalledOrChangedSinceTheScanIsNeverReportedRemoved) {
    auto& flatpak = useFixtureSystem(home);
    const QString kept =
        deploy(home, kUserInstallation, QStringLiteral("org.example.Kept"), 4, daysAgo(200));
    const QString refused =
        deploy(home, kUserInstallation, QStringLiteral("org.example.Refused"), 4, daysAgo(200));
    const QString replaced =
        deploy(home, kUserInstallation, QStringLiteral("org.example.Replaced"), 4, daysAgo(200));
    flatpak.act = [](const platform::FlatpakInstallation&, const QString& id, QString* failure) {
        if (id != u"org.example.Refused") return true;
        *failure = QStringLiteral("error: Not authorized");
        return false;
    };
    const auto result = scanUnused();
    ASSERT_EQ(result->detailArray().size(), 3);
    for (const auto& entry : result->detailArray())
        entry->setSelected(true);
    // Reinstalled after the scan: another folder in its place.
    ASSERT_EQ(::rename(replaced.toUtf8().constData(), (replaced + ".old").toUtf8().constData()), 0);
    deploy(home, kUserInstallation, QStringLiteral("org.example.Replaced"), 4, daysAgo(200));

    const auto removed = deleteNow(result);

    EXPECT_EQ(removed->size(), 0u);
    EXPECT_EQ(sorted(failureTexts(removed)),
              sorted({"flatpak uninstall failed: error: Not authorized",
                      "flatpak uninstall left org.example.Kept installed",
                      platform::Error::changedSinceScan().description}));
    ASSERT_EQ(flatpak.calls().size(), 2);
    EXPECT_NE(flatpak.calls()[0].id, u"org.example.Replaced");
    EXPECT_NE(flatpak.calls()[1].id, u"org.example.Replaced");
    for (const QString& app : {kept, refused, replaced})
        EXPECT_TRUE(exists(app + QStringLiteral("/current/active"))) << app.toStdString();
}

TEST_F(LinuxAppsTest, UnusedAppImagesGoWithTheLaunchersAndIconsThatAreOnlyTheirs) {
    const QString krita = appImage(home, QStringLiteral("Applications/Krita.AppImage"), 64,
                                   daysAgo(200), daysAgo(300));
    const QString editor =
        appImage(home, QStringLiteral("Tools/My Editor.AppImage"), 32, daysAgo(120), daysAgo(400));
    appImage(home, QStringLiteral(".local/bin/tool.AppImage"), 16, daysAgo(3), daysAgo(300));
    const QString downloaded =
        appImage(home, QStringLiteral("Downloads/Old.AppImage"), 8, daysAgo(100), daysAgo(100));
    // An ELF program that is no AppImage, and a script: never offered.
    home.write(QStringLiteral(".local/bin/helper"), QByteArray("\x7f"
                                                               "ELF\x02\x01\x01\0\0\0\0\0",
                                                               12));
    home.setAccessDate(QStringLiteral(".local/bin/helper"), daysAgo(400));
    home.write(QStringLiteral("Applications/run.sh"), "#!/bin/sh\n");
    home.setAccessDate(QStringLiteral("Applications/run.sh"), daysAgo(400));
    const QString kritaLauncher =
        launcher(home, QStringLiteral("krita"), krita + QStringLiteral(" %F"),
                 QStringLiteral("krita-appimage"));
    const QString kritaSecond =
        launcher(home, QStringLiteral("krita-sketch"), krita, QStringLiteral("shared-icon"));
    const QString gimp = launcher(home, QStringLiteral("gimp"), QStringLiteral("/usr/bin/gimp %U"),
                                  QStringLiteral("shared-icon"));
    const QString editorLauncher =
        launcher(home, QStringLiteral("editor"), u'"' + editor + QStringLiteral("\" --new %U"),
                 home.abs(QStringLiteral("Tools/editor.png")));
    home.file(QStringLiteral("Tools/editor.png"), 2);
    const QString ownIcon =
        home.file(QStringLiteral(".local/share/icons/hicolor/256x256/apps/krita-appimage.png"), 3);
    const QString sharedIcon =
        home.file(QStringLiteral(".local/share/icons/hicolor/48x48/apps/shared-icon.png"), 4);

    const auto first = scanUnused();
    // Looking at an AppImage must not count as opening it.
    const auto result = scanUnused();

    EXPECT_EQ(fileNamesOf(first->detailArray()), fileNamesOf(result->detailArray()));
    ASSERT_EQ(fileNamesOf(result->detailArray()),
              QStringList({"Krita.AppImage (last opened)", "Old.AppImage (last opened)",
                           "My Editor.AppImage (last opened)"}));
    const auto kritaEntry = result->detailArray()[0];
    EXPECT_NEAR(kritaEntry->lastUsedDate().secsTo(daysAgo(200)), 0, 5);
    EXPECT_FALSE(kritaEntry->selected());
    EXPECT_EQ(entryPathsOf(kritaEntry->files()),
              QStringList({krita, kritaSecond, kritaLauncher, ownIcon}));
    EXPECT_FALSE(result->detailArray()[1]->isGroup());
    EXPECT_EQ(result->detailArray()[1]->path(), downloaded);
    EXPECT_EQ(entryPathsOf(result->detailArray()[2]->files()),
              QStringList({editor, editorLauncher, home.abs(QStringLiteral("Tools/editor.png"))}));

    for (const auto& entry : result->detailArray())
        entry->setSelected(true);
    deleteNow(result);
    for (const QString& gone : {krita, kritaLauncher, kritaSecond, ownIcon, editor, downloaded})
        EXPECT_FALSE(exists(gone)) << gone.toStdString();
    for (const QString& stays : {gimp, sharedIcon, home.abs(QStringLiteral(".local/bin/helper"))})
        EXPECT_TRUE(exists(stays)) << stays.toStdString();
}

TEST_F(LinuxAppsTest, WhereTheMountRecordsNoOpeningsTheChangeDateIsUsedAndSaid) {
    const QString applications = home.folder(QStringLiteral("Applications"));
    if (::mount("tmpfs", applications.toUtf8().constData(), "tmpfs", MS_NOATIME, nullptr) != 0) {
        GTEST_SKIP() << "mounting is not permitted here";
    }
    appImage(home, QStringLiteral("Applications/Old.AppImage"), 8, daysAgo(1), daysAgo(200));
    const auto entries = scanUnused()->detailArray();
    ::umount2(applications.toUtf8().constData(), MNT_DETACH);
    ASSERT_EQ(fileNamesOf(entries),
              QStringList({"Old.AppImage (last changed; openings not recorded)"}));
    EXPECT_NEAR(entries[0]->lastUsedDate().secsTo(daysAgo(200)), 0, 5);
}

TEST(ExecProgramTest, TheFirstArgumentUnderTheDesktopEntryQuotingRules) {
    using platform::execProgram;
    EXPECT_EQ(execProgram(QStringLiteral("/opt/app/run --flag %U")), u"/opt/app/run");
    EXPECT_EQ(execProgram(QStringLiteral("  \"/home/u/My Apps/a b.AppImage\" %F")),
              u"/home/u/My Apps/a b.AppImage");
    EXPECT_EQ(execProgram(QStringLiteral(R"("/x/say \"hi\" \\ \$HOME")")),
              u"/x/say \"hi\" \\ $HOME");
    EXPECT_EQ(execProgram(QStringLiteral("\"\" next")), u"");
    EXPECT_TRUE(execProgram(QStringLiteral("   ")).isNull());
}

}  // namespace
