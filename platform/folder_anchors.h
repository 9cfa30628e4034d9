#pragma once

#include <QByteArray>
#include <QString>

#include "platform/unique_fd.h"

// Where the parent chain of a path is opened from. A scan anchors the folders it looks
// at (the home folder, each category's folder): a folder that is itself a link the user
// made is followed there, once, and the folder it leads to is recorded by device and
// inode. Every later opening of a path beneath it starts from that folder, checks that
// it is still the same one, and opens each further component without following links.
// So a link put into the chain after the scan cannot lead removal or measuring out of
// what was scanned. Paths beneath no anchor are opened the same way from "/".
namespace platform {

// errno-like value for "this is no longer what the scan saw".
constexpr int kChangedSinceScan = -1;

// Resolves the folder and records it; a folder that does not exist is not anchored.
// Anchoring the same path again replaces what was recorded.
void anchorFolder(const QString& path);
// Forgets every anchor.
void clearFolderAnchors();

// Everything of an absolute path but its last component, opened. Trailing separators
// are dropped first, so "dir/link/" names the link. `error` is an errno value or
// kChangedSinceScan; a link anywhere in the chain is reported as ELOOP.
struct OpenedParent {
    UniqueFd parent;
    QByteArray name;
    int error = 0;
};
OpenedParent openParentBeneathAnchor(const QString& path);

// The folder at the path itself, opened for reading: an anchor (checked), or a real
// folder reached without links. -1 with `*error` set otherwise.
UniqueFd openFolderBeneathAnchor(const QString& path, int* error);

}  // namespace platform
