#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "app/app_options.h"
#include "app/launcher_offer.h"
#include "app/single_instance.h"

namespace {

TEST(AppOptionsTest, FoldersMustBeAbsoluteAndUnknownArgumentsAreRefused) {
    const auto parsed = parseAppOptions({"--home", "/tmp/h", "--system-root", "/mnt/disk"});
    ASSERT_TRUE(parsed.options);
    EXPECT_EQ(parsed.options->home, u"/tmp/h");
    EXPECT_EQ(parsed.options->systemRoot, u"/mnt/disk");
    EXPECT_FALSE(parseAppOptions({"--home", "relative"}).options);
    EXPECT_FALSE(parseAppOptions({"--home", ""}).options);
    EXPECT_FALSE(parseAppOptions({"--home"}).options);
    const auto unknown = parseAppOptions({"--hmoe", "/x"});
    EXPECT_FALSE(unknown.options);
    EXPECT_TRUE(unknown.error.contains("--hmoe"));
    EXPECT_TRUE(parseAppOptions({"--version"}).options->version);
    // Qt reads its own options later; they are not ours to refuse.
    EXPECT_TRUE(parseAppOptions({"-platform", "offscreen", "-reverse", "--home", "/h"}).options);
}

// The launcher must start exactly this executable, whatever its folder is called.
TEST(LauncherOfferTest, TheLauncherNamesTheExecutableQuotedAsDesktopEntriesRequire) {
    const QString path = QStringLiteral("/home/ann/my \"src\"/$HOME/100%/build/sweepwell");
    const QString entry = QString::fromUtf8(LauncherOffer::desktopEntry(path));
    EXPECT_TRUE(entry.contains(
        QStringLiteral("Exec=\"/home/ann/my \\\\\"src\\\\\"/\\\\$HOME/100%%/build/sweepwell\"\n")))
        << entry.toStdString();

    ASSERT_TRUE(LauncherOffer::installLauncher(path));
    const QString installed =
        LauncherOffer::userApplicationsFolder() + "/" + LauncherOffer::kDesktopFileName;
    ASSERT_TRUE(QFile::exists(installed));
    EXPECT_TRUE(installed.startsWith(QDir::homePath()) ||
                installed.startsWith(qEnvironmentVariable("XDG_DATA_HOME")));
    const QString validator = QStandardPaths::findExecutable("desktop-file-validate");
    if (validator.isEmpty()) GTEST_SKIP() << "desktop-file-validate is not installed";
    QProcess check;
    check.start(validator, {installed});
    ASSERT_TRUE(check.waitForFinished());
    EXPECT_EQ(check.exitCode(), 0) << check.readAllStandardOutput().toStdString();
    QFile::remove(installed);
}

TEST(SingleInstanceTest, ASecondStartWakesTheFirstAndEnds) {
    const QString name = SingleInstance::nameForHome(QStringLiteral("/tmp/home-of-this-test"));
    EXPECT_NE(name, SingleInstance::nameForHome(QStringLiteral("/tmp/another-home")));
    SingleInstance first(name);
    EXPECT_FALSE(first.activateRunningInstance());
    ASSERT_TRUE(first.listen());
    QSignalSpy woken(&first, &SingleInstance::activationRequested);
    SingleInstance second(name);
    EXPECT_TRUE(second.activateRunningInstance());
    EXPECT_TRUE(woken.wait(5000));
}

}  // namespace
