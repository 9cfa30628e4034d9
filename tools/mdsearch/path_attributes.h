#pragma once

#include <QJsonObject>
#include <optional>
#include <string>

namespace mdsearch {

// The attributes of the file or folder at `path`, derived as the index derives them, for
// the metadata-item calls: keys are the attribute names, dates ISO 8601 text, and an
// absent attribute is left out. Nothing when nothing exists at the path.
std::optional<QJsonObject> attributesOfPath(const std::string& path);

}  // namespace mdsearch
