#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include "platform/file_path.h"
#include "platform/metadata_search_tool.h"
#include "tests/support/fixture_home.h"

namespace {

// Runs the CLI with a search tool that crashes at every search.
class CliSearchFailureTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (QFile::exists(QString::fromLatin1(platform::kSystemSearchToolPath))) {
            GTEST_SKIP() << "this system has its own search tool";
        }
        QDir().mkpath(home_.root() + QStringLiteral("/bin"));
        tool_ = home_.root() + QStringLiteral("/bin/sweepwell-mdsearch");
        QFile script(tool_);
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\nulimit -c 0\nprintf '%s\\0' \"$HOME\"; kill -SEGV $$\n");
        script.close();
        chmod(platform::encodePath(tool_).constData(), 0755);
        home_.sparseFile(QStringLiteral("big.bin"), 200000000);
    }

    QProcess::ExitStatus run(const QStringList& arguments) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("SWEEPWELL_MDSEARCH"), tool_);
        environment.insert(QStringLiteral("XDG_CACHE_HOME"), home_.root() + "/cache");
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(SWEEPWELL_CLI_PATH),
                      arguments + QStringList{QStringLiteral("--home"), home_.path()});
        EXPECT_TRUE(process.waitForFinished(60000));
        status_ = process.exitCode();
        out_ = process.readAllStandardOutput();
        err_ = process.readAllStandardError();
        return process.exitStatus();
    }

    FixtureHome home_;
    QString tool_;
    int status_ = -1;
    QByteArray out_;
    QByteArray err_;
};

}  // namespace

TEST_F(CliSearchFailureTest, AScanSaysTheSearchFailedInsteadOfFindingNothing) {
    ASSERT_EQ(run({"scan", "--category", "large-files"}), QProcess::NormalExit);
    EXPECT_EQ(status_, 0) << err_.constData();
    EXPECT_TRUE(
        out_.startsWith("Large Files: the search failed: sweepwell-mdsearch was ended by "
                        "signal 11 (Segmentation fault)\n"))
        << out_.constData();
    EXPECT_TRUE(
        out_.contains(QByteArray("Large Files").leftJustified(26) + "      failed       -\n"))
        << out_.constData();

    ASSERT_EQ(run({"scan", "--category", "large-files", "--json"}), QProcess::NormalExit);
    const QJsonObject category = QJsonDocument::fromJson(out_)["categories"][0].toObject();
    EXPECT_EQ(category["key"].toString(), "large-files");
    EXPECT_TRUE(category["failure"].toString().contains("signal 11")) << out_.constData();
    EXPECT_TRUE(category["disabled"].toBool());
    EXPECT_TRUE(category["files"].toArray().isEmpty());
}

// "No login items." would be false, and so would a switch taken by a path that was never
// listed.
TEST_F(CliSearchFailureTest, LoginItemsThatCannotBeListedAreNeitherListedNorSwitched) {
    for (const QStringList& arguments :
         {QStringList{"login-items", "list"}, QStringList{"login-items", "enable", home_.path()}}) {
        ASSERT_EQ(run(arguments), QProcess::NormalExit);
        EXPECT_EQ(status_, 1) << arguments.join(' ').toStdString();
        EXPECT_TRUE(out_.isEmpty()) << out_.constData();
        EXPECT_TRUE(err_.contains("Login Items: the search failed: sweepwell-mdsearch was ended"))
            << err_.constData();
    }
}
