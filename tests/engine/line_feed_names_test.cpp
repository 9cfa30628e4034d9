#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine/disk_utilities.h"
#include "tests/support/fixture_home.h"
#include "tests/support/folder_fixtures.h"
#include "tests/support/search_fixtures.h"

namespace {

// A name holding a line feed must reach every category whole: split in two, its halves
// name ~/Documents and a file outside the home, which the user would then remove.
class LineFeedNamesTest : public ::testing::TestWithParam<SearchedCategory> {
protected:
    void SetUp() override {
        previousVolume_ = QSDiskUtilities::sharedInstance().currentVolumePath();
        QSDiskUtilities::sharedInstance().setCurrentVolumePath(QStringLiteral("/"));
    }
    void TearDown() override {
        QSDiskUtilities::sharedInstance().setCurrentVolumePath(previousVolume_);
    }

    FixtureHome home_;
    FixtureHome outside_;
    QString previousVolume_;
};

std::string testName(const ::testing::TestParamInfo<SearchedCategory>& info) {
    return QString(info.param.key).replace(u'-', u'_').toStdString();
}

TEST_P(LineFeedNamesTest, AreListedWholeAndNeverAsTheirHalves) {
    const SearchedCategory& category = GetParam();
    home_.file(QStringLiteral("Documents/keep.txt"), 5);
    const QString sentinel = category.make(outside_, QStringLiteral("stem"));
    const QString besideDocuments = category.make(home_, QStringLiteral("Documents\nstem"));
    const QString beforeSentinel =
        category.make(home_, QStringLiteral("y\n") + outside_.abs(QStringLiteral("stem")));
    ASSERT_TRUE(exists(sentinel));
    ASSERT_TRUE(exists(besideDocuments));
    ASSERT_TRUE(exists(beforeSentinel));

    SearchPlatform platform(home_.path(), true, home_.root());
    const QSScanResultPtr result = scanNow(category.item());
    ASSERT_TRUE(result);
    EXPECT_THAT(entryPathsOf(result->detailArray()),
                ::testing::UnorderedElementsAre(besideDocuments, beforeSentinel));
}

INSTANTIATE_TEST_SUITE_P(SearchedCategories, LineFeedNamesTest,
                         ::testing::ValuesIn(searchedCategories()), testName);

}  // namespace
