#include "platform/privileged_removal.h"

#include <sys/stat.h>

#include <QCoreApplication>
#include <QMetaObject>
#include <cerrno>

#include "platform/file_path.h"
#include "platform/services.h"

namespace {

// Without following a final link: a link left behind is something left behind. A file
// where a folder of the path was (ENOTDIR) leaves nothing at the path either.
bool nothingExistsAt(const QString& path) {
    struct stat status;
    return ::lstat(platform::encodePath(path).constData(), &status) != 0 &&
           (errno == ENOENT || errno == ENOTDIR);
}

}  // namespace

LNUNSanboxHelper& LNUNSanboxHelper::sharedHelper() {
    static LNUNSanboxHelper helper;
    return helper;
}

bool LNUNSanboxHelper::isAvailable() const {
    const auto& remover = platform::services().privilegedRemover;
    return remover && remover->isAvailable();
}

bool LNUNSanboxHelper::isInstalled() const {
    const auto& remover = platform::services().privilegedRemover;
    return isAvailable() && remover->isInstalled();
}

void LNUNSanboxHelper::removeFileAtPath(const QString& path, CompletionHandler completion) {
    run(QString::fromLatin1(platform::PrivilegedRemover::kRemoveOne), {path},
        std::move(completion));
}

void LNUNSanboxHelper::removeFiles(const QStringList& paths, CompletionHandler completion) {
    run(QString::fromLatin1(platform::PrivilegedRemover::kRemoveMany), paths,
        std::move(completion));
}

void LNUNSanboxHelper::run(const QString& handler, const QStringList& paths,
                           CompletionHandler completion) {
    auto judge = [paths, completion = std::move(completion)] {
        bool removed = true;
        for (const QString& path : paths) {
            if (!nothingExistsAt(path)) {
                removed = false;
                break;
            }
        }
        // Always on a later pass of the main loop, also when the remover answered at once.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [completion, removed] { completion(removed); },
            Qt::QueuedConnection);
    };
    const auto remover = platform::services().privilegedRemover;
    if (!remover) {
        judge();
        return;
    }
    remover->run(handler, paths, std::move(judge));
}
