#include <gtest/gtest.h>
#include <signal.h>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonObject>
#include <QTemporaryDir>

#include "app/telemetry/msac_crashes.h"
#include "app/telemetry/msac_user_defaults.h"
#include "tests/support/qt_printing.h"
#include "tests/support/recording_system_log.h"
#include "tests/telemetry/crasher_process.h"
#include "tests/telemetry/local_collector.h"

namespace {

QString crashFolder() {
    return stateFolder() + QStringLiteral("/crashes");
}

QStringList crashFiles() {
    return QDir(crashFolder()).entryList(QDir::Files, QDir::Name);
}

QString contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

class CrashHandlerTest : public ::testing::Test {
protected:
    void SetUp() override { QDir(crashFolder()).removeRecursively(); }
};

TEST_F(CrashHandlerTest, EachWayOfDyingLeavesOneReportAndTheSameDeath) {
    struct Crash {
        const char* how;
        int signal;
        QString says;
    };
    const Crash crashes[] = {
        {"segv", SIGSEGV, QStringLiteral("Signal: 11 SIGSEGV\n")},
        {"abort", SIGABRT, QStringLiteral("Signal: 6 SIGABRT\n")},
        {"overflow", SIGSEGV, QStringLiteral("Signal: 11 SIGSEGV\n")},
        {"throw", SIGABRT, QStringLiteral("Signal: terminate\nException: the disk went away\n")},
    };
    for (const Crash& crash : crashes) {
        SCOPED_TRACE(crash.how);
        QDir(crashFolder()).removeRecursively();
        const qint64 before = QDateTime::currentSecsSinceEpoch();
        EXPECT_EQ(runCrasher(crash.how), crash.signal);
        const qint64 after = QDateTime::currentSecsSinceEpoch();

        const QStringList files = crashFiles();
        ASSERT_EQ(files.size(), 1);
        const QString report = contents(crashFolder() + u'/' + files[0]);
        EXPECT_TRUE(report.startsWith(crash.says)) << report.toStdString();
        EXPECT_TRUE(report.contains(QStringLiteral("\nVersion: 4.5.6\n")));
        const qint64 time =
            report.section(QStringLiteral("Time: "), 1).section(u'\n', 0, 0).toLongLong();
        EXPECT_GE(time, before);
        EXPECT_LE(time, after);
        // Frames of the program itself, as backtrace_symbols_fd names them.
        const QString backtrace = report.section(QStringLiteral("\nBacktrace:\n"), 1);
        EXPECT_TRUE(backtrace.contains(QStringLiteral("telemetry_crasher(")))
            << report.toStdString();
    }
}

TEST_F(CrashHandlerTest, AStateFolderWithPercentSignsInItsNameGetsTheReport) {
    QTemporaryDir home;
    const QString state = home.path() + QStringLiteral("/100%2 done%1");
    const QByteArray saved = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_STATE_HOME", QFile::encodeName(state));
    const int signal = runCrasher("abort");
    qputenv("XDG_STATE_HOME", saved);
    EXPECT_EQ(signal, SIGABRT);
    EXPECT_EQ(QDir(state + QStringLiteral("/sweepwell/crashes")).entryList(QDir::Files).size(), 1);
}

TEST_F(CrashHandlerTest, ANormalExitLeavesNoReport) {
    EXPECT_EQ(runCrasher("none"), 0);
    EXPECT_EQ(crashFiles(), QStringList());
}

// The next start, in this process, after the crasher died.
class CrashConfirmationTest : public ::testing::Test {
protected:
    void SetUp() override {
        QDir(crashFolder()).removeRecursively();
        MSACUserDefaults::standardUserDefaults().setAlwaysSendCrashReports(false);
    }
    static void crashEarlierRun() { ASSERT_EQ(runCrasher("abort"), SIGABRT); }

    // Starts crash reporting, then installs a handler that keeps what it is given and
    // gives `answer`, as the application does.
    void start(MSACCrashes& crashes, bool answer = true) {
        crashes.startWithAppSecret(QStringLiteral("secret"));
        crashes.setUserConfirmationHandler([this, answer](const QList<CrashReport>& reports) {
            asked.append(reports);
            return answer;
        });
        // The pending reports are handled from the event loop.
        QCoreApplication::processEvents();
    }

    MSACIngestion offline{QUrl()};
    QList<QList<CrashReport>> asked;
    RecordedLog log;
};

TEST_F(CrashConfirmationTest, AWaitingReportIsPutToTheHandlerOnceAndDontSendDeletesIt) {
    crashEarlierRun();
    MSACCrashes crashes(crashFolder(), offline);
    start(crashes);
    ASSERT_EQ(asked.size(), 1);
    ASSERT_EQ(asked[0].size(), 1);
    EXPECT_EQ(asked[0][0].signal, QStringLiteral("SIGABRT"));
    EXPECT_EQ(asked[0][0].appVersion, QStringLiteral("4.5.6"));
    EXPECT_TRUE(asked[0][0].appErrorTime.isValid());
    EXPECT_TRUE(crashes.hasPendingReports());

    crashes.notifyWithUserConfirmation(MSACCrashes::DontSend);
    EXPECT_FALSE(crashes.hasPendingReports());
    EXPECT_EQ(crashFiles(), QStringList());
    QCoreApplication::processEvents();
    EXPECT_EQ(asked.size(), 1);
}

TEST_F(CrashConfirmationTest, NothingWaitingAsksNothing) {
    MSACCrashes crashes(crashFolder(), offline);
    start(crashes);
    EXPECT_FALSE(crashes.hasPendingReports());
    EXPECT_TRUE(asked.isEmpty());
}

TEST_F(CrashConfirmationTest, SendWithoutACollectorDiscardsTheReportAndSaysSo) {
    crashEarlierRun();
    MSACCrashes crashes(crashFolder(), offline);
    start(crashes);
    crashes.notifyWithUserConfirmation(MSACCrashes::Send);
    EXPECT_EQ(crashFiles(), QStringList());
    EXPECT_TRUE(log.lines().join(u'\n').contains(QStringLiteral("discarded")));
    EXPECT_TRUE(offline.findChildren<QObject*>().isEmpty());
}

TEST_F(CrashConfirmationTest, AnUnknownDecisionKeepsTheReportWaiting) {
    crashEarlierRun();
    MSACCrashes crashes(crashFolder(), offline);
    start(crashes);
    crashes.notifyWithUserConfirmation(7);
    EXPECT_TRUE(crashes.hasPendingReports());
    crashes.notifyWithUserConfirmation(MSACCrashes::DontSend);
    EXPECT_FALSE(crashes.hasPendingReports());
}

TEST_F(CrashConfirmationTest, AHandlerThatDoesNotAskLetsTheReportGo) {
    crashEarlierRun();
    MSACCrashes crashes(crashFolder(), offline);
    start(crashes, false);
    EXPECT_EQ(asked.size(), 1);
    EXPECT_EQ(crashFiles(), QStringList());
    log.clear();
    crashes.notifyWithUserConfirmation(MSACCrashes::Send);
    EXPECT_EQ(log.lines().size(), 1);
}

TEST_F(CrashConfirmationTest, AlwaysSendIsRememberedAndLaterReportsAreNotPutToTheUser) {
    crashEarlierRun();
    {
        MSACCrashes crashes(crashFolder(), offline);
        start(crashes);
        crashes.notifyWithUserConfirmation(MSACCrashes::Always);
    }
    EXPECT_TRUE(MSACUserDefaults::standardUserDefaults().alwaysSendCrashReports());
    EXPECT_EQ(crashFiles(), QStringList());

    crashEarlierRun();
    MSACCrashes crashes(crashFolder(), offline);
    start(crashes);
    EXPECT_EQ(asked.size(), 1);
    EXPECT_EQ(crashFiles(), QStringList());
}

TEST_F(CrashConfirmationTest, ASentReportLeavesOnlyOnceTheCollectorTookIt) {
    crashEarlierRun();
    LocalCollector collector(500);
    MSACIngestion online(collector.url());
    {
        MSACCrashes crashes(crashFolder(), online);
        start(crashes);
        crashes.notifyWithUserConfirmation(MSACCrashes::Send);
        ASSERT_TRUE(eventually(
            [&] { return log.lines().join(u'\n').contains(QStringLiteral("upload failed")); }));
        EXPECT_FALSE(crashes.hasPendingReports());
    }
    ASSERT_EQ(collector.requests().size(), 1);
    const QJsonObject sent = collector.requests()[0].logs().at(0).toObject();
    EXPECT_EQ(sent[QStringLiteral("type")].toString(), QStringLiteral("crash"));
    const QJsonObject payload = sent[QStringLiteral("payload")].toObject();
    EXPECT_EQ(payload[QStringLiteral("signal")].toString(), QStringLiteral("SIGABRT"));
    EXPECT_TRUE(
        payload[QStringLiteral("report")].toString().contains(QStringLiteral("Backtrace:")));
    EXPECT_EQ(crashFiles().size(), 1);

    // The next start sends it again without asking; accepted, it is gone.
    collector.setStatus(200);
    MSACCrashes crashes(crashFolder(), online);
    start(crashes);
    EXPECT_TRUE(eventually([&] { return crashFiles().isEmpty(); }));
    EXPECT_EQ(collector.requests().size(), 2);
    EXPECT_EQ(asked.size(), 1);
}

}  // namespace
