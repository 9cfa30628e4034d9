#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include "platform/file_path.h"
#include "tests/support/fixture_home.h"

namespace {

class CliLoginItemsTest : public ::testing::Test {
protected:
    void SetUp() override {
        tool_ = home_.file(QStringLiteral("bin/tool"), 1);
        chmod(platform::encodePath(tool_).constData(), 0755);
        home_.write(QStringLiteral(".config/autostart/tool.desktop"),
                    "[Desktop Entry]\nType=Application\nExec=" + platform::encodePath(tool_) +
                        " --quiet\n");
        home_.folder(QStringLiteral("root"));
    }
    QByteArray run(const QStringList& arguments, int expectedStatus = 0) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home_.abs(QStringLiteral(".config")));
        environment.insert(QStringLiteral("XDG_CONFIG_DIRS"), home_.abs(QStringLiteral("xdg")));
        environment.insert(QStringLiteral("XDG_CACHE_HOME"), home_.abs(QStringLiteral(".cache")));
        process.setProcessEnvironment(environment);
        process.start(
            QStringLiteral(SWEEPWELL_CLI_PATH),
            QStringList{QStringLiteral("login-items")} + arguments +
                QStringList{QStringLiteral("--home"), home_.path(), QStringLiteral("--system-root"),
                            home_.abs(QStringLiteral("root"))});
        EXPECT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitCode(), expectedStatus) << process.readAllStandardError().constData();
        return process.readAllStandardOutput();
    }
    FixtureHome home_;
    QString tool_;
};

TEST_F(CliLoginItemsTest, ListsAndSwitchesOffAnItemByItsPath) {
    const QJsonArray categories = QJsonDocument::fromJson(run({QStringLiteral("--json")}))
                                      .object()
                                      .value(QStringLiteral("categories"))
                                      .toArray();
    ASSERT_EQ(categories.size(), 1);
    const QJsonArray files = categories[0].toObject().value(QStringLiteral("files")).toArray();
    ASSERT_EQ(files.size(), 1);
    const QJsonObject item = files[0].toObject();
    EXPECT_EQ(item.value(QStringLiteral("path")).toString(), tool_);
    EXPECT_TRUE(item.value(QStringLiteral("selected")).toBool());
    EXPECT_TRUE(item.contains(QStringLiteral("helperBundleID")));

    EXPECT_TRUE(run({QStringLiteral("disable"), tool_}).startsWith("Switched off: "));
    EXPECT_FALSE(exists(home_.abs(QStringLiteral(".config/autostart/tool.desktop"))));
    EXPECT_EQ(run({}), "No login items.\n");
    run({QStringLiteral("enable"), QStringLiteral("/no/such/item")}, 2);
}

}  // namespace
