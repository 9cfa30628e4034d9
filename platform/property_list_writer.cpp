#include "platform/property_list_writer.h"

#include <plist/plist.h>
#include <QDateTime>
#include <cstdlib>

namespace platform {
namespace {

// Seconds between 1970 and 2001, the epoch of property-list dates.
constexpr qint64 kPlistEpochOffset = 978307200;

plist_t toPlist(const QVariant& value) {
    switch (value.typeId()) {
        case QMetaType::Bool:
            return plist_new_bool(value.toBool());
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::ULongLong:
            return plist_new_uint(value.toULongLong());
        case QMetaType::Double:
            return plist_new_real(value.toDouble());
        case QMetaType::QDateTime: {
            const qint64 ms = value.toDateTime().toMSecsSinceEpoch();
            return plist_new_date(int32_t(ms / 1000 - kPlistEpochOffset),
                                  int32_t(ms % 1000) * 1000);
        }
        case QMetaType::QByteArray: {
            const QByteArray data = value.toByteArray();
            return plist_new_data(data.constData(), uint64_t(data.size()));
        }
        case QMetaType::QVariantList:
        case QMetaType::QStringList: {
            plist_t array = plist_new_array();
            for (const QVariant& item : value.toList())
                plist_array_append_item(array, toPlist(item));
            return array;
        }
        case QMetaType::QVariantMap: {
            plist_t dict = plist_new_dict();
            const QVariantMap map = value.toMap();
            for (auto it = map.begin(); it != map.end(); ++it) {
                plist_dict_set_item(dict, it.key().toUtf8().constData(), toPlist(it.value()));
            }
            return dict;
        }
        default:
            return plist_new_string(value.toString().toUtf8().constData());
    }
}

std::optional<QByteArray> serialise(const QVariant& value, bool binary) {
    plist_t root = toPlist(value);
    char* data = nullptr;
    uint32_t length = 0;
    if (binary) {
        plist_to_bin(root, &data, &length);
    } else {
        plist_to_xml(root, &data, &length);
    }
    plist_free(root);
    if (!data) return std::nullopt;
    QByteArray bytes(data, qsizetype(length));
    std::free(data);
    return bytes;
}

}  // namespace

std::optional<QByteArray> xmlPropertyList(const QVariant& value) {
    return serialise(value, false);
}

std::optional<QByteArray> binaryPropertyList(const QVariant& value) {
    return serialise(value, true);
}

}  // namespace platform
