#pragma once

#include <QByteArray>
#include <QStringList>

// One run of the built sweepwell-cli: its exit status (-1 when it crashed) and output.
struct CliRun {
    int status;
    QByteArray out;
    QByteArray err;
};

CliRun runCli(const QStringList& arguments, const QByteArray& input = QByteArray());
