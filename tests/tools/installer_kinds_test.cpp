#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "tests/support/fixture_home.h"
#include "tests/support/search_fixtures.h"
#include "tools/mdsearch/attributes.h"

namespace {

// The tool as a category runs it, in an environment whose XDG_DATA_DIRS hides the MIME
// database (a sandbox or a minimal session can set it so).
QStringList findWithoutMimeDatabase(const QString& folder, const QString& query) {
    QTemporaryDir cache;
    QTemporaryDir noData;
    const QByteArray saved = qgetenv("XDG_DATA_DIRS");
    qputenv("XDG_DATA_DIRS", noData.path().toUtf8());
    const ToolRun run = runSearchTool({"-0", "-cache", cache.path(), "-onlyin", folder, query});
    qputenv("XDG_DATA_DIRS", saved);
    EXPECT_TRUE(run.finished && run.exitCode == 0) << run.err.constData();
    QStringList names;
    for (const QByteArray& path : run.out.split('\0')) {
        if (!path.isEmpty()) names.append(QString::fromUtf8(path).mid(folder.size() + 1));
    }
    names.sort();
    return names;
}

TEST(InstallerKinds, ComeFromTheExtensionWhenTheMimeDatabaseIsMissing) {
    FixtureHome home;
    for (const char* name : {"a.deb", "b.RPM", "c.flatpak", "d.flatpakref", "e.snap", "f.run",
                             "g.iso", "h.dmg", "i.img", "Tool.AppImage", "notes.txt", "run"}) {
        home.file(name, 1);
    }
    EXPECT_EQ(findWithoutMimeDatabase(home.path(), "kMDItemKind == 'Installer package'"),
              (QStringList{"a.deb", "b.RPM", "c.flatpak", "d.flatpakref", "e.snap", "f.run"}));
    EXPECT_EQ(findWithoutMimeDatabase(home.path(), "kMDItemKind == 'Disk Image'"),
              (QStringList{"g.iso", "h.dmg", "i.img"}));
}

TEST(InstallerKinds, ExtensionsOfOtherFilesAreNotInstallers) {
    EXPECT_EQ(mdsearch::kindFromExtension("x.snap")->kind, mdsearch::kKindInstallerPackage);
    EXPECT_EQ(mdsearch::kindFromExtension("x.flatpakref")->contentType,
              "application/vnd.flatpak.ref");
    for (const char* name : {"x.AppImage", "x.txt", "run", "x.snapshot", "x.deb.txt"})
        EXPECT_FALSE(mdsearch::kindFromExtension(name)) << name;
}

}  // namespace
