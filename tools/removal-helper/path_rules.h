#pragma once

#include <QByteArray>
#include <QList>

// Which paths the helper accepts, judged on their text alone before anything is opened.

// "/a/b": absolute, no empty, "." or ".." components, no trailing "/".
bool isNormalisedAbsolutePath(const QByteArray& path);

// The user folders that hold the user's documents (Desktop, Documents, ...): the
// defaults of xdg-user-dirs beneath `home`, and those that the content of the user's
// user-dirs.dirs names.
QList<QByteArray> userDirectories(const QByteArray& home, const QByteArray& userDirsContent);

// Why the helper refuses to remove `path`, or an empty text when it may try: the path
// must lie at least two levels beneath the home folder and must neither be nor hold one
// of the user folders.
QByteArray refusalOf(const QByteArray& path, const QByteArray& home,
                     const QList<QByteArray>& userFolders);
