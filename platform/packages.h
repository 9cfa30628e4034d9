#pragma once

#include <QString>

namespace platform {

// Whether a folder with this name is a package: shown, measured and removed as one
// item, its content never listed on its own.
bool isPackageName(const QString& name);
bool isPackageName(const char* name);

}  // namespace platform
