#include "platform/open_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>
#include <cctype>

#include "platform/file_path.h"
#include "platform/unique_fd.h"

namespace platform {
namespace {

bool isProcessId(const char* name) {
    if (*name == '\0') return false;
    for (const char* c = name; *c; ++c) {
        if (!std::isdigit(static_cast<unsigned char>(*c))) return false;
    }
    return true;
}

// Calls `visit` with each entry name of the folder open at `fd`, which it takes over.
template <typename Visit>
void forEachEntry(int fd, Visit visit) {
    DIR* dir = fdopendir(fd);
    if (!dir) {
        close(fd);
        return;
    }
    while (const struct dirent* d = readdir(dir)) {
        if (d->d_name[0] != '.') visit(dirfd(dir), d->d_name);
    }
    closedir(dir);
}

}  // namespace

QStringList ProcOpenFiles::openFilePaths() const {
    QStringList paths;
    const int proc = open(encodePath(procFolder_).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (proc < 0) return paths;
    forEachEntry(proc, [&](int procFd, const char* pid) {
        if (!isProcessId(pid)) return;
        const QByteArray fdFolder = QByteArray(pid) + "/fd";
        // Another user's process cannot be looked into: it is left out.
        const int fds = openat(procFd, fdFolder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fds < 0) return;
        forEachEntry(fds, [&](int fdsFd, const char* name) {
            char target[4096];
            const ssize_t length = readlinkat(fdsFd, name, target, sizeof target);
            // Sockets, pipes and the like are not files ("socket:[123]").
            if (length > 0 && length < ssize_t(sizeof target) && target[0] == '/') {
                paths.append(decodePath(target, qsizetype(length)));
            }
        });
    });
    return paths;
}

}  // namespace platform
