#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <thread>

#include "platform/fakes/fake_privileged_remover.h"
#include "platform/file_path.h"
#include "platform/pkexec_privileged_remover.h"
#include "platform/privileged_removal.h"
#include "tests/support/fake_platform.h"
#include "tests/support/fixture_home.h"

namespace {

using platform::fakes::FakePrivilegedRemover;

// Delivers what is already queued, deferred deletions included, so that a second call
// that is on its way has arrived.
void deliverPendingEvents() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

// Every call of one completion: how often, with what, on which thread.
struct Completions {
    int count = 0;
    bool removed = false;
    bool onMainThread = true;

    LNUNSanboxHelper::CompletionHandler handler() {
        return [this](bool wasRemoved) {
            ++count;
            removed = wasRemoved;
            onMainThread = onMainThread && QThread::currentThread() == qApp->thread();
        };
    }
    bool waitForOne() {
        const bool arrived = waitUntil([this] { return count > 0; });
        deliverPendingEvents();
        return arrived && count == 1 && onMainThread;
    }
};

class SandboxHelperTest : public ::testing::Test {
protected:
    SandboxHelperTest() : platform_(fixture_.path()) {
        platform::services().privilegedRemover = remover_;
    }

    FixtureHome fixture_;
    FakePlatform platform_;
    std::shared_ptr<FakePrivilegedRemover> remover_ = std::make_shared<FakePrivilegedRemover>();
};

TEST_F(SandboxHelperTest, OneOfTwoPathsLeftIsAFailure) {
    const QString first = fixture_.file(QStringLiteral("Library/a"), 1);
    const QString second = fixture_.file(QStringLiteral("Library/b"), 1);
    remover_->removes = [second](const QString& path) { return path == second; };
    Completions done;
    LNUNSanboxHelper::sharedHelper().removeFiles({first, second}, done.handler());
    ASSERT_TRUE(done.waitForOne());
    EXPECT_FALSE(done.removed);
    ASSERT_EQ(remover_->calls().size(), 1);
    EXPECT_EQ(remover_->calls()[0].handler, u"removeApplications");
    EXPECT_EQ(remover_->calls()[0].paths, (QStringList{first, second}));
    EXPECT_FALSE(exists(second));
}

TEST_F(SandboxHelperTest, WhatNoLongerExistsCountsAsRemoved) {
    remover_->removes = [](const QString&) { return false; };
    Completions never;
    LNUNSanboxHelper::sharedHelper().removeFileAtPath(fixture_.abs(QStringLiteral("never")),
                                                      never.handler());
    ASSERT_TRUE(never.waitForOne());
    EXPECT_TRUE(never.removed);
    EXPECT_EQ(remover_->calls()[0].handler, u"removeApplication");

    // A folder on the way replaced by a file: nothing can be at the path any more.
    fixture_.file(QStringLiteral("plain"), 1);
    Completions beneathFile;
    LNUNSanboxHelper::sharedHelper().removeFileAtPath(fixture_.abs(QStringLiteral("plain/x")),
                                                      beneathFile.handler());
    ASSERT_TRUE(beneathFile.waitForOne());
    EXPECT_TRUE(beneathFile.removed);
}

TEST_F(SandboxHelperTest, ADanglingLinkLeftBehindIsAFailure) {
    const QString link = fixture_.symlink(QStringLiteral("link"), QStringLiteral("/nonexistent"));
    remover_->removes = [](const QString&) { return false; };
    Completions done;
    LNUNSanboxHelper::sharedHelper().removeFileAtPath(link, done.handler());
    ASSERT_TRUE(done.waitForOne());
    EXPECT_FALSE(done.removed);
}

TEST_F(SandboxHelperTest, CompletesOnceOnTheMainThreadWhenTheHelperAnswersLater) {
    const QString file = fixture_.file(QStringLiteral("file"), 1);
    remover_->deferred = true;
    Completions done;
    LNUNSanboxHelper::sharedHelper().removeFileAtPath(file, done.handler());
    deliverPendingEvents();
    EXPECT_EQ(done.count, 0);
    // The real helper reports from wherever its process ends.
    std::thread([this] { remover_->finishPending(); }).join();
    ASSERT_TRUE(done.waitForOne());
    EXPECT_TRUE(done.removed);
}

TEST_F(SandboxHelperTest, WithoutARemoverItCompletesOnceLaterAndReportsWhatIsLeft) {
    platform::services().privilegedRemover = nullptr;
    EXPECT_FALSE(LNUNSanboxHelper::sharedHelper().isAvailable());
    EXPECT_FALSE(LNUNSanboxHelper::sharedHelper().isInstalled());
    const QString file = fixture_.file(QStringLiteral("file"), 1);
    Completions done;
    LNUNSanboxHelper::sharedHelper().removeFileAtPath(file, done.handler());
    // Never from inside the call: the caller may still be setting up its screen.
    EXPECT_EQ(done.count, 0);
    ASSERT_TRUE(done.waitForOne());
    EXPECT_FALSE(done.removed);
}

// pkexec played by a script on a PATH of the test's own.
class PkexecRemoverTest : public ::testing::Test {
protected:
    PkexecRemoverTest() : savedPath_(qgetenv("PATH")) {
        qputenv("PATH", platform::encodePath(bin_.path()));
    }
    ~PkexecRemoverTest() override { qputenv("PATH", savedPath_); }

    QString record() const { return bin_.filePath(QStringLiteral("argv")); }
    void standIn(const QByteArray& body, const QByteArray& interpreter = "/bin/sh") {
        QFile script(bin_.filePath(QStringLiteral("pkexec")));
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write("#!" + interpreter + "\nfor a in \"$@\"; do printf '%s\\0' \"$a\"; done > '" +
                     platform::encodePath(record()) + "'\n" + body + "\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QList<QByteArray> recordedArguments() const {
        QList<QByteArray> arguments = readAll(record()).split('\0');
        arguments.removeLast();
        return arguments;
    }
    // Runs the remover and counts `finished`: exactly one call, on the main thread.
    ::testing::AssertionResult finishesOnceOnTheMainThread(const QStringList& paths,
                                                           bool fromAnotherThread = false) {
        int count = 0;
        bool onMainThread = true;
        auto finished = [&] {
            ++count;
            onMainThread = onMainThread && QThread::currentThread() == qApp->thread();
        };
        auto run = [&] { remover_.run(QStringLiteral("removeApplications"), paths, finished); };
        if (fromAnotherThread) {
            std::thread(run).join();
        } else {
            run();
        }
        const bool arrived = waitUntil([&] { return count > 0; });
        deliverPendingEvents();
        if (!arrived || count != 1 || !onMainThread) {
            return ::testing::AssertionFailure()
                   << "finished " << count << " times, on the main thread: " << onMainThread;
        }
        return ::testing::AssertionSuccess();
    }

    QTemporaryDir bin_;
    QByteArray savedPath_;
    platform::PkexecPrivilegedRemover remover_{{QStringLiteral("/opt/sweepwell/helper"), {}}};
};

TEST_F(PkexecRemoverTest, EachPathArrivesAsOneArgumentWithoutAShell) {
    standIn("exit 0");
    const QString awkward = QStringLiteral("/home/u/a b 'c' \"d\"\n$(touch x); e*");
    ASSERT_TRUE(finishesOnceOnTheMainThread({awkward, QStringLiteral("/home/u/f")}));
    EXPECT_EQ(recordedArguments(), (QList<QByteArray>{"/opt/sweepwell/helper", "removeApplications",
                                                      awkward.toUtf8(), "/home/u/f"}));
}

TEST_F(PkexecRemoverTest, ANameThatIsNotUtf8IsNeverPassedAsAnotherPath) {
    standIn("exit 0");
    const QString invalid = platform::decodePath(QByteArray("/home/u/caf\xe9"));
    ASSERT_TRUE(finishesOnceOnTheMainThread({invalid, QStringLiteral("/home/u/f")}));
    EXPECT_EQ(recordedArguments(),
              (QList<QByteArray>{"/opt/sweepwell/helper", "removeApplications", "/home/u/f"}));
}

TEST_F(PkexecRemoverTest, FinishesOnceOnTheMainThreadHoweverTheRunEnds) {
    const QStringList paths{QStringLiteral("/home/u/f")};
    for (const QByteArray ending :
         {"exit 0", "exit 1", "exit 126", "exit 127", "kill -KILL $$", "kill -SEGV $$"}) {
        standIn(ending);
        EXPECT_TRUE(finishesOnceOnTheMainThread(paths)) << ending.constData();
        EXPECT_TRUE(finishesOnceOnTheMainThread(paths, true)) << ending.constData();
    }
    // pkexec that cannot be started, and none at all.
    standIn("exit 0", "/nonexistent/interpreter");
    EXPECT_TRUE(finishesOnceOnTheMainThread(paths));
    ASSERT_TRUE(QFile::remove(bin_.filePath(QStringLiteral("pkexec"))));
    EXPECT_TRUE(finishesOnceOnTheMainThread(paths));
    EXPECT_TRUE(finishesOnceOnTheMainThread(paths, true));
}

TEST_F(PkexecRemoverTest, InstalledOnlyWithTheHelperAndItsAction) {
    standIn("exit 0");
    const QString helper = bin_.filePath(QStringLiteral("pkexec"));
    const QString action = bin_.filePath(QStringLiteral("argv"));
    QFile(action).open(QIODevice::WriteOnly);
    EXPECT_TRUE(platform::PkexecPrivilegedRemover({helper, action}).isInstalled());
    EXPECT_FALSE(platform::PkexecPrivilegedRemover({helper, action + u'x'}).isInstalled());
    EXPECT_FALSE(platform::PkexecPrivilegedRemover({helper + u'x', action}).isInstalled());
    // Present but not a program.
    EXPECT_FALSE(platform::PkexecPrivilegedRemover({action, action}).isInstalled());
    ASSERT_TRUE(QFile::remove(helper));
    EXPECT_FALSE(remover_.isAvailable());
}

}  // namespace
