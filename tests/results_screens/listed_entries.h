#pragma once

#include <QFileInfo>
#include <QStringList>

#include "engine/scan_model.h"
#include "platform/file_path.h"

// The files of a test as a category lists them: ticked, with their names and sizes.
inline QList<QSScannedFilePtr> listedEntries(const QStringList& paths) {
    QList<QSScannedFilePtr> details;
    for (const QString& path : paths) {
        auto file = std::make_shared<QSScannedFile>();
        file->setPath(path);
        file->setFileName(platform::lastPathComponent(path));
        file->setFileSize(quint64(QFileInfo(path).size()));
        file->setSelected(true);
        details << file;
    }
    return details;
}
