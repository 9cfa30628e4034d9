#include "tools/mdsearch/search.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDateTime>
#include <QJsonArray>
#include <cerrno>

#include "platform/file_manager.h"
#include "platform/file_path.h"
#include "platform/packages.h"

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

QString jsonDate(int64_t nanoseconds) {
    return QDateTime::fromMSecsSinceEpoch(nanoseconds / 1'000'000, Qt::UTC)
        .toString(Qt::ISODateWithMs);
}

QString decoded(std::string_view bytes) {
    return platform::decodePath(bytes.data(), qsizetype(bytes.size()));
}

int64_t nanoseconds(const struct timespec& t) {
    return int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
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

std::optional<QJsonObject> attributesOfPath(const std::string& path) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) return std::nullopt;
    const size_t slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty()) name = path;
    const std::string folder =
        slash == std::string::npos ? "." : path.substr(0, std::max<size_t>(slash, 1));

    ItemType type = ItemType::File;
    if (S_ISDIR(st.st_mode)) {
        type = platform::isPackageName(name.c_str()) ? ItemType::Package : ItemType::Folder;
    }
    QJsonObject attributes;
    attributes.insert(QStringLiteral("kMDItemDisplayName"), decoded(name));
    int64_t usedAt = nanoseconds(st.st_atim);
    bool app = false;
    if (type == ItemType::Package && isAppBundleName(name)) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd >= 0) {
            if (const auto facts = examineAppBundle(fd)) {
                app = true;
                usedAt = facts->usedAt;
                if (const auto identifier = readBundleIdentifier(fd)) {
                    attributes.insert(QStringLiteral("kMDItemCFBundleIdentifier"),
                                      QString::fromStdString(*identifier));
                }
            }
            ::close(fd);
        }
    }
    KindResolver kinds;
    const auto& kind = kinds.kindOf(name, type, app);
    attributes.insert(QStringLiteral("kMDItemKind"), QString::fromStdString(kind.kind));
    attributes.insert(QStringLiteral("kMDItemContentType"),
                      QString::fromStdString(kind.contentType));
    if (type == ItemType::File) {
        attributes.insert(QStringLiteral("kMDItemFSSize"), qint64(st.st_size));
    } else if (type == ItemType::Package) {
        attributes.insert(
            QStringLiteral("kMDItemFSSize"),
            qint64(platform::sizeOfItem(platform::decodePath(QByteArray::fromStdString(path)))));
    }
    if (type == ItemType::File && S_ISREG(st.st_mode)) {
        bool screenshot = isScreenshotName(name);
        if (!screenshot && isPngName(name) && st.st_size >= kSmallestPngWithText) {
            const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (dirFd >= 0) {
                screenshot = pngHasScreenshotText(dirFd, name.c_str());
                ::close(dirFd);
            }
        }
        if (screenshot) attributes.insert(QStringLiteral("kMDItemIsScreenCapture"), true);
    }
    attributes.insert(QStringLiteral("kMDItemUsedDates"), QJsonArray{jsonDate(usedAt)});
    attributes.insert(QStringLiteral("kMDItemLastUsedDate"), jsonDate(usedAt));
    return attributes;
}

}  // namespace mdsearch
