#include "engine/categories/login_item_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/application_identity.h"
#include "engine/categories/login_item_helper.h"
#include "platform/file_manager.h"
#include "platform/file_path.h"
#include "platform/property_list_writer.h"
#include "platform/services.h"

namespace {

// A label names a file of ours: it must stay one plain name inside our folder.
bool isSafeFileName(const QString& name) {
    return !name.isEmpty() && !name.contains(u'/') && name != u"." && name != u"..";
}

bool makeFolders(const QString& path) {
    QString partial;
    for (const QString& component : path.split(u'/', Qt::SkipEmptyParts)) {
        partial += u'/' + component;
        if (mkdir(platform::encodePath(partial).constData(), 0755) != 0 && errno != EEXIST)
            return false;
    }
    return platform::itemKind(path) == platform::ItemKind::Directory;
}

bool fail(platform::Error* error, int code, const QString& description) {
    if (error) *error = {platform::Error::Domain::Cocoa, code, description, {}};
    return false;
}

}  // namespace

QString QSLoginItemFile::bundleID() const {
    std::lock_guard lock(mutex_);
    return bundleID_;
}

void QSLoginItemFile::setBundleID(const QString& id) {
    std::lock_guard lock(mutex_);
    bundleID_ = id;
}

QString QSLoginItemFile::helperBundleID() const {
    std::lock_guard lock(mutex_);
    return helperBundleID_;
}

void QSLoginItemFile::setHelperBundleID(const QString& id) {
    std::lock_guard lock(mutex_);
    helperBundleID_ = id;
}

QString QSLoginItemFile::helperPath() const {
    std::lock_guard lock(mutex_);
    return helperPath_;
}

void QSLoginItemFile::setHelperPath(const QString& path) {
    std::lock_guard lock(mutex_);
    helperPath_ = path;
}

QString QSLoginItemFile::serviceUnit() const {
    std::lock_guard lock(mutex_);
    return serviceUnit_;
}

void QSLoginItemFile::setServiceUnit(const QString& unit) {
    std::lock_guard lock(mutex_);
    serviceUnit_ = unit;
}

void QSLoginItemFile::setSelected(bool selected) {
    switchSelected(selected, nullptr);
}

void QSLoginItemFile::setSelected(bool selected, bool) {
    QSScannedFile::setSelected(selected);
}

bool QSLoginItemFile::switchSelected(bool selected, platform::Error* error) {
    const bool previous = this->selected();
    setSelected(selected, false);
    const bool switched = selected ? load(error) : unload(error);
    // The switch shows what will happen at the next login, never what was only wanted.
    if (!switched) setSelected(previous, false);
    return switched;
}

bool QSLoginItemFile::load(platform::Error* error) {
    if (!serviceUnit().isEmpty()) return switchService(true, error);
    return addLoginItem(error);
}

bool QSLoginItemFile::unload(platform::Error* error) {
    if (!serviceUnit().isEmpty()) return switchService(false, error);
    if (!helperBundleID().isEmpty()) return performTaskWithCommand(QStringLiteral("unload"), error);
    return removeLaunchdItem(error);
}

bool QSLoginItemFile::addLoginItem(platform::Error* error) {
    if (!platform::services().loginItems->insertItemLast(path(), error)) return false;
    // From now on the item is an entry of the login-items list like any other.
    setHelperPath(QString());
    setHelperBundleID(QString());
    return true;
}

bool QSLoginItemFile::removeLaunchdItem(platform::Error* error) {
    const QString own = path();
    auto& list = *platform::services().loginItems;
    for (const auto& entry : list.snapshot()) {
        // Exactly this program: switching off "tool" must leave "tool-extra" alone. A
        // program that is gone is known by the name its entry gives it.
        if (entry.resolvedPath.value_or(entry.program) == own) return list.removeItem(entry, error);
    }
    return fail(error, platform::Error::kFileNoSuchFile,
                QStringLiteral("No login item starts \u201c%1\u201d.").arg(own));
}

QString QSLoginItemFile::temporaryPlistPath() const {
    const QString label = helperBundleID().isEmpty() ? bundleID() : helperBundleID();
    const QString program = helperPath().isEmpty() ? path() : helperPath();
    if (!isSafeFileName(label) || program.isEmpty()) return QString();
    const QVariantMap job{
        {QStringLiteral("Disabled"), true},
        {QStringLiteral("KeepAlive"), true},
        {QStringLiteral("Label"), label},
        {QStringLiteral("LimitLoadToSessionType"), QStringLiteral("Aqua")},
        {QStringLiteral("RunAtLoad"), true},
        {QStringLiteral("WorkingDirectory"), platform::deletingLastPathComponent(program)},
        {QStringLiteral("Program"), program},
        {QStringLiteral("ProgramArguments"),
         QVariantList{program, QStringLiteral("-RunAsAgent"), QStringLiteral("YES")}},
    };
    const auto data = platform::xmlPropertyList(job);
    const QString folder =
        platform::appendPathComponent(userCachesFolder(), kApplicationBundleIdentifier);
    if (!data || !makeFolders(folder)) return QString();
    const QString file = platform::appendPathComponent(folder, label + QStringLiteral(".plist"));
    platform::removeFile(file, nullptr);
    const int fd = open(platform::encodePath(file).constData(),
                        O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) return QString();
    const bool written = write(fd, data->constData(), size_t(data->size())) == data->size();
    close(fd);
    return written ? file : QString();
}

bool QSLoginItemFile::performTaskWithCommand(const QString& command, platform::Error* error) {
    const QString plist = temporaryPlistPath();
    if (plist.isNull()) {
        return fail(error, platform::Error::kFileWriteUnknown,
                    QStringLiteral("The job description for \u201c%1\u201d could not be "
                                   "written to the caches folder.")
                        .arg(path()));
    }
    if (platform::services().launchControl->start({command, QStringLiteral("-wF"), plist}))
        return true;
    return fail(error, platform::Error::kFileWriteUnknown,
                QStringLiteral("The job-control tool could not be started."));
}

bool QSLoginItemFile::switchService(bool enabled, platform::Error* error) {
    const QString unit = serviceUnit();
    if (!platform::services().userServices->setEnabled(unit, enabled, error)) return false;
    // The tool also reports success when it changed nothing (it disables a unit it cannot
    // find without a word): the switch shows what the unit's links say now.
    if (QSLoginItemHelper::isServiceEnabled(unit) == enabled) return true;
    return fail(error, platform::Error::kFileWriteUnknown,
                (enabled ? QStringLiteral("\u201c%1\u201d still does not start when you log in.")
                         : QStringLiteral("\u201c%1\u201d still starts when you log in."))
                    .arg(unit));
}
