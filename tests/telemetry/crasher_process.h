#pragma once

#include <QString>

// The program's state folder in the private home of the tests ($XDG_STATE_HOME/sweepwell),
// found without the code under test.
QString stateFolder();

// Runs the crasher, which starts crash reporting and analytics as the application does
// and then dies the way named ("segv", "abort", "overflow", "throw", or "none" for a
// normal exit); the signal that ended it, 0 for an exit, -1 when it could not start.
int runCrasher(const char* how);
