#include "results/screens/sw_file_table.h"

#include <QApplication>
#include <QFileInfo>
#include <QHeaderView>
#include <QMimeDatabase>
#include <QStyle>
#include <QTableView>

namespace {

constexpr char kFolderKind[] = "inode/directory";

QIcon themedIcon(const QString& name, QStyle::StandardPixmap fallback) {
    return QIcon::fromTheme(name, QApplication::style()->standardIcon(fallback));
}

}  // namespace

void swConfigureFileTable(QTableView* table, int rowHeight, int stretchColumn) {
    table->horizontalHeader()->hide();
    table->verticalHeader()->hide();
    table->setShowGrid(false);
    table->setWordWrap(false);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QHeaderView* rows = table->verticalHeader();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(rowHeight);
    QHeaderView* columns = table->horizontalHeader();
    columns->setMinimumSectionSize(0);
    columns->setSectionResizeMode(QHeaderView::Fixed);
    columns->setSectionResizeMode(stretchColumn, QHeaderView::Stretch);
}

QIcon SWFileIconCache::iconFor(const QString& reference, const QString& path,
                               const QVariant& isFolder) const {
    QString key;
    const auto folder = [&] {
        return isFolder.isValid() ? isFolder.toBool() : !path.isEmpty() && QFileInfo(path).isDir();
    };
    if (!reference.isEmpty()) {
        key = QStringLiteral("icon:") + reference;
    } else if (folder()) {
        key = QString::fromLatin1(kFolderKind);
    } else {
        key = QMimeDatabase().mimeTypeForFile(path, QMimeDatabase::MatchExtension).name();
    }
    auto found = icons_.constFind(key);
    if (found != icons_.constEnd()) return *found;
    QIcon icon;
    if (!reference.isEmpty()) {
        icon = QFileInfo(reference).isAbsolute() ? QIcon(reference)
                                                 : themedIcon(reference, QStyle::SP_FileIcon);
    } else if (key == QLatin1String(kFolderKind)) {
        icon = themedIcon(QStringLiteral("folder"), QStyle::SP_DirIcon);
    } else {
        const QMimeType type = QMimeDatabase().mimeTypeForName(key);
        icon = QIcon::fromTheme(type.iconName(),
                                themedIcon(type.genericIconName(), QStyle::SP_FileIcon));
    }
    return *icons_.insert(key, icon);
}
