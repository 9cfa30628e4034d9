#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <optional>

// Property lists in every format libplist reads (XML and binary), parsed without options.
// Values become QVariant: a dictionary is a QVariantMap, an array a QVariantList, a string
// a QString, an integer a qlonglong, a real a double, data a QByteArray, a date a UTC
// QDateTime, a keyed-archive UID the dictionary {"CF$UID": n}.
namespace platform {

enum class PropertyListStatus {
    Parsed,  // libplist accepts it
    // Empty, truncated, not a property list, nested deeper than kMaxPropertyListDepth, or a
    // file that cannot be read.
    Malformed,
    // Too large to examine within the process's limits: nothing is known about it, so
    // callers must not take it for broken.
    Unexamined,
};

// The largest file read in full; a preference file is a few kilobytes.
inline constexpr qint64 kMaxPropertyListFileBytes = qint64(64) << 20;
// The most arrays, dictionaries and sets a list may nest, far beyond any real list. Deeper
// lists are refused before libplist sees them: it needs time quadratic in the depth of a
// binary list, and stack in proportion to the depth of either kind.
inline constexpr int kMaxPropertyListDepth = 512;

PropertyListStatus checkPropertyList(const QByteArray& data);
// The parsed value; nothing when the data is not Parsed, or when a binary list keys a
// dictionary by anything but plain text (libplist aborts on reading such a key).
std::optional<QVariant> parsePropertyList(const QByteArray& data);
// The top level when it is a dictionary.
std::optional<QVariantMap> propertyListDictionary(const QByteArray& data);

// The same for the content of a file (following links). A file that cannot be opened or
// read, and anything but a regular file, is Malformed; one larger than
// kMaxPropertyListFileBytes is Unexamined. Never blocks on a FIFO or a device.
PropertyListStatus checkPropertyListFile(const QString& path);
std::optional<QVariantMap> propertyListDictionaryAtPath(const QString& path);

}  // namespace platform
