#include "platform/editable_desktop_file.h"

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

#include "platform/file_manager.h"
#include "platform/file_path.h"

namespace platform {
namespace {

const QByteArray kMainGroupLine = "[Desktop Entry]";

bool isGroupLine(const QByteArray& line) {
    const QByteArray t = line.trimmed();
    return t.startsWith('[') && t.endsWith(']');
}

QByteArray keyOf(const QByteArray& line) {
    const qsizetype eq = line.indexOf('=');
    return eq < 0 ? QByteArray() : line.left(eq).trimmed();
}

// Why a write failed, with the codes a removal reports for the same causes.
Error writeError(int errnoValue, const QString& path) {
    Error error = Error::fromErrno(errnoValue, path);
    error.description = QStringLiteral("\u201c%1\u201d could not be written: %2.")
                            .arg(path, QString::fromLocal8Bit(std::strerror(errnoValue)));
    return error;
}

}  // namespace

std::optional<EditableDesktopFile> EditableDesktopFile::read(const QString& path) {
    const auto bytes = readFileContents(path, qint64(1) << 20);
    if (!bytes || !DesktopEntry::parse(*bytes)) return std::nullopt;
    EditableDesktopFile file;
    file.lines_ = bytes->split('\n');
    if (!file.lines_.isEmpty() && file.lines_.last().isEmpty()) file.lines_.removeLast();
    return file;
}

EditableDesktopFile EditableDesktopFile::create() {
    EditableDesktopFile file;
    file.lines_ = {kMainGroupLine};
    return file;
}

DesktopEntry EditableDesktopFile::entry() const {
    return DesktopEntry::parse(toBytes()).value_or(DesktopEntry());
}

qsizetype EditableDesktopFile::findKey(const QString& key, qsizetype* end) const {
    const QByteArray wanted = key.toUtf8();
    qsizetype found = -1;
    bool inMain = false;
    *end = -1;
    for (qsizetype i = 0; i < lines_.size(); ++i) {
        if (isGroupLine(lines_[i])) {
            if (inMain) break;
            inMain = lines_[i].trimmed() == kMainGroupLine;
            if (inMain) *end = i + 1;
            continue;
        }
        if (!inMain) continue;
        if (!lines_[i].trimmed().isEmpty()) *end = i + 1;
        if (keyOf(lines_[i]) == wanted) found = i;
    }
    return found;
}

void EditableDesktopFile::setValue(const QString& key, const QString& escapedValue) {
    const QByteArray line = key.toUtf8() + '=' + escapedValue.toUtf8();
    qsizetype end = -1;
    const qsizetype at = findKey(key, &end);
    if (at >= 0) {
        lines_[at] = line;
    } else if (end >= 0) {
        lines_.insert(end, line);
    } else {
        lines_.prepend(line);
        lines_.prepend(kMainGroupLine);
    }
}

void EditableDesktopFile::removeKey(const QString& key) {
    qsizetype end = -1;
    for (qsizetype at = findKey(key, &end); at >= 0; at = findKey(key, &end))
        lines_.removeAt(at);
}

QByteArray EditableDesktopFile::toBytes() const {
    return lines_.join('\n') + '\n';
}

bool EditableDesktopFile::save(const QString& path, Error* error) const {
    errno = 0;
    if (writeFileAtomically(path, toBytes())) return true;
    // The failed call leaves its cause in errno; a short write leaves none.
    if (error) *error = writeError(errno != 0 ? errno : EIO, path);
    return false;
}

QString quotedExecArgument(const QString& argument) {
    QString exec;
    for (const QChar c : argument) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') exec.append(u'\\');
        if (c == u'%') exec.append(u'%');
        exec.append(c);
    }
    QString escaped = u'"' + exec + u'"';
    escaped.replace(u'\\', QStringLiteral("\\\\"));
    escaped.replace(u'\n', QStringLiteral("\\n"));
    return escaped;
}

QString execProgram(const QString& exec) {
    QString program;
    qsizetype i = 0;
    while (i < exec.size() && exec[i].isSpace())
        ++i;
    if (i < exec.size() && exec[i] == u'"') {
        for (++i; i < exec.size() && exec[i] != u'"'; ++i) {
            if (exec[i] == u'\\' && i + 1 < exec.size()) ++i;
            program.append(exec[i]);
        }
    } else {
        for (; i < exec.size() && !exec[i].isSpace(); ++i)
            program.append(exec[i]);
    }
    program.replace(QStringLiteral("%%"), QStringLiteral("%"));
    return program;
}

}  // namespace platform
