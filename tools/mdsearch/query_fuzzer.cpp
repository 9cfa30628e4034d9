// libFuzzer entry for the query parser: any bytes must parse or fail cleanly, and a
// parsed query's text values must match without fault.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "tools/mdsearch/query.h"

namespace {

void exercise(const mdsearch::QueryNode& node, std::string_view subject) {
    if (node.type == mdsearch::QueryNode::Type::Comparison) {
        node.comparison.value.text.matches(subject);
        node.comparison.value.text.matches(node.comparison.attribute);
        return;
    }
    for (const auto& operand : node.operands)
        exercise(*operand, subject);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const mdsearch::ParseResult result = mdsearch::parseQuery(text);
    if (result.root) {
        exercise(*result.root, text);
    } else if (result.error.empty() || result.errorOffset > size) {
        __builtin_trap();
    }
    return 0;
}
