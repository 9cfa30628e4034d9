// libFuzzer entry point for property-list reading: whatever the bytes, parsing must
// return (no crash, no hang, no memory error) and agree with itself.
#include <cstdint>
#include <cstdlib>

#include "platform/property_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const platform::PropertyListStatus status = platform::checkPropertyList(bytes);
    const std::optional<QVariant> value = platform::parsePropertyList(bytes);
    // A value comes only from a list that parses; an input small enough is never left
    // unexamined.
    if (value && status != platform::PropertyListStatus::Parsed) abort();
    if (status == platform::PropertyListStatus::Unexamined && size < (size_t(1) << 20)) abort();
    // The nesting check counts XML levels as libplist builds them, so every XML list that
    // passes it and parses gives its value.
    if (status == platform::PropertyListStatus::Parsed && !bytes.startsWith("bplist00") && !value)
        abort();
    const std::optional<QVariantMap> dictionary = platform::propertyListDictionary(bytes);
    if (dictionary && (!value || value->typeId() != QMetaType::QVariantMap)) abort();
    return 0;
}
