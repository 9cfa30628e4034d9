#pragma once

#include "cli/cli_options.h"

// Scans the named categories, selects what the options name, asks (or takes --yes), then
// removes the selection and reports. Exit status: 0 done, 1 failures, 2 refusal.
int runCleanCommand(const CliOptions& options);
