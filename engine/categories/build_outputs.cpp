#include "engine/categories/build_outputs.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <QSet>
#include <algorithm>
#include <cstring>

#include "platform/file_path.h"
#include "platform/folder_anchors.h"
#include "platform/tree_walk.h"
#include "platform/unique_fd.h"

namespace build_outputs {
namespace {

const char* const kPythonCaches[] = {"__pycache__", ".pytest_cache", ".mypy_cache", ".ruff_cache",
                                     ".tox"};
// What the top folder of a project holds; ".git" is met as an entry, since hidden
// folders are not walked into.
const char* const kProjectFiles[] = {
    ".git",     "Cargo.toml", "package.json", "CMakeLists.txt",   "pyproject.toml",
    "setup.py", "setup.cfg",  "tox.ini",      "go.mod",           "build.gradle",
    "pom.xml",  "Makefile",   "meson.build",  "build.gradle.kts", "settings.gradle"};
const QByteArray kCacheDirectoryTagSignature("Signature: 8a477f597d28d172789f06886806bc55");

bool isOneOf(const char* name, const auto& names) {
    return std::any_of(std::begin(names), std::end(names),
                       [name](const char* n) { return std::strcmp(name, n) == 0; });
}

// Looked at from the walk's open folder; the folder itself is not followed if it became
// a link, so a probe never reads outside the home.
bool holdsRegularFile(int dirFd, const char* folder, const char* name) {
    const platform::UniqueFd dir(
        openat(dirFd, folder, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct statx st;
    return dir.valid() && statx(dir.get(), name, AT_SYMLINK_NOFOLLOW, STATX_TYPE, &st) == 0 &&
           S_ISREG(st.stx_mode);
}

bool holdsValidCacheTag(int dirFd, const char* folder) {
    const platform::UniqueFd dir(
        openat(dirFd, folder, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!dir.valid()) return false;
    // Non-blocking: a FIFO put in the tag's place must not hold the scan.
    const platform::UniqueFd tag(
        openat(dir.get(), "CACHEDIR.TAG", O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct statx st;
    if (!tag.valid() || statx(tag.get(), "", AT_EMPTY_PATH, STATX_TYPE, &st) != 0 ||
        !S_ISREG(st.stx_mode)) {
        return false;
    }
    QByteArray start(kCacheDirectoryTagSignature.size(), '\0');
    return read(tag.get(), start.data(), start.size()) == start.size() &&
           start == kCacheDirectoryTagSignature;
}

class OutputFinder : public platform::WalkVisitor {
public:
    OutputFinder(quint64 rootMount, const QSet<QByteArray>& skipped)
        : rootMount_(rootMount), skipped_(skipped) {}

    void visitEntry(const platform::WalkEntry& entry) override {
        if (isOneOf(entry.name, kProjectFiles)) projects.insert(entry.dirPath);
    }

    bool shouldDescend(const platform::WalkEntry& entry) override {
        if (isOutput(entry)) {
            // A mount inside a project is another file system: neither listed nor entered.
            if (platform::mountIdOf(entry.dirFd, entry.name, AT_SYMLINK_NOFOLLOW) == rootMount_)
                outputs.append(entry.path());
            return false;
        }
        if (entry.name[0] == '.') return false;
        if (!skipped_.isEmpty() && skipped_.contains(entry.path())) return false;
        // A virtual environment holds installed packages, not a build of the project.
        return !holdsRegularFile(entry.dirFd, entry.name, "pyvenv.cfg");
    }

    QList<QByteArray> outputs;
    QSet<QByteArray> projects;

private:
    static bool isOutput(const platform::WalkEntry& entry) {
        if (isOneOf(entry.name, kPythonCaches)) return true;
        if (std::strcmp(entry.name, "node_modules") == 0) {
            struct statx st;
            return statx(entry.dirFd, "package.json", AT_SYMLINK_NOFOLLOW, STATX_TYPE, &st) == 0 &&
                   S_ISREG(st.stx_mode);
        }
        if (std::strcmp(entry.name, "target") == 0 && holdsValidCacheTag(entry.dirFd, entry.name))
            return true;
        return holdsRegularFile(entry.dirFd, entry.name, "CMakeCache.txt");
    }

    const quint64 rootMount_;
    const QSet<QByteArray>& skipped_;
};

QByteArray projectOf(const QByteArray& output, const QByteArray& root,
                     const QSet<QByteArray>& projects) {
    const QByteArray parent = output.left(output.lastIndexOf('/'));
    for (QByteArray at = parent; at.size() >= root.size(); at.truncate(at.lastIndexOf('/'))) {
        if (projects.contains(at)) return at;
    }
    return parent;
}

}  // namespace

QList<Output> findOutputs(const QString& home, const QStringList& skipped) {
    int error = 0;
    const platform::UniqueFd root = platform::openFolderBeneathAnchor(home, &error);
    if (!root.valid()) return {};
    QByteArray rootPath = platform::encodePath(home);
    if (rootPath.endsWith('/')) rootPath.chop(1);
    // A home of "/" would make this a walk of the whole system.
    if (rootPath.isEmpty()) return {};
    QSet<QByteArray> skippedPaths;
    for (const QString& path : skipped)
        skippedPaths.insert(platform::encodePath(path));
    OutputFinder finder(platform::mountIdOf(root.get(), "", AT_EMPTY_PATH), skippedPaths);
    platform::walkTree(root.get(), rootPath, finder, 1);
    std::sort(finder.outputs.begin(), finder.outputs.end());
    QList<Output> outputs;
    for (const QByteArray& output : finder.outputs) {
        outputs.append({platform::decodePath(output),
                        platform::decodePath(projectOf(output, rootPath, finder.projects))});
    }
    return outputs;
}

}  // namespace build_outputs
