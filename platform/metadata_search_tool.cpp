#include "platform/metadata_search_tool.h"

#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/file_path.h"
#include "platform/unique_fd.h"

extern char** environ;

namespace platform {
namespace {

constexpr char kToolName[] = "sweepwell-mdsearch";
// Of the error output only the end is kept: its last line says why a tool failed.
constexpr qsizetype kErrorTail = 4096;

bool isExecutable(const QString& path) {
    return !path.isEmpty() && access(encodePath(path).constData(), X_OK) == 0;
}

QString runningProgramFolder() {
    char buffer[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer);
    if (n <= 0) return QString();
    return deletingLastPathComponent(decodePath(buffer, qsizetype(n)));
}

QDateTime dateFromJson(const QJsonValue& value) {
    return QDateTime::fromString(value.toString(), Qt::ISODateWithMs);
}

// Metadata keys name their dates: "...Date" holds one, "...Dates" a list.
QVariant variantFromJson(const QString& key, const QJsonValue& value) {
    if (key.endsWith(QStringLiteral("Dates")) && value.isArray()) {
        QVariantList dates;
        for (const QJsonValue& item : value.toArray())
            dates.append(dateFromJson(item));
        return dates;
    }
    if (key.endsWith(QStringLiteral("Date"))) return dateFromJson(value);
    if (value.isDouble()) return qint64(value.toDouble());
    return value.toVariant();
}

SearchAnswer failed(const QString& reason) {
    return SearchAnswer{QByteArray(), reason};
}

QString errnoText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// Our end of a pipe from the child, read without blocking, and what came through it.
struct Stream {
    UniqueFd fd;
    QByteArray data;
    qsizetype keep = -1;  // how much of the end to keep; -1 keeps everything
    int error = 0;

    // Reads what is waiting; closes the stream at its end or on an error.
    void drain() {
        char buffer[64 * 1024];
        while (fd.valid()) {
            const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && errno == EAGAIN) return;
            if (n <= 0) {
                if (n < 0) error = errno;
                fd.reset();
                return;
            }
            data.append(buffer, n);
            if (keep >= 0 && data.size() > keep) data.remove(0, data.size() - keep);
        }
    }
};

// A pipe whose read end we keep and whose write end the child gets.
bool openPipe(Stream* ours, UniqueFd* theirs) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return false;
    ours->fd.reset(fds[0]);
    theirs->reset(fds[1]);
    return fcntl(fds[0], F_SETFL, O_NONBLOCK) == 0;
}

// Starts the program with its output and error output on the pipes, in a process group of
// its own, so that killing a tool that hangs kills whatever it started too. Answers 0 or
// an errno.
int spawnChild(std::vector<char*>& argv, int out, int err, pid_t* pid) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err, STDERR_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    const int result = posix_spawn(pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return result;
}

// Reads both streams until the child exits, then what it left in them; false when the
// deadline comes first. A process the child started may hold the pipes open after it
// exits: what it writes is not the child's answer.
bool readUntilExit(int pidFd, Stream& out, Stream& err,
                   std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        pollfd fds[3] = {{pidFd, POLLIN, 0}, {out.fd.get(), POLLIN, 0}, {err.fd.get(), POLLIN, 0}};
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        const int ready = poll(fds, 3, int(std::min<qint64>(left.count(), INT_MAX)));
        if (ready < 0 && errno != EINTR) return false;
        if (ready <= 0) continue;
        if (fds[1].revents) out.drain();
        if (fds[2].revents) err.drain();
        if (fds[0].revents) {
            out.drain();
            err.drain();
            return true;
        }
    }
}

QString lastLine(const QByteArray& text) {
    const QList<QByteArray> lines = text.trimmed().split('\n');
    return QString::fromUtf8(lines.last().trimmed());
}

// Why a child that ended with `status` failed; nothing when it exited with status 0.
std::optional<QString> failureOf(const QString& name, int status, const QByteArray& errors) {
    if (WIFSIGNALED(status)) {
        const char* description = sigdescr_np(WTERMSIG(status));
        return QStringLiteral("%1 was ended by signal %2 (%3)")
            .arg(name)
            .arg(WTERMSIG(status))
            .arg(QString::fromLatin1(description ? description : "unknown"));
    }
    if (WEXITSTATUS(status) == 0) return std::nullopt;
    QString reason = QStringLiteral("%1 exited with status %2").arg(name).arg(WEXITSTATUS(status));
    const QString said = lastLine(errors);
    if (!said.isEmpty()) reason += QStringLiteral(": ") + said;
    return reason;
}
}  // namespace

SearchAnswer ToolMetadataSearch::find(const QString& folder, const QStringList& queryArguments) {
    // A name may hold a line feed: only NUL separates paths unambiguously.
    const QStringList searchArguments =
        QStringList{QStringLiteral("-0"), QStringLiteral("-onlyin"), searchFolder(folder)} +
        queryArguments;
    const QString system = QString::fromLatin1(kSystemSearchToolPath);
    if (isExecutable(system)) return runForOutput(system, searchArguments, options_.timeLimit);
    const QString tool = bundledToolPath();
    if (tool.isEmpty())
        return failed(QStringLiteral("no %1 was found").arg(QLatin1String(kToolName)));
    return runForOutput(tool, toolOptions() + searchArguments, options_.timeLimit);
}

std::optional<QVariantMap> ToolMetadataSearch::attributesOfItem(const QString& path) {
    const QString tool = bundledToolPath();
    if (tool.isEmpty()) return std::nullopt;
    const SearchAnswer answer =
        runForOutput(tool, {QStringLiteral("-attributes"), path}, options_.timeLimit);
    if (answer.failure) return std::nullopt;
    const QJsonDocument document = QJsonDocument::fromJson(answer.output);
    if (!document.isObject()) return std::nullopt;
    QVariantMap attributes;
    const QJsonObject object = document.object();
    for (auto it = object.begin(); it != object.end(); ++it) {
        attributes.insert(it.key(), variantFromJson(it.key(), it.value()));
    }
    return attributes;
}

QString ToolMetadataSearch::searchFolder(const QString& folder) const {
    if (folder == QStringLiteral("/") && !options_.systemRoot.isEmpty()) return options_.systemRoot;
    return folder;
}

QStringList ToolMetadataSearch::toolOptions() const {
    QStringList arguments;
    if (!options_.cacheFolder.isEmpty())
        arguments << QStringLiteral("-cache") << options_.cacheFolder;
    if (options_.refreshWindowSeconds) {
        arguments << QStringLiteral("-window") << QString::number(*options_.refreshWindowSeconds);
    }
    return arguments;
}

QString ToolMetadataSearch::bundledToolPath() {
    const QString configured = decodePath(qgetenv("SWEEPWELL_MDSEARCH"));
    if (isExecutable(configured)) return configured;
    const QString folder = runningProgramFolder();
    if (!folder.isEmpty()) {
        for (const QString& relative : {QStringLiteral("../libexec"), QStringLiteral(".")}) {
            const QString candidate = standardizePath(appendPathComponent(
                appendPathComponent(folder, relative), QLatin1String(kToolName)));
            if (isExecutable(candidate)) return candidate;
        }
    }
    return QStandardPaths::findExecutable(QLatin1String(kToolName));
}

// QProcess passes arguments through the locale's encoding, which would mangle a folder
// whose name is not valid UTF-8; posix_spawn takes the bytes as they are.
SearchAnswer runForOutput(const QString& program, const QStringList& arguments,
                          std::chrono::milliseconds timeLimit) {
    const QString name = lastPathComponent(program);
    std::vector<QByteArray> bytes;
    bytes.push_back(encodePath(program));
    for (const QString& argument : arguments)
        bytes.push_back(encodePath(argument));
    std::vector<char*> argv;
    for (QByteArray& b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);

    Stream out;
    Stream err;
    err.keep = kErrorTail;
    UniqueFd outEnd;
    UniqueFd errEnd;
    if (!openPipe(&out, &outEnd) || !openPipe(&err, &errEnd)) {
        return failed(QStringLiteral("cannot start %1: %2").arg(name, errnoText(errno)));
    }
    pid_t pid = -1;
    const int spawned = spawnChild(argv, outEnd.get(), errEnd.get(), &pid);
    outEnd.reset();
    errEnd.reset();
    if (spawned != 0) {
        return failed(QStringLiteral("cannot start %1: %2").arg(name, errnoText(spawned)));
    }
    const auto deadline = std::chrono::steady_clock::now() + timeLimit;
    // Readable once the child has exited, so that waiting for the exit has the deadline
    // too. Through syscall(): glibc 2.36 declares pidfd_open() without C linkage for C++.
    const UniqueFd pidFd(int(syscall(SYS_pidfd_open, pid, 0)));
    const int watchError = errno;
    const bool exited = pidFd.valid() && readUntilExit(pidFd.get(), out, err, deadline);
    if (!exited) kill(-pid, SIGKILL);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!pidFd.valid()) {
        return failed(QStringLiteral("cannot watch %1: %2").arg(name, errnoText(watchError)));
    }
    if (!exited) {
        return failed(QStringLiteral("%1 did not finish within %2 s")
                          .arg(name)
                          .arg(double(timeLimit.count()) / 1000.0));
    }
    if (out.error != 0) {
        return failed(
            QStringLiteral("cannot read the answer of %1: %2").arg(name, errnoText(out.error)));
    }
    if (const auto failure = failureOf(name, status, err.data)) return failed(*failure);
    return SearchAnswer{out.data, std::nullopt};
}

}  // namespace platform
