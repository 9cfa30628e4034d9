#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <atomic>
#include <fstream>
#include <thread>

#include "platform/file_path.h"
#include "platform/unique_fd.h"
#include "tests/support/fixture_home.h"
#include "tests/support/search_fixtures.h"
#include "tools/mdsearch/index_refresh.h"
#include "tools/mdsearch/index_store.h"

namespace {

const QString kLargeQuery = QStringLiteral("kMDItemFSSize >= 1000");

// Searches one fixture home through the tool, with an index cache of its own.
class IndexTest : public ::testing::Test {
protected:
    ToolRun search(const QString& query = kLargeQuery, double windowSeconds = 0) {
        return runSearchTool(arguments(query, windowSeconds));
    }

    QStringList arguments(const QString& query, double windowSeconds) const {
        return {"-debug",  "-cache",     cache_.path(), "-window", QString::number(windowSeconds),
                "-onlyin", home_.path(), query};
    }

    QStringList found(const ToolRun& run) const {
        QStringList names;
        for (const QString& path : run.lines())
            names.append(path.mid(home_.path().size() + 1));
        return names;
    }

    QString indexFile() const {
        const QStringList files = QDir(cache_.path()).entryList({"*.index"}, QDir::Files);
        return files.size() == 1 ? cache_.path() + "/" + files.first() : QString();
    }

    void settle(const QString& relative) {
        home_.setModificationDate(relative, QDateTime::currentDateTime().addSecs(-600));
    }

    FixtureHome home_;
    QTemporaryDir cache_;
};

// An index of the folder, just refreshed, that lists a great many small files that are not
// there: reading it takes long enough for another process to truncate it meanwhile.
mdsearch::BuiltIndex largeIndexOf(const std::string& rootPath) {
    using mdsearch::IndexNode;
    constexpr uint32_t kFiles = 400000;
    const platform::UniqueFd fd(::open(rootPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    mdsearch::BuiltIndex index;
    index.rootPath = rootPath;
    index.root = mdsearch::identityOf(fd.get()).value_or(mdsearch::RootIdentity());
    index.refreshedAt = QDateTime::currentMSecsSinceEpoch() * 1'000'000;
    IndexNode root{};
    root.parent = mdsearch::kNoNode;
    root.end = kFiles + 1;
    root.type = uint8_t(mdsearch::ItemType::Folder);
    index.nodes.push_back(root);
    for (uint32_t i = 1; i <= kFiles; ++i) {
        IndexNode file{};
        file.parent = 0;
        file.end = i + 1;
        file.type = uint8_t(mdsearch::ItemType::File);
        file.size = 1;
        const std::string name = "f" + std::to_string(i);
        file.nameOffset = uint32_t(index.strings.size());
        file.nameLength = uint32_t(name.size());
        index.strings += name;
        index.nodes.push_back(file);
    }
    return index;
}

// Whether the process has the file open or mapped.
bool holdsFile(qint64 pid, const std::string& file) {
    const std::string proc = "/proc/" + std::to_string(pid);
    std::ifstream maps(proc + "/maps");
    for (std::string line; std::getline(maps, line);) {
        if (line.ends_with(" " + file)) return true;
    }
    DIR* fds = opendir((proc + "/fd").c_str());
    if (!fds) return false;
    bool held = false;
    while (const dirent* entry = readdir(fds)) {
        char target[4096];
        const ssize_t n = readlinkat(dirfd(fds), entry->d_name, target, sizeof target);
        if (n > 0 && std::string_view(target, size_t(n)) == file) held = true;
    }
    closedir(fds);
    return held;
}

bool refreshed(const ToolRun& run) {
    return run.err.contains(": refreshed (");
}
bool answeredFromIndex(const ToolRun& run) {
    return run.err.contains("answered from the index");
}

}  // namespace

TEST_F(IndexTest, SeesFilesAddedRemovedGrownAndRenamedSinceTheLastRefresh) {
    home_.sparseFile("docs/keep.bin", 5000);
    home_.sparseFile("docs/gone.bin", 5000);
    home_.sparseFile("docs/old-name.bin", 5000);
    home_.sparseFile("stable/grows.bin", 10);
    settle("stable");
    settle("docs");
    ToolRun first = search();
    EXPECT_EQ(first.exitCode, 0);
    EXPECT_EQ(found(first), (QStringList{"docs/gone.bin", "docs/keep.bin", "docs/old-name.bin"}));

    ASSERT_EQ(::unlink(qPrintable(home_.abs("docs/gone.bin"))), 0);
    ASSERT_EQ(::rename(qPrintable(home_.abs("docs/old-name.bin")),
                       qPrintable(home_.abs("docs/new-name.bin"))),
              0);
    home_.sparseFile("docs/added.bin", 5000);
    ASSERT_EQ(::truncate(qPrintable(home_.abs("stable/grows.bin")), 5000), 0);
    settle("docs");
    const ToolRun second = search();
    EXPECT_TRUE(refreshed(second)) << second.err.constData();
    EXPECT_EQ(found(second), (QStringList{"docs/added.bin", "docs/keep.bin", "docs/new-name.bin",
                                          "stable/grows.bin"}));
    // The folder whose entries did not change was not listed again, yet its grown file
    // was seen.
    EXPECT_TRUE(second.err.contains("reused 1;") || second.err.contains("reused 2;"))
        << second.err.constData();
}

TEST_F(IndexTest, AnswersWithinTheWindowWithoutWalking) {
    home_.sparseFile("a.bin", 5000);
    const ToolRun first = search(kLargeQuery, 3600);
    EXPECT_TRUE(refreshed(first));
    home_.sparseFile("b.bin", 5000);
    const ToolRun inside = search(kLargeQuery, 3600);
    EXPECT_TRUE(answeredFromIndex(inside)) << inside.err.constData();
    EXPECT_EQ(found(inside), QStringList{"a.bin"});
    // Another query of the same folder shares the index.
    EXPECT_TRUE(answeredFromIndex(search("kMDItemDisplayName == '*.bin'", 3600)));
    const ToolRun outside = search(kLargeQuery, 0);
    EXPECT_TRUE(refreshed(outside));
    EXPECT_EQ(found(outside), (QStringList{"a.bin", "b.bin"}));
}

TEST_F(IndexTest, ConcurrentRunsShareOneRefresh) {
    for (int i = 0; i < 300; ++i)
        home_.sparseFile(QStringLiteral("f/%1/x.bin").arg(i), 5000);
    QList<QProcess*> runs;
    for (int i = 0; i < 8; ++i) {
        auto* process = new QProcess;
        process->start(searchToolPath(), arguments(kLargeQuery, 3600));
        runs.append(process);
    }
    int refreshes = 0;
    for (QProcess* process : runs) {
        ASSERT_TRUE(process->waitForFinished(120000));
        EXPECT_EQ(process->exitCode(), 0);
        if (process->readAllStandardError().contains(": refreshed (")) ++refreshes;
        EXPECT_EQ(process->readAllStandardOutput().count('\n'), 300);
        delete process;
    }
    EXPECT_EQ(refreshes, 1);
}

TEST_F(IndexTest, NeverTrustsACorruptOrOlderIndex) {
    home_.sparseFile("a.bin", 5000);
    ASSERT_TRUE(refreshed(search()));
    const QString file = indexFile();
    ASSERT_FALSE(file.isEmpty());
    QFile index(file);
    ASSERT_TRUE(index.open(QIODevice::ReadOnly));
    const QByteArray sound = index.readAll();
    index.close();

    QByteArray flipped = sound;
    flipped[flipped.size() / 2] = char(flipped[flipped.size() / 2] ^ 0x40);
    QByteArray older = sound;
    older[8] = char(older[8] - 1);  // the format version
    const QList<QByteArray> damaged = {
        flipped,        older,        sound.left(sound.size() / 2),
        sound.left(40), QByteArray(), QByteArray(sound.size(), '\x5a')};
    for (const QByteArray& content : damaged) {
        ASSERT_TRUE(index.open(QIODevice::WriteOnly | QIODevice::Truncate));
        index.write(content);
        index.close();
        const ToolRun run = search(kLargeQuery, 3600);
        EXPECT_TRUE(refreshed(run)) << run.err.constData();
        EXPECT_EQ(found(run), QStringList{"a.bin"});
    }
}

TEST_F(IndexTest, ARunThatDiedLeavesNeitherLockNorLeftovers) {
    home_.sparseFile("a.bin", 5000);
    ASSERT_TRUE(refreshed(search()));
    const QString file = indexFile();
    // A run killed while refreshing: it held the lock and had begun its new index. The
    // shell takes the lock on its own descriptor and becomes the sleeper, so one process
    // holds it.
    QProcess holder;
    holder.start("sh", {"-c", "exec 9>\"$0\" && flock 9 && exec sleep 600", file + ".lock"});
    ASSERT_TRUE(holder.waitForStarted());
    QFile leftover(file + ".tmp.99999");
    ASSERT_TRUE(leftover.open(QIODevice::WriteOnly));
    leftover.write("partial");
    leftover.close();
    ASSERT_TRUE(waitUntil([&] {
        QFile lock(file + ".lock");
        if (!lock.open(QIODevice::ReadOnly)) return false;
        return flock(lock.handle(), LOCK_EX | LOCK_NB) != 0;
    }));
    holder.kill();
    ASSERT_TRUE(holder.waitForFinished());

    const ToolRun run = search();
    EXPECT_TRUE(refreshed(run));
    EXPECT_EQ(found(run), QStringList{"a.bin"});
    EXPECT_FALSE(QFile::exists(file + ".tmp.99999"));
}

TEST_F(IndexTest, StaysOnTheSearchedFileSystem) {
    home_.sparseFile("a.bin", 5000);
    const QString mountPoint = home_.folder("mounted");
    if (::mount("none", qPrintable(mountPoint), "tmpfs", 0, "size=1m") != 0) {
        GTEST_SKIP() << "mounting needs privileges";
    }
    QFile inside(mountPoint + "/inside.bin");
    const bool written = inside.open(QIODevice::WriteOnly) && inside.resize(5000);
    inside.close();
    const ToolRun run = search("kMDItemDisplayName == '*'");
    ::umount(qPrintable(mountPoint));
    EXPECT_TRUE(written);
    EXPECT_EQ(found(run), QStringList{"a.bin"});
}

TEST(SearchTool, RefusesVirtualFileSystemsAndMissingFolders) {
    QTemporaryDir cache;
    for (const QString& folder : {QStringLiteral("/proc/self"), QStringLiteral("/no/such/dir")}) {
        const ToolRun run =
            runSearchTool({"-cache", cache.path(), "-onlyin", folder, "kMDItemDisplayName == '*'"});
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_TRUE(run.err.contains("cannot search")) << run.err.constData();
    }
}

// A FIFO where the index or its lock belongs would hold an open() until a writer came, and
// the scan waiting for the search with it; the search goes on and answers all the same.
TEST_F(IndexTest, AFifoInPlaceOfTheIndexOrItsLockNeitherHangsNorCrashesASearch) {
    home_.sparseFile("a.bin", 5000);
    ASSERT_TRUE(refreshed(search()));
    const QString index = indexFile();
    ASSERT_FALSE(index.isEmpty());
    const QString lock = index + ".lock";
    const QList<QStringList> fifos = {{index}, {lock}, {index, lock}};
    for (const QStringList& paths : fifos) {
        for (const QString& path : {index, lock})
            ::unlink(qPrintable(path));
        for (const QString& path : paths)
            ASSERT_EQ(::mkfifo(qPrintable(path), 0600), 0);
        const ToolRun run = runSearchTool(arguments(kLargeQuery, 3600), 20000);
        const std::string fifo = paths.join(", ").toStdString();
        ASSERT_TRUE(run.finished) << "hung on a FIFO at " << fifo;
        EXPECT_FALSE(run.crashed) << fifo;
        EXPECT_EQ(run.exitCode, 0) << fifo;
        EXPECT_TRUE(refreshed(run)) << run.err.constData();
        EXPECT_EQ(found(run), QStringList{"a.bin"}) << fifo;
    }
    // Where the lock could be taken, the rebuilt index took the FIFO's place.
    struct stat st;
    ASSERT_EQ(::unlink(qPrintable(lock)), 0);
    ASSERT_TRUE(refreshed(search()));
    ASSERT_EQ(::stat(qPrintable(index), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
}

// Any process of the user can truncate the index while a search reads it (a clean-up
// script, a full disk, another tool); the search then refreshes and never dies of SIGBUS.
TEST_F(IndexTest, AnIndexTruncatedWhileASearchReadsItEndsNoRunWithASignal) {
    home_.sparseFile("a.bin", 5000);
    const std::string root =
        platform::encodePath(platform::standardizePath(home_.path())).toStdString();
    const std::string file =
        mdsearch::IndexStore({cache_.path().toStdString(), 0}).indexFileFor(root);
    const mdsearch::BuiltIndex large = largeIndexOf(root);
    int truncatedRounds = 0;
    for (int round = 0; round < 50; ++round) {
        ASSERT_TRUE(large.save(file));
        struct stat st;
        ASSERT_EQ(::stat(file.c_str(), &st), 0);
        QProcess run;
        run.start(searchToolPath(), arguments(kLargeQuery, 3600));
        ASSERT_TRUE(run.waitForStarted());
        std::atomic<bool> done = false;
        bool truncated = false;
        std::thread truncator([&, pid = run.processId()] {
            while (!done && !truncated) {
                if (holdsFile(pid, file)) truncated = ::truncate(file.c_str(), st.st_size / 2) == 0;
            }
        });
        const bool finished = run.waitForFinished(60000);
        done = true;
        truncator.join();
        ASSERT_TRUE(finished) << "round " << round;
        truncatedRounds += truncated ? 1 : 0;
        ASSERT_EQ(run.exitStatus(), QProcess::NormalExit)
            << "round " << round << (truncated ? ", truncated while held" : "");
        EXPECT_EQ(run.exitCode(), 0);
    }
    // Otherwise the race was never run.
    EXPECT_GT(truncatedRounds, 10);
}
