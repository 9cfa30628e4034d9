#include "engine/removal_log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDateTime>
#include <QDir>
#include <QJsonDocument>
#include <cerrno>

#include "engine/json_writer.h"
#include "platform/file_manager.h"
#include "platform/file_path.h"

namespace {

const QString kFileName = QStringLiteral("removals.jsonl");

QString rotatedName(const QString& path, int generation) {
    return generation == 0 ? path : path + u'.' + QString::number(generation);
}

QString outcomeOf(const std::optional<platform::Error>& error) {
    if (!error) return QStringLiteral("removed");
    if (error->meansNotFound()) return QStringLiteral("missing");
    if (error->domain == platform::Error::Domain::Sweepwell &&
        error->code == platform::Error::kFileChangedSinceScan) {
        return QStringLiteral("changed");
    }
    return QStringLiteral("failed");
}

void writeIdentity(JsonWriter& json, const platform::FileIdentity& identity) {
    json.key(QStringLiteral("identity"));
    if (!identity.isValid()) return json.null();
    json.beginObject();
    json.key(QStringLiteral("device"));
    json.value(identity.device);
    json.key(QStringLiteral("inode"));
    json.value(identity.inode);
    json.key(QStringLiteral("type"));
    json.value(quint64(identity.type));
    json.key(QStringLiteral("size"));
    json.value(identity.size);
    json.key(QStringLiteral("modificationNs"));
    json.value(identity.modificationNs);
    json.endObject();
}

QByteArray lineFor(const QString& frontEnd, const QString& categoryKey, const QSScannedFile& file,
                   const std::optional<platform::Error>& error) {
    JsonWriter json(JsonWriter::Layout::OneLine);
    json.beginObject();
    json.key(QStringLiteral("time"));
    json.value(QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs));
    json.key(QStringLiteral("frontEnd"));
    json.value(frontEnd);
    json.key(QStringLiteral("category"));
    json.value(categoryKey);
    json.key(QStringLiteral("path"));
    json.value(file.path());
    json.key(QStringLiteral("size"));
    json.value(file.fileSize());
    writeIdentity(json, file.identity());
    json.key(QStringLiteral("outcome"));
    json.value(outcomeOf(error));
    json.key(QStringLiteral("error"));
    writeError(json, error);
    json.endObject();
    return json.document();
}

}  // namespace

QSRemovalLog& QSRemovalLog::sharedLog() {
    static QSRemovalLog log;
    return log;
}

QString QSRemovalLog::defaultFolder() {
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (!state.startsWith(u'/')) state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/sweepwell");
}

void QSRemovalLog::open(const QString& frontEnd, const QString& folder, qint64 rotationBytes) {
    std::lock_guard lock(mutex_);
    frontEnd_ = frontEnd;
    rotationBytes_ = rotationBytes;
    folder_ = folder.isEmpty() ? defaultFolder() : folder;
    file_.reset();
}

void QSRemovalLog::close() {
    std::lock_guard lock(mutex_);
    folder_.clear();
    file_.reset();
}

bool QSRemovalLog::recordAttempt(const QString& categoryKey, const QSScannedFile& file,
                                 const std::optional<platform::Error>& error) {
    std::lock_guard lock(mutex_);
    if (folder_.isEmpty()) return true;
    const QByteArray line = lineFor(frontEnd_, categoryKey, file, error);
    if (!file_.valid() || fileBytes_ + line.size() > rotationBytes_) openFile(line.size());
    if (!file_.valid()) return false;
    // One write: readers, and a crash, see the whole line or none of it.
    ssize_t written;
    do {
        written = ::write(file_.get(), line.constData(), size_t(line.size()));
    } while (written < 0 && errno == EINTR);
    if (written > 0) fileBytes_ += written;
    return written == line.size();
}

// Opens the file for appending, kept open for the attempts that follow (a clean of many
// small files logs each one), after rotating it when `adding` would take it past the limit.
void QSRemovalLog::openFile(qint64 adding) {
    file_.reset();
    QDir().mkpath(folder_);
    const QString current = folder_ + u'/' + kFileName;
    struct stat st;
    if (::stat(platform::encodePath(current).constData(), &st) == 0 &&
        st.st_size + adding > rotationBytes_) {
        for (int generation = kRotatedFiles; generation > 0; --generation) {
            ::rename(platform::encodePath(rotatedName(current, generation - 1)).constData(),
                     platform::encodePath(rotatedName(current, generation)).constData());
        }
    }
    file_.reset(::open(platform::encodePath(current).constData(),
                       O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
    fileBytes_ = file_.valid() && fstat(file_.get(), &st) == 0 ? st.st_size : 0;
}

QList<QJsonObject> QSRemovalLog::readEntries(const QString& folder, qint64 rotationBytes) {
    const QString current = (folder.isEmpty() ? defaultFolder() : folder) + u'/' + kFileName;
    QList<QJsonObject> entries;
    for (int generation = kRotatedFiles; generation >= 0; --generation) {
        const auto content =
            platform::readFileContents(rotatedName(current, generation), rotationBytes * 2);
        if (!content) continue;
        for (const QByteArray& line : content->split('\n')) {
            const QJsonDocument document = QJsonDocument::fromJson(line);
            if (document.isObject()) entries.append(document.object());
        }
    }
    return entries;
}
