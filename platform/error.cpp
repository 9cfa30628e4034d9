#include "platform/error.h"

#include <cerrno>
#include <cstring>

namespace platform {

Error Error::posix(int errnoValue) {
    return Error{Domain::POSIX, errnoValue, QString::fromLocal8Bit(std::strerror(errnoValue)), {}};
}

Error Error::fromErrno(int errnoValue, const QString& path) {
    const QString reason = QString::fromLocal8Bit(std::strerror(errnoValue));
    const auto described = [&](int code) {
        return Error{Domain::Cocoa, code,
                     QStringLiteral("\u201c%1\u201d could not be removed: %2.").arg(path, reason),
                     std::make_shared<const Error>(posix(errnoValue))};
    };
    switch (errnoValue) {
        case ENOENT:
            return described(kFileNoSuchFile);
        case EACCES:
        case EPERM:
            return described(kFileWriteNoPermission);
        case EROFS:
            return described(kFileWriteVolumeReadOnly);
        default:
            return described(kFileWriteUnknown);
    }
}

Error Error::changedSinceScan() {
    return Error{Domain::Sweepwell,
                 kFileChangedSinceScan,
                 QStringLiteral("The file changed after the scan."),
                 {}};
}

Error Error::linkInPath(const QString& path) {
    return Error{Domain::Sweepwell,
                 kLinkInPath,
                 QStringLiteral("A folder on the path of \u201c%1\u201d is now a symbolic link, "
                                "which is never followed.")
                     .arg(path),
                 {}};
}

QString Error::domainName() const {
    switch (domain) {
        case Domain::Cocoa:
            return QStringLiteral("NSCocoaErrorDomain");
        case Domain::OSStatus:
            return QStringLiteral("NSOSStatusErrorDomain");
        case Domain::POSIX:
            return QStringLiteral("NSPOSIXErrorDomain");
        case Domain::Sweepwell:
            return QStringLiteral("SweepwellErrorDomain");
    }
    return QString();
}

QString Error::toString() const {
    return QStringLiteral("%1 %2: %3").arg(domainName()).arg(code).arg(description);
}

}  // namespace platform
