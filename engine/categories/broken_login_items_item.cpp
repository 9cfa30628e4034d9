#include "engine/categories/broken_login_items_item.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include "engine/disk_utilities.h"
#include "platform/file_manager.h"
#include "platform/file_path.h"
#include "platform/packages.h"
#include "platform/property_list.h"
#include "platform/tree_walk.h"

namespace {

const QString kOpen = QStringLiteral("/usr/bin/open");

// Every file below a folder with its size, not entering packages; hidden names included.
class ListingVisitor : public platform::WalkVisitor {
public:
    void visitEntry(const platform::WalkEntry& entry) override {
        struct statx st;
        if (entry.type == DT_DIR || !entry.stat(&st)) return;
        files.append({platform::decodePath(entry.path()), quint64(st.stx_size)});
    }
    bool shouldDescend(const platform::WalkEntry& entry) override {
        return !platform::isPackageName(entry.name);
    }
    QList<std::pair<QString, quint64>> files;
};

// The program a job starts: "Program", else the first of "ProgramArguments" (the second
// when the first only opens it).
QString programOf(const QVariantMap& job) {
    const QString program = job.value(QStringLiteral("Program")).toString();
    if (!program.isEmpty()) return program;
    const QVariantList arguments = job.value(QStringLiteral("ProgramArguments")).toList();
    if (arguments.isEmpty()) return QString();
    if (arguments.first().toString() == kOpen && arguments.size() > 1)
        return arguments[1].toString();
    return arguments.first().toString();
}

// The system's own opener always counts as present: a job that only runs it is not broken
// on a host that lacks the tool under that name. A program without a folder is never
// found: existence is not judged against whatever the working folder happens to be.
bool programExists(const QString& program) {
    if (program == kOpen) return true;
    return program.startsWith(u'/') && platform::fileExistsAtPath(program);
}

}  // namespace

QString QSBrokenLoginItemsItem::path() const {
    return QSDiskUtilities::sharedInstance().libraryPathWithComponent(
        QStringLiteral("Preferences"));
}

QList<QSScannedFilePtr> QSBrokenLoginItemsItem::brokenItemsForPath(const QString& folder) {
    QList<QSScannedFilePtr> broken;
    const int fd =
        open(platform::encodePath(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return broken;
    ListingVisitor visitor;
    platform::walkTree(fd, platform::encodePath(folder), visitor);
    close(fd);
    for (const auto& [path, size] : visitor.files) {
        const auto job = platform::propertyListDictionaryAtPath(path);
        if (!job) continue;
        const QString program = programOf(*job);
        if (program.isEmpty() || programExists(program)) continue;
        auto file = std::make_shared<QSScannedFile>();
        file->setPath(path);
        file->setFileName(path);
        file->setAttributes({{kNSURLFileSizeKey, size}});
        file->setFileSize(size);
        file->setSelected(selectedByDefault());
        broken.append(file);
    }
    return broken;
}

QSScanResultPtr QSBrokenLoginItemsItem::actuallyScan() {
    const QString home = QSDiskUtilities::sharedInstance().homeDirectoryPath();
    QList<QSScannedFilePtr> details;
    for (const QString& folder :
         {QStringLiteral("Library/LaunchAgents"), QStringLiteral("Library/LaunchDaemons")}) {
        details += brokenItemsForPath(platform::appendPathComponent(home, folder));
    }
    return std::make_shared<QSScanResult>(title(), key(), 0, details, kPathMarkerLarge);
}
