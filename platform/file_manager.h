#pragma once

#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

#include "platform/error.h"
#include "platform/file_identity.h"

// The file operations the engine builds on. Those that examine, measure, list or remove
// an item open its path from the nearest anchored folder above it (see
// folder_anchors.h) one component at a time, never following a symbolic link below that
// folder, nor the link at the end of the path, and never entering another mounted file
// system below the item. Paths must be absolute: a relative path is refused, so nothing
// is ever resolved against the working folder. fileExistsAtPath, readFileContents and
// writeFileAtomically are plain path operations that follow links; nothing removes or
// measures through them.
namespace platform {

enum class ItemKind { Missing, Directory, Link, Other };

// What lies at the path itself (a link is a Link, whatever it points to). For Missing,
// `error` tells why: ENOENT when nothing is there, another errno (or kChangedSinceScan)
// when the path could not be looked at.
ItemKind itemKind(const QString& path, int* error = nullptr);

// What is at the path itself now, as removal compares it; nothing when it is missing.
std::optional<FileIdentity> identityOfItem(const QString& path);

// The owner and the mode (type and permission bits) of the item at the path itself.
struct ItemOwnership {
    quint32 owner = 0;
    quint32 mode = 0;
};
std::optional<ItemOwnership> ownershipOfItem(const QString& path);
// Whether this process may create and remove entries in the folder at the path, as the
// system answers it (a read-only mount may not be written, whatever its modes say).
bool isWritableFolder(const QString& path);

// The error for an errno of these operations, or for our own refusals (folder_anchors.h).
Error errorFor(int err, const QString& path);

// Whether something exists at the path, following links as a plain stat() does.
bool fileExistsAtPath(const QString& path);

// Logical size in bytes: a file's size, a link's own size, or for a folder the sum over
// every non-folder entry beneath it. A mount point, and anything unreadable, counts 0.
quint64 sizeOfItem(const QString& path);

// Removes one entry that is not a folder (a file, a link, ...).
bool removeFile(const QString& path, Error* error);

struct RemovalFailure {
    QString path;
    Error error;
};

// Removes everything inside the folder, then the folder itself unless
// `keepContainingFolder`. Every entry that could not be removed is reported, deepest
// first; a folder holding such an entry is not reported again.
void removeDirectory(const QString& path, bool keepContainingFolder,
                     std::vector<RemovalFailure>* failures);

// Removes the item at the path, a folder with everything inside it, but only while it is
// still what `scanned` describes; otherwise nothing is touched and the failure says that
// the file changed after the scan. A folder is checked again once opened, so one swapped
// in between the two looks is not emptied.
void removeScannedItem(const QString& path, const FileIdentity& scanned,
                       std::vector<RemovalFailure>* failures);

struct DirectoryEntry {
    QString path;
    QString name;
    bool isDirectory = false;
    QDateTime creationDate;
    QDateTime modificationDate;
    FileIdentity identity;
};

enum class HiddenNames { Skip, Include };
// The direct entries of a folder, in the order the file system gives them, without
// the names that begin with a period unless asked. False when the folder cannot be read.
bool listDirectory(const QString& path, std::vector<DirectoryEntry>* entries,
                   HiddenNames hidden = HiddenNames::Skip);

// The creation and content modification dates of the item at the path itself (a link's
// own dates), with the same stand-in for a missing creation date as listDirectory, and
// optionally its identity from the same look. False when nothing is there.
bool itemDates(const QString& path, QDateTime* creationDate, QDateTime* modificationDate,
               FileIdentity* identity = nullptr);

// The content of a regular file of at most `maxBytes`, following links; nothing when it
// cannot be read, is larger, or is not a regular file (never blocks on a FIFO).
std::optional<QByteArray> readFileContents(const QString& path, qint64 maxBytes);

// Replaces the file's content through a temporary file in the same folder and a rename,
// so that readers see the old content or the new one, never a mix.
bool writeFileAtomically(const QString& path, const QByteArray& content);

}  // namespace platform
