#include <gtest/gtest.h>

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include "tests/cli/cli_run.h"
#include "tests/support/fixture_home.h"
#include "tests/support/linux_home_apps.h"

using namespace linux_home_apps;

namespace {

QStringList fileNamesIn(const QByteArray& scanJson, const QString& key) {
    QStringList names;
    const QJsonArray categories =
        QJsonDocument::fromJson(scanJson).object().value(QStringLiteral("categories")).toArray();
    for (const auto& category : categories) {
        if (category.toObject().value(QStringLiteral("key")).toString() != key) continue;
        for (const auto& file : category.toObject().value(QStringLiteral("files")).toArray())
            names.append(file.toObject().value(QStringLiteral("fileName")).toString());
    }
    names.sort();
    return names;
}

class CliLinuxHomeTest : public ::testing::Test {
protected:
    void TearDown() override {
        QDir(qEnvironmentVariable("XDG_STATE_HOME") + QStringLiteral("/sweepwell"))
            .removeRecursively();
    }
    QStringList scope(const char* command, std::initializer_list<const char*> categories) {
        QStringList arguments{QString::fromLatin1(command), QStringLiteral("--home"), home.path()};
        for (const char* key : categories)
            arguments << QStringLiteral("--category") << QString::fromLatin1(key);
        return arguments;
    }
    FixtureHome home;
};

TEST_F(CliLinuxHomeTest, ScanAndCleanALinuxHomeKeepingItsUserData) {
    const AppHome native = AppHome::native();
    home.file(QStringLiteral(".cache/pip/http/a"), 40);
    home.file(QStringLiteral(".cache/sweepwell/sentinel"), 1);
    taggedFolder(home, QStringLiteral("src/app/target"), true, 50);
    home.file(QStringLiteral("src/app/main.rs"), 3);
    home.file(QStringLiteral(".local/state/app/app.log"), 5);
    home.file(QStringLiteral(".local/state/zsh/history"), 6);
    thunderbird(home, QStringLiteral("t1.default"), 12);
    chromium(home, native, QStringLiteral("google-chrome"), QStringLiteral("Default"), 20);
    firefox(home, native, {QStringLiteral("a1.default")}, 10);
    firefoxRunning(home, native, QStringLiteral("a1.default"));

    const CliRun scan = runCli(scope("scan", {"application-caches", "browser-cache"}) +
                               QStringList{QStringLiteral("--json")});
    ASSERT_EQ(scan.status, 0) << scan.err.constData();
    EXPECT_EQ(fileNamesIn(scan.out, QStringLiteral("application-caches")),
              QStringList({"pip", "src/app/target"}));
    EXPECT_EQ(fileNamesIn(scan.out, QStringLiteral("browser-cache")),
              QStringList({"Firefox (in use)", "Google Chrome"}));

    const CliRun clean =
        runCli(scope("clean", {"application-caches", "application-logs", "mail-downloads"}) +
               QStringList{QStringLiteral("--yes")});
    ASSERT_EQ(clean.status, 0) << clean.err.constData();
    const CliRun browsers =
        runCli(scope("clean", {"browser-cache"}) + QStringList{QStringLiteral("--name"),
                                                               QStringLiteral("Google Chrome"),
                                                               QStringLiteral("--yes")});
    ASSERT_EQ(browsers.status, 0) << browsers.err.constData();

    for (const char* removed :
         {".cache/pip", "src/app/target", ".local/state/app/app.log",
          ".cache/thunderbird/t1.default", ".cache/google-chrome/Default/Cache",
          ".config/google-chrome/ShaderCache"}) {
        EXPECT_FALSE(exists(home.abs(QString::fromLatin1(removed)))) << removed;
    }
    QStringList kept =
        mailStores(QStringLiteral("t1.default")) +
        chromiumUserData(native, QStringLiteral("google-chrome"), QStringLiteral("Default")) +
        firefoxUserData(native, QStringLiteral("a1.default"));
    kept << QStringLiteral("src/app/main.rs") << QStringLiteral(".local/state/zsh/history")
         << QStringLiteral(".cache/sweepwell/sentinel")
         << QStringLiteral(".cache/mozilla/firefox/a1.default/cache2");
    for (const QString& path : kept)
        EXPECT_TRUE(exists(home.abs(path))) << path.toStdString();
}

}  // namespace
