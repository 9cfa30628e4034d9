#include <gtest/gtest.h>

#include <QDateTime>
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
    EXPECT_EQ(search.find(home.abs(odd), {"kMDItemDisplayName == '*.part'"}),
              platform::encodePath(home.abs(odd + "/a.part")) + '\0' +
                  platform::encodePath(home.abs(odd + "/b\nc.part")) + '\0');
    EXPECT_EQ(search.find(home.path(), {"kMDItemNope = 1"}), QByteArray());
}

TEST(ToolMetadataSearch, LooksInTheSystemRootForSearchesOfTheRoot) {
    FixtureHome home;
    home.appBundle("Applications/Editor.app", "com.example.editor");
    QTemporaryDir cache;
    auto search = searchWithCache(cache.path(), home.path());
    EXPECT_EQ(search.searchFolder("/"), home.path());
    EXPECT_EQ(search.searchFolder("/Users"), "/Users");
    EXPECT_EQ(searchWithCache(cache.path()).searchFolder("/"), "/");
    EXPECT_EQ(search.find("/", {"kMDItemContentType=com.apple.application-bundle"}),
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
