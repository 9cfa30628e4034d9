#include "tools/mdsearch/query.h"

#include <charconv>
#include <cstdlib>

namespace mdsearch {
namespace {

// Deeper nesting than this is refused rather than risking the stack.
constexpr int kMaxDepth = 200;

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
bool isWordChar(char c) {
    return isLetter(c) || isDigit(c) || c == '.' || c == '-';
}
// Where a value or an attribute name may end.
bool isDelimiter(char c) {
    return isSpace(c) || c == ')' || c == '&' || c == '|';
}

class Parser {
public:
    explicit Parser(std::string_view text) : text_(text) {}

    ParseResult parse() {
        ParseResult result;
        auto root = parseOr(0);
        skipSpace();
        if (root && pos_ < text_.size()) fail("unexpected text after the query");
        if (!error_.empty()) {
            result.error = error_;
            result.errorOffset = errorOffset_;
            return result;
        }
        result.root = std::move(root);
        return result;
    }

private:
    std::unique_ptr<QueryNode> parseOr(int depth) {
        return parseChain(QueryNode::Type::Or, "||", [this, depth] { return parseAnd(depth); });
    }

    std::unique_ptr<QueryNode> parseAnd(int depth) {
        return parseChain(QueryNode::Type::And, "&&",
                          [this, depth] { return parsePrimary(depth); });
    }

    template <typename ParseOperand>
    std::unique_ptr<QueryNode> parseChain(QueryNode::Type type, std::string_view joiner,
                                          ParseOperand parseOperand) {
        auto first = parseOperand();
        if (!first) return nullptr;
        if (!consume(joiner)) return first;
        auto chain = std::make_unique<QueryNode>();
        chain->type = type;
        chain->operands.push_back(std::move(first));
        do {
            auto next = parseOperand();
            if (!next) return nullptr;
            chain->operands.push_back(std::move(next));
        } while (consume(joiner));
        return chain;
    }

    std::unique_ptr<QueryNode> parsePrimary(int depth) {
        skipSpace();
        if (pos_ >= text_.size()) return fail("expected a comparison");
        if (text_[pos_] != '(') return parseComparison();
        if (depth >= kMaxDepth) return fail("parentheses nested too deeply");
        ++pos_;
        auto inner = parseOr(depth + 1);
        if (!inner) return nullptr;
        if (!consume(")")) return fail("expected \")\"");
        return inner;
    }

    std::unique_ptr<QueryNode> parseComparison() {
        auto node = std::make_unique<QueryNode>();
        if (!isLetter(text_[pos_])) return fail("expected an attribute name");
        const size_t start = pos_;
        while (pos_ < text_.size() && (isLetter(text_[pos_]) || isDigit(text_[pos_])))
            ++pos_;
        node->comparison.attribute = std::string(text_.substr(start, pos_ - start));
        skipSpace();
        if (!parseOperator(&node->comparison.op)) return fail("expected a comparison operator");
        skipSpace();
        if (pos_ >= text_.size()) return fail("expected a value");
        if (!parseValue(&node->comparison.value)) return nullptr;
        return node;
    }

    bool parseOperator(CompareOp* op) {
        static constexpr struct {
            std::string_view spelling;
            CompareOp op;
        } kOperators[] = {{"==", CompareOp::Equal},        {"!=", CompareOp::NotEqual},
                          {">=", CompareOp::GreaterEqual}, {"<=", CompareOp::LessEqual},
                          {"=", CompareOp::Equal},         {">", CompareOp::Greater},
                          {"<", CompareOp::Less}};
        for (const auto& candidate : kOperators) {
            if (text_.substr(pos_).starts_with(candidate.spelling)) {
                pos_ += candidate.spelling.size();
                *op = candidate.op;
                return true;
            }
        }
        return false;
    }

    bool parseValue(Value* value) {
        const char c = text_[pos_];
        if (c == '\'' || c == '"') return parseQuoted(value);
        if (c == '$') return parseTime(value);
        if (isDigit(c) || (c == '-' && pos_ + 1 < text_.size() && isDigit(text_[pos_ + 1]))) {
            return parseNumber(value);
        }
        if (isLetter(c)) return parseWord(value);
        fail("expected a value");
        return false;
    }

    bool parseQuoted(Value* value) {
        const char quote = text_[pos_++];
        std::string text;
        std::vector<bool> wildcards;
        for (;;) {
            if (pos_ >= text_.size()) return failed("unterminated quoted text");
            char c = text_[pos_++];
            if (c == quote) break;
            const bool escaped = c == '\\';
            if (escaped) {
                if (pos_ >= text_.size()) return failed("unterminated quoted text");
                c = text_[pos_++];
            }
            text.push_back(c);
            wildcards.push_back(!escaped && c == '*');
        }
        if (pos_ < text_.size() && !isDelimiter(text_[pos_])) {
            return failed("unexpected text after the quoted value");
        }
        value->kind = Value::Kind::Text;
        value->quoted = true;
        value->text = Glob(text, wildcards);
        return true;
    }

    bool parseNumber(Value* value) {
        const size_t start = pos_;
        if (text_[pos_] == '-') ++pos_;
        while (pos_ < text_.size() && isDigit(text_[pos_]))
            ++pos_;
        if (pos_ < text_.size() && text_[pos_] == '.') {
            ++pos_;
            if (pos_ >= text_.size() || !isDigit(text_[pos_])) return failed("malformed number");
            while (pos_ < text_.size() && isDigit(text_[pos_]))
                ++pos_;
        }
        if (pos_ < text_.size() && !isDelimiter(text_[pos_])) return failed("malformed number");
        const std::string spelling(text_.substr(start, pos_ - start));
        value->kind = Value::Kind::Number;
        value->text = Glob::literal(spelling);
        value->number = std::strtod(spelling.c_str(), nullptr);
        int64_t integer = 0;
        const auto [end, ec] =
            std::from_chars(spelling.data(), spelling.data() + spelling.size(), integer);
        if (ec == std::errc() && end == spelling.data() + spelling.size()) value->integer = integer;
        return true;
    }

    bool parseWord(Value* value) {
        const size_t start = pos_;
        while (pos_ < text_.size() && isWordChar(text_[pos_]))
            ++pos_;
        if (pos_ < text_.size() && !isDelimiter(text_[pos_])) return failed("malformed value");
        value->kind = Value::Kind::Text;
        value->text = Glob::literal(std::string(text_.substr(start, pos_ - start)));
        return true;
    }

    bool parseTime(Value* value) {
        value->kind = Value::Kind::Time;
        if (consumeExactly("$time.today")) {
            value->timeBase = Value::TimeBase::Today;
        } else if (consumeExactly("$time.now")) {
            value->timeBase = Value::TimeBase::Now;
        } else {
            return failed("unknown $ value; expected $time.today or $time.now");
        }
        if (pos_ < text_.size() && text_[pos_] == '(') {
            ++pos_;
            skipSpace();
            const size_t start = pos_;
            if (pos_ < text_.size() && (text_[pos_] == '-' || text_[pos_] == '+')) ++pos_;
            while (pos_ < text_.size() && isDigit(text_[pos_]))
                ++pos_;
            std::string_view digits = text_.substr(start, pos_ - start);
            if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
            const auto [end, ec] =
                std::from_chars(digits.data(), digits.data() + digits.size(), value->timeOffset);
            if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size()) {
                return failed("expected a whole number in $time");
            }
            skipSpace();
            if (pos_ >= text_.size() || text_[pos_] != ')') return failed("expected \")\"");
            ++pos_;
        }
        if (pos_ < text_.size() && !isDelimiter(text_[pos_]))
            return failed("malformed $time value");
        return true;
    }

    bool consume(std::string_view token) {
        skipSpace();
        return consumeExactly(token);
    }

    bool consumeExactly(std::string_view token) {
        if (!text_.substr(pos_).starts_with(token)) return false;
        pos_ += token.size();
        return true;
    }

    void skipSpace() {
        while (pos_ < text_.size() && isSpace(text_[pos_]))
            ++pos_;
    }

    std::unique_ptr<QueryNode> fail(const char* message) {
        if (error_.empty()) {
            error_ = message;
            errorOffset_ = pos_;
        }
        return nullptr;
    }

    bool failed(const char* message) {
        fail(message);
        return false;
    }

    std::string_view text_;
    size_t pos_ = 0;
    std::string error_;
    size_t errorOffset_ = 0;
};

}  // namespace

Glob::Glob(const std::string& text, const std::vector<bool>& wildcards) {
    pieces_.clear();
    pieces_.emplace_back();
    for (size_t i = 0; i < text.size(); ++i) {
        if (wildcards[i]) {
            pieces_.emplace_back();
        } else {
            pieces_.back().push_back(text[i]);
        }
    }
}

Glob Glob::literal(std::string text) {
    Glob glob;
    glob.pieces_.front() = std::move(text);
    return glob;
}

// The first piece anchors the start, the last the end, and the pieces between are found
// left to right, each as early as possible, which is enough for "*" alone.
bool Glob::matches(std::string_view subject) const {
    if (!hasWildcard()) return subject == pieces_.front();
    const std::string& first = pieces_.front();
    const std::string& last = pieces_.back();
    if (subject.size() < first.size() + last.size()) return false;
    if (!subject.starts_with(first) || !subject.ends_with(last)) return false;
    std::string_view middle =
        subject.substr(first.size(), subject.size() - first.size() - last.size());
    for (size_t i = 1; i + 1 < pieces_.size(); ++i) {
        const size_t at = middle.find(pieces_[i]);
        if (at == std::string_view::npos) return false;
        middle.remove_prefix(at + pieces_[i].size());
    }
    return true;
}

ParseResult parseQuery(std::string_view text) {
    return Parser(text).parse();
}

std::string joinQueryArguments(const std::vector<std::string>& arguments) {
    std::string joined;
    for (const std::string& argument : arguments) {
        if (!joined.empty()) joined.push_back(' ');
        joined += argument;
    }
    return joined;
}

}  // namespace mdsearch
