#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>

#include "platform/file_path.h"
#include "tests/support/fixture_home.h"

namespace {

// Every file below the folder, with its content.
QMap<QString, QByteArray> treeContents(const QString& folder) {
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(path, readAll(path));
    }
    return files;
}

class CliLoginItemsTest : public ::testing::Test {
protected:
    void SetUp() override {
        tool_ = program(QStringLiteral("bin/tool"));
        home_.write(QStringLiteral(".config/autostart/tool.desktop"),
                    "[Desktop Entry]\nType=Application\nExec=" + platform::encodePath(tool_) +
                        " --quiet\n");
        home_.folder(QStringLiteral("root"));
    }
    QString program(const QString& relative) {
        const QString path = home_.file(relative, 1);
        chmod(platform::encodePath(path).constData(), 0755);
        return path;
    }
    QByteArray run(const QStringList& arguments, int expectedStatus = 0) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home_.abs(QStringLiteral(".config")));
        environment.insert(QStringLiteral("XDG_CONFIG_DIRS"), home_.abs(QStringLiteral("xdg")));
        // Outside the home, whose files the tests compare before and after.
        environment.insert(QStringLiteral("XDG_CACHE_HOME"),
                           home_.root() + QStringLiteral("/cache"));
        process.setProcessEnvironment(environment);
        process.start(
            QStringLiteral(SWEEPWELL_CLI_PATH),
            QStringList{QStringLiteral("login-items")} + arguments +
                QStringList{QStringLiteral("--home"), home_.path(), QStringLiteral("--system-root"),
                            home_.abs(QStringLiteral("root"))});
        EXPECT_TRUE(process.waitForFinished(60000));
        errors_ = process.readAllStandardError();
        EXPECT_EQ(process.exitCode(), expectedStatus) << errors_.constData();
        return process.readAllStandardOutput();
    }
    QString autostart(const QString& name) const {
        return home_.abs(QStringLiteral(".config/autostart/") + name);
    }

    FixtureHome home_;
    QString tool_;
    QByteArray errors_;
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
    EXPECT_TRUE(readAll(autostart(QStringLiteral("tool.desktop"))).contains("Hidden=true"));
    EXPECT_EQ(run({}), "No login items.\n");
    run({QStringLiteral("enable"), QStringLiteral("/no/such/item")}, 2);
}

// "tool" must never take "tool-extra" or "toolbox" with it, however often it is switched.
TEST_F(CliLoginItemsTest, SwitchingAnItemLeavesLookAlikesAndTheUsersOwnEntriesAlone) {
    const QString extra = program(QStringLiteral("bin/tool-extra"));
    const QString toolbox = program(QStringLiteral("bin/toolbox"));
    home_.write(QStringLiteral(".config/autostart/tool-extra.desktop"),
                "[Desktop Entry]\nType=Application\nExec=" + platform::encodePath(extra) + "\n");
    home_.write(QStringLiteral(".config/autostart/b-tool.desktop"),
                "# mine\n[Desktop Entry]\nType=Application\nName=B\nExec=" +
                    platform::encodePath(toolbox) + " --start\nX-Mine=1\n");
    home_.file(QStringLiteral("keep/a"), 3);
    home_.write(QStringLiteral("keep/sub/.b"), "sentinel");
    const QByteArray original = readAll(autostart(QStringLiteral("tool.desktop")));
    QMap<QString, QByteArray> others = treeContents(home_.path());
    others.remove(autostart(QStringLiteral("tool.desktop")));

    EXPECT_EQ(run({QStringLiteral("disable"), tool_}), "Switched off: " + tool_.toUtf8() + "\n");
    run({QStringLiteral("disable"), tool_}, 2);
    QMap<QString, QByteArray> after = treeContents(home_.path());
    const QByteArray hidden = after.take(autostart(QStringLiteral("tool.desktop")));
    EXPECT_EQ(after, others);
    EXPECT_EQ(hidden, original + "Hidden=true\n");
    EXPECT_EQ(run({}), "on   " + toolbox.toUtf8() + "\non   " + extra.toUtf8() + "\n");

    EXPECT_EQ(run({QStringLiteral("enable"), tool_}), "Switched on: " + tool_.toUtf8() + "\n");
    EXPECT_EQ(readAll(autostart(QStringLiteral("tool.desktop"))), original);
    run({QStringLiteral("enable"), tool_});
    after = treeContents(home_.path());
    after.remove(autostart(QStringLiteral("tool.desktop")));
    EXPECT_EQ(after, others);
    EXPECT_EQ(run({}), "on   " + toolbox.toUtf8() + "\non   " + extra.toUtf8() + "\non   " +
                           tool_.toUtf8() + "\n");
}

TEST_F(CliLoginItemsTest, ASystemEntryIsHiddenByAUserEntryAndComesBack) {
    const QString daemon = program(QStringLiteral("bin/daemon"));
    const QString system = home_.write(
        QStringLiteral("xdg/autostart/daemon.desktop"),
        "[Desktop Entry]\nType=Application\nExec=" + platform::encodePath(daemon) + "\n");
    const QByteArray before = readAll(system);
    run({QStringLiteral("disable"), daemon});
    EXPECT_TRUE(readAll(autostart(QStringLiteral("daemon.desktop"))).contains("Hidden=true"));
    EXPECT_EQ(run({}), "on   " + tool_.toUtf8() + "\n");
    run({QStringLiteral("enable"), daemon});
    EXPECT_FALSE(exists(autostart(QStringLiteral("daemon.desktop"))));
    EXPECT_EQ(readAll(system), before);
    EXPECT_EQ(run({}), "on   " + daemon.toUtf8() + "\non   " + tool_.toUtf8() + "\n");
}

// A folder that takes no new file: its permissions, and for root (who is not bound by
// them) the immutable flag.
bool makeUnwritable(FixtureHome& home, const QString& relative) {
    home.setMode(relative, 0555);
    return !ScopedUnprivileged::runningAsRoot() || home.setImmutable(relative, true);
}

TEST_F(CliLoginItemsTest, AFailedWriteIsAFailureWithItsReason) {
    if (!makeUnwritable(home_, QStringLiteral(".config/autostart")))
        GTEST_SKIP() << "the autostart folder cannot be made unwritable here";
    const QByteArray before = readAll(autostart(QStringLiteral("tool.desktop")));
    EXPECT_EQ(run({QStringLiteral("disable"), tool_}, 1), "");
    EXPECT_TRUE(errors_.contains("tool.desktop")) << errors_.constData();
    EXPECT_TRUE(errors_.contains(ScopedUnprivileged::runningAsRoot() ? "Operation not permitted"
                                                                     : "Permission denied"))
        << errors_.constData();
    EXPECT_EQ(readAll(autostart(QStringLiteral("tool.desktop"))), before);
    EXPECT_EQ(run({}), "on   " + tool_.toUtf8() + "\n");
}

}  // namespace
