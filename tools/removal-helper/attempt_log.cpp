#include "tools/removal-helper/attempt_log.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDateTime>
#include <cerrno>

#include "platform/error.h"
#include "platform/file_path.h"

namespace {

QByteArray outcomeName(Attempt::Outcome outcome) {
    switch (outcome) {
        case Attempt::Outcome::Removed:
            return "removed";
        case Attempt::Outcome::Missing:
            return "missing";
        case Attempt::Outcome::Refused:
            return "refused";
        case Attempt::Outcome::Failed:
            break;
    }
    return "failed";
}

QByteArray escapedForLine(const QByteArray& bytes) {
    QByteArray out;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (byte < 0x20 || byte == 0x7f) {
            out += "\\x" + QByteArray::number(byte, 16).rightJustified(2, '0');
        } else {
            out += c;
        }
    }
    return out;
}

// Bytes of names that are not valid UTF-8 become "\udcXX", as the application's own log
// writes them, so that the path reads back to the same bytes.
QByteArray jsonString(const QByteArray& bytes) {
    const QString text = platform::decodePath(bytes);
    QByteArray out = "\"";
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out += text.mid(i, 2).toUtf8();
            ++i;
        } else if (c.isSurrogate() || c.unicode() < 0x20) {
            out += "\\u" + QByteArray::number(c.unicode(), 16).rightJustified(4, '0');
        } else if (c == u'"' || c == u'\\') {
            out += '\\' + QByteArray(1, char(c.unicode()));
        } else {
            out += QString(c).toUtf8();
        }
    }
    return out + '"';
}

QByteArray identityJson(const std::optional<platform::FileIdentity>& identity) {
    if (!identity) return "null";
    return "{\"device\":" + QByteArray::number(identity->device) +
           ",\"inode\":" + QByteArray::number(identity->inode) +
           ",\"type\":" + QByteArray::number(identity->type) +
           ",\"size\":" + QByteArray::number(identity->size) +
           ",\"modificationNs\":" + QByteArray::number(identity->modificationNs) + '}';
}

QByteArray errorJson(const Attempt& attempt) {
    if (attempt.gone()) return "null";
    const platform::Error error = platform::Error::fromErrno(attempt.errnoValue, QString());
    return "{\"domain\":" + jsonString(error.domainName().toUtf8()) +
           ",\"code\":" + QByteArray::number(error.code) +
           ",\"description\":" + jsonString(attempt.reason) + '}';
}

bool becomeCaller(const Caller& caller) {
    if (geteuid() == 0 && setgroups(1, &caller.gid) != 0) return false;
    if (setresgid(caller.gid, caller.gid, caller.gid) != 0 ||
        setresuid(caller.uid, caller.uid, caller.uid) != 0) {
        return false;
    }
    return geteuid() == caller.uid && getegid() == caller.gid;
}

// Opens (creating as needed) each folder below the home without following links.
platform::UniqueFd openLogFolder(int homeFd) {
    platform::UniqueFd folder(fcntl(homeFd, F_DUPFD_CLOEXEC, 0));
    for (const char* name : {".local", "state", "sweepwell"}) {
        constexpr int kFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
        platform::UniqueFd next(openat(folder.get(), name, kFlags));
        if (!next.valid() && errno == ENOENT && mkdirat(folder.get(), name, 0700) == 0) {
            next.reset(openat(folder.get(), name, kFlags));
        }
        if (!next.valid()) return next;
        folder = std::move(next);
    }
    return folder;
}

}  // namespace

QByteArray outcomeLine(const Attempt& attempt) {
    QByteArray line = outcomeName(attempt.outcome) + ' ' + escapedForLine(attempt.path);
    if (!attempt.gone()) line += ": " + escapedForLine(attempt.reason);
    return line + '\n';
}

QByteArray logLine(const Attempt& attempt, const QByteArray& handler) {
    const QByteArray time = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs).toLatin1();
    return "{\"time\":\"" + time +
           "\",\"frontEnd\":\"helper\",\"category\":" + jsonString(handler) +
           ",\"path\":" + jsonString(attempt.path) +
           ",\"size\":" + QByteArray::number(attempt.removedBytes) +
           ",\"identity\":" + identityJson(attempt.identity) + ",\"outcome\":\"" +
           outcomeName(attempt.outcome) + "\",\"error\":" + errorJson(attempt) + "}\n";
}

bool appendToCallersLog(const Caller& caller, int homeFd, const QList<QByteArray>& lines) {
    if (!becomeCaller(caller)) return false;
    const platform::UniqueFd folder = openLogFolder(homeFd);
    if (!folder.valid()) return false;
    // The application rotates the file when it next writes to it.
    const platform::UniqueFd file(openat(folder.get(), "removals.jsonl",
                                         O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC,
                                         0600));
    if (!file.valid()) return false;
    bool written = true;
    for (const QByteArray& line : lines) {
        // One write a line: readers, and a crash, see the whole line or none of it.
        ssize_t n;
        do {
            n = ::write(file.get(), line.constData(), size_t(line.size()));
        } while (n < 0 && errno == EINTR);
        written = written && n == line.size();
    }
    return written;
}
