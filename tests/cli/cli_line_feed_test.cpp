#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include "tests/support/fixture_home.h"
#include "tests/support/search_fixtures.h"

namespace {

struct CliRun {
    int status;
    QByteArray out;
    QByteArray err;
};

// Removing what a scan listed under a name with a line feed removes that file and nothing
// that either half of the name would point at: ~/Documents, or a tree outside the home.
class CliLineFeedTest : public ::testing::TestWithParam<SearchedCategory> {
protected:
    // Runs the CLI on the fixture, with the search index kept in a cache of its own and the
    // searches of the whole disk kept inside the fixture.
    CliRun runCli(const QStringList& arguments) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CACHE_HOME"), cache_.path());
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(SWEEPWELL_CLI_PATH),
                      arguments + QStringList{"--home", home_.path(), "--system-root", home_.root(),
                                              "--category", GetParam().key});
        EXPECT_TRUE(process.waitForFinished(60000));
        return {process.exitCode(), process.readAllStandardOutput(),
                process.readAllStandardError()};
    }

    QStringList listedPaths() {
        const CliRun scan = runCli({"scan", "--json"});
        EXPECT_EQ(scan.status, 0) << scan.err.constData();
        QStringList paths;
        const QJsonArray categories = QJsonDocument::fromJson(scan.out)
                                          .object()
                                          .value(QStringLiteral("categories"))
                                          .toArray();
        for (const QJsonValue& category : categories) {
            for (const QJsonValue& file :
                 category.toObject().value(QStringLiteral("files")).toArray())
                paths.append(file.toObject().value(QStringLiteral("path")).toString());
        }
        return paths;
    }

    FixtureHome home_;
    FixtureHome outside_;
    QTemporaryDir cache_;
};

std::string testName(const ::testing::TestParamInfo<SearchedCategory>& info) {
    return QString(info.param.key).replace(u'-', u'_').toStdString();
}

QList<SearchedCategory> removableCategories() {
    QList<SearchedCategory> removable;
    for (const SearchedCategory& category : searchedCategories()) {
        if (category.removable) removable.append(category);
    }
    return removable;
}

TEST_P(CliLineFeedTest, RemovesOnlyWhatTheScanListed) {
    const SearchedCategory& category = GetParam();
    const QString kept = home_.file(QStringLiteral("Documents/keep.txt"), 5);
    const QString sentinel = category.make(outside_, QStringLiteral("stem"));
    const QString besideDocuments = category.make(home_, QStringLiteral("Documents\nstem"));
    const QString beforeSentinel =
        category.make(home_, QStringLiteral("y\n") + outside_.abs(QStringLiteral("stem")));

    const QStringList listed = listedPaths();
    EXPECT_TRUE(listed.contains(besideDocuments));
    const CliRun one = runCli({"clean", "--path", besideDocuments, "--yes"});
    EXPECT_EQ(one.status, 0) << one.err.constData();
    EXPECT_FALSE(exists(besideDocuments));
    EXPECT_TRUE(exists(beforeSentinel));

    // Everything a new scan lists, as when the user ticks the whole category.
    QStringList everything = {"clean", "--yes"};
    for (const QString& path : listedPaths())
        everything << QStringLiteral("--path") << path;
    const CliRun all = runCli(everything);
    EXPECT_EQ(all.status, 0) << all.err.constData();
    EXPECT_FALSE(exists(beforeSentinel));
    EXPECT_TRUE(exists(kept));
    EXPECT_TRUE(exists(sentinel));
}

INSTANTIATE_TEST_SUITE_P(SearchedCategories, CliLineFeedTest,
                         ::testing::ValuesIn(removableCategories()), testName);

}  // namespace
