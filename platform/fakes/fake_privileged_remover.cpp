#include "platform/fakes/fake_privileged_remover.h"

#include <unistd.h>

#include "platform/file_path.h"

namespace platform::fakes {

void FakePrivilegedRemover::run(const QString& handler, const QStringList& paths,
                                std::function<void()> finished) {
    calls_.append({handler, paths});
    for (const QString& path : paths) {
        if (!removes || removes(path)) ::unlink(encodePath(path).constData());
    }
    if (deferred) {
        pending_.append(std::move(finished));
    } else {
        finished();
    }
}

void FakePrivilegedRemover::finishPending() {
    const auto pending = std::move(pending_);
    pending_.clear();
    for (const auto& finished : pending)
        finished();
}

}  // namespace platform::fakes
