#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>

#include "platform/file_path.h"
#include "tests/cli/cli_run.h"
#include "tests/support/fixture_home.h"
#include "tests/support/linux_home_trash.h"

namespace {

// The home's freedesktop trash through the command line: listed by the names the files had,
// removed with their info files, and the user's own file of the same name left alone.
TEST(CliLinuxTrash, ScanShowsOriginalNamesAndCleanRemovesTheEntryWithItsInfoOnly) {
    FixtureHome home;
    const QString sentinel = home.file(QStringLiteral("Documents/report.pdf"), 9);
    const auto report =
        linux_home::trashFile(home, linux_home::kHomeTrash, QStringLiteral("report.2.pdf"),
                              home.abs(QStringLiteral("Documents/report.pdf")), 40);
    const auto kept = linux_home::trashFile(home, linux_home::kHomeTrash, QStringLiteral("b.txt"),
                                            home.abs(QStringLiteral("b.txt")), 4);

    const CliRun scan =
        runCli({QStringLiteral("scan"), QStringLiteral("--json"), QStringLiteral("--home"),
                home.path(), QStringLiteral("--category"), QStringLiteral("trash")});
    ASSERT_EQ(scan.status, 0) << scan.err.constData();
    EXPECT_TRUE(scan.out.contains("\"fileName\": \"report.pdf\"")) << scan.out.constData();
    EXPECT_TRUE(scan.out.contains("\"path\": \"" + report.path.toUtf8() + "\""));
    EXPECT_TRUE(scan.out.contains(
        "\"originalPath\": \"" + home.abs(QStringLiteral("Documents/report.pdf")).toUtf8() + "\""));
    const QDateTime deleted(QDate(2026, 3, 4), QTime(5, 6, 7));
    EXPECT_TRUE(scan.out.contains("\"deletionDate\": \"" +
                                  deleted.toUTC().toString(Qt::ISODate).toUtf8() + "\""));

    // Only the one entry: the trashes of this machine's own volumes stay out of the test.
    const CliRun clean = runCli({QStringLiteral("clean"), QStringLiteral("--home"), home.path(),
                                 QStringLiteral("--category"), QStringLiteral("trash"),
                                 QStringLiteral("--path"), report.path, QStringLiteral("--yes")});
    EXPECT_EQ(clean.status, 0) << clean.err.constData() << clean.out.constData();
    EXPECT_FALSE(exists(report.path));
    EXPECT_FALSE(exists(report.info));
    EXPECT_TRUE(exists(kept.path));
    EXPECT_TRUE(exists(kept.info));
    EXPECT_EQ(readAll(sentinel).size(), 9);
}

}  // namespace
