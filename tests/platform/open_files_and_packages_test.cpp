#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include "platform/debian_packages.h"
#include "platform/file_path.h"
#include "platform/open_files.h"
#include "tests/support/fixture_home.h"

namespace {

TEST(ProcOpenFiles, SeesAFileThisProcessHoldsOpenUnderItsExactName) {
    FixtureHome home;
    const QString path = home.file(platform::decodePath(QByteArray("movie caf\xe9.part")), 3);
    const QString closed = home.file(QStringLiteral("closed.part"), 3);
    const int fd = open(platform::encodePath(path).constData(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    const QStringList open = platform::ProcOpenFiles().openFilePaths();
    close(fd);
    EXPECT_TRUE(open.contains(path));
    EXPECT_FALSE(open.contains(closed));
    for (const QString& each : open)
        EXPECT_TRUE(each.startsWith(u'/')) << each.toStdString();
}

TEST(ProcOpenFiles, AMissingProcFolderKnowsOfNothing) {
    EXPECT_TRUE(
        platform::ProcOpenFiles(QStringLiteral("/nonexistent/proc")).openFilePaths().isEmpty());
}

TEST(DpkgStatus, OnlyWhatIsInstalledCountsEachInItsOwnVersion) {
    const QByteArray status =
        "Package: curl\n"
        "Status: install ok installed\n"
        "Architecture: amd64\n"
        "Description: a tool\n"
        " Version: 0.1 (a description line, not a field)\n"
        "Version: 8.5.0-2\n"
        "\n"
        "Package: removed-but-configured\n"
        "Status: deinstall ok config-files\n"
        "Version: 1.0\n"
        "\n"
        "Package: unpacked\n"
        "Status: install ok unpacked\n"
        "Version: 2.0\n"
        "\n\n"
        "Package: libc6\n"
        "Version: 2.36-9\n"
        "Status: install ok installed\n";
    EXPECT_EQ(
        platform::DpkgPackages::parseStatus(status),
        (QList<platform::DebianPackage>{{QStringLiteral("curl"), QStringLiteral("8.5.0-2")},
                                        {QStringLiteral("libc6"), QStringLiteral("2.36-9")}}));
}

TEST(DpkgStatus, AMissingStatusFileInstallsNothing) {
    EXPECT_TRUE(platform::DpkgPackages(QStringLiteral("/nonexistent/status"))
                    .installedPackages()
                    .isEmpty());
}

}  // namespace
