#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include "platform/file_path.h"
#include "platform/metadata_search_tool.h"
#include "tests/support/fixture_home.h"

namespace {

platform::ToolMetadataSearch searchWithCache(const QString& cache, const QString& systemRoot = {}) {
    platform::ToolMetadataSearch::Options options;
    options.cacheFolder = cache;
    options.refreshWindowSeconds = 0;
    options.systemRoot = systemRoot;
    return platform::ToolMetadataSearch(options);
}

// Points $SWEEPWELL_MDSEARCH at a stand-in for our tool while alive.
class ScopedSearchTool {
public:
    explicit ScopedSearchTool(const QString& path)
        : previous_(qgetenv("SWEEPWELL_MDSEARCH")),
          wasSet_(qEnvironmentVariableIsSet("SWEEPWELL_MDSEARCH")) {
        qputenv("SWEEPWELL_MDSEARCH", platform::encodePath(path));
    }
    ~ScopedSearchTool() {
        if (wasSet_) {
            qputenv("SWEEPWELL_MDSEARCH", previous_);
        } else {
            qunsetenv("SWEEPWELL_MDSEARCH");
        }
    }

private:
    QByteArray previous_;
    bool wasSet_;
};

// Writes a shell script that stands in for the search tool; it never leaves a core dump.
QString writeStandIn(const QString& folder, const QByteArray& body) {
    const QString path = folder + "/sweepwell-mdsearch";
    QFile script(path);
    if (!script.open(QIODevice::WriteOnly)) return QString();
    script.write("#!/bin/sh\nulimit -c 0\n" + body + "\n");
    script.close();
    chmod(platform::encodePath(path).constData(), 0755);
    return path;
}

// Whether the process is there and not yet dead.
bool running(qint64 pid) {
    const QByteArray stat = readAll(QStringLiteral("/proc/%1/stat").arg(pid));
    const qsizetype end = stat.lastIndexOf(')');
    return end > 0 && stat.size() > end + 2 && stat[end + 2] != 'Z';
}

}  // namespace

TEST(ToolMetadataSearch, FindsThroughOurToolWhereTheSystemHasNone) {
    if (QFile::exists(QString::fromLatin1(platform::kSystemSearchToolPath))) {
        GTEST_SKIP() << "this system has its own search tool";
    }
    ASSERT_FALSE(platform::ToolMetadataSearch::bundledToolPath().isEmpty());
    FixtureHome home;
    const QString odd = platform::decodePath(QByteArray("d\xfc\xfe"));
    home.file(odd + "/a.part", 1);
    home.file(odd + "/b\nc.part", 1);
    QTemporaryDir cache;
    auto search = searchWithCache(cache.path());
    // The folder's bytes reach the tool as they are, though they are not UTF-8; each path
    // found ends with a NUL, since a name may hold a line feed.
    const platform::SearchAnswer answer =
        search.find(home.abs(odd), {"kMDItemDisplayName == '*.part'"});
    EXPECT_FALSE(answer.failure);
    EXPECT_EQ(answer.output, platform::encodePath(home.abs(odd + "/a.part")) + '\0' +
                                 platform::encodePath(home.abs(odd + "/b\nc.part")) + '\0');
    // A query the tool cannot run found nothing out: it fails, with the tool's own words.
    const platform::SearchAnswer malformed = search.find(home.path(), {"kMDItemNope = 1"});
    ASSERT_TRUE(malformed.failure);
    EXPECT_TRUE(malformed.failure->contains("exited with status 1: "));
    EXPECT_TRUE(malformed.failure->contains("unknown attribute kMDItemNope"));
    EXPECT_EQ(malformed.output, QByteArray());
}

TEST(ToolMetadataSearch, LooksInTheSystemRootForSearchesOfTheRoot) {
    FixtureHome home;
    home.appBundle("Applications/Editor.app", "com.example.editor");
    QTemporaryDir cache;
    auto search = searchWithCache(cache.path(), home.path());
    EXPECT_EQ(search.searchFolder("/"), home.path());
    EXPECT_EQ(search.searchFolder("/Users"), "/Users");
    EXPECT_EQ(searchWithCache(cache.path()).searchFolder("/"), "/");
    EXPECT_EQ(search.find("/", {"kMDItemContentType=com.apple.application-bundle"}).output,
              (home.abs("Applications/Editor.app") + QChar(0)).toUtf8());
}

TEST(ToolMetadataSearch, AnswersItemAttributesWithTypedValues) {
    FixtureHome home;
    home.appBundle("Editor.app", "com.example.editor");
    const QDateTime used = QDateTime::currentDateTimeUtc().addDays(-30);
    home.setAccessDate("Editor.app/Contents/MacOS/Editor", used);
    const QString odd = platform::decodePath(QByteArray("\xff.png"));
    home.file(odd, 5);
    QTemporaryDir cache;
    auto search = searchWithCache(cache.path());
    const auto app = search.attributesOfItem(home.abs("Editor.app"));
    ASSERT_TRUE(app);
    EXPECT_EQ(app->value("kMDItemCFBundleIdentifier").toString(), "com.example.editor");
    EXPECT_EQ(app->value("kMDItemLastUsedDate").toDateTime().toSecsSinceEpoch(),
              used.toSecsSinceEpoch());
    const QVariantList dates = app->value("kMDItemUsedDates").toList();
    ASSERT_EQ(dates.size(), 1);
    EXPECT_EQ(dates.first().typeId(), QMetaType::QDateTime);
    EXPECT_EQ(app->value("kMDItemFSSize").typeId(), QMetaType::LongLong);
    const auto file = search.attributesOfItem(home.abs(odd));
    ASSERT_TRUE(file);
    EXPECT_EQ(file->value("kMDItemDisplayName").toString(), odd);
    EXPECT_FALSE(search.attributesOfItem(home.abs("missing")));
}

// A search whose tool crashed, failed, was killed halfway through its answer or never
// finished found out nothing: each is a failure that says why, and nothing the tool wrote
// before is answered, not even the paths it finished.
TEST(ToolMetadataSearch, AToolThatDoesNotFinishWellAnswersAFailureAndNoPath) {
    if (QFile::exists(QString::fromLatin1(platform::kSystemSearchToolPath))) {
        GTEST_SKIP() << "this system has its own search tool";
    }
    const struct {
        const char* what;
        QByteArray body;
        const char* reason;
    } cases[] = {
        {"crashes", R"(printf '/h/a\0/h/b\0'; kill -SEGV $$)",
         "sweepwell-mdsearch was ended by signal 11 (Segmentation fault)"},
        {"fails", R"(printf '/h/a\0'; echo 'cannot read the index' >&2; exit 1)",
         "sweepwell-mdsearch exited with status 1: cannot read the index"},
        {"is killed halfway", R"(printf '/h/a\0/h/par'; kill -KILL $$)",
         "sweepwell-mdsearch was ended by signal 9 (Killed)"},
        {"never finishes", R"(printf '/h/a\0'; exec sleep 3600)",
         "sweepwell-mdsearch did not finish within 1 s"},
    };
    for (const auto& c : cases) {
        QTemporaryDir folder;
        const ScopedSearchTool tool(writeStandIn(folder.path(), c.body));
        platform::ToolMetadataSearch::Options options;
        options.cacheFolder = folder.path();
        options.timeLimit = std::chrono::seconds(1);
        QElapsedTimer timer;
        timer.start();
        const platform::SearchAnswer answer =
            platform::ToolMetadataSearch(options).find("/h", {"kMDItemFSSize > 1"});
        EXPECT_LT(timer.elapsed(), 30000) << c.what;
        EXPECT_EQ(answer.failure.value_or(QString()).toStdString(), c.reason) << c.what;
        EXPECT_EQ(answer.output, QByteArray()) << c.what;
    }
}

// A tool stopped for taking too long takes what it started with it, though that still
// holds its output open.
TEST(ToolMetadataSearch, AToolThatNeverFinishesIsKilledWithWhatItStarted) {
    if (QFile::exists(QString::fromLatin1(platform::kSystemSearchToolPath))) {
        GTEST_SKIP() << "this system has its own search tool";
    }
    QTemporaryDir folder;
    const QString script =
        writeStandIn(folder.path(), R"(sleep 3600 & echo $! > "$0.sleeper"; wait)");
    const ScopedSearchTool tool(script);
    platform::ToolMetadataSearch::Options options;
    options.timeLimit = std::chrono::milliseconds(500);
    ASSERT_TRUE(platform::ToolMetadataSearch(options).find("/h", {"kMDItemFSSize > 1"}).failure);
    const qint64 sleeper = readAll(script + ".sleeper").trimmed().toLongLong();
    ASSERT_GT(sleeper, 0);
    EXPECT_TRUE(waitUntil([&] { return !running(sleeper); }));
}
