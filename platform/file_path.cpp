#include "platform/file_path.h"

#include <QDir>

namespace platform {
namespace {

constexpr char16_t kEscapeBase = 0xDC00;

// Length of the valid UTF-8 sequence starting at s[0], or 0 when it is not valid
// (overlong forms, encoded surrogates and values above U+10FFFF are invalid).
int validSequenceLength(const unsigned char* s, qsizetype available, char32_t* codePoint) {
    const unsigned char lead = s[0];
    int length;
    char32_t value;
    char32_t minimum;
    if (lead < 0x80) {
        *codePoint = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, value = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, value = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, value = lead & 0x07, minimum = 0x10000;
    } else {
        return 0;
    }
    if (available < length) return 0;
    for (int i = 1; i < length; ++i) {
        if ((s[i] & 0xC0) != 0x80) return 0;
        value = (value << 6) | (s[i] & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
    *codePoint = value;
    return length;
}

void appendUtf8(QByteArray& out, char32_t c) {
    if (c < 0x80) {
        out.append(char(c));
    } else if (c < 0x800) {
        out.append(char(0xC0 | (c >> 6)));
        out.append(char(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.append(char(0xE0 | (c >> 12)));
        out.append(char(0x80 | ((c >> 6) & 0x3F)));
        out.append(char(0x80 | (c & 0x3F)));
    } else {
        out.append(char(0xF0 | (c >> 18)));
        out.append(char(0x80 | ((c >> 12) & 0x3F)));
        out.append(char(0x80 | ((c >> 6) & 0x3F)));
        out.append(char(0x80 | (c & 0x3F)));
    }
}

bool isAscii(const char* bytes, qsizetype length) {
    for (qsizetype i = 0; i < length; ++i) {
        if (static_cast<unsigned char>(bytes[i]) >= 0x80) return false;
    }
    return true;
}

}  // namespace

QString decodePath(const char* bytes, qsizetype length) {
    if (isAscii(bytes, length)) return QString::fromLatin1(bytes, length);
    QString out;
    out.reserve(length);
    const auto* s = reinterpret_cast<const unsigned char*>(bytes);
    for (qsizetype i = 0; i < length;) {
        char32_t c;
        const int n = validSequenceLength(s + i, length - i, &c);
        if (n == 0) {
            out.append(QChar(char16_t(kEscapeBase + s[i])));
            ++i;
            continue;
        }
        if (c >= 0x10000) {
            out.append(QChar(QChar::highSurrogate(c)));
            out.append(QChar(QChar::lowSurrogate(c)));
        } else {
            out.append(QChar(char16_t(c)));
        }
        i += n;
    }
    return out;
}

QByteArray encodePath(const QString& path) {
    QByteArray out;
    out.reserve(path.size());
    const qsizetype n = path.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = path.at(i).unicode();
        if (u >= 0xDC80 && u <= 0xDCFF) {
            out.append(char(u - kEscapeBase));
        } else if (QChar::isHighSurrogate(u) && i + 1 < n && path.at(i + 1).isLowSurrogate()) {
            appendUtf8(out, QChar::surrogateToUcs4(u, path.at(i + 1).unicode()));
            ++i;
        } else {
            appendUtf8(out, u);
        }
    }
    return out;
}

bool hasEscapedBytes(const QString& path) {
    for (QChar c : path) {
        if (c.unicode() >= 0xDC80 && c.unicode() <= 0xDCFF) return true;
    }
    return false;
}

QString appendPathComponent(const QString& path, const QString& component) {
    if (path.isEmpty()) return component;
    QString head = path;
    while (head.size() > 1 && head.endsWith(u'/'))
        head.chop(1);
    QString tail = component;
    while (tail.startsWith(u'/'))
        tail.remove(0, 1);
    if (tail.isEmpty()) return head;
    return head.endsWith(u'/') ? head + tail : head + u'/' + tail;
}

QString lastPathComponent(const QString& path) {
    QString trimmed = path;
    while (trimmed.size() > 1 && trimmed.endsWith(u'/'))
        trimmed.chop(1);
    const qsizetype slash = trimmed.lastIndexOf(u'/');
    if (slash < 0 || trimmed == QStringLiteral("/")) return trimmed;
    return trimmed.mid(slash + 1);
}

QString deletingLastPathComponent(const QString& path) {
    QString trimmed = path;
    while (trimmed.size() > 1 && trimmed.endsWith(u'/'))
        trimmed.chop(1);
    const qsizetype slash = trimmed.lastIndexOf(u'/');
    if (slash < 0) return QString();
    if (slash == 0) return QStringLiteral("/");
    return trimmed.left(slash);
}

QString standardizePath(const QString& path, const QString& home) {
    QString expanded = path;
    if (!home.isEmpty() && (path == u"~" || path.startsWith(QStringLiteral("~/")))) {
        expanded = home + path.mid(1);
    }
    return QDir::cleanPath(expanded);
}

}  // namespace platform
