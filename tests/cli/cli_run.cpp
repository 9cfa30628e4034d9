#include "tests/cli/cli_run.h"

#include <gtest/gtest.h>

#include <QProcess>

CliRun runCli(const QStringList& arguments, const QByteArray& input) {
    QProcess process;
    process.start(QStringLiteral(SWEEPWELL_CLI_PATH), arguments);
    process.write(input);
    process.closeWriteChannel();
    EXPECT_TRUE(process.waitForFinished(120000));
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), process.readAllStandardError()};
}
