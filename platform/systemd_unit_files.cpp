#include "platform/systemd_unit_files.h"

#include <unistd.h>
#include <QDir>
#include <algorithm>

#include "platform/file_manager.h"
#include "platform/file_path.h"

namespace platform {
namespace {

constexpr qint64 kMaxUnitBytes = qint64(1) << 20;
const QString kExecStart = QStringLiteral("ExecStart");

// A unit file's lines with continuations ("\" at the end) joined, as systemd reads them.
QStringList logicalLines(const QByteArray& text) {
    QStringList lines;
    QString pending;
    for (const QByteArray& raw : text.split('\n')) {
        QString line = QString::fromUtf8(raw).trimmed();
        if (pending.isEmpty() && (line.startsWith(u'#') || line.startsWith(u';'))) continue;
        if (line.endsWith(u'\\')) {
            pending += line.chopped(1) + u' ';
            continue;
        }
        lines.append(pending + line);
        pending.clear();
    }
    if (!pending.isEmpty()) lines.append(pending);
    return lines;
}

// Applies the ExecStart lines of one file to `programs`; false when one cannot be told.
bool applyExecStarts(const QString& path, const QString& home, QStringList* programs) {
    const auto text = readFileContents(path, kMaxUnitBytes);
    if (!text) return false;
    bool inService = false;
    for (const QString& line : logicalLines(*text)) {
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            inService = line == u"[Service]";
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (!inService || equals <= 0 || line.left(equals).trimmed() != kExecStart) continue;
        const QString value = line.mid(equals + 1).trimmed();
        if (value.isEmpty()) {
            programs->clear();
            continue;
        }
        const QString program = execStartProgram(value, home);
        if (program.isNull()) return false;
        programs->append(program);
    }
    return true;
}

// The first word with its quoting and escapes removed.
QString firstWord(const QString& value) {
    QString word;
    QChar quote;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (quote.isNull() && c.isSpace()) {
            if (!word.isEmpty()) break;
            continue;
        }
        if (c == u'\\' && i + 1 < value.size()) {
            word.append(value[++i]);
        } else if (!quote.isNull() && c == quote) {
            quote = QChar();
        } else if (quote.isNull() && (c == u'"' || c == u'\'')) {
            quote = c;
        } else {
            word.append(c);
        }
    }
    return word;
}

// "%h" and "%%" resolved; null for any other specifier, whose value only the manager
// knows.
QString withSpecifiers(const QString& word, const QString& home) {
    QString out;
    for (qsizetype i = 0; i < word.size(); ++i) {
        if (word[i] != u'%') {
            out.append(word[i]);
            continue;
        }
        const QChar next = i + 1 < word.size() ? word[++i] : QChar();
        if (next == u'%') {
            out.append(u'%');
        } else if (next == u'h') {
            out.append(home);
        } else {
            return QString();
        }
    }
    return out;
}

QString readLinkTarget(const QString& link) {
    QByteArray buffer(4096, Qt::Uninitialized);
    const ssize_t n =
        ::readlink(encodePath(link).constData(), buffer.data(), size_t(buffer.size()));
    if (n <= 0 || n == buffer.size()) return QString();
    const QString target = decodePath(buffer.left(n));
    return QDir::cleanPath(
        target.startsWith(u'/') ? target : deletingLastPathComponent(link) + u'/' + target);
}

std::vector<DirectoryEntry> sortedEntries(const QString& folder) {
    std::vector<DirectoryEntry> entries;
    listDirectory(folder, &entries, HiddenNames::Include);
    std::sort(entries.begin(), entries.end(),
              [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.name < b.name; });
    return entries;
}

}  // namespace

std::optional<QStringList> serviceExecPrograms(const QString& unitPath, const QString& home) {
    QStringList programs;
    if (!applyExecStarts(unitPath, home, &programs)) return std::nullopt;
    for (const auto& dropIn : sortedEntries(unitPath + QStringLiteral(".d"))) {
        if (!dropIn.name.endsWith(QStringLiteral(".conf"))) continue;
        if (!applyExecStarts(dropIn.path, home, &programs)) return std::nullopt;
    }
    return programs;
}

QString execStartProgram(const QString& value, const QString& home) {
    qsizetype start = 0;
    while (start < value.size() && QStringLiteral("@-:+!").contains(value[start]))
        ++start;
    const QString word = firstWord(value.mid(start));
    // The manager expands variables where it runs the unit, with its own environment.
    if (word.contains(u'$')) return QString();
    return withSpecifiers(word, home);
}

bool unitProgramExists(const QString& program) {
    if (program.startsWith(u'/')) return fileExistsAtPath(program);
    if (program.contains(u'/')) return false;
    // systemd's search path for a bare name, fixed when it was built.
    for (const char* folder :
         {"/usr/local/sbin", "/usr/local/bin", "/usr/sbin", "/usr/bin", "/sbin", "/bin"}) {
        if (fileExistsAtPath(QLatin1String(folder) + u'/' + program)) return true;
    }
    return false;
}

QList<WantsLink> wantsLinks(const QString& unitFolder) {
    QList<WantsLink> links;
    for (const auto& folder : sortedEntries(unitFolder)) {
        if (!folder.isDirectory || !folder.name.endsWith(QStringLiteral(".wants"))) continue;
        for (const auto& entry : sortedEntries(folder.path)) {
            if (itemKind(entry.path) != ItemKind::Link) continue;
            links.append({entry.path, entry.name, readLinkTarget(entry.path)});
        }
    }
    return links;
}

}  // namespace platform
