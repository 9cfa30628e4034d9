#include <gtest/gtest.h>

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "tests/cli/cli_run.h"
#include "tests/support/fixture_home.h"
#include "tests/support/linux_home_developer.h"

using namespace linux_home_developer;

namespace {

// "group: member,member" of the developer category, with the group's tick.
QStringList developerGroups(const QByteArray& scanJson) {
    QStringList groups;
    const QJsonArray categories =
        QJsonDocument::fromJson(scanJson).object().value(QStringLiteral("categories")).toArray();
    for (const auto& category : categories) {
        if (category.toObject().value(QStringLiteral("key")).toString() != "developer") continue;
        for (const auto& value : category.toObject().value(QStringLiteral("files")).toArray()) {
            const QJsonObject group = value.toObject();
            QStringList members;
            for (const auto& member : group.value(QStringLiteral("files")).toArray())
                members.append(member.toObject().value(QStringLiteral("fileName")).toString());
            const bool ticked = group.value(QStringLiteral("selected")).toBool();
            groups.append((ticked ? QString() : QStringLiteral("(off) ")) +
                          group.value(QStringLiteral("fileName")).toString() +
                          QStringLiteral(": ") + members.join(u','));
        }
    }
    return groups;
}

class CliLinuxDeveloperTest : public ::testing::Test {
protected:
    void TearDown() override {
        QDir(qEnvironmentVariable("XDG_STATE_HOME") + QStringLiteral("/sweepwell"))
            .removeRecursively();
    }
    QStringList developer(const char* command) {
        return {QString::fromLatin1(command), QStringLiteral("--home"), home.path(),
                QStringLiteral("--category"), QStringLiteral("developer")};
    }
    FixtureHome home;
};

TEST_F(CliLinuxDeveloperTest, ScanAndCleanCachesAndBuildsKeepingSourcesAndTheMavenRepository) {
    QStringList kept = cargoProject(home, QStringLiteral("src/app"), true, 50);
    kept += nodeProject(home, QStringLiteral("src/app/web"), true, 20);
    kept += cargoProject(home, QStringLiteral("src/lookalike"), false, 5);
    kept << QStringLiteral("src/lookalike/target/debug/app");
    home.file(QStringLiteral(".m2/repository/org/x/x-1.jar"), 7);
    home.file(QStringLiteral(".cache/pip/http/a"), 3);
    readOnlyGoModules(home);
    kept << QStringLiteral(".m2/repository/org/x/x-1.jar") << QStringLiteral("go/pkg");

    const CliRun scan = runCli(developer("scan") + QStringList{QStringLiteral("--json")});
    ASSERT_EQ(scan.status, 0) << scan.err.constData();
    EXPECT_EQ(developerGroups(scan.out),
              QStringList({"(off) Maven: .m2/repository", "pip: .cache/pip", "Go: go/pkg/mod",
                           "src/app: target", "src/app/web: node_modules"}));

    const CliRun clean = runCli(developer("clean") + QStringList{QStringLiteral("--yes")});
    ASSERT_EQ(clean.status, 0) << clean.err.constData();
    for (const char* removed :
         {"src/app/target", "src/app/web/node_modules", ".cache/pip", "go/pkg/mod"}) {
        EXPECT_FALSE(exists(home.abs(QString::fromLatin1(removed)))) << removed;
    }
    for (const QString& path : kept)
        EXPECT_TRUE(exists(home.abs(path))) << path.toStdString();
}

}  // namespace
