#pragma once

#include "engine/scan_model.h"

// The user's application logs, one entry per entry of Library/Logs. In a Linux home also
// the X session's old log, the log files and folders applications keep in the XDG state
// folder and Xorg's logs, and crash reports: the browsers' and Electron applications'
// report folders and the core dumps in the home folder.
class QSApplicationLogsItem : public QSScanItem {
public:
    static std::shared_ptr<QSScanItem> item() { return std::make_shared<QSApplicationLogsItem>(); }

    QString title() const override { return QStringLiteral("Application Logs"); }
    QString key() const override { return QStringLiteral("application-logs"); }
    // Library/Logs, else the XDG state folder when only that exists.
    QString path() const override;
    // Every existing folder the scan looks in, anchored before it does; the home folder
    // too when it holds a session log or a core dump.
    QStringList paths() const override;
    bool hasDetails() const override { return true; }

    QSScanResultPtr actuallyScan() override;
    // Shows the icon of the application whose bundle identifier names the entry.
    QSScannedFilePtr scannedFileWithPath(const QString& path,
                                         const QVariantMap& attributes) override;

    QList<QSScannedFilePtr> linuxLogFiles();
    // Whether the file is an ELF core dump (a regular file, read without following a link).
    static bool isCoreDump(const QString& path);
    // Whether a process of this user holds the file open.
    static bool isOpenByAnyProcess(const QString& path);

private:
    QList<QSScannedFilePtr> homeLogFiles();
    QList<QSScannedFilePtr> stateLogFiles();
    QList<QSScannedFilePtr> crashReportFolders();
    // An entry named by its place in the home, without an application's icon.
    void appendEntry(const QString& path, QList<QSScannedFilePtr>* files);
};
