#include <gtest/gtest.h>

#include <QThread>

#include "platform/desktop_entry.h"
#include "platform/file_manager.h"
#include "platform/linux_workspace.h"
#include "tests/support/fixture_home.h"
#include "tests/support/folder_fixtures.h"

namespace {

using platform::DesktopEntry;
using platform::LinuxWorkspace;

class LinuxWorkspaceTest : public ::testing::Test {
protected:
    LinuxWorkspace workspace() const {
        return LinuxWorkspace(
            {{home.abs(QStringLiteral("Applications")), home.abs(QStringLiteral("More"))},
             {home.abs(QStringLiteral("user/applications")),
              home.abs(QStringLiteral("system/applications"))}});
    }
    QString desktopEntry(const QString& relative, const QByteArray& text) {
        return home.write(relative, "[Desktop Entry]\n" + text);
    }

    FixtureHome home;
};

TEST_F(LinuxWorkspaceTest, BundlesAreFoundInApplicationFoldersAndTheirPlainSubfolders) {
    const QString top = home.appBundle(QStringLiteral("Applications/Editor.app"),
                                       QStringLiteral("com.example.Editor"));
    const QString nested = home.appBundle(QStringLiteral("More/Utilities/Tool.app"),
                                          QStringLiteral("com.example.Tool"));
    home.appBundle(QStringLiteral("Applications/Suite.bundle/Inner.app"),
                   QStringLiteral("com.example.Inner"));
    home.appBundle(QStringLiteral("Applications/a/b/c/d/Deep.app"),
                   QStringLiteral("com.example.Deep"));
    home.appBundle(QStringLiteral("Downloads/Loose.app"), QStringLiteral("com.example.Loose"));
    const LinuxWorkspace ws = workspace();

    EXPECT_EQ(ws.urlForApplicationWithBundleIdentifier(QStringLiteral("com.example.Editor")), top);
    EXPECT_EQ(ws.urlForApplicationWithBundleIdentifier(QStringLiteral("com.example.Tool")), nested);
    EXPECT_TRUE(
        ws.urlForApplicationWithBundleIdentifier(QStringLiteral("com.example.Inner")).isNull());
    EXPECT_TRUE(
        ws.urlForApplicationWithBundleIdentifier(QStringLiteral("com.example.Deep")).isNull());
    EXPECT_TRUE(
        ws.urlForApplicationWithBundleIdentifier(QStringLiteral("com.example.Loose")).isNull());
}

TEST_F(LinuxWorkspaceTest, InstallingAndRemovingApplicationsIsSeenAtTheNextLookUp) {
    home.folder(QStringLiteral("Applications/Vendor"));
    const LinuxWorkspace ws = workspace();
    EXPECT_TRUE(
        ws.urlForApplicationWithBundleIdentifier(QStringLiteral("com.example.New")).isNull());

    // Folder times have a coarse clock on some file systems: make the change visible.
    QThread::msleep(20);
    const QString bundle = home.appBundle(QStringLiteral("Applications/Vendor/New.app"),
                                          QStringLiteral("com.example.New"));
    EXPECT_EQ(ws.urlForApplicationWithBundleIdentifier(QStringLiteral("com.example.New")), bundle);

    std::vector<platform::RemovalFailure> failures;
    platform::removeDirectory(bundle, false, &failures);
    ASSERT_TRUE(failures.empty());
    EXPECT_TRUE(
        ws.urlForApplicationWithBundleIdentifier(QStringLiteral("com.example.New")).isNull());
}

TEST_F(LinuxWorkspaceTest, DesktopEntriesCountWhenTheFirstOneWithTheIdIsAVisibleApplication) {
    const QString user = desktopEntry(QStringLiteral("user/applications/org.example.Paint.desktop"),
                                      "Type=Application\nName=Paint\nIcon=org.example.Paint\n");
    desktopEntry(QStringLiteral("system/applications/org.example.Paint.desktop"),
                 "Type=Application\n");
    desktopEntry(QStringLiteral("user/applications/org.example.Removed.desktop"),
                 "Type=Application\nHidden=true\n");
    desktopEntry(QStringLiteral("system/applications/org.example.Removed.desktop"),
                 "Type=Application\n");
    desktopEntry(QStringLiteral("system/applications/org.example.Link.desktop"), "Type=Link\n");
    desktopEntry(QStringLiteral("system/applications/org.example.Gone.desktop"),
                 "Type=Application\nTryExec=/nonexistent/gone-program\n");
    const LinuxWorkspace ws = workspace();

    EXPECT_EQ(ws.urlForApplicationWithBundleIdentifier(QStringLiteral("org.example.Paint")), user);
    EXPECT_EQ(ws.iconForFile(user), QStringLiteral("org.example.Paint"));
    for (const char* id : {"org.example.Removed", "org.example.Link", "org.example.Gone",
                           "../user/applications/org.example.Paint", ""}) {
        EXPECT_TRUE(ws.urlForApplicationWithBundleIdentifier(QString::fromLatin1(id)).isNull())
            << id;
    }
}

TEST_F(LinuxWorkspaceTest, IconsAreReferencesToImageFilesOrThemeNames) {
    const QString withIcon = home.appBundle(
        QStringLiteral("Applications/Editor.app"), QStringLiteral("com.example.Editor"),
        {{QStringLiteral("CFBundleIconFile"), QStringLiteral("Editor")}});
    const QString icns =
        home.file(QStringLiteral("Applications/Editor.app/Contents/Resources/Editor.icns"), 8);
    const QString withoutIcon =
        home.appBundle(QStringLiteral("Applications/Bare.app"), QStringLiteral("com.example.Bare"));
    const QString text = home.file(QStringLiteral("notes.txt"), 4);
    const LinuxWorkspace ws = workspace();

    EXPECT_EQ(ws.iconForFile(withIcon), icns);
    EXPECT_EQ(ws.iconForFile(withoutIcon), QStringLiteral("application-x-executable"));
    EXPECT_EQ(ws.iconForFile(home.folder(QStringLiteral("Documents"))), QStringLiteral("folder"));
    EXPECT_EQ(ws.iconForFile(text), QStringLiteral("text-plain"));
    EXPECT_TRUE(ws.iconForFile(home.abs(QStringLiteral("missing"))).isEmpty());
}

TEST_F(LinuxWorkspaceTest, StandardFoldersFollowTheHomeFolderService) {
    FolderFixture fixture;
    const auto folders = LinuxWorkspace::standardFolders();
    EXPECT_EQ(folders.applicationFolders,
              QStringList({QStringLiteral("/Applications"),
                           fixture.home().abs(QStringLiteral("Applications"))}));
    EXPECT_TRUE(folders.desktopEntryFolders.contains(QStringLiteral("/usr/share/applications")) ||
                !qgetenv("XDG_DATA_DIRS").isEmpty());
}

TEST(DesktopEntryTest, ReadsTheMainGroupWithEscapes) {
    const auto entry = DesktopEntry::parse(
        "# comment\n[Desktop Entry]\nName = Two\\sWords\nName=Second\nExec=run\\\\it\n"
        "Comment[de]=Hallo\n\n[Desktop Action new]\nName=Other\n");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->value(QStringLiteral("Name")), QStringLiteral("Two Words"));
    EXPECT_EQ(entry->value(QStringLiteral("Exec")), QStringLiteral("run\\it"));
    EXPECT_EQ(entry->value(QStringLiteral("Comment[de]")), QStringLiteral("Hallo"));
    EXPECT_EQ(entry->value(QStringLiteral("Name"), QStringLiteral("Desktop Action new")),
              QStringLiteral("Other"));
    EXPECT_TRUE(entry->value(QStringLiteral("Icon")).isNull());
    EXPECT_FALSE(DesktopEntry::parse("Name=No group\n[Other]\nA=b\n"));
}

}  // namespace
