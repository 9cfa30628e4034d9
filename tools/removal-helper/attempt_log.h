#pragma once

#include <QByteArray>
#include <QList>

#include "tools/removal-helper/caller.h"
#include "tools/removal-helper/caller_home.h"

// "removed PATH", "missing PATH", "refused PATH: reason", "failed PATH: reason", with the
// path's control bytes and backslashes escaped so that each attempt stays one line.
QByteArray outcomeLine(const Attempt& attempt);

// The attempt as one line of the removal log the application keeps
// (removals.jsonl: time, frontEnd, category, path, size, identity, outcome, error); the
// handler stands in the category's place.
QByteArray logLine(const Attempt& attempt, const QByteArray& handler);

// Gives up the administrator's rights for good, then appends the lines to the caller's
// removal log in .local/state/sweepwell beneath their home, creating the folders as the
// caller. Running as the caller by then, no link the caller placed can make us write
// anywhere they could not write themselves. False when nothing could be written.
bool appendToCallersLog(const Caller& caller, int homeFd, const QList<QByteArray>& lines);
