#pragma once

#include "cli/cli_options.h"

// Prints the removal log: what was removed, when, from which category, how much, and
// what failed and why, oldest first.
int runHistoryCommand(const CliOptions& options);
