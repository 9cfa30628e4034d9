#pragma once

#include "cli/cli_options.h"

// Lists the login items, or switches one on or off by its path, as the item's switch
// in the application does.
int runLoginItemsCommand(const CliOptions& options);
