#include "platform/xdg_autostart.h"

#include <sys/stat.h>
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
const QString kSuffix = QStringLiteral(".desktop");

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
    QString dirs = decodePath(qgetenv("XDG_CONFIG_DIRS"));
    if (dirs.isEmpty()) dirs = QStringLiteral("/etc/xdg");
    for (const QString& dir : dirs.split(u':', Qt::SkipEmptyParts)) {
        if (dir.startsWith(u'/')) systemFolders_.append(appendPathComponent(dir, kAutostart));
    }
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
        list.append({file.name, resolveProgram(execProgram(entry->value(kExec)))});
    }
    return list;
}

QString XdgAutostartLoginItems::systemFileNamed(const QString& name) const {
    for (const QString& folder : systemFolders_) {
        const QString path = appendPathComponent(folder, name);
        if (fileExistsAtPath(path)) return path;
    }
    return QString();
}

// Switches back on an entry of ours that was switched off: a user override hiding a
// system entry goes away; the user's own disabled entry is enabled again.
bool XdgAutostartLoginItems::enableExisting(const QString& path) {
    for (const Located& file : effectiveFiles()) {
        if (!file.isUser) continue;
        auto editable = EditableDesktopFile::read(file.path);
        if (!editable || !isDisabled(editable->entry())) continue;
        const QString system = systemFileNamed(file.name);
        const auto systemEntry = system.isNull() ? std::nullopt : DesktopEntry::read(system);
        const DesktopEntry& source = systemEntry ? *systemEntry : editable->entry();
        if (resolveProgram(execProgram(source.value(kExec))) != path) continue;
        if (systemEntry && !isDisabled(*systemEntry)) return removeFile(file.path, nullptr);
        editable->removeKey(kHidden);
        editable->removeKey(kGnomeEnabled);
        return editable->save(file.path);
    }
    return false;
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

bool XdgAutostartLoginItems::insertItemLast(const QString& path) {
    if (enableExisting(path)) return true;
    const QString program = path.endsWith(QStringLiteral(".app")) ? bundleExecutable(path) : path;
    EditableDesktopFile file = EditableDesktopFile::create();
    file.setValue(QStringLiteral("Type"), QStringLiteral("Application"));
    file.setValue(QStringLiteral("Name"), lastPathComponent(path).section(u'.', 0, 0));
    file.setValue(kExec, quotedExecArgument(program));
    ensureUserFolder();
    return file.save(appendPathComponent(userFolder_, newUserFileName(path)));
}

bool XdgAutostartLoginItems::removeItem(const LoginListEntry& entry) {
    const QString user = appendPathComponent(userFolder_, entry.id);
    const QString system = systemFileNamed(entry.id);
    if (fileExistsAtPath(user)) {
        if (system.isNull()) return removeFile(user, nullptr);
        auto editable = EditableDesktopFile::read(user);
        if (!editable) return false;
        editable->setValue(kHidden, QStringLiteral("true"));
        return editable->save(user);
    }
    // A system entry is hidden by a user copy that says so; the system file stays.
    auto copy = EditableDesktopFile::read(system);
    if (!copy) return false;
    copy->setValue(kHidden, QStringLiteral("true"));
    ensureUserFolder();
    return copy->save(user);
}

}  // namespace platform
