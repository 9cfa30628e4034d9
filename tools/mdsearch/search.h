#pragma once

#include <memory>
#include <optional>
#include <string>

#include "tools/mdsearch/attributes.h"
#include "tools/mdsearch/metadata_index.h"
#include "tools/mdsearch/query.h"

namespace mdsearch {

// A parsed query bound to the attributes it names, with its values checked against each
// attribute's type and its dates fixed at the moment of compiling.
class CompiledQuery {
public:
    // Nothing, with a message in `error`, for an unknown attribute or a value of the wrong
    // type. `now` is nanoseconds since 1970.
    static std::optional<CompiledQuery> compile(const QueryNode& root, int64_t now,
                                                std::string* error);
    // Parses and compiles in one step.
    static std::optional<CompiledQuery> fromText(std::string_view text, int64_t now,
                                                 std::string* error);

    CompiledQuery(CompiledQuery&&) noexcept;
    CompiledQuery& operator=(CompiledQuery&&) noexcept;
    ~CompiledQuery();

    // Whether the listed item `node` of the index answers the query.
    bool matches(const IndexView& index, uint32_t node, KindResolver& kinds) const;

    struct Term;

private:
    explicit CompiledQuery(std::unique_ptr<Term> root);
    std::unique_ptr<Term> root_;
};

// Appends the path of every listed item that answers the query, one per line (or ending
// in NUL when `nulSeparated`), in index order.
void searchIndex(const IndexView& index, const CompiledQuery& query, bool nulSeparated,
                 std::string* out);

}  // namespace mdsearch
