#pragma once

#include <QString>

// The explanation that comes with each category: what it holds and what removing it
// costs, read once from the program's resources.
namespace SWCategoryTexts {

inline constexpr char kTooltipsResource[] = ":/results/Tooltips.plist";
inline constexpr char kMissingTooltip[] = "Missing Tooltip";

// The category's explanation, trimmed; "Missing Tooltip" when it has none.
QString tooltipForKey(const QString& key);

}  // namespace SWCategoryTexts
