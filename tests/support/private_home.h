#pragma once

#include <QString>

// Points HOME and the XDG base folders (configuration, cache, data, state) at fresh
// folders below `root`, for this process and the programs it starts: no test may read
// or change the home of the person running it (the search index, the removal log, the
// settings file).
void usePrivateHome(const QString& root);
