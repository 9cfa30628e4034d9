#include "tests/support/fixture_home.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <cerrno>

#include "platform/file_manager.h"
#include "platform/file_path.h"
#include "platform/property_list_writer.h"

namespace {

constexpr int kNobody = 65534;

QByteArray bytes(const QString& path) {
    return platform::encodePath(path);
}

void makeParents(const QString& path) {
    QByteArray b = bytes(path);
    for (qsizetype i = 1; i < b.size(); ++i) {
        if (b[i] != '/') continue;
        mkdir(b.left(i).constData(), 0755);
    }
}

void writeBytes(const QString& path, const QByteArray& content) {
    makeParents(path);
    const int fd = open(bytes(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return;
    const ssize_t written = write(fd, content.constData(), size_t(content.size()));
    Q_UNUSED(written);
    close(fd);
}

QString writePlist(const QString& path, const QVariantMap& content, bool binary) {
    const auto bytes =
        binary ? platform::binaryPropertyList(content) : platform::xmlPropertyList(content);
    writeBytes(path, bytes.value_or(QByteArray()));
    return path;
}

void setTimes(const QString& path, const QDateTime& access, const QDateTime& modified) {
    struct timespec times[2];
    for (int i = 0; i < 2; ++i) {
        const QDateTime& date = i == 0 ? access : modified;
        if (!date.isValid()) {
            times[i] = {0, UTIME_OMIT};
            continue;
        }
        const qint64 ms = date.toMSecsSinceEpoch();
        times[i] = {time_t(ms / 1000), long(ms % 1000) * 1000000};
    }
    utimensat(AT_FDCWD, bytes(path).constData(), times, AT_SYMLINK_NOFOLLOW);
}

}  // namespace

FixtureHome::FixtureHome() {
    root_ = dir_.path();
    // Unprivileged tests need to reach the fixture.
    chmod(bytes(root_).constData(), 0755);
    home_ = root_ + QStringLiteral("/home/user");
    folder(QString());
}

FixtureHome::~FixtureHome() {
    // Undo what would stop the removal, then remove with our own remover: QTemporaryDir's
    // cannot remove names that are not valid UTF-8.
    const QByteArray script = "chattr -R -i '" + bytes(root_) + "' 2>/dev/null; chmod -R u+rwx '" +
                              bytes(root_) + "' 2>/dev/null";
    if (system(script.constData()) == -1) return;
    std::vector<platform::RemovalFailure> failures;
    platform::removeDirectory(root_, false, &failures);
    dir_.setAutoRemove(!failures.empty());
}

QString FixtureHome::abs(const QString& relative) const {
    return relative.isEmpty() ? home_ : platform::appendPathComponent(home_, relative);
}

QString FixtureHome::folder(const QString& relative) {
    const QString path = abs(relative);
    makeParents(path + QStringLiteral("/"));
    return path;
}

QString FixtureHome::file(const QString& relative, quint64 size, const QDateTime& modified) {
    const QString path = abs(relative);
    writeBytes(path, QByteArray(qsizetype(size), 'x'));
    if (modified.isValid()) setTimes(path, {}, modified);
    return path;
}

QString FixtureHome::write(const QString& relative, const QByteArray& content) {
    const QString path = abs(relative);
    writeBytes(path, content);
    return path;
}

QString FixtureHome::sparseFile(const QString& relative, quint64 size) {
    const QString path = abs(relative);
    writeBytes(path, QByteArray());
    if (truncate(bytes(path).constData(), off_t(size)) != 0) return QString();
    return path;
}

QString FixtureHome::symlink(const QString& relative, const QString& target) {
    const QString path = abs(relative);
    makeParents(path);
    if (::symlink(bytes(target).constData(), bytes(path).constData()) != 0) return QString();
    return path;
}

QString FixtureHome::xmlPlist(const QString& relative, const QVariantMap& content) {
    return writePlist(abs(relative), content, false);
}

QString FixtureHome::binaryPlist(const QString& relative, const QVariantMap& content) {
    return writePlist(abs(relative), content, true);
}

QString FixtureHome::appBundle(const QString& relative, const QString& bundleIdentifier,
                               const QVariantMap& extra) {
    QVariantMap info = extra;
    info.insert(QStringLiteral("CFBundleIdentifier"), bundleIdentifier);
    const QString name = platform::lastPathComponent(relative).section(u'.', 0, 0);
    if (!info.contains(QStringLiteral("CFBundleName")))
        info.insert(QStringLiteral("CFBundleName"), name);
    xmlPlist(relative + QStringLiteral("/Contents/Info.plist"), info);
    file(relative + QStringLiteral("/Contents/MacOS/") + name, 16);
    return abs(relative);
}

void FixtureHome::setModificationDate(const QString& relative, const QDateTime& date) {
    setTimes(abs(relative), {}, date);
}

void FixtureHome::setAccessDate(const QString& relative, const QDateTime& date) {
    setTimes(abs(relative), date, {});
}

void FixtureHome::setMode(const QString& relative, int mode) {
    chmod(bytes(abs(relative)).constData(), mode_t(mode));
}

bool FixtureHome::setImmutable(const QString& relative, bool immutable) {
    const int fd = open(bytes(abs(relative)).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    int flags = 0;
    bool ok = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = immutable ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ok = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    close(fd);
    return ok;
}

ScopedUnprivileged::ScopedUnprivileged() {
    if (!runningAsRoot()) return;
    // glibc applies these to every thread of the process; the saved ids stay root so that
    // the destructor can take the privileges back.
    dropped_ = setresgid(-1, kNobody, 0) == 0 && setresuid(-1, kNobody, 0) == 0;
}

ScopedUnprivileged::~ScopedUnprivileged() {
    if (!dropped_) return;
    if (setresuid(-1, 0, -1) != 0 || setresgid(-1, 0, -1) != 0) abort();
}

bool ScopedUnprivileged::runningAsRoot() {
    return geteuid() == 0;
}

int ScopedUnprivileged::unprivilegedUid() {
    return runningAsRoot() ? kNobody : int(geteuid());
}

bool waitUntil(const std::function<bool()>& condition, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 20);
    }
    return true;
}

QByteArray readAllFromFd(int fd) {
    QByteArray out;
    char buffer[4096];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0)
        out.append(buffer, n);
    close(fd);
    return out;
}

QByteArray readAll(const QString& path) {
    const int fd = open(bytes(path).constData(), O_RDONLY | O_CLOEXEC);
    return fd < 0 ? QByteArray() : readAllFromFd(fd);
}

bool exists(const QString& path) {
    struct stat st;
    return lstat(bytes(path).constData(), &st) == 0;
}
