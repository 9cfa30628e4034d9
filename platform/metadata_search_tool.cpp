#include "platform/metadata_search_tool.h"

#include <fcntl.h>
#include <limits.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <cerrno>
#include <vector>

#include "platform/file_path.h"

extern char** environ;

namespace platform {
namespace {

constexpr char kToolName[] = "sweepwell-mdsearch";

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

}  // namespace

QByteArray ToolMetadataSearch::find(const QString& folder, const QStringList& queryArguments) {
    // A name may hold a line feed: only NUL separates paths unambiguously.
    const QStringList searchArguments =
        QStringList{QStringLiteral("-0"), QStringLiteral("-onlyin"), searchFolder(folder)} +
        queryArguments;
    const QString system = QString::fromLatin1(kSystemSearchToolPath);
    if (isExecutable(system)) return runForOutput(system, searchArguments);
    const QString tool = bundledToolPath();
    if (tool.isEmpty()) return QByteArray();
    return runForOutput(tool, toolOptions() + searchArguments);
}

std::optional<QVariantMap> ToolMetadataSearch::attributesOfItem(const QString& path) {
    const QString tool = bundledToolPath();
    if (tool.isEmpty()) return std::nullopt;
    const QByteArray output = runForOutput(tool, {QStringLiteral("-attributes"), path});
    const QJsonDocument document = QJsonDocument::fromJson(output);
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
QByteArray runForOutput(const QString& program, const QStringList& arguments) {
    std::vector<QByteArray> bytes;
    bytes.push_back(encodePath(program));
    for (const QString& argument : arguments)
        bytes.push_back(encodePath(argument));
    std::vector<char*> argv;
    for (QByteArray& b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);

    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) return QByteArray();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    // Never read, so never a pipe: a tool that writes much to it must not block.
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    QByteArray output;
    if (spawned == 0) {
        char buffer[64 * 1024];
        for (;;) {
            const ssize_t n = ::read(pipeFds[0], buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            output.append(buffer, n);
        }
    }
    ::close(pipeFds[0]);
    if (spawned == 0) {
        while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    return output;
}

}  // namespace platform
