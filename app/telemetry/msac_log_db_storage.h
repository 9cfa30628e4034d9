#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <memory>

struct sqlite3;

// The analytics logs waiting to be sent, in one SQLite table (id, time, type, JSON
// payload). At most `capacity` rows are kept: when a log is added beyond that, the oldest
// go, so a machine that never uploads does not grow the file without end.
class MSACLogDBStorage {
public:
    struct Log {
        qint64 id = 0;
        qint64 time = 0;  // milliseconds since the epoch
        QString type;
        QJsonObject payload;
    };

    static constexpr int kDefaultCapacity = 1000;

    // Opens or creates the store; see isOpen().
    explicit MSACLogDBStorage(const QString& path, int capacity = kDefaultCapacity);
    ~MSACLogDBStorage();
    MSACLogDBStorage(const MSACLogDBStorage&) = delete;
    MSACLogDBStorage& operator=(const MSACLogDBStorage&) = delete;

    // False when the file could not be opened or is not a database, for the reason
    // openError() gives; every other call then does nothing.
    bool isOpen() const { return db_ != nullptr; }
    QString openError() const { return openError_; }

    bool saveLog(const QString& type, qint64 time, const QJsonObject& payload);
    // The oldest `limit` logs, oldest first.
    QList<Log> logs(int limit) const;
    bool deleteLogs(const QList<qint64>& ids);
    int count() const;

private:
    bool execute(const char* sql);
    void logError(const char* what) const;

    struct Close {
        void operator()(sqlite3* db) const;
    };
    std::unique_ptr<sqlite3, Close> db_;
    int capacity_;
    QString openError_;
};
