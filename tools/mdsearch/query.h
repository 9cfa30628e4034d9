#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The metadata query language, as far as the cleaner's searches use it:
//
//   query      := or
//   or         := and ( "||" and )*
//   and        := primary ( "&&" primary )*
//   primary    := "(" or ")" | comparison
//   comparison := ATTRIBUTE op value
//   op         := "==" | "=" | "!=" | ">=" | "<=" | ">" | "<"
//   value      := 'text' | "text" | NUMBER | BAREWORD | $time.today[(N)] | $time.now[(N)]
//
// Quoted text may hold "*" wildcards; a backslash takes the next character literally.
// This file knows nothing of attributes or of files; it depends on the standard library
// only, so that it can be fuzzed on its own.
namespace mdsearch {

enum class CompareOp { Equal, NotEqual, Less, LessEqual, Greater, GreaterEqual };

// Text with "*" wildcards, kept as the literal pieces between them.
class Glob {
public:
    Glob() = default;
    // `text` is the unescaped text; `wildcards` marks which characters were unescaped "*".
    Glob(const std::string& text, const std::vector<bool>& wildcards);
    static Glob literal(std::string text);

    bool hasWildcard() const { return pieces_.size() > 1; }
    // The text without wildcards (meaningful when hasWildcard() is false).
    const std::string& text() const { return pieces_.front(); }
    bool matches(std::string_view subject) const;

private:
    std::vector<std::string> pieces_{std::string()};
};

struct Value {
    enum class Kind { Text, Number, Time };
    Kind kind = Kind::Text;
    Glob text;                       // Text, and the spelling of a Number
    bool quoted = false;             // Text written in quotes (bare words are not)
    std::optional<int64_t> integer;  // Number without a fraction that fits 64 bits
    double number = 0;               // Number
    enum class TimeBase { Today, Now };
    TimeBase timeBase = TimeBase::Today;
    int64_t timeOffset = 0;  // days for Today, seconds for Now
};

struct Comparison {
    std::string attribute;
    CompareOp op = CompareOp::Equal;
    Value value;
};

// And and Or hold all their operands in one list, so a long chain of "||" stays shallow.
struct QueryNode {
    enum class Type { Comparison, And, Or };
    Type type = Type::Comparison;
    Comparison comparison;
    std::vector<std::unique_ptr<QueryNode>> operands;
};

struct ParseResult {
    std::unique_ptr<QueryNode> root;  // null when the text is not a query
    std::string error;
    size_t errorOffset = 0;
};

ParseResult parseQuery(std::string_view text);

// Several query arguments form one query, as if written on one line.
std::string joinQueryArguments(const std::vector<std::string>& arguments);

}  // namespace mdsearch
