#include "app/telemetry/msac_log_db_storage.h"

#include <sqlite3.h>
#include <QFile>
#include <QJsonDocument>

#include "base/system_log.h"

namespace {

struct Finalize {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, Finalize>;

Statement prepare(sqlite3* db, const char* sql) {
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
    return Statement(statement);
}

}  // namespace

void MSACLogDBStorage::Close::operator()(sqlite3* db) const {
    sqlite3_close(db);
}

MSACLogDBStorage::MSACLogDBStorage(const QString& path, int capacity) : capacity_(capacity) {
    sqlite3* db = nullptr;
    const int opened = sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                                       SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    // sqlite3_open_v2 hands out a handle even when it fails, to carry the message.
    db_.reset(db);
    // Opening reads nothing yet: a file that is not a database fails at the first
    // statement.
    if (opened != SQLITE_OK ||
        sqlite3_exec(db,
                     "CREATE TABLE IF NOT EXISTS logs (id INTEGER PRIMARY KEY AUTOINCREMENT, "
                     "time INTEGER NOT NULL, type TEXT NOT NULL, payload TEXT NOT NULL)",
                     nullptr, nullptr, nullptr) != SQLITE_OK) {
        openError_ = QString::fromUtf8(sqlite3_errmsg(db));
        db_.reset();
    }
}

MSACLogDBStorage::~MSACLogDBStorage() = default;

bool MSACLogDBStorage::execute(const char* sql) {
    if (sqlite3_exec(db_.get(), sql, nullptr, nullptr, nullptr) == SQLITE_OK) return true;
    logError("statement failed");
    return false;
}

void MSACLogDBStorage::logError(const char* what) const {
    base::log(QStringLiteral("MSACLogDBStorage: %1: %2")
                  .arg(QLatin1String(what), QString::fromUtf8(sqlite3_errmsg(db_.get()))));
}

bool MSACLogDBStorage::saveLog(const QString& type, qint64 time, const QJsonObject& payload) {
    if (!db_) return false;
    Statement insert =
        prepare(db_.get(), "INSERT INTO logs (time, type, payload) VALUES (?1, ?2, ?3)");
    const QByteArray typeText = type.toUtf8();
    const QByteArray payloadText = QJsonDocument(payload).toJson(QJsonDocument::Compact);
    sqlite3_bind_int64(insert.get(), 1, time);
    sqlite3_bind_text(insert.get(), 2, typeText.constData(), int(typeText.size()), SQLITE_STATIC);
    sqlite3_bind_text(insert.get(), 3, payloadText.constData(), int(payloadText.size()),
                      SQLITE_STATIC);
    if (sqlite3_step(insert.get()) != SQLITE_DONE) {
        logError("cannot save a log");
        return false;
    }
    Statement trim = prepare(db_.get(),
                             "DELETE FROM logs WHERE id IN "
                             "(SELECT id FROM logs ORDER BY id DESC LIMIT -1 OFFSET ?1)");
    sqlite3_bind_int(trim.get(), 1, capacity_);
    if (sqlite3_step(trim.get()) != SQLITE_DONE) logError("cannot drop the oldest logs");
    return true;
}

QList<MSACLogDBStorage::Log> MSACLogDBStorage::logs(int limit) const {
    QList<Log> found;
    if (!db_) return found;
    Statement select =
        prepare(db_.get(), "SELECT id, time, type, payload FROM logs ORDER BY id LIMIT ?1");
    sqlite3_bind_int(select.get(), 1, limit);
    while (sqlite3_step(select.get()) == SQLITE_ROW) {
        const auto text = [&](int column) {
            return QByteArray(
                reinterpret_cast<const char*>(sqlite3_column_text(select.get(), column)),
                sqlite3_column_bytes(select.get(), column));
        };
        found.append({sqlite3_column_int64(select.get(), 0), sqlite3_column_int64(select.get(), 1),
                      QString::fromUtf8(text(2)), QJsonDocument::fromJson(text(3)).object()});
    }
    return found;
}

bool MSACLogDBStorage::deleteLogs(const QList<qint64>& ids) {
    if (!db_) return false;
    Statement remove = prepare(db_.get(), "DELETE FROM logs WHERE id = ?1");
    if (!execute("BEGIN")) return false;
    for (const qint64 id : ids) {
        sqlite3_bind_int64(remove.get(), 1, id);
        if (sqlite3_step(remove.get()) != SQLITE_DONE) {
            logError("cannot delete sent logs");
            execute("ROLLBACK");
            return false;
        }
        sqlite3_reset(remove.get());
    }
    return execute("COMMIT");
}

int MSACLogDBStorage::count() const {
    if (!db_) return 0;
    Statement select = prepare(db_.get(), "SELECT count(*) FROM logs");
    return sqlite3_step(select.get()) == SQLITE_ROW ? sqlite3_column_int(select.get(), 0) : 0;
}
