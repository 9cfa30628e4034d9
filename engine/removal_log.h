#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>
#include <mutex>
#include <optional>

#include "engine/scan_model.h"
#include "platform/unique_fd.h"

// Every removal attempt, one JSON object a line, in
// $XDG_STATE_HOME/sweepwell/removals.jsonl, so that a person who wonders where a file
// went can find out. Each line is written with one write() in append mode before the
// outcome is reported, so a crash never leaves half a line; the file is rotated at a size
// limit, keeping the last few. Nothing is logged until a front end opens the log.
class QSRemovalLog {
public:
    static QSRemovalLog& sharedLog();

    // Starts logging for the front end ("cli", "app") in `folder`, by default
    // $XDG_STATE_HOME/sweepwell (~/.local/state/sweepwell), rotating the file once it
    // would grow beyond `rotationBytes`.
    void open(const QString& frontEnd, const QString& folder = QString(),
              qint64 rotationBytes = kRotationBytes);
    void close();

    // Appends the attempt to remove `file` for the category; false when the line could
    // not be written (the removal itself is not held back by that).
    bool recordAttempt(const QString& categoryKey, const QSScannedFile& file,
                       const std::optional<platform::Error>& error);

    // Every line of the log files in `folder`, oldest first, the rotated ones included;
    // lines that cannot be read are left out.
    static QList<QJsonObject> readEntries(const QString& folder = QString(),
                                          qint64 rotationBytes = kRotationBytes);
    static QString defaultFolder();

    static constexpr qint64 kRotationBytes = 4 * 1024 * 1024;
    static constexpr int kRotatedFiles = 3;

private:
    void openFile(qint64 adding);

    std::mutex mutex_;
    QString frontEnd_;
    QString folder_;
    qint64 rotationBytes_ = kRotationBytes;
    platform::UniqueFd file_;
    qint64 fileBytes_ = 0;
};
