#include "platform/xdg_autostart.h"

#include <sys/stat.h>
#include <QCryptographicHash>
#include <QSet>
#include <algorithm>

#include "platform/editable_desktop_file.h"
#include "platform/file_manager.h"
#include "platform/file_path.h"
#include "platform/property_list.h"

namespace platform {
namespace {

const QString kAutostart = QStringLiteral("autostart");
const QString kHidden = QStringLiteral("Hidden");
const QString kGnomeEnabled = QStringLiteral("X-GNOME-Autostart-enabled");
const QString kExec = QStringLiteral("Exec");
const QString kTryExec = QStringLiteral("TryExec");
const QString kSuffix = QStringLiteral(".desktop");
const QString kHider = QStringLiteral("X-Sweepwell-Hider");
constexpr int kFileReadUnknown = 256;

bool fail(Error* error, Error reason) {
    if (error) *error = std::move(reason);
    return false;
}

Error unreadableEntry(const QString& path) {
    return Error{Error::Domain::Cocoa,
                 kFileReadUnknown,
                 QStringLiteral("\u201c%1\u201d could not be read as a desktop entry.").arg(path),
                 {}};
}

Error missingEntry(const QString& name) {
    return Error{Error::Domain::Cocoa,
                 Error::kFileNoSuchFile,
                 QStringLiteral("There is no autostart entry \u201c%1\u201d.").arg(name),
                 {}};
}

// Ids come from our own listing; anything else must not reach outside the folders.
bool isEntryName(const QString& name) {
    return name.endsWith(kSuffix) && !name.contains(u'/');
}

// A hider we write carries a digest of all its other lines. While the file still matches
// it, it is exactly what we wrote and can go away when the entry is switched back on; once
// anyone has changed it, it is the user's and stays.
QString fingerprint(EditableDesktopFile file) {
    file.removeKey(kHider);
    return QString::fromLatin1(
        QCryptographicHash::hash(file.toBytes(), QCryptographicHash::Sha256).toHex());
}

bool isPureHider(const EditableDesktopFile& file) {
    const QString mark = file.entry().value(kHider);
    return !mark.isEmpty() && mark == fingerprint(file);
}

QString environmentFolder(const char* variable, const QString& fallback) {
    const QString value = decodePath(qgetenv(variable));
    return value.startsWith(u'/') ? value : fallback;
}

bool isDisabled(const DesktopEntry& entry) {
    const QString enabled = entry.value(kGnomeEnabled);
    return entry.boolValue(kHidden) || enabled.trimmed() == u"false";
}

bool isExecutableFile(const QString& path) {
    struct stat st;
    return ::stat(encodePath(path).constData(), &st) == 0 && S_ISREG(st.st_mode) &&
           (st.st_mode & 0111) != 0;
}

// The program inside a bundle that starts it: Contents/MacOS/<CFBundleExecutable>.
QString bundleExecutable(const QString& bundle) {
    const auto info = propertyListDictionaryAtPath(bundle + QStringLiteral("/Contents/Info.plist"));
    QString name = info ? info->value(QStringLiteral("CFBundleExecutable")).toString() : QString();
    if (name.isEmpty()) name = lastPathComponent(bundle).section(u'.', 0, -2);
    return bundle + QStringLiteral("/Contents/MacOS/") + name;
}

}  // namespace

XdgAutostartLoginItems::XdgAutostartLoginItems() {
    const QString home = environmentFolder("HOME", QStringLiteral("/"));
    userFolder_ = appendPathComponent(
        environmentFolder("XDG_CONFIG_HOME", appendPathComponent(home, QStringLiteral(".config"))),
        kAutostart);
    systemFolders_ = systemFoldersFromEnvironment();
}

QStringList XdgAutostartLoginItems::systemFoldersFromEnvironment() {
    QString dirs = decodePath(qgetenv("XDG_CONFIG_DIRS"));
    if (dirs.isEmpty()) dirs = QStringLiteral("/etc/xdg");
    QStringList folders;
    for (const QString& dir : dirs.split(u':', Qt::SkipEmptyParts)) {
        if (dir.startsWith(u'/')) folders.append(appendPathComponent(dir, kAutostart));
    }
    return folders;
}

XdgAutostartLoginItems::XdgAutostartLoginItems(QString userFolder, QStringList systemFolders)
    : userFolder_(std::move(userFolder)), systemFolders_(std::move(systemFolders)) {}

QList<XdgAutostartLoginItems::Located> XdgAutostartLoginItems::effectiveFiles() const {
    QList<Located> files;
    QSet<QString> seen;
    const QStringList folders = QStringList{userFolder_} + systemFolders_;
    for (const QString& folder : folders) {
        std::vector<DirectoryEntry> entries;
        if (!listDirectory(folder, &entries)) continue;
        for (const auto& entry : entries) {
            if (!entry.name.endsWith(kSuffix) || seen.contains(entry.name)) continue;
            seen.insert(entry.name);
            files.append({entry.name, entry.path, folder == userFolder_});
        }
    }
    std::sort(files.begin(), files.end(),
              [](const Located& a, const Located& b) { return a.name < b.name; });
    return files;
}

std::optional<QString> XdgAutostartLoginItems::resolveProgram(const QString& program) {
    QString path = program;
    if (!program.contains(u'/')) {
        path.clear();
        for (const QString& dir : decodePath(qgetenv("PATH")).split(u':', Qt::SkipEmptyParts)) {
            const QString candidate = appendPathComponent(dir, program);
            if (isExecutableFile(candidate)) {
                path = candidate;
                break;
            }
        }
    }
    if (path.isEmpty() || !fileExistsAtPath(path)) return std::nullopt;
    const qsizetype bundleEnd = path.indexOf(QStringLiteral(".app/"));
    return bundleEnd < 0 ? path : path.left(bundleEnd + 4);
}

QList<LoginListEntry> XdgAutostartLoginItems::snapshot() const {
    QList<LoginListEntry> list;
    for (const Located& file : effectiveFiles()) {
        const auto entry = DesktopEntry::read(file.path);
        if (!entry || isDisabled(*entry)) continue;
        const QString program = execProgram(entry->value(kExec));
        list.append({file.name, resolveProgram(program), program});
    }
    return list;
}

QList<XdgAutostartLoginItems::ActiveFile> XdgAutostartLoginItems::activeFiles() const {
    QList<ActiveFile> active;
    for (const Located& file : effectiveFiles()) {
        const auto entry = DesktopEntry::read(file.path);
        if (!entry || isDisabled(*entry)) continue;
        const bool covers = file.isUser && !systemFileNamed(file.name).isNull();
        active.append({file.name, file.path, file.isUser, covers, *entry});
    }
    return active;
}

QString XdgAutostartLoginItems::systemFileNamed(const QString& name) const {
    for (const QString& folder : systemFolders_) {
        const QString path = appendPathComponent(folder, name);
        if (fileExistsAtPath(path)) return path;
    }
    return QString();
}

// The first switched-off user entry that starts `path` once it is switched back on.
std::optional<QString> XdgAutostartLoginItems::switchedOffEntry(const QString& path) const {
    for (const Located& file : effectiveFiles()) {
        if (!file.isUser) continue;
        const auto entry = DesktopEntry::read(file.path);
        if (!entry || !isDisabled(*entry)) continue;
        const QString system = systemFileNamed(file.name);
        const auto systemEntry = system.isNull() ? std::nullopt : DesktopEntry::read(system);
        const DesktopEntry& source = systemEntry ? *systemEntry : *entry;
        // A program that is gone is known by the name its entry gives it.
        const QString program = execProgram(source.value(kExec));
        if (resolveProgram(program).value_or(program) == path) return file.name;
    }
    return std::nullopt;
}

// Undoes a switch-off. Only a hider exactly as we wrote it is removed; every other user
// file is edited back on, so nothing the user wrote is lost.
bool XdgAutostartLoginItems::switchOn(const QString& name, Error* error) {
    const QString user = appendPathComponent(userFolder_, name);
    auto file = EditableDesktopFile::read(user);
    if (!file) return fail(error, unreadableEntry(user));
    const QString system = systemFileNamed(name);
    const auto systemEntry = system.isNull() ? std::nullopt : DesktopEntry::read(system);
    const bool hidesSystemEntry = systemEntry && !isDisabled(*systemEntry);
    if (hidesSystemEntry && isPureHider(*file)) return removeFile(user, error);
    file->removeKey(kGnomeEnabled);
    file->removeKey(kHider);
    if (hidesSystemEntry) {
        file->setValue(kHidden, QStringLiteral("false"));
    } else {
        file->removeKey(kHidden);
    }
    return file->save(user, error);
}

QString XdgAutostartLoginItems::newUserFileName(const QString& path) const {
    QString base = lastPathComponent(path);
    if (base.endsWith(QStringLiteral(".app"))) base.chop(4);
    base.replace(u' ', u'-');
    QString name = base + kSuffix;
    for (int n = 2; fileExistsAtPath(appendPathComponent(userFolder_, name)) ||
                    !systemFileNamed(name).isNull();
         ++n) {
        name = base + QStringLiteral("-%1").arg(n) + kSuffix;
    }
    return name;
}

void XdgAutostartLoginItems::ensureUserFolder() const {
    mkdir(encodePath(deletingLastPathComponent(userFolder_)).constData(), 0700);
    mkdir(encodePath(userFolder_).constData(), 0700);
}

bool XdgAutostartLoginItems::insertItemLast(const QString& path, Error* error) {
    for (const LoginListEntry& entry : snapshot()) {
        if (entry.resolvedPath == path) return true;
    }
    if (const auto name = switchedOffEntry(path)) return switchOn(*name, error);
    const QString program = path.endsWith(QStringLiteral(".app")) ? bundleExecutable(path) : path;
    EditableDesktopFile file = EditableDesktopFile::create();
    file.setValue(QStringLiteral("Type"), QStringLiteral("Application"));
    file.setValue(QStringLiteral("Name"), lastPathComponent(path).section(u'.', 0, 0));
    file.setValue(kExec, quotedExecArgument(program));
    ensureUserFolder();
    return file.save(appendPathComponent(userFolder_, newUserFileName(path)), error);
}

bool XdgAutostartLoginItems::removeItem(const LoginListEntry& entry, Error* error) {
    const QString user = appendPathComponent(userFolder_, entry.id);
    const bool usersOwn = fileExistsAtPath(user);
    const QString source = usersOwn ? user : systemFileNamed(entry.id);
    if (!isEntryName(entry.id) || source.isNull()) return fail(error, missingEntry(entry.id));
    auto file = EditableDesktopFile::read(source);
    if (!file) return fail(error, unreadableEntry(source));
    file->setValue(kHidden, QStringLiteral("true"));
    if (!usersOwn) {
        // The system file stays as it is: a user file of the same name hides it.
        file->setValue(kHider, fingerprint(*file));
        ensureUserFolder();
    }
    return file->save(user, error);
}

namespace {

bool programIsMissing(const QString& program) {
    if (program.isEmpty()) return false;
    if (program.contains(u'/') && !program.startsWith(u'/')) return true;
    return !XdgAutostartLoginItems::resolveProgram(program);
}

}  // namespace

bool desktopEntryProgramIsMissing(const DesktopEntry& entry) {
    return programIsMissing(entry.value(kTryExec)) ||
           programIsMissing(execProgram(entry.value(kExec)));
}

}  // namespace platform
