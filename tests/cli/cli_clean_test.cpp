#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <vector>

#include "platform/file_path.h"
#include "tests/support/fixture_home.h"

namespace {

struct Result {
    int status;
    QByteArray out;
    QByteArray err;
};

// Starts the CLI with arguments passed as raw bytes, the way a script hands over a path
// (QProcess would re-encode them), without waiting for it. Standard input is /dev/null:
// there is no terminal; output goes to the descriptors given, or nowhere.
pid_t spawnCli(const QList<QByteArray>& arguments, int out = -1, int err = -1) {
    std::vector<QByteArray> storage = {QByteArray(SWEEPWELL_CLI_PATH)};
    storage.insert(storage.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (QByteArray& a : storage)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        const int devNull = open("/dev/null", O_RDWR);
        dup2(devNull, 0);
        dup2(out >= 0 ? out : devNull, 1);
        dup2(err >= 0 ? err : devNull, 2);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

Result runCli(const QList<QByteArray>& arguments) {
    int out[2], err[2];
    if (pipe(out) != 0 || pipe(err) != 0) return {-1, {}, {}};
    const pid_t pid = spawnCli(arguments, out[1], err[1]);
    close(out[1]);
    close(err[1]);
    // Error output is small; reading stdout first cannot dead-lock on it.
    Result result{-1, readAllFromFd(out[0]), readAllFromFd(err[0])};
    int status = 0;
    waitpid(pid, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

// Where the CLI writes its removal log: the tests' own state folder.
QString stateFolder() {
    return qEnvironmentVariable("XDG_STATE_HOME") + QStringLiteral("/sweepwell");
}

// A raw JSON string value as it appears in the output, between its quotes.
QByteArray rawJsonPathOf(const QByteArray& json, const QByteArray& marker) {
    const qsizetype at = json.indexOf(marker);
    const qsizetype start = json.lastIndexOf("\"path\": \"", at) + 9;
    return json.mid(start, json.indexOf('"', at) - start);
}

class CliCleanTest : public ::testing::Test {
protected:
    void SetUp() override {
        badName_ = QByteArray("bad-\xff\xfe-cache");
        home_.file(QStringLiteral("Library/Caches/") + platform::decodePath(badName_) +
                       QStringLiteral("/data"),
                   100);
        home_.file(QStringLiteral("Library/Caches/org.example.keep/data"), 50);
    }
    QList<QByteArray> args(std::initializer_list<QByteArray> rest) {
        QList<QByteArray> list = {"clean", "--home", platform::encodePath(home_.path()),
                                  "--category", "application-caches"};
        list.append(rest);
        return list;
    }
    void TearDown() override { QDir(stateFolder()).removeRecursively(); }
    FixtureHome home_;
    QByteArray badName_;
};

TEST_F(CliCleanTest, AnEntryWithAnUndecodableNameIsListedAndRemovedByItsEscapedPath) {
    const Result scan = runCli({"scan", "--json", "--home", platform::encodePath(home_.path()),
                                "--category", "application-caches"});
    ASSERT_EQ(scan.status, 0) << scan.err.constData();
    const QByteArray escaped = rawJsonPathOf(scan.out, "-cache\"");
    EXPECT_TRUE(escaped.contains("\\udcff\\udcfe")) << escaped.constData();

    const Result clean = runCli(args({"--json-path", escaped, "--yes", "--json"}));
    EXPECT_EQ(clean.status, 0) << clean.err.constData();
    const QJsonArray removed =
        QJsonDocument::fromJson(clean.out).object().value(QStringLiteral("removed")).toArray();
    ASSERT_EQ(removed.size(), 1);
    EXPECT_EQ(removed[0].toObject().value(QStringLiteral("size")).toInt(), 100);
    EXPECT_FALSE(
        exists(home_.abs(QStringLiteral("Library/Caches/") + platform::decodePath(badName_))));
    EXPECT_TRUE(exists(home_.abs(QStringLiteral("Library/Caches/org.example.keep"))));
}

TEST_F(CliCleanTest, RawBytesWorkAsWellAsTheEscapedForm) {
    const QByteArray raw =
        platform::encodePath(home_.abs(QStringLiteral("Library/Caches"))) + "/" + badName_;
    const Result clean = runCli(args({"--path", raw, "--yes"}));
    EXPECT_EQ(clean.status, 0) << clean.err.constData();
    EXPECT_TRUE(clean.out.contains("Freed 100.00 bytes (100 bytes)")) << clean.out.constData();
    EXPECT_TRUE(exists(home_.abs(QStringLiteral("Library/Caches/org.example.keep"))));
}

TEST_F(CliCleanTest, EveryFormOfAPathNamesOneEntryOnly) {
    // One name holds the text "\udcff", the other the byte it stands for.
    const QString caches = home_.abs(QStringLiteral("Library/Caches"));
    const QByteArray text = platform::encodePath(caches) + "/amb\\udcffx";
    const QByteArray byte = platform::encodePath(caches) + "/amb\xffx";
    const auto make = [&] {
        home_.file(platform::decodePath(text).mid(home_.path().size() + 1) + QStringLiteral("/d"),
                   7);
        home_.file(platform::decodePath(byte).mid(home_.path().size() + 1) + QStringLiteral("/d"),
                   9);
    };
    // Which of the two is still there: "text", "byte", both or neither.
    const auto remaining = [&] {
        QStringList left;
        if (exists(platform::decodePath(text))) left << QStringLiteral("text");
        if (exists(platform::decodePath(byte))) left << QStringLiteral("byte");
        return left.join(u' ');
    };
    make();
    EXPECT_EQ(runCli(args({"--path", text, "--yes"})).status, 0);
    EXPECT_EQ(remaining(), u"byte");
    make();
    EXPECT_EQ(runCli(args({"--json-path", platform::encodePath(caches) + "/amb\\udcffx", "--yes"}))
                  .status,
              0);
    EXPECT_EQ(remaining(), u"text");
    make();
    EXPECT_EQ(
        runCli(args({"--json-path", platform::encodePath(caches) + "/amb\\\\udcffx", "--yes"}))
            .status,
        0);
    EXPECT_EQ(remaining(), u"byte");
    EXPECT_EQ(runCli(args({"--json-path", "/bad\\q", "--yes"})).status, 2);
}

TEST_F(CliCleanTest, ANameCannotHideItselfAtThePrompt) {
    // Carriage return and "erase line" sequences would wipe the line, and the one above.
    home_.file(QStringLiteral("Library/Caches/junk\r\x1b[1A\x1b[2K/data"), 4);
    const Result clean = runCli(args({}));
    EXPECT_EQ(clean.status, 2);
    EXPECT_FALSE(clean.err.contains('\x1b'));
    EXPECT_FALSE(clean.err.contains('\r'));
    EXPECT_TRUE(clean.err.contains(R"(junk\r\x1b[1A\x1b[2K)")) << clean.err.constData();
}

TEST_F(CliCleanTest, APathThatNamesNothingListedStopsTheWholeClean) {
    const QByteArray caches = platform::encodePath(home_.abs(QStringLiteral("Library/Caches")));
    const QByteArray good = caches + "/org.example.keep";
    for (const QByteArray& typo : {caches + "/org.example.kepe", good + "/"}) {
        const Result clean = runCli(args({"--path", good, "--path", typo, "--yes"}));
        EXPECT_EQ(clean.status, 2);
        EXPECT_TRUE(clean.err.contains("no listed entry is named " + typo))
            << clean.err.constData();
        EXPECT_TRUE(exists(platform::decodePath(good)));
    }
}

TEST_F(CliCleanTest, ADryRunShowsThePlanAndRemovesAndLogsNothing) {
    const Result dry = runCli(args({"--dry-run"}));
    EXPECT_EQ(dry.status, 0) << dry.err.constData();
    EXPECT_TRUE(dry.out.contains("Would remove 2 entries, freeing 150.00 bytes"))
        << dry.out.constData();
    EXPECT_TRUE(exists(home_.abs(QStringLiteral("Library/Caches/org.example.keep/data"))));
    EXPECT_FALSE(exists(stateFolder() + QStringLiteral("/removals.jsonl")));
}

TEST_F(CliCleanTest, HistoryTellsWhatWasRemovedFromWhereAndWhen) {
    const QByteArray keep =
        platform::encodePath(home_.abs(QStringLiteral("Library/Caches/org.example.keep")));
    ASSERT_EQ(runCli(args({"--path", keep, "--yes"})).status, 0);

    const Result text = runCli({"history"});
    EXPECT_EQ(text.status, 0);
    EXPECT_TRUE(text.out.contains("application-caches  removed  50.00 bytes  " + keep))
        << text.out.constData();
    EXPECT_TRUE(text.out.contains("1 removed, 0 failed, 50.00 bytes freed"));
    const Result json = runCli({"history", "--json", "--category", "application-caches"});
    const QJsonArray entries = QJsonDocument::fromJson(json.out).array();
    ASSERT_EQ(entries.size(), 1) << json.out.constData();
    EXPECT_EQ(entries[0].toObject().value(QStringLiteral("frontEnd")).toString(), u"cli");
    EXPECT_TRUE(QJsonDocument::fromJson(runCli({"history", "--json", "--category", "trash"}).out)
                    .array()
                    .isEmpty());
    EXPECT_TRUE(QJsonDocument::fromJson(runCli({"history", "--json", "--since", "2999-01-01"}).out)
                    .array()
                    .isEmpty());
    EXPECT_EQ(runCli({"history", "--since", "yesterday"}).status, 2);
}

// A clean killed outright in the middle of its work leaves whole lines only, and every
// line it wrote says the truth about its file.
TEST_F(CliCleanTest, AKilledCleanLeavesOnlyCompleteTrueLines) {
    for (int i = 0; i < 600; ++i) {
        for (int j = 0; j < 10; ++j)
            home_.file(QStringLiteral("Library/Caches/app%1/f%2").arg(i).arg(j), 1);
    }
    const QString log = stateFolder() + QStringLiteral("/removals.jsonl");
    const pid_t pid = spawnCli(args({"--yes"}));
    waitUntil([&] { return readAll(log).count('\n') >= 50; });
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);

    const QList<QByteArray> lines = readAll(log).split('\n');
    ASSERT_GE(lines.size(), 2);
    EXPECT_TRUE(lines.last().isEmpty()) << "the last line is not complete";
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        const QJsonObject entry = QJsonDocument::fromJson(lines[i]).object();
        ASSERT_FALSE(entry.isEmpty()) << lines[i].constData();
        if (entry.value(QStringLiteral("outcome")).toString() == u"removed") {
            EXPECT_FALSE(exists(entry.value(QStringLiteral("path")).toString()));
        }
    }
}

TEST_F(CliCleanTest, AnInterruptedCleanFinishesTheEntryInHandAndSaysWhatItDid) {
    for (int i = 0; i < 600; ++i) {
        for (int j = 0; j < 10; ++j)
            home_.file(QStringLiteral("Library/Caches/app%1/f%2").arg(i).arg(j), 1);
    }
    const QString log = stateFolder() + QStringLiteral("/removals.jsonl");
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    const pid_t pid = spawnCli(args({"--yes"}), out[1]);
    close(out[1]);
    waitUntil([&] { return readAll(log).count('\n') >= 50; });
    kill(pid, SIGTERM);
    const QByteArray report = readAllFromFd(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);

    ASSERT_TRUE(WIFEXITED(status)) << "ended by a signal";
    EXPECT_EQ(WEXITSTATUS(status), 128 + SIGTERM);
    const qsizetype attempts = readAll(log).count('\n');
    EXPECT_LT(attempts, 602) << "nothing was left";
    EXPECT_TRUE(report.contains("removed " + QByteArray::number(attempts) + " of " +
                                QByteArray::number(attempts) + " entries"))
        << report.constData();
}

TEST_F(CliCleanTest, WithoutATerminalOrYesNothingIsRemoved) {
    const Result clean = runCli(args({}));
    EXPECT_EQ(clean.status, 2);
    EXPECT_TRUE(clean.err.contains("org.example.keep"));
    EXPECT_TRUE(exists(home_.abs(QStringLiteral("Library/Caches/org.example.keep/data"))));
}

TEST_F(CliCleanTest, FailuresAreReportedWithTheirReasonAndExitStatusOne) {
    if (!home_.setImmutable(QStringLiteral("Library/Caches/org.example.keep/data"), true)) {
        GTEST_SKIP() << "no immutable files here";
    }
    const Result clean = runCli(args({"--yes", "--json"}));
    home_.setImmutable(QStringLiteral("Library/Caches/org.example.keep/data"), false);
    EXPECT_EQ(clean.status, 1);
    const QJsonArray removed =
        QJsonDocument::fromJson(clean.out).object().value(QStringLiteral("removed")).toArray();
    ASSERT_EQ(removed.size(), 1);
    const QJsonArray failed = removed[0].toObject().value(QStringLiteral("failedFiles")).toArray();
    ASSERT_EQ(failed.size(), 1);
    const QJsonObject error = failed[0].toObject().value(QStringLiteral("error")).toObject();
    EXPECT_EQ(error.value(QStringLiteral("code")).toInt(), 513);
    EXPECT_EQ(removed[0].toObject().value(QStringLiteral("size")).toInt(), 100);
}

}  // namespace
