#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include "platform/file_path.h"
#include "tests/support/fixture_home.h"
#include "tests/support/search_fixtures.h"

namespace {

class SearchToolTest : public ::testing::Test {
protected:
    ToolRun search(const QStringList& query, const QStringList& options = {}) {
        return runSearchTool(QStringList{"-cache", cache_.path(), "-window", "0"} + options +
                             QStringList{"-onlyin", home_.path()} + query);
    }

    FixtureHome home_;
    QTemporaryDir cache_;
};

}  // namespace

TEST_F(SearchToolTest, ReportsMisuseAndMalformedQueriesWithoutOutput) {
    const struct {
        QStringList arguments;
        int exitCode;
        const char* message;
    } cases[] = {
        {{"kMDItemFSSize > 1"}, 2, "-onlyin FOLDER is required"},
        {{"-onlyin", "/tmp"}, 2, "a query is required"},
        {{"-bogus", "-onlyin", "/tmp", "kMDItemFSSize > 1"}, 2, "unknown option -bogus"},
        {{"-window", "soon", "-onlyin", "/tmp", "kMDItemFSSize > 1"}, 2, "-window"},
        {{"-onlyin", "/tmp", "kMDItemNope > 1"}, 1, "unknown attribute kMDItemNope"},
        {{"-onlyin", "/tmp", "kMDItemFSSize > 'x"}, 1, "unterminated quoted text at offset"},
        {{"-onlyin", "/tmp", "kMDItemFSSize", ">", "1", "&&"}, 1, "malformed query"},
    };
    for (const auto& c : cases) {
        const ToolRun run = runSearchTool(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments.join(' ').toStdString();
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_TRUE(run.err.contains(c.message)) << run.err.constData();
    }
}

TEST_F(SearchToolTest, PrintsOnePathALineForQueriesSplitOverArguments) {
    home_.file("a.part", 1);
    home_.file("b.crdownload", 1);
    home_.file("Library/c.part", 1);
    home_.file("d.txt", 1);
    const ToolRun run =
        search({"kMDItemDisplayName == '*.crdownload'", "||", "kMDItemDisplayName == '*.part'"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.lines(), (QStringList{home_.abs("Library/c.part"), home_.abs("a.part"),
                                        home_.abs("b.crdownload")}));
    const ToolRun separated = search({"kMDItemDisplayName == '*.part'"}, {"-0"});
    EXPECT_EQ(separated.out,
              (home_.abs("Library/c.part") + '\0' + home_.abs("a.part") + '\0').toUtf8());
}

TEST_F(SearchToolTest, ListsNamesThatAreNotValidUtf8AsTheirBytes) {
    const QString name = platform::decodePath(QByteArray("caf\xe9\x01.part"));
    home_.file(name, 1);
    home_.file("new\nline.part", 1);
    const ToolRun run = search({"kMDItemDisplayName == '*.part'"});
    EXPECT_TRUE(run.out.contains(platform::encodePath(home_.abs(name)) + '\n'));
    EXPECT_TRUE(run.out.contains(home_.abs("new\nline.part").toUtf8()));
}

TEST_F(SearchToolTest, AnswersTheAttributesOfOnePath) {
    home_.appBundle("Tool.app", "com.example.tool");
    home_.sparseFile("disk.dmg", 2048);
    home_.file("Screenshot_20240501_101112.png", 3);
    const auto attributes = [](const QString& path) {
        const ToolRun run = runSearchTool({"-attributes", path});
        EXPECT_EQ(run.exitCode, 0) << run.err.constData();
        return QJsonDocument::fromJson(run.out).object();
    };
    const QJsonObject app = attributes(home_.abs("Tool.app"));
    EXPECT_EQ(app["kMDItemContentType"].toString(), "com.apple.application-bundle");
    EXPECT_EQ(app["kMDItemCFBundleIdentifier"].toString(), "com.example.tool");
    EXPECT_EQ(app["kMDItemKind"].toString(), "Application");
    EXPECT_GT(app["kMDItemFSSize"].toInteger(), 16);
    EXPECT_TRUE(app["kMDItemLastUsedDate"].isString());
    const QJsonObject disk = attributes(home_.abs("disk.dmg"));
    EXPECT_EQ(disk["kMDItemKind"].toString(), "Disk Image");
    EXPECT_EQ(disk["kMDItemFSSize"].toInteger(), 2048);
    EXPECT_EQ(disk["kMDItemDisplayName"].toString(), "disk.dmg");
    EXPECT_FALSE(disk.contains("kMDItemIsScreenCapture"));
    EXPECT_TRUE(
        attributes(home_.abs("Screenshot_20240501_101112.png"))["kMDItemIsScreenCapture"].toBool());
    const QJsonObject folder = attributes(home_.path());
    EXPECT_EQ(folder["kMDItemKind"].toString(), "Folder");
    EXPECT_FALSE(folder.contains("kMDItemFSSize"));

    const ToolRun missing = runSearchTool({"-attributes", home_.abs("nothing")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.out.isEmpty());
}

// libFuzzer runs for a bounded time over the query parser; any crash, sanitizer report or
// hang fails the test. The fuzzer is built with clang beside the main build.
TEST(QueryFuzzer, FindsNoFaultInTheParser) {
    const QString fuzzer = QStringLiteral(SWEEPWELL_QUERY_FUZZER);
    if (fuzzer.isEmpty()) GTEST_SKIP() << "built without clang: no fuzzer";
    QTemporaryDir corpus;
    QProcess run;
    run.setProcessChannelMode(QProcess::MergedChannels);
    run.start(fuzzer, {"-max_total_time=20", "-timeout=5", "-rss_limit_mb=1024", "-max_len=512",
                       corpus.path()});
    ASSERT_TRUE(run.waitForFinished(120000));
    const QByteArray log = run.readAll();
    EXPECT_EQ(run.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(run.exitCode(), 0) << log.right(4000).constData();
    EXPECT_TRUE(log.contains("Done")) << log.right(4000).constData();
}
