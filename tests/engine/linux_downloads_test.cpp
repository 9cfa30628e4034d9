#include <gtest/gtest.h>

#include <memory>

#include "engine/categories/dmg_item.h"
#include "engine/categories/partial_downloads_item.h"
#include "engine/categories/screenshot_item.h"
#include "engine/disk_utilities.h"
#include "platform/fakes/fakes.h"
#include "tests/support/fixture_home.h"
#include "tests/support/folder_fixtures.h"
#include "tests/support/linux_home_trash.h"
#include "tests/support/search_fixtures.h"

namespace {

constexpr qint64 kTwoHours = 2 * 60 * 60;

QSScannedFilePtr entryNamed(const QSScanResultPtr& result, const QString& name) {
    for (const auto& file : result->detailArray()) {
        if (file->fileName() == name) return file;
    }
    return nullptr;
}

QStringList sortedNames(const QSScanResultPtr& result) {
    QStringList names = fileNamesOf(result->detailArray());
    names.sort();
    return names;
}

TEST(LinuxPartialDownloads, FindsDownloadManagersFilesAndKeepsRunningOnesUnticked) {
    FixtureHome home;
    linux_home::fileChangedAgo(home, "Downloads/debian.iso.aria2", 10, kTwoHours);
    linux_home::fileChangedAgo(home, "Downloads/debian.iso", 300, kTwoHours);
    linux_home::fileChangedAgo(home, "Downloads/film.mkv.!qB", 40, kTwoHours);
    const QString open = linux_home::fileChangedAgo(home, "Downloads/app.crdownload", 5, kTwoHours);
    linux_home::fileChangedAgo(home, "Downloads/page.download/data", 6, kTwoHours);
    home.setModificationDate("Downloads/page.download",
                             QDateTime::currentDateTime().addSecs(-kTwoHours));
    home.file("Downloads/fresh.part", 7);
    linux_home::fileChangedAgo(home, "Downloads/finished.zip", 8, kTwoHours);
    SearchPlatform platform(home.path());
    platform::services().openFiles =
        std::make_shared<platform::fakes::FakeOpenFiles>(QStringList{open});

    const QSScanResultPtr result = scanNow(QSPartialDownloadsItem::item());

    EXPECT_EQ(sortedNames(result), (QStringList{"app.crdownload", "debian.iso", "debian.iso.aria2",
                                                "film.mkv.!qB", "fresh.part", "page.download"}));
    for (const auto& file : result->detailArray()) {
        const bool running =
            file->fileName() == "app.crdownload" || file->fileName() == "fresh.part";
        EXPECT_FALSE(file->selected()) << file->fileName().toStdString();
        EXPECT_EQ(file->hasSelectedOverride(), running) << file->fileName().toStdString();
    }
    EXPECT_EQ(entryNamed(result, "debian.iso")->fileSize(), 300u);
}

TEST(LinuxPartialDownloads, AFileOpenInsideADownloadFolderKeepsTheFolderUnticked) {
    FixtureHome home;
    const QString inside =
        linux_home::fileChangedAgo(home, "Big.zip.download/Big.zip", 9, kTwoHours);
    home.setModificationDate("Big.zip.download", QDateTime::currentDateTime().addSecs(-kTwoHours));
    SearchPlatform platform(home.path());
    // A sibling whose name merely begins like the folder's is not inside it.
    platform::services().openFiles = std::make_shared<platform::fakes::FakeOpenFiles>(
        QStringList{home.abs("Big.zip.download-old/Big.zip")});
    QSScanResultPtr result = scanNow(QSPartialDownloadsItem::item());
    ASSERT_EQ(fileNamesOf(result->detailArray()), QStringList{"Big.zip.download"});
    EXPECT_FALSE(result->detailArray().first()->hasSelectedOverride());

    platform::services().openFiles =
        std::make_shared<platform::fakes::FakeOpenFiles>(QStringList{inside});
    result = scanNow(QSPartialDownloadsItem::item());
    ASSERT_EQ(fileNamesOf(result->detailArray()), QStringList{"Big.zip.download"});
    EXPECT_TRUE(result->detailArray().first()->hasSelectedOverride());
}

TEST(LinuxScreenshots, EverythingInTheCaptureToolsFoldersOfTheTranslatedUserFolders) {
    FixtureHome home;
    linux_home::userDirectories(home, {{"PICTURES", "Bilder"}, {"VIDEOS", "Filme"}});
    home.file("Bilder/Screenshots/Bildschirmfoto vom 2026-01-02.png", 11);
    home.file("Filme/Screencasts/Bildschirmaufzeichnung.webm", 12);
    home.file("Filme/Screencasts/.hidden.webm", 13);
    home.file("Bilder/Screenshots/Album/kept.png", 14);
    home.file("Bilder/holiday.jpg", 15);
    // The English names are not the user's folders here.
    home.file("Pictures/Screenshots/other.png", 16);
    SearchPlatform platform(home.path());

    const QSScanResultPtr result = scanNow(QSScreenshotItem::item());

    EXPECT_EQ(sortedNames(result),
              (QStringList{"Bildschirmaufzeichnung.webm", "Bildschirmfoto vom 2026-01-02.png"}));
    for (const auto& file : result->detailArray())
        EXPECT_FALSE(file->selected());
}

TEST(LinuxScreenshots, ACaptureFoundBothWaysIsListedOnce) {
    FixtureHome home;
    home.folder("Pictures/Screenshots");
    writePng(home.abs("Pictures/Screenshots/Screenshot from 2026-01-02 10-11-12.png"),
             {{"Software", "gnome-screenshot"}});
    SearchPlatform platform(home.path());
    EXPECT_EQ(fileNamesOf(scanNow(QSScreenshotItem::item())->detailArray()),
              QStringList{"Screenshot from 2026-01-02 10-11-12.png"});
}

TEST(LinuxInstallers, FlatpakSnapAndShellInstallersAndInstalledDebianPackages) {
    FixtureHome home;
    for (const char* name : {"org.gimp.GIMP.flatpakref", "app.flatpak", "tool_1.0_amd64.snap",
                             "setup.run", "curl_8.0_amd64.deb", "vim_9.0_amd64.deb",
                             "zoom_6.1_amd64.deb", "Tool.AppImage", "notes.txt"}) {
        home.file(QStringLiteral("Downloads/") + name, 3);
    }
    SearchPlatform platform(home.path());
    auto packages = std::make_shared<platform::fakes::FakeDebianPackages>();
    packages->setPackageOfFile(home.abs("Downloads/curl_8.0_amd64.deb"), {"curl", "8.0"});
    packages->setPackageOfFile(home.abs("Downloads/vim_9.0_amd64.deb"), {"vim", "9.0"});
    packages->setInstalled({{"curl", "8.0"}, {"vim", "9.1"}, {"bash", "5.2"}});
    platform::services().debianPackages = packages;

    const QSScanResultPtr result = scanNow(QSDMGItem::item());

    EXPECT_EQ(sortedNames(result),
              (QStringList{"app.flatpak", "curl_8.0_amd64.deb (installed)",
                           "org.gimp.GIMP.flatpakref", "setup.run", "tool_1.0_amd64.snap",
                           "vim_9.0_amd64.deb", "zoom_6.1_amd64.deb"}));
    // Each read starts a dpkg-deb: a package that is not installed is never read.
    EXPECT_EQ(packages->filesRead().size(), 2);
    // The name only tells; the path is still the file's.
    EXPECT_EQ(entryNamed(result, "curl_8.0_amd64.deb (installed)")->path(),
              home.abs("Downloads/curl_8.0_amd64.deb"));
    for (const auto& file : result->detailArray())
        EXPECT_FALSE(file->selected());
}

}  // namespace
