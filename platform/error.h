#pragma once

#include <QString>
#include <memory>

namespace platform {

// An error as the engine reports it: a domain, a code, a description and an optional
// underlying error. File operations return bool and fill an Error* out-parameter.
struct Error {
    enum class Domain { Cocoa, OSStatus, POSIX, Sweepwell };

    Domain domain = Domain::Cocoa;
    int code = 0;
    QString description;
    std::shared_ptr<const Error> underlying;

    // The codes the engine's callers look at.
    static constexpr int kFileNoSuchFile = 4;
    static constexpr int kFileWriteUnknown = 512;
    static constexpr int kFileWriteNoPermission = 513;
    static constexpr int kFileWriteVolumeReadOnly = 642;
    static constexpr int kFileNotFoundOSStatus = -43;
    // Our own refusals (domain Sweepwell): the item is no longer the one the scan saw,
    // or a folder on its way was replaced by a symbolic link, which is never followed.
    static constexpr int kFileChangedSinceScan = 1;
    static constexpr int kLinkInPath = 2;

    // Maps errno to the codes above: ENOENT -> 4, EACCES/EPERM -> 513, EROFS -> 642,
    // anything else -> 512 with the POSIX error underneath.
    static Error fromErrno(int errnoValue, const QString& path);
    static Error posix(int errnoValue);
    static Error changedSinceScan();
    static Error linkInPath(const QString& path);

    // Whether the error says that nothing was there (either of the two not-found codes).
    bool meansNotFound() const { return code == kFileNoSuchFile || code == kFileNotFoundOSStatus; }

    QString domainName() const;
    // "Domain code: description", the form log lines and the CLI show.
    QString toString() const;
};

}  // namespace platform
