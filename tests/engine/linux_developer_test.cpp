#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <cstdlib>

#include "engine/categories/developer_item.h"
#include "engine/categories/git_checkouts.h"
#include "engine/disk_utilities.h"
#include "platform/file_path.h"
#include "tests/support/folder_fixtures.h"
#include "tests/support/linux_home_developer.h"

using namespace linux_home_developer;

namespace {

QSScannedFilePtr named(const QList<QSScannedFilePtr>& files, const QString& name) {
    for (const auto& file : files) {
        if (file->fileName() == name) return file;
    }
    return nullptr;
}

// "group: member, member" for each group, in order.
QStringList groupsOf(const QList<QSScannedFilePtr>& files) {
    QStringList groups;
    for (const auto& file : files)
        groups.append(file->fileName() + QStringLiteral(": ") +
                      fileNamesOf(file->files()).join(u','));
    return groups;
}

int modeOf(const QString& path) {
    struct stat st;
    return ::lstat(platform::encodePath(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

void expectAllExist(const FixtureHome& home, const QStringList& paths) {
    for (const QString& path : paths)
        EXPECT_TRUE(exists(home.abs(path))) << path.toStdString();
}

class LinuxDeveloperTest : public ::testing::Test {
protected:
    QList<QSScannedFilePtr> scanned() {
        const auto result = fixture.scan(QSDeveloperItem::item());
        return result ? result->detailArray() : QList<QSScannedFilePtr>();
    }
    FolderFixture fixture;
    FixtureHome& home = fixture.home();
};

TEST_F(LinuxDeveloperTest, ToolCachesAreGroupedByToolAndRemovedWithoutTheToolsOwnFiles) {
    toolCaches(home, 10);
    // A link in a cache's place leads out of the tool's folder.
    home.file(QStringLiteral("Documents/sccache-notes/n.txt"), 1);
    ASSERT_TRUE(QDir(home.abs(QStringLiteral(".cache/sccache"))).removeRecursively());
    home.symlink(QStringLiteral(".cache/sccache"),
                 home.abs(QStringLiteral("Documents/sccache-notes")));

    const auto result = fixture.scan(QSDeveloperItem::item());

    ASSERT_TRUE(result);
    EXPECT_EQ(groupsOf(result->detailArray()),
              QStringList({"Gradle: .gradle/caches", "Maven: .m2/repository",
                           "npm: .npm/_cacache,.npm/_logs", "Yarn: .cache/yarn,.yarn/berry/cache",
                           "pnpm: .local/share/pnpm/store,.cache/pnpm", "pip: .cache/pip",
                           "Cargo: .cargo/registry/cache,.cargo/registry/src,.cargo/git/checkouts",
                           "Go: .cache/go-build", "ccache: .cache/ccache,.ccache"}));
    const auto maven = named(result->detailArray(), QStringLiteral("Maven"));
    EXPECT_FALSE(maven->selected());
    EXPECT_TRUE(maven->hasSelectedOverride());
    const auto cargo = named(result->detailArray(), QStringLiteral("Cargo"));
    EXPECT_TRUE(cargo->selected());
    EXPECT_EQ(cargo->fileSize(), 30u);
    EXPECT_TRUE(cargo->files().first()->identity().isValid());

    deleteNow(result);
    for (const char* gone : {".gradle/caches", ".npm/_cacache", ".cache/pip", ".cargo/registry/src",
                             ".cache/go-build", ".ccache"}) {
        EXPECT_FALSE(exists(home.abs(QString::fromLatin1(gone)))) << gone;
    }
    expectAllExist(home,
                   toolUserData() + QStringList{".m2/repository/org/x/x-1.jar", ".cache/sccache",
                                                "Documents/sccache-notes/n.txt"});
}

TEST_F(LinuxDeveloperTest, OnlyOlderGradleWrappersAndCachesOfReplacedIdesThatAreGone) {
    for (const char* dist : {"gradle-7.6-bin", "gradle-8.5-all", "gradle-8.10-bin", "custom"})
        home.file(QStringLiteral(".gradle/wrapper/dists/%1/abc/gradle.zip").arg(dist), 5);
    home.file(QStringLiteral(".gradle/daemon/8.10/daemon-123.out.log"), 7);
    home.file(QStringLiteral(".gradle/daemon/8.10/registry.bin"), 1);
    for (const char* ide : {"IntelliJIdea2023.1", "IntelliJIdea2023.3", "IntelliJIdea2024.2",
                            "PyCharm2022.3", "Fleet"}) {
        home.file(QStringLiteral(".cache/JetBrains/%1/caches/x").arg(ide), 3);
    }
    // The Toolbox still has 2023.3 installed; 2024.2 is installed nowhere that tells.
    home.write(QStringLiteral(".local/share/JetBrains/Toolbox/apps/IDEA-U/ch-0/233.1/"
                              "product-info.json"),
               R"({"name": "IntelliJ IDEA", "dataDirectoryName": "IntelliJIdea2023.3"})");

    EXPECT_EQ(groupsOf(scanned()), QStringList({"Gradle: .gradle/wrapper/dists/gradle-7.6-bin,"
                                                ".gradle/wrapper/dists/gradle-8.5-all,"
                                                ".gradle/daemon/8.10/daemon-123.out.log",
                                                "JetBrains: .cache/JetBrains/IntelliJIdea2023.1"}));
}

TEST_F(LinuxDeveloperTest, BuildOutputsAreListedByTheirMarkersOnlyAndGroupedByProject) {
    QStringList sources = cargoProject(home, QStringLiteral("src/rusty"), true, 50);
    sources += cmakeProject(home, QStringLiteral("src/engine"), QStringLiteral("out/release"), 40);
    sources += nodeProject(home, QStringLiteral("web/site"), true, 30);
    sources += pythonProject(home, QStringLiteral("py/tool"), 2);
    // Look-alikes without their marker are the user's own.
    const QStringList lookAlikes =
        cargoProject(home, QStringLiteral("src/forged"), false, 9) +
        nodeProject(home, QStringLiteral("web/loose"), false, 9) +
        QStringList{
            home.file(QStringLiteral("Documents/build/report.pdf"), 9),
            home.file(QStringLiteral("Documents/.pytest_cache_notes/n"), 9),
            home.file(QStringLiteral("venv/lib/python3.11/site-packages/x/__pycache__/a.pyc"), 9)};
    home.write(QStringLiteral("venv/pyvenv.cfg"), "home = /usr/bin\n");
    // An output inside an output is part of it.
    home.file(QStringLiteral("web/site/node_modules/py/__pycache__/b.pyc"), 4);
    // Go's module cache is a tool cache, never walked for outputs.
    home.file(QStringLiteral("go/pkg/mod/example.com/m@v1/__pycache__/c.pyc"), 4);

    const auto result = fixture.scan(QSDeveloperItem::item());

    ASSERT_TRUE(result);
    EXPECT_EQ(
        groupsOf(result->detailArray()),
        QStringList({"Go: go/pkg/mod",
                     "py/tool: .mypy_cache,.pytest_cache,.ruff_cache,.tox,app/__pycache__",
                     "src/engine: out/release", "src/rusty: target", "web/site: node_modules"}));
    EXPECT_EQ(named(result->detailArray(), QStringLiteral("web/site"))->fileSize(), 34u);
    deleteNow(result);
    for (const char* gone : {"src/rusty/target", "src/engine/out/release", "web/site/node_modules",
                             "py/tool/.tox", "py/tool/app/__pycache__"}) {
        EXPECT_FALSE(exists(home.abs(QString::fromLatin1(gone)))) << gone;
    }
    expectAllExist(home,
                   sources + QStringList{"src/forged/target/debug/app",
                                         "web/loose/node_modules/left-pad/index.js",
                                         "venv/lib/python3.11/site-packages/x/__pycache__/a.pyc"});
    for (const QString& path : lookAlikes)
        EXPECT_TRUE(exists(path.startsWith(u'/') ? path : home.abs(path))) << path.toStdString();
}

TEST_F(LinuxDeveloperTest, NeitherALinkNorAnotherMountIsFollowedToAnOutput) {
    FixtureHome elsewhere;
    cargoProject(elsewhere, QStringLiteral("outside"), true, 5);
    home.symlink(QStringLiteral("linked"), elsewhere.abs(QStringLiteral("outside")));
    home.symlink(QStringLiteral("web/linked-build"),
                 elsewhere.abs(QStringLiteral("outside/target")));
    home.write(QStringLiteral("web/package.json"), "{}");
    home.symlink(QStringLiteral("web/node_modules"), elsewhere.abs(QStringLiteral("outside")));
    EXPECT_TRUE(scanned().isEmpty());

    nodeProject(home, QStringLiteral("web/mounted"), true, 1);
    if (::mount(
            "tmpfs",
            platform::encodePath(home.abs(QStringLiteral("web/mounted/node_modules"))).constData(),
            "tmpfs", 0, nullptr) != 0) {
        GTEST_SKIP() << "mounting is not permitted here";
    }
    home.file(QStringLiteral("web/mounted/node_modules/precious"), 1);
    const auto files = scanned();
    ::umount2(
        platform::encodePath(home.abs(QStringLiteral("web/mounted/node_modules"))).constData(),
        MNT_DETACH);
    EXPECT_TRUE(files.isEmpty()) << groupsOf(files).join(u';').toStdString();
}

TEST_F(LinuxDeveloperTest, InsideACheckoutOnlyWhatItDoesNotTrackIsListed) {
    const QString project = QStringLiteral("src/action");
    const QStringList sources = nodeProject(home, project, true, 10);
    cargoProject(home, project, true, 20);
    home.write(project + QStringLiteral("/.gitignore"), "target/\n");
    // Some projects commit their dependencies: those are the checkout's files.
    if (!git(home.abs(project), {QStringLiteral("init"), QStringLiteral("-q")}) ||
        !git(home.abs(project), {QStringLiteral("add"), QStringLiteral(".")})) {
        GTEST_SKIP() << "git is not installed";
    }
    EXPECT_EQ(groupsOf(scanned()), QStringList({"src/action: target"}));

    // The same answer from the index's compressed form.
    ASSERT_TRUE(git(home.abs(project), {QStringLiteral("update-index"),
                                        QStringLiteral("--index-version"), QStringLiteral("4")}));
    QSGitCheckouts checkouts(home.path());
    EXPECT_TRUE(checkouts.tracksNothingIn(home.abs(project + QStringLiteral("/target"))));
    EXPECT_FALSE(checkouts.tracksNothingIn(home.abs(project + QStringLiteral("/node_modules"))));
    EXPECT_FALSE(checkouts.tracksNothingIn(home.abs(project + QStringLiteral("/package.json"))));
    EXPECT_TRUE(checkouts.tracksNothingIn(home.abs(QStringLiteral("src/elsewhere"))));
}

TEST_F(LinuxDeveloperTest, ACheckoutWhoseIndexCannotBeReadHasNothingListed) {
    cargoProject(home, QStringLiteral("src/app"), true, 20);
    cargoProject(home, QStringLiteral("src/fresh"), true, 20);
    home.write(QStringLiteral("src/app/.git/index"),
               QByteArray("DIRC\0\0\0\x02\0\0\0\x09garbage", 19));
    // A repository before its first commit has no index and tracks nothing yet.
    home.folder(QStringLiteral("src/fresh/.git"));
    EXPECT_EQ(groupsOf(scanned()), QStringList({"src/fresh: target"}));
    EXPECT_FALSE(QSGitCheckouts::indexPaths(QByteArray("DIRC\0\0\0\x02\0\0\0\x01", 12), 20));
}

// Go makes its module cache read-only; its owner must still be able to remove it, but
// nothing beyond the removed folder may have its permissions changed.
TEST_F(LinuxDeveloperTest, AReadOnlyModuleCacheIsRemovedByItsOwnerAndNothingElseIsOpenedUp) {
    const QString modules = readOnlyGoModules(home);
    home.file(QStringLiteral("Documents/kept/notes.txt"), 1);
    home.setMode(QStringLiteral("Documents/kept"), 0555);
    home.symlink(QStringLiteral("go/pkg/mod/example.com/notes"), home.abs("Documents/kept"));
    // The same for a folder removed without a scan behind it.
    home.file(QStringLiteral("Downloads/unpacked/tool/bin"), 1);
    home.setMode(QStringLiteral("Downloads/unpacked/tool"), 0555);
    const auto go = named(scanned(), QStringLiteral("Go"));
    ASSERT_TRUE(go);
    const QSScannedFilePtr cache = go->files().first();
    ASSERT_EQ(cache->path(), modules);
    const bool asRoot = ScopedUnprivileged::runningAsRoot();
    if (asRoot) {
        ASSERT_EQ(::system(("chown -R " + QString::number(ScopedUnprivileged::unprivilegedUid()) +
                            " '" + home.root() + "'")
                               .toUtf8()
                               .constData()),
                  0);
        // A folder of somebody else inside stays as it is.
        home.file(QStringLiteral("go/pkg/mod/foreign/f"), 1);
        home.setMode(QStringLiteral("go/pkg/mod/foreign"), 0555);
    }
    platform::Error error;
    bool removed = false;
    bool unpackedRemoved = false;
    {
        ScopedUnprivileged unprivileged;
        auto& disk = QSDiskUtilities::sharedInstance();
        removed = disk.removeItemAtPath(cache->path(), cache->identity(), &error);
        unpackedRemoved =
            disk.removeItemAtPath(home.abs(QStringLiteral("Downloads/unpacked")), false, nullptr);
    }
    EXPECT_EQ(removed, !asRoot) << error.toString().toStdString();
    EXPECT_TRUE(unpackedRemoved);
    EXPECT_FALSE(exists(home.abs(QStringLiteral("Downloads/unpacked"))));
    EXPECT_FALSE(exists(home.abs(QStringLiteral("go/pkg/mod/example.com/m@v1.0.0"))));
    EXPECT_TRUE(exists(home.abs(QStringLiteral("Documents/kept/notes.txt"))));
    EXPECT_EQ(modeOf(home.abs(QStringLiteral("Documents/kept"))), 0555);
    if (asRoot) {
        EXPECT_TRUE(exists(home.abs(QStringLiteral("go/pkg/mod/foreign/f"))));
        EXPECT_EQ(modeOf(home.abs(QStringLiteral("go/pkg/mod/foreign"))), 0555);
    }
}

}  // namespace
