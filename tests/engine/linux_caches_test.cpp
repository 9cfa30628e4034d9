#include <gtest/gtest.h>

#include <elf.h>
#include <sys/mount.h>
#include <QFile>

#include "engine/categories/application_caches_item.h"
#include "engine/categories/application_logs_item.h"
#include "engine/categories/browser_item.h"
#include "engine/categories/mail_downloads_item.h"
#include "tests/support/folder_fixtures.h"
#include "tests/support/linux_home_apps.h"

using namespace linux_home_apps;

namespace {

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

// What a results row does when it shows a category: ticks every entry whose category
// did not decide otherwise.
void tickAsARowDoes(const QSScanResultPtr& result) {
    for (const auto& file : result->detailArray()) {
        if (!file->hasSelectedOverride()) file->setSelected(true);
    }
}

// A tmpfs over a folder while alive; mounting needs privileges a machine may not grant.
class TmpfsGuard {
public:
    explicit TmpfsGuard(const QString& target) : target_(target.toUtf8()) {
        mounted_ = ::mount("tmpfs", target_.constData(), "tmpfs", 0, nullptr) == 0;
    }
    ~TmpfsGuard() {
        if (mounted_) ::umount2(target_.constData(), MNT_DETACH);
    }
    TmpfsGuard(const TmpfsGuard&) = delete;
    TmpfsGuard& operator=(const TmpfsGuard&) = delete;
    bool mounted() const { return mounted_; }

private:
    QByteArray target_;
    bool mounted_ = false;
};

class LinuxCachesTest : public ::testing::Test {
protected:
    FolderFixture fixture;
    FixtureHome& home = fixture.home();
};

TEST_F(LinuxCachesTest, CacheHomeEntriesAreListedBesideTheLibraryOnesExceptThoseOfOthers) {
    home.file(QStringLiteral("Library/Caches/com.example.Editor/blob"), 100);
    home.file(QStringLiteral(".cache/pip/http/a"), 40);
    home.file(QStringLiteral(".cache/thumbnails/large/b.png"), 10);
    home.file(QStringLiteral(".cache/org.gnome.Maps/tiles"), 3);
    home.file(QStringLiteral(".cache/sweepwell/index"), 5);
    home.file(QStringLiteral(".cache/doc/by-app/report.odt"), 6);
    home.file(QStringLiteral(".cache/.hidden-lock"), 1);
    firefox(home, AppHome::native(), {QStringLiteral("a1.default-release")}, 8);
    chromium(home, AppHome::native(), QStringLiteral("google-chrome"), QStringLiteral("Default"),
             9);
    thunderbird(home, QStringLiteral("t1.default"), 12);
    home.file(QStringLiteral(".cache/evolution/mail/x"), 2);

    const auto result = fixture.scan(QSApplicationCachesItem::item());

    ASSERT_EQ(sorted(fileNamesOf(result->detailArray())),
              QStringList({"com.example.Editor", "org.gnome.Maps", "pip", "thumbnails"}));
    EXPECT_EQ(named(result->detailArray(), "pip")->fileSize(), 40u);
    EXPECT_TRUE(named(result->detailArray(), "pip")->selected());
    EXPECT_TRUE(named(result->detailArray(), "pip")->identity().isValid());
    EXPECT_EQ(result->path(), home.abs(QStringLiteral("Library/Caches")));

    deleteNow(result);
    EXPECT_FALSE(exists(home.abs(QStringLiteral(".cache/pip"))));
    EXPECT_FALSE(exists(home.abs(QStringLiteral("Library/Caches/com.example.Editor"))));
    for (const char* kept : {".cache/sweepwell/index", ".cache/doc/by-app/report.odt",
                             ".cache/mozilla", ".cache/google-chrome", ".cache/thunderbird",
                             ".cache/evolution", ".cache/.hidden-lock"}) {
        EXPECT_TRUE(exists(home.abs(QString::fromLatin1(kept)))) << kept;
    }
}

TEST_F(LinuxCachesTest, WithoutALibraryTheCacheHomeIsTheCategorysFolder) {
    home.file(QStringLiteral(".cache/pip/http/a"), 40);
    const auto result = fixture.scan(QSApplicationCachesItem::item());
    EXPECT_FALSE(result->disabled());
    EXPECT_EQ(result->path(), home.abs(QStringLiteral(".cache")));
    EXPECT_EQ(fileNamesOf(result->detailArray()), QStringList({"pip"}));
}

TEST_F(LinuxCachesTest, SandboxAndElectronCachesAreListedWithoutTheSettingsBesideThem) {
    home.file(QStringLiteral(".var/app/org.gimp.GIMP/cache/gegl-0.4/swap"), 20);
    home.file(QStringLiteral(".var/app/org.gimp.GIMP/config/GIMP/gimprc"), 4);
    // A sandbox that holds a browser: its browser cache is the browser category's.
    firefox(home, AppHome::flatpak(QStringLiteral("org.mozilla.firefox")),
            {QStringLiteral("f1.default")}, 5);
    home.file(QStringLiteral(".var/app/org.mozilla.firefox/cache/fontconfig/x"), 3);
    home.file(QStringLiteral("snap/spotify/common/.cache/spotify/Data/blob"), 7);
    home.file(QStringLiteral("snap/spotify/current/.config/prefs"), 2);
    home.file(QStringLiteral(".config/Code/Cache/Cache_Data/f"), 8);
    home.file(QStringLiteral(".config/Code/Code Cache/js/g"), 9);
    home.file(QStringLiteral(".config/Code/CachedData/abc/h"), 10);
    home.file(QStringLiteral(".config/Code/User/settings.json"), 11);
    home.file(QStringLiteral(".config/Code/Local Storage/leveldb/1.log"), 12);
    // A link in place of a sandbox leads outside what the user sees as caches.
    home.file(QStringLiteral("Elsewhere/cache/precious"), 1);
    home.symlink(QStringLiteral(".var/app/org.example.Linked"), home.abs("Elsewhere"));

    const auto result = fixture.scan(QSApplicationCachesItem::item());

    ASSERT_EQ(sorted(fileNamesOf(result->detailArray())),
              QStringList({"Code/Cache", "Code/CachedData", "Code/Code Cache", "org.gimp.GIMP",
                           "org.mozilla.firefox/fontconfig", "spotify"}));
    EXPECT_EQ(named(result->detailArray(), "org.gimp.GIMP")->path(),
              home.abs(".var/app/org.gimp.GIMP/cache"));
    EXPECT_EQ(named(result->detailArray(), "spotify")->fileSize(), 7u);

    deleteNow(result);
    EXPECT_FALSE(exists(home.abs(".var/app/org.gimp.GIMP/cache")));
    EXPECT_FALSE(exists(home.abs(".config/Code/Cache")));
    for (const char* kept :
         {".var/app/org.gimp.GIMP/config/GIMP/gimprc", ".config/Code/User/settings.json",
          ".config/Code/Local Storage/leveldb/1.log", "snap/spotify/current/.config/prefs",
          ".var/app/org.mozilla.firefox/cache/mozilla/firefox/f1.default/cache2",
          "Elsewhere/cache/precious"}) {
        EXPECT_TRUE(exists(home.abs(QString::fromLatin1(kept)))) << kept;
    }
}

TEST_F(LinuxCachesTest, OnlyFoldersWithAValidTagAreListedAndEachOnlyOnce) {
    home.file(QStringLiteral(".cache/pip/http/a"), 1);
    const QString target = taggedFolder(home, QStringLiteral("src/app/target"), true, 50);
    const QString nested = taggedFolder(home, QStringLiteral("src/app/target/debug"), true, 5);
    const QString forged = taggedFolder(home, QStringLiteral("Documents/thesis"), false, 70);
    const QString listed = taggedFolder(home, QStringLiteral(".cache/pip"), true, 3);
    home.file(QStringLiteral("Documents/notes/real.txt"), 4);
    home.symlink(QStringLiteral("Documents/notes/CACHEDIR.TAG"), target);
    answerTagSearch(home, {nested, forged, listed, target,
                           home.abs(QStringLiteral("Documents/notes/CACHEDIR.TAG"))});
    // The index leaves hidden folders out: the tools' folders in the home are looked at.
    taggedFolder(home, QStringLiteral(".ccache"), true, 8);
    taggedFolder(home, QStringLiteral(".gradle/caches"), true, 9);
    taggedFolder(home, QStringLiteral(".local/share/app/deeper/still"), true, 10);

    const auto result = fixture.scan(QSApplicationCachesItem::item());

    ASSERT_EQ(fileNamesOf(result->detailArray()),
              QStringList({"pip", ".ccache", ".gradle/caches", "src/app/target"}));
    const quint64 tagSize = readAll(target).size();
    EXPECT_EQ(named(result->detailArray(), "src/app/target")->fileSize(), 55u + 2 * tagSize);
    deleteNow(result);
    EXPECT_FALSE(exists(home.abs(QStringLiteral("src/app/target"))));
    EXPECT_TRUE(exists(home.abs(QStringLiteral("src/app"))));
    EXPECT_FALSE(exists(home.abs(QStringLiteral(".gradle/caches"))));
    EXPECT_TRUE(exists(home.abs(QStringLiteral(".gradle"))));
    EXPECT_TRUE(exists(home.abs(QStringLiteral(".local/share/app/deeper/still"))));
    EXPECT_TRUE(exists(forged));
    EXPECT_TRUE(exists(home.abs(QStringLiteral("Documents/notes/real.txt"))));
}

TEST_F(LinuxCachesTest, NoOtherMountedFileSystemIsListed) {
    home.file(QStringLiteral(".cache/pip/http/a"), 4);
    home.file(QStringLiteral(".var/app/org.example.App/cache/own"), 2);
    const QStringList mounts{".cache/portal", ".config/App/Cache",
                             ".var/app/org.example.App/cache/mounted", "src/mounted"};
    std::vector<std::unique_ptr<TmpfsGuard>> guards;
    for (const QString& mount : mounts) {
        guards.push_back(std::make_unique<TmpfsGuard>(home.folder(mount)));
        if (!guards.back()->mounted()) GTEST_SKIP() << "mounting is not permitted here";
        home.file(mount + QStringLiteral("/precious"), 1);
    }
    answerTagSearch(home, {taggedFolder(home, QStringLiteral("src/mounted"), true, 3)});

    const auto result = fixture.scan(QSApplicationCachesItem::item());

    EXPECT_EQ(sorted(fileNamesOf(result->detailArray())),
              QStringList({"org.example.App/own", "pip"}));
    deleteNow(result);
    for (const QString& mount : mounts)
        EXPECT_TRUE(exists(home.abs(mount + QStringLiteral("/precious")))) << mount.toStdString();
}

TEST_F(LinuxCachesTest, ACacheHomeThatIsALinkIsFollowedOnceAndItsEntriesRemoved) {
    home.file(QStringLiteral("dotfiles/cache/pip/http/a"), 40);
    home.symlink(QStringLiteral(".cache"), home.abs(QStringLiteral("dotfiles/cache")));
    const auto result = fixture.scan(QSApplicationCachesItem::item());
    ASSERT_EQ(fileNamesOf(result->detailArray()), QStringList({"pip"}));
    EXPECT_EQ(result->detailArray().first()->fileSize(), 40u);
    bool success = false;
    deleteNow(result, &success);
    EXPECT_TRUE(success);
    EXPECT_FALSE(exists(home.abs(QStringLiteral("dotfiles/cache/pip"))));
    EXPECT_TRUE(exists(home.abs(QStringLiteral(".cache"))));
}

TEST_F(LinuxCachesTest, LogsAreListedWithoutTheHistoriesAndStateBesideThem) {
    home.file(QStringLiteral(".xsession-errors.old"), 10);
    home.file(QStringLiteral(".local/state/nvim/log"), 5);
    home.file(QStringLiteral(".local/state/nvim/shada/main.shada"), 6);
    home.file(QStringLiteral(".local/state/nvim/swap/%home%notes.txt.swp"), 6);
    home.file(QStringLiteral(".local/state/nvim/undo/%home%notes.txt"), 6);
    home.file(QStringLiteral(".local/state/wireplumber/wireplumber.log"), 3);
    home.file(QStringLiteral(".local/state/wireplumber/restore-stream"), 6);
    home.file(QStringLiteral(".local/state/syncthing/logs/2024-05-01.txt"), 4);
    home.file(QStringLiteral(".local/state/bash/history.log"), 6);
    home.file(QStringLiteral(".local/state/zsh/history"), 6);
    home.file(QStringLiteral(".local/state/sweepwell/crashes/report.log"), 6);
    home.file(QStringLiteral(".local/share/xorg/Xorg.0.log"), 2);
    home.file(QStringLiteral(".local/share/xorg/Xorg.0.log.old"), 1);
    home.file(QStringLiteral(".config/Code/Crashpad/completed/r.dmp"), 20);
    home.file(QStringLiteral(".config/google-chrome/Crash Reports/pending/p.dmp"), 21);
    home.file(QStringLiteral(".mozilla/firefox/Crash Reports/InstallTime2024"), 22);
    home.file(QStringLiteral(".mozilla/firefox/a1.default/minidumps/m.dmp"), 23);
    home.file(QStringLiteral(".mozilla/firefox/a1.default/places.sqlite"), 6);
    home.file(QStringLiteral("Library/Logs/com.example.Editor/today.log"), 1);
    elfFile(home, QStringLiteral("core"), ET_CORE, false, 64);
    elfFile(home, QStringLiteral("core.4242"), ET_CORE, true, 32);
    elfFile(home, QStringLiteral("core.77"), ET_EXEC, false, 32);
    home.write(QStringLiteral("core.1234"), "not an ELF file at all");
    home.file(QStringLiteral("core.txt"), 5);

    const auto result = fixture.scan(QSApplicationLogsItem::item());

    EXPECT_EQ(
        sorted(fileNamesOf(result->detailArray())),
        QStringList({".config/Code/Crashpad", ".config/google-chrome/Crash Reports",
                     ".local/share/xorg/Xorg.0.log", ".local/share/xorg/Xorg.0.log.old",
                     ".local/state/nvim/log", ".local/state/syncthing/logs",
                     ".local/state/wireplumber/wireplumber.log", ".mozilla/firefox/Crash Reports",
                     ".mozilla/firefox/a1.default/minidumps", ".xsession-errors.old",
                     "com.example.Editor", "core", "core.4242"}));
    for (const auto& file : result->detailArray())
        EXPECT_TRUE(file->selected()) << file->fileName().toStdString();

    deleteNow(result);
    EXPECT_FALSE(exists(home.abs(QStringLiteral("core"))));
    EXPECT_FALSE(exists(home.abs(QStringLiteral(".local/state/nvim/log"))));
    for (const char* kept :
         {".local/state/nvim/shada/main.shada", ".local/state/nvim/swap", ".local/state/nvim/undo",
          ".local/state/wireplumber/restore-stream", ".local/state/bash/history.log",
          ".local/state/zsh/history", ".local/state/sweepwell/crashes/report.log",
          ".mozilla/firefox/a1.default/places.sqlite", "core.77", "core.1234", "core.txt"}) {
        EXPECT_TRUE(exists(home.abs(QString::fromLatin1(kept)))) << kept;
    }
}

TEST_F(LinuxCachesTest, TheSessionLogIsListedOnlyWhileNoProcessHoldsItOpen) {
    const QString log = home.file(QStringLiteral(".xsession-errors"), 10);
    {
        QFile open(log);
        ASSERT_TRUE(open.open(QIODevice::Append));
        EXPECT_TRUE(QSApplicationLogsItem::isOpenByAnyProcess(log));
        EXPECT_TRUE(fixture.scan(QSApplicationLogsItem::item())->detailArray().isEmpty());
    }
    EXPECT_FALSE(QSApplicationLogsItem::isOpenByAnyProcess(log));
    const auto result = fixture.scan(QSApplicationLogsItem::item());
    EXPECT_EQ(fileNamesOf(result->detailArray()), QStringList({".xsession-errors"}));
}

TEST_F(LinuxCachesTest, BrowsersAreFoundByTheirProfilesAndOnlyTheirCachesAreListed) {
    const AppHome native = AppHome::native();
    firefox(home, native, {QStringLiteral("a1.default-release"), QStringLiteral("b2.work")}, 10);
    chromium(home, native, QStringLiteral("google-chrome"), QStringLiteral("Default"), 20);
    chromium(home, native, QStringLiteral("BraveSoftware/Brave-Browser"),
             QStringLiteral("Profile 1"), 30);
    // A profile path that climbs out of the profiles folder names no cache of Firefox's.
    home.file(QStringLiteral(".cache/mozilla/Documents/cache2/thesis.odt"), 40);
    home.write(QStringLiteral(".librewolf/profiles.ini"),
               "[Profile0]\nIsRelative=1\nPath=../.cache/mozilla/Documents\n");

    const auto result = fixture.scan(QSBrowserItem::item());

    ASSERT_EQ(fileNamesOf(result->detailArray()),
              QStringList({"Firefox", "Google Chrome", "Brave"}));
    const auto firefoxGroup = result->detailArray().at(0);
    EXPECT_EQ(fileNamesOf(firefoxGroup->files()),
              QStringList({"a1.default-release/cache2", "a1.default-release/startupCache",
                           "b2.work/cache2", "b2.work/startupCache"}));
    EXPECT_EQ(firefoxGroup->fileSize(), 40u);
    const auto chrome = result->detailArray().at(1);
    EXPECT_EQ(
        sorted(fileNamesOf(chrome->files())),
        QStringList({"Default/Cache", "Default/Code Cache", "Default/GPUCache", "ShaderCache"}));
    EXPECT_EQ(chrome->fileSize(), 80u);
    EXPECT_EQ(chrome->icon(), QStringLiteral("google-chrome"));
    EXPECT_FALSE(chrome->hasSelectedOverride());

    tickAsARowDoes(result);
    deleteNow(result);
    EXPECT_FALSE(exists(home.abs(QStringLiteral(".cache/google-chrome/Default/Cache"))));
    EXPECT_FALSE(exists(home.abs(QStringLiteral(".cache/mozilla/firefox/b2.work/cache2"))));
    QStringList userData =
        firefoxUserData(native, QStringLiteral("a1.default-release")) +
        chromiumUserData(native, QStringLiteral("google-chrome"), QStringLiteral("Default")) +
        chromiumUserData(native, QStringLiteral("BraveSoftware/Brave-Browser"),
                         QStringLiteral("Profile 1"));
    userData << QStringLiteral(".cache/mozilla/Documents/cache2/thesis.odt");
    for (const QString& kept : userData)
        EXPECT_TRUE(exists(home.abs(kept))) << kept.toStdString();
}

TEST_F(LinuxCachesTest, ARunningBrowsersGroupIsListedUntickedAndSandboxedOnesApart) {
    const AppHome native = AppHome::native();
    const AppHome flatpak = AppHome::flatpak(QStringLiteral("org.chromium.Chromium"));
    const AppHome snap = AppHome::snap(QStringLiteral("firefox"));
    firefox(home, native, {QStringLiteral("a1.default")}, 10);
    firefoxRunning(home, native, QStringLiteral("a1.default"));
    chromium(home, flatpak, QStringLiteral("chromium"), QStringLiteral("Default"), 20);
    chromiumRunning(home, flatpak, QStringLiteral("chromium"));
    firefox(home, snap, {QStringLiteral("s1.default")}, 30);
    // A Chromium snap keeps its settings, and its lock, in the snap's own folder.
    home.file(QStringLiteral("snap/chromium/common/.cache/chromium/Default/Cache/data_0"), 40);
    home.symlink(QStringLiteral("snap/chromium/common/chromium/SingletonLock"),
                 QStringLiteral("host-4343"));

    const auto result = fixture.scan(QSBrowserItem::item());
    tickAsARowDoes(result);

    ASSERT_EQ(fileNamesOf(result->detailArray()),
              QStringList({"Firefox (in use)", "Chromium (org.chromium.Chromium) (in use)",
                           "Chromium (chromium) (in use)", "Firefox (firefox)"}));
    for (const auto& group : result->detailArray().mid(0, 3)) {
        EXPECT_FALSE(group->selected());
        for (const auto& entry : group->files())
            EXPECT_FALSE(entry->selected());
    }
    EXPECT_TRUE(result->detailArray().at(3)->selected());
    EXPECT_EQ(result->filesToRemove().size(), 2);

    deleteNow(result);
    EXPECT_TRUE(exists(home.abs(QStringLiteral(".cache/mozilla/firefox/a1.default/cache2"))));
    EXPECT_TRUE(exists(home.abs(flatpak.cache + QStringLiteral("/chromium/Default/Cache"))));
    EXPECT_TRUE(
        exists(home.abs(QStringLiteral("snap/chromium/common/.cache/chromium/Default/Cache"))));
    EXPECT_FALSE(
        exists(home.abs(snap.cache + QStringLiteral("/mozilla/firefox/s1.default/cache2"))));
}

TEST_F(LinuxCachesTest, MailCachesNeverReachTheMailStores) {
    thunderbird(home, QStringLiteral("t1.default"), 12);
    thunderbird(home, QStringLiteral("t2.work"), 13);
    thunderbirdRunning(home, QStringLiteral("t2.work"));
    home.file(QStringLiteral(".cache/evolution/mail/1a2b/folders/INBOX/cur/x"), 14);
    home.file(QStringLiteral(".local/share/evolution/mail/local/cur/y"), 15);

    const auto result = fixture.scan(QSMailDownloadsItem::item());

    ASSERT_EQ(sorted(fileNamesOf(result->detailArray())),
              QStringList({"Evolution", "Thunderbird/t1.default", "Thunderbird/t2.work (in use)"}));
    EXPECT_EQ(result->path(), home.abs(QStringLiteral(".cache/thunderbird")));
    tickAsARowDoes(result);
    EXPECT_FALSE(named(result->detailArray(), "Thunderbird/t2.work (in use)")->selected());

    deleteNow(result);
    EXPECT_FALSE(exists(home.abs(QStringLiteral(".cache/thunderbird/t1.default"))));
    EXPECT_FALSE(exists(home.abs(QStringLiteral(".cache/evolution"))));
    EXPECT_TRUE(exists(home.abs(QStringLiteral(".cache/thunderbird/t2.work/cache2"))));
    QStringList kept =
        mailStores(QStringLiteral("t1.default")) + mailStores(QStringLiteral("t2.work"));
    kept << QStringLiteral(".local/share/evolution/mail/local/cur/y");
    for (const QString& path : kept)
        EXPECT_TRUE(exists(home.abs(path))) << path.toStdString();
}

}  // namespace
