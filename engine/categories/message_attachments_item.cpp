#include "engine/categories/message_attachments_item.h"

#include <dirent.h>
#include <cstring>

#include "engine/disk_utilities.h"
#include "platform/file_manager.h"
#include "platform/file_path.h"
#include "platform/folder_anchors.h"
#include "platform/packages.h"
#include "platform/tree_walk.h"
#include "platform/unique_fd.h"

namespace {

QDateTime dateFrom(const struct statx_timestamp& t) {
    return QDateTime::fromMSecsSinceEpoch(qint64(t.tv_sec) * 1000 + t.tv_nsec / 1000000, Qt::UTC);
}

class AttachmentCollector : public platform::WalkVisitor {
public:
    explicit AttachmentCollector(QSMessageAttachmentsItem& item)
        : item_(item), selected_(item.selectedByDefault()) {}

    bool shouldDescend(const platform::WalkEntry& entry) override {
        return !isHidden(entry) && !platform::isPackageName(entry.name);
    }

    void visitEntry(const platform::WalkEntry& entry) override {
        // Folders met here are hidden ones and packages, skipped with their content.
        if (isHidden(entry) || entry.type == DT_DIR) return;
        struct statx st;
        if (!entry.stat(&st)) return;
        enterFolderOf(entry);
        const QString name = platform::decodePath(entry.name, qsizetype(strlen(entry.name)));
        if (!item_.fileIsDeletableAtPath(folder_ + u'/' + name)) return;
        auto file = std::make_shared<QSScannedFile>();
        file->setPathInFolder(folderBytes_, name);
        file->setFileName(name);
        const QDateTime modified = dateFrom(st.stx_mtime);
        file->setResourceValues((st.stx_mask & STATX_BTIME) ? dateFrom(st.stx_btime) : modified,
                                modified, st.stx_size, false);
        file->setSelected(selected_);
        file->setFileSize(st.stx_size);
        file->setIdentity(platform::FileIdentity::fromStatx(st));
        files.append(std::move(file));
    }

    QList<QSScannedFilePtr> files;

private:
    static bool isHidden(const platform::WalkEntry& entry) { return entry.name[0] == '.'; }

    // Takes the entry's folder, once for all the files it holds. The entries keep the
    // walk's own bytes of the folder path, so each folder's path is held once.
    void enterFolderOf(const platform::WalkEntry& entry) {
        if (!folder_.isNull() && entry.dirPath.constData() == walkedFolder_.constData()) return;
        walkedFolder_ = entry.dirPath;
        folderBytes_ = entry.dirPath;
        if (folderBytes_.endsWith('/')) folderBytes_.chop(1);
        folder_ = platform::decodePath(folderBytes_);
    }

    QSMessageAttachmentsItem& item_;
    const bool selected_;
    QByteArray walkedFolder_;
    QByteArray folderBytes_;
    QString folder_;
};

}  // namespace

QString QSMessageAttachmentsItem::path() const {
    return QSDiskUtilities::sharedInstance().libraryPathWithComponent(
        QStringLiteral("Messages/Attachments"));
}

QSScanResultPtr QSMessageAttachmentsItem::actuallyScan() {
    return std::make_shared<QSScanResult>(title(), key(), 0, enumerateDirectoryWithPath(path()),
                                          path());
}

QList<QSScannedFilePtr> QSMessageAttachmentsItem::enumerateDirectoryWithPath(const QString& path) {
    if (path.isNull()) return {};
    // A linked attachments folder would lead the walk, and removal, out of the Library:
    // unlike other categories' folders, this one is never followed when it is a link.
    if (platform::itemKind(path) != platform::ItemKind::Directory) return {};
    const QByteArray root = platform::encodePath(path);
    int error = 0;
    const platform::UniqueFd fd = platform::openFolderBeneathAnchor(path, &error);
    if (!fd.valid()) return {};
    AttachmentCollector collector(*this);
    // One thread: the order of entries is then the same at every scan of the same tree.
    platform::walkTree(fd.get(), root, collector, 1);
    return std::move(collector.files);
}
