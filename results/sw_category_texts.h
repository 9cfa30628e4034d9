#pragma once

#include <QString>

// The explanation that comes with each category: what it holds and what removing it
// costs, read once from the program's resources.
namespace SWCategoryTexts {

inline constexpr char kTooltipsResource[] = ":/results/Tooltips.plist";
inline constexpr char kMissingTooltip[] = "Missing Tooltip";

// Makes the category texts and icons of the program's resources reachable; the first
// call does it.
void loadResources();

// The category's explanation, trimmed; "Missing Tooltip" when it has none.
QString tooltipForKey(const QString& key);

}  // namespace SWCategoryTexts
