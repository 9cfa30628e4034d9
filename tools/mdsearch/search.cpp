#include "tools/mdsearch/search.h"

#include <QDateTime>

namespace mdsearch {

struct CompiledQuery::Term {
    QueryNode::Type type = QueryNode::Type::Comparison;
    std::vector<std::unique_ptr<Term>> operands;
    Attribute attribute = Attribute::FSSize;
    CompareOp op = CompareOp::Equal;
    Glob text;
    std::optional<int64_t> integer;
    double number = 0;
    int64_t time = 0;
    bool boolean = false;
};

namespace {

using Term = CompiledQuery::Term;

int64_t nanosecondsFromMSecs(qint64 ms) {
    return int64_t(ms) * 1'000'000;
}

int64_t timeOf(const Value& value, int64_t now) {
    if (value.timeBase == Value::TimeBase::Now) return now + value.timeOffset * 1'000'000'000;
    const QDateTime today = QDateTime::fromMSecsSinceEpoch(now / 1'000'000)
                                .date()
                                .startOfDay()
                                .addDays(value.timeOffset);
    return nanosecondsFromMSecs(today.toMSecsSinceEpoch());
}

bool isOrdering(CompareOp op) {
    return op != CompareOp::Equal && op != CompareOp::NotEqual;
}

template <typename T>
bool compareOrdered(const T& item, CompareOp op, const T& value) {
    switch (op) {
        case CompareOp::Equal:
            return item == value;
        case CompareOp::NotEqual:
            return item != value;
        case CompareOp::Less:
            return item < value;
        case CompareOp::LessEqual:
            return item <= value;
        case CompareOp::Greater:
            return item > value;
        case CompareOp::GreaterEqual:
            return item >= value;
    }
    return false;
}

bool bindValue(const AttributeInfo& info, const Comparison& comparison, int64_t now, Term* term,
               std::string* error) {
    const Value& value = comparison.value;
    const std::string name(info.name);
    switch (info.type) {
        case AttributeType::Number:
            if (value.kind != Value::Kind::Number) {
                *error = name + " compares with a number";
                return false;
            }
            term->integer = value.integer;
            term->number = value.number;
            return true;
        case AttributeType::Text:
            if (value.kind == Value::Kind::Time) {
                *error = name + " compares with text";
                return false;
            }
            if (value.text.hasWildcard() && isOrdering(comparison.op)) {
                *error = "wildcards need == or !=";
                return false;
            }
            term->text = value.text;
            return true;
        case AttributeType::Boolean: {
            if (isOrdering(comparison.op)) {
                *error = name + " compares with == or != only";
                return false;
            }
            const std::string& word = value.text.text();
            if (value.kind == Value::Kind::Number) {
                term->boolean = value.number != 0;
            } else if (value.kind == Value::Kind::Text && !value.text.hasWildcard() &&
                       (word == "true" || word == "false")) {
                term->boolean = word == "true";
            } else {
                *error = name + " compares with 1, 0, true or false";
                return false;
            }
            return true;
        }
        case AttributeType::Date:
            if (value.kind != Value::Kind::Time) {
                *error = name + " compares with $time.today(N) or $time.now(N)";
                return false;
            }
            term->time = timeOf(value, now);
            return true;
    }
    return false;
}

std::unique_ptr<Term> bindTerm(const QueryNode& node, int64_t now, std::string* error) {
    auto term = std::make_unique<Term>();
    term->type = node.type;
    if (node.type != QueryNode::Type::Comparison) {
        for (const auto& operand : node.operands) {
            auto bound = bindTerm(*operand, now, error);
            if (!bound) return nullptr;
            term->operands.push_back(std::move(bound));
        }
        return term;
    }
    const auto info = attributeNamed(node.comparison.attribute);
    if (!info) {
        *error = "unknown attribute " + node.comparison.attribute;
        return nullptr;
    }
    term->attribute = info->attribute;
    term->op = node.comparison.op;
    if (!bindValue(*info, node.comparison, now, term.get(), error)) return nullptr;
    return term;
}

bool compareText(std::string_view item, const Term& term) {
    switch (term.op) {
        case CompareOp::Equal:
            return term.text.matches(item);
        case CompareOp::NotEqual:
            return !term.text.matches(item);
        default:
            return compareOrdered(item, term.op, std::string_view(term.text.text()));
    }
}

bool compareNumber(int64_t item, const Term& term) {
    if (term.integer) return compareOrdered(item, term.op, *term.integer);
    return compareOrdered(double(item), term.op, term.number);
}

bool evaluate(const Term& term, const IndexView& index, uint32_t i, KindResolver& kinds) {
    switch (term.type) {
        case QueryNode::Type::And:
            for (const auto& operand : term.operands) {
                if (!evaluate(*operand, index, i, kinds)) return false;
            }
            return true;
        case QueryNode::Type::Or:
            for (const auto& operand : term.operands) {
                if (evaluate(*operand, index, i, kinds)) return true;
            }
            return false;
        case QueryNode::Type::Comparison:
            break;
    }
    const IndexNode& node = index.node(i);
    const auto type = ItemType(node.type);
    const bool app = node.flags & kAppBundle;
    switch (term.attribute) {
        case Attribute::FSSize:
            // A plain folder has no size of its own, as in the system's index.
            return type != ItemType::Folder && compareNumber(node.size, term);
        case Attribute::Kind:
            return compareText(kinds.kindOf(index.name(i), type, app).kind, term);
        case Attribute::ContentType:
            return compareText(kinds.kindOf(index.name(i), type, app).contentType, term);
        case Attribute::IsScreenCapture:
            return (node.flags & kScreenshot) && compareOrdered(true, term.op, term.boolean);
        case Attribute::DisplayName:
            return compareText(index.name(i), term);
        case Attribute::UsedDates:
        case Attribute::LastUsedDate:
            return compareOrdered(node.atime, term.op, term.time);
        case Attribute::BundleIdentifier:
            return app && node.extraLength > 0 && compareText(index.extra(i), term);
    }
    return false;
}

}  // namespace

CompiledQuery::CompiledQuery(std::unique_ptr<Term> root) : root_(std::move(root)) {}
CompiledQuery::CompiledQuery(CompiledQuery&&) noexcept = default;
CompiledQuery& CompiledQuery::operator=(CompiledQuery&&) noexcept = default;
CompiledQuery::~CompiledQuery() = default;

std::optional<CompiledQuery> CompiledQuery::compile(const QueryNode& root, int64_t now,
                                                    std::string* error) {
    auto term = bindTerm(root, now, error);
    if (!term) return std::nullopt;
    return CompiledQuery(std::move(term));
}

std::optional<CompiledQuery> CompiledQuery::fromText(std::string_view text, int64_t now,
                                                     std::string* error) {
    const ParseResult parsed = parseQuery(text);
    if (!parsed.root) {
        *error = parsed.error + " at offset " + std::to_string(parsed.errorOffset);
        return std::nullopt;
    }
    return compile(*parsed.root, now, error);
}

bool CompiledQuery::matches(const IndexView& index, uint32_t node, KindResolver& kinds) const {
    return evaluate(*root_, index, node, kinds);
}

void searchIndex(const IndexView& index, const CompiledQuery& query, bool nulSeparated,
                 std::string* out) {
    KindResolver kinds;
    for (uint32_t i = 1; i < index.count(); ++i) {
        if (index.node(i).flags & kInPackage) continue;
        if (!query.matches(index, i, kinds)) continue;
        index.appendPath(i, out);
        out->push_back(nulSeparated ? '\0' : '\n');
    }
}

}  // namespace mdsearch
