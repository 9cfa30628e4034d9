#pragma once

#include <QHash>
#include <QIcon>
#include <QString>
#include <QVariant>

class QTableView;

// What the tables of files (the detail screen's, the error screen's) share.

// Lays a table out for rows painted by a delegate: no headers, grid or word wrap, one row
// selected at a time, fixed row heights (a table of many rows then never measures them)
// and fixed columns but the one that stretches.
void swConfigureFileTable(QTableView* table, int rowHeight, int stretchColumn);

// The icons of files, looked up only for rows that are drawn: named icons are read once
// each; other files take the icon of their kind, found from the name alone (reading each
// file's content to draw a row would be slow on a large list and wake sleeping disks).
class SWFileIconCache {
public:
    // `reference`: an image's path or a themed icon name the entry carries, if any.
    // `isFolder`: what the scan recorded; the file system is asked only when it is null.
    QIcon iconFor(const QString& reference, const QString& path,
                  const QVariant& isFolder = QVariant()) const;

private:
    // Per kind of file or per named icon: a bounded set.
    mutable QHash<QString, QIcon> icons_;
};
