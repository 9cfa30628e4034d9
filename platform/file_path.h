#pragma once

#include <QByteArray>
#include <QString>

// File names on Linux are bytes. The engine holds paths as QString, so every conversion
// between the two goes through here. Bytes that are not valid UTF-8 map to the lone
// surrogates U+DC80..U+DCFF (the "surrogateescape" convention), which makes the mapping
// lossless in both directions: a name with invalid UTF-8 can still be listed, measured,
// shown and removed.
namespace platform {

QString decodePath(const char* bytes, qsizetype length);
inline QString decodePath(const QByteArray& bytes) {
    return decodePath(bytes.constData(), bytes.size());
}
QByteArray encodePath(const QString& path);

// True when the path holds bytes that were not valid UTF-8.
bool hasEscapedBytes(const QString& path);

// "/a/b" + "c" -> "/a/b/c", with exactly one separator between the two.
QString appendPathComponent(const QString& path, const QString& component);
QString lastPathComponent(const QString& path);
QString deletingLastPathComponent(const QString& path);

// Expands a leading "~" to `home`, removes "." and ".." components, duplicate and
// trailing separators.
QString standardizePath(const QString& path, const QString& home = QString());

}  // namespace platform
