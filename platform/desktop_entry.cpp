#include "platform/desktop_entry.h"

#include <fcntl.h>
#include <unistd.h>
#include <QList>
#include <cerrno>

#include "platform/file_path.h"

namespace platform {
namespace {

// A desktop entry is a few kilobytes; anything far larger is not one.
constexpr qsizetype kMaxEntryBytes = qsizetype(1) << 20;

QString unescape(const QString& raw) {
    QString out;
    out.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] != u'\\' || i + 1 == raw.size()) {
            out.append(raw[i]);
            continue;
        }
        const QChar next = raw[++i];
        switch (next.unicode()) {
            case u's':
                out.append(u' ');
                break;
            case u'n':
                out.append(u'\n');
                break;
            case u't':
                out.append(u'\t');
                break;
            case u'r':
                out.append(u'\r');
                break;
            default:
                // "\\" and escapes we do not know keep the character itself.
                out.append(next);
        }
    }
    return out;
}

}  // namespace

std::optional<DesktopEntry> DesktopEntry::read(const QString& path) {
    const int fd = open(encodePath(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    QByteArray text;
    char buffer[16 * 1024];
    bool failed = false;
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        failed = n < 0 || text.size() + n > kMaxEntryBytes;
        if (n <= 0 || failed) break;
        text.append(buffer, qsizetype(n));
    }
    ::close(fd);
    if (failed) return std::nullopt;
    return parse(text);
}

std::optional<DesktopEntry> DesktopEntry::parse(const QByteArray& text) {
    DesktopEntry entry;
    QString group;
    for (const QByteArray& rawLine : text.split('\n')) {
        const QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.isEmpty() || line.startsWith(u'#')) continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            group = line.mid(1, line.size() - 2);
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (group.isNull() || equals <= 0) continue;
        const QString key = line.left(equals).trimmed();
        auto& values = entry.groups_[group];
        // Keys may not repeat; the first one counts.
        if (!values.contains(key)) values.insert(key, unescape(line.mid(equals + 1).trimmed()));
    }
    if (!entry.groups_.contains(kMainGroup)) return std::nullopt;
    return entry;
}

bool DesktopEntry::isWellFormed(const QByteArray& text) {
    bool inGroup = false;
    for (const QByteArray& rawLine : text.split('\n')) {
        const QByteArray line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith('#')) continue;
        if (line.startsWith('[') && line.endsWith(']')) {
            if (!inGroup && line.mid(1, line.size() - 2) != kMainGroup.toUtf8()) return false;
            inGroup = true;
            continue;
        }
        if (!inGroup || line.indexOf('=') <= 0) return false;
    }
    return inGroup;
}

QString DesktopEntry::value(const QString& key, const QString& group) const {
    const auto found = groups_.constFind(group);
    if (found == groups_.constEnd()) return QString();
    return found->value(key);
}

bool DesktopEntry::boolValue(const QString& key, const QString& group) const {
    return value(key, group) == QStringLiteral("true");
}

}  // namespace platform
