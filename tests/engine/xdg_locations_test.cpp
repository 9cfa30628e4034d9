#include <gtest/gtest.h>

#include "engine/disk_utilities.h"
#include "engine/xdg_locations.h"
#include "tests/support/folder_fixtures.h"

namespace {

TEST(XdgLocationsTest, TheUsersVariablesCountOnlyForTheirOwnHomeAndOnlyWhenAbsolute) {
    QProcessEnvironment environment;
    environment.insert("XDG_CACHE_HOME", "/fast/cache");
    environment.insert("XDG_CONFIG_HOME", "relative/config");
    const auto own = xdg::baseDirectoriesForHome("/home/ann", environment, "/home/ann");
    EXPECT_EQ(own.cacheHome, u"/fast/cache");
    EXPECT_EQ(own.configHome, u"/home/ann/.config");
    EXPECT_EQ(own.dataHome, u"/home/ann/.local/share");
    EXPECT_EQ(own.stateHome, u"/home/ann/.local/state");
    const auto other = xdg::baseDirectoriesForHome("/mnt/old/home/bob", environment, "/home/ann");
    EXPECT_EQ(other.cacheHome, u"/mnt/old/home/bob/.cache");
}

TEST(XdgLocationsTest, UserFolderLinesFollowTheFormat) {
    const QString home = "/home/ann";
    EXPECT_EQ(
        xdg::userDirectoryFromLine("XDG_DOWNLOAD_DIR=\"$HOME/Téléchargements\"", "DOWNLOAD", home),
        u"/home/ann/Téléchargements");
    EXPECT_EQ(xdg::userDirectoryFromLine("  XDG_PICTURES_DIR=\"/data/Photos \\\"2024\\\"\"",
                                         "PICTURES", home),
              u"/data/Photos \"2024\"");
    EXPECT_TRUE(
        xdg::userDirectoryFromLine("XDG_DOWNLOAD_DIR=\"Downloads\"", "DOWNLOAD", home).isNull());
    EXPECT_TRUE(
        xdg::userDirectoryFromLine("XDG_DOWNLOAD_DIR=$HOME/Downloads", "DOWNLOAD", home).isNull());
    EXPECT_TRUE(
        xdg::userDirectoryFromLine("# XDG_DOWNLOAD_DIR=\"$HOME/x\"", "DOWNLOAD", home).isNull());
    EXPECT_TRUE(
        xdg::userDirectoryFromLine("XDG_DESKTOP_DIR=\"$HOME/x\"", "DOWNLOAD", home).isNull());
}

TEST(XdgLocationsTest, TheDownloadsCategoryUsesTheTranslatedFolder) {
    FolderFixture fixture;
    FixtureHome& home = fixture.home();
    EXPECT_EQ(xdg::userDirectory(home.path(), home.abs(".config"), "DOWNLOAD"),
              home.abs("Downloads"));
    home.write(".config/user-dirs.dirs",
               "# written by xdg-user-dirs-update\n"
               "XDG_DOWNLOAD_DIR=\"$HOME/T\xc3\xa9l\xc3\xa9\x63hargements\"\n"
               "XDG_VIDEOS_DIR=\"$HOME/\"\n");
    const QString translated = home.folder("Téléchargements");
    home.folder("Downloads");
    EXPECT_TRUE(xdg::userDirectory(home.path(), home.abs(".config"), "VIDEOS").isNull())
        << "a folder switched off is never the whole home";
    QSDiskUtilities::sharedInstance().updatePaths();
    EXPECT_EQ(QSDiskUtilities::sharedInstance().downloadsPath(), translated);
}

}  // namespace
