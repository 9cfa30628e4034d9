#pragma once

#include <sys/types.h>
#include <QByteArray>
#include <optional>

#include "platform/file_identity.h"
#include "platform/unique_fd.h"

// What became of one path given to the helper.
struct Attempt {
    enum class Outcome { Removed, Missing, Refused, Failed };

    explicit Attempt(QByteArray path) : path(std::move(path)) {}

    QByteArray path;
    Outcome outcome = Outcome::Failed;
    // Why it was refused or failed, and the errno that stands for it in the log.
    QByteArray reason;
    int errnoValue = 0;
    // What was found at the path before anything was removed.
    std::optional<platform::FileIdentity> identity;
    quint64 removedBytes = 0;

    bool gone() const { return outcome == Outcome::Removed || outcome == Outcome::Missing; }
    static Attempt refused(const QByteArray& path, const QByteArray& reason, int errnoValue);
};

// The caller's home folder, opened once; every path beneath it is reached from here one
// component at a time, never through a link and never onto another mounted file system,
// so nothing the caller puts in the way can lead the removal outside their own home.
class CallerHome {
public:
    // The home as the password database names it; links in that path are the
    // administrator's and are followed. It must belong to the caller.
    static std::optional<CallerHome> open(const QByteArray& path, uid_t owner, QByteArray* why);

    // The content of .config/user-dirs.dirs, read without following links; empty when
    // there is none.
    QByteArray userDirsFile() const;
    // Removes the item at `path` (beneath the home, checked beforehand): a file or link
    // itself, a folder with everything in it.
    Attempt remove(const QByteArray& path) const;
    int fd() const { return fd_.get(); }

private:
    CallerHome(QByteArray path, platform::UniqueFd fd, dev_t device, quint64 mount)
        : path_(std::move(path)), fd_(std::move(fd)), device_(device), mount_(mount) {}
    bool onHomeFileSystem(int dirFd, const char* name, int flags) const;
    Attempt unopenedComponent(int parent, const QByteArray& name, int err, Attempt attempt) const;
    Attempt removeItem(int parent, const QByteArray& name, Attempt attempt) const;
    void removeFolder(int parent, const QByteArray& name, Attempt* attempt) const;

    QByteArray path_;
    platform::UniqueFd fd_;
    dev_t device_;
    quint64 mount_;
};
