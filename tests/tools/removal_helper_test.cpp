#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include "platform/file_path.h"
#include "tests/support/fixture_home.h"

// The removal helper run as pkexec runs it: as root, with PKEXEC_UID naming a user whose
// home is a fixture. The user is made for the test run and removed afterwards.
namespace {

const QString kHelper = QStringLiteral(SWEEPWELL_REMOVAL_HELPER);

struct HelperRun {
    int exitCode = -1;
    QByteArray out;
};

class RemovalHelperTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (geteuid() != 0 || QStandardPaths::findExecutable(QStringLiteral("useradd")).isEmpty())
            return;
        home_ = new FixtureHome;
        user_ = QStringLiteral("sweepwell-test-%1").arg(getpid());
        const int made = QProcess::execute(
            QStringLiteral("useradd"),
            {QStringLiteral("--no-create-home"), QStringLiteral("--home-dir"), home_->path(),
             QStringLiteral("--shell"), QStringLiteral("/usr/sbin/nologin"), user_});
        const struct passwd* entry = getpwnam(user_.toUtf8().constData());
        if (made != 0 || !entry) return;
        uid_ = entry->pw_uid;
        EXPECT_EQ(chown(platform::encodePath(home_->path()).constData(), uid_, entry->pw_gid), 0);
    }
    static void TearDownTestSuite() {
        if (uid_ != 0) QProcess::execute(QStringLiteral("userdel"), {user_});
        uid_ = 0;
        delete home_;
        home_ = nullptr;
    }

    void SetUp() override {
        if (uid_ == 0) GTEST_SKIP() << "needs root and useradd to make a user for the helper";
        sentinel_ = home_->root() + QStringLiteral("/outside/sentinel");
        mkdir(platform::encodePath(home_->root() + QStringLiteral("/outside")).constData(), 0755);
        ASSERT_TRUE(QFile(sentinel_).open(QIODevice::WriteOnly));
        ASSERT_TRUE(exists(sentinel_));
    }
    void TearDown() override {
        if (uid_ == 0) return;
        EXPECT_TRUE(exists(sentinel_)) << "the helper reached outside the home folder";
    }

    static HelperRun helper(const QStringList& arguments, const QByteArray& pkexecUid) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("PKEXEC_UID"));
        if (!pkexecUid.isNull()) environment.insert(QStringLiteral("PKEXEC_UID"), pkexecUid);
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(kHelper, arguments);
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
            return {};
        return {process.exitCode(), process.readAllStandardOutput()};
    }
    static HelperRun removeAsCaller(const QStringList& paths) {
        return helper(QStringList{QStringLiteral("removeApplications")} + paths,
                      QByteArray::number(uid_));
    }
    static QString abs(const QString& relative) { return home_->abs(relative); }

    static inline FixtureHome* home_ = nullptr;
    static inline QString user_;
    static inline uid_t uid_ = 0;
    QString sentinel_;
};

TEST_F(RemovalHelperTest, RefusesWhatIsNotDeepInsideTheCallersHome) {
    home_->file(QStringLiteral("child"), 1);
    home_->file(QStringLiteral("Documents/kept/file"), 1);
    home_->file(QStringLiteral("deep/file"), 1);
    home_->file(QStringLiteral("../user-other/deep/file"), 1);
    const QString home = home_->path();
    for (const QString& path :
         {sentinel_, QStringLiteral("deep/file"), home + QStringLiteral("/deep/../deep/file"),
          home + QStringLiteral("/deep/./file"), home + QStringLiteral("//deep/file"),
          home + QStringLiteral("/deep/"), home + QStringLiteral("/../outside/sentinel"), home,
          home + QStringLiteral("/child"), home + QStringLiteral("/Documents"),
          home + QStringLiteral("-other/deep/file")}) {
        const HelperRun run = removeAsCaller({path});
        EXPECT_EQ(run.exitCode, 1) << qPrintable(path);
        EXPECT_TRUE(run.out.startsWith("refused ")) << run.out.constData();
    }
    for (const char* left :
         {"child", "Documents/kept/file", "deep/file", "../user-other/deep/file"})
        EXPECT_TRUE(exists(abs(QString::fromLatin1(left)))) << left;
}

TEST_F(RemovalHelperTest, RefusesTheUserFoldersTheCallerNamedAndWhatHoldsThem) {
    home_->write(QStringLiteral(".config/user-dirs.dirs"),
                 "# written by xdg-user-dirs-update\n"
                 "XDG_DOCUMENTS_DIR=\"$HOME/work/My \\\"Papers\\\"/\"\n");
    home_->file(QStringLiteral("work/My \"Papers\"/draft"), 1);
    EXPECT_EQ(removeAsCaller({abs(QStringLiteral("work/My \"Papers\""))}).exitCode, 1);
    EXPECT_EQ(removeAsCaller({abs(QStringLiteral("work"))}).exitCode, 1);
    EXPECT_TRUE(exists(abs(QStringLiteral("work/My \"Papers\"/draft"))));
    // What lies inside one is the user's to remove.
    EXPECT_EQ(removeAsCaller({abs(QStringLiteral("work/My \"Papers\"/draft"))}).exitCode, 0);
    EXPECT_FALSE(exists(abs(QStringLiteral("work/My \"Papers\"/draft"))));
}

TEST_F(RemovalHelperTest, NeverFollowsALinkOnTheWayAndRemovesOneAtTheEndAsALink) {
    const QString outside = home_->root() + QStringLiteral("/outside");
    home_->symlink(QStringLiteral("chain/link"), outside);
    const HelperRun through = removeAsCaller({abs(QStringLiteral("chain/link/sentinel"))});
    EXPECT_EQ(through.exitCode, 1);
    EXPECT_TRUE(through.out.startsWith("refused ")) << through.out.constData();

    home_->symlink(QStringLiteral("leaf/folder"), outside);
    home_->symlink(QStringLiteral("leaf/file"), sentinel_);
    const HelperRun leaves =
        removeAsCaller({abs(QStringLiteral("leaf/folder")), abs(QStringLiteral("leaf/file"))});
    EXPECT_EQ(leaves.exitCode, 0) << leaves.out.constData();
    EXPECT_FALSE(exists(abs(QStringLiteral("leaf/folder"))));
    EXPECT_FALSE(exists(abs(QStringLiteral("leaf/file"))));
}

// Mounting needs privileges a developer's machine may not grant.
class BindMount {
public:
    BindMount(const QString& source, const QString& target)
        : target_(platform::encodePath(target)) {
        mounted_ = mount(platform::encodePath(source).constData(), target_.constData(), nullptr,
                         MS_BIND, nullptr) == 0;
    }
    ~BindMount() {
        if (mounted_) umount2(target_.constData(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }

private:
    QByteArray target_;
    bool mounted_ = false;
};

TEST_F(RemovalHelperTest, NeverCrossesIntoAnotherMount) {
    home_->folder(QStringLiteral("work/mounts/point"));
    home_->file(QStringLiteral("work/mounts/own"), 1);
    const BindMount bind(home_->root() + QStringLiteral("/outside"),
                         abs(QStringLiteral("work/mounts/point")));
    if (!bind.mounted()) GTEST_SKIP() << "mounting is not permitted here";
    for (const char* path : {"work/mounts/point", "work/mounts/point/sentinel", "work/mounts"}) {
        const HelperRun run = removeAsCaller({abs(QString::fromLatin1(path))});
        EXPECT_EQ(run.exitCode, 1) << path << ": " << run.out.constData();
    }
    EXPECT_FALSE(exists(abs(QStringLiteral("work/mounts/own"))));
}

TEST_F(RemovalHelperTest, RemovesADeepFolderAndLogsItForTheCaller) {
    QString deep = QStringLiteral("work/tree");
    for (int level = 0; level < 200; ++level)
        deep += QStringLiteral("/level");
    home_->file(deep + QStringLiteral("/file"), 10);
    home_->file(QStringLiteral("work/tree/line\nfeed"), 5);
    home_->folder(QStringLiteral("work/tree/empty"));
    const QString missing = abs(QStringLiteral("never/there"));
    const HelperRun run = removeAsCaller({abs(QStringLiteral("work/tree")), missing});
    EXPECT_EQ(run.exitCode, 0) << run.out.constData();
    EXPECT_FALSE(exists(abs(QStringLiteral("work/tree"))));
    EXPECT_EQ(run.out, "removed " + platform::encodePath(abs(QStringLiteral("work/tree"))) +
                           "\nmissing " + platform::encodePath(missing) + "\n");

    const QString log = abs(QStringLiteral(".local/state/sweepwell/removals.jsonl"));
    struct stat st;
    ASSERT_EQ(lstat(platform::encodePath(log).constData(), &st), 0);
    EXPECT_EQ(st.st_uid, uid_);
    const QList<QByteArray> lines = readAll(log).split('\n');
    ASSERT_GE(lines.size(), 3);  // the tree's line, the missing path's, and the end
    EXPECT_TRUE(lines[lines.size() - 3].contains("\"outcome\":\"removed\",\"error\":null"));
    EXPECT_TRUE(lines[lines.size() - 3].contains("\"size\":15,"));
}

TEST_F(RemovalHelperTest, RefusesToRunForNoOneOrTheWrongWay) {
    const QString file = home_->file(QStringLiteral("calls/file"), 1);
    for (const QByteArray& uid : {QByteArray(), QByteArray(""), QByteArray("-1"),
                                  QByteArray("0x10"), QByteArray("4294967295")}) {
        EXPECT_EQ(helper({QStringLiteral("removeApplication"), file}, uid).exitCode, 2)
            << uid.constData();
    }
    const QByteArray uid = QByteArray::number(uid_);
    EXPECT_EQ(helper({QStringLiteral("removeApplication"), file, file}, uid).exitCode, 2);
    EXPECT_EQ(helper({QStringLiteral("removeEverything"), file}, uid).exitCode, 2);
    EXPECT_EQ(helper({QStringLiteral("removeApplications")}, uid).exitCode, 2);
    EXPECT_TRUE(exists(file));
}

}  // namespace
