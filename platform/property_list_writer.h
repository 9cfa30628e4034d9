#pragma once

#include <QByteArray>
#include <QVariant>
#include <optional>

namespace platform {

// Serialises a value (a QVariantMap becomes a dictionary, a QVariantList an array;
// strings, booleans, integers, reals, dates and data as themselves) through libplist.
// Nothing when libplist cannot write it.
std::optional<QByteArray> xmlPropertyList(const QVariant& value);
std::optional<QByteArray> binaryPropertyList(const QVariant& value);

}  // namespace platform
