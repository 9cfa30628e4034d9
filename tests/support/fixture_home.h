#pragma once

#include <QDateTime>
#include <QString>
#include <QTemporaryDir>
#include <QVariantMap>
#include <functional>

#include "tests/support/qt_printing.h"

// Builds throw-away home folders for tests: files of given sizes and dates, folders,
// links, property lists (XML and binary), application bundles, unreadable folders.
// Relative paths are below the home folder; names may hold any bytes (see file_path.h).
class FixtureHome {
public:
    FixtureHome();
    ~FixtureHome();
    FixtureHome(const FixtureHome&) = delete;
    FixtureHome& operator=(const FixtureHome&) = delete;

    // The home folder, and the temporary folder around it (for files outside the home).
    QString path() const { return home_; }
    QString root() const { return root_; }
    QString abs(const QString& relative) const;

    QString folder(const QString& relative);
    QString file(const QString& relative, quint64 size = 0, const QDateTime& modified = {});
    QString write(const QString& relative, const QByteArray& content);
    // A file whose size is set without writing its bytes.
    QString sparseFile(const QString& relative, quint64 size);
    QString symlink(const QString& relative, const QString& target);
    QString xmlPlist(const QString& relative, const QVariantMap& content);
    QString binaryPlist(const QString& relative, const QVariantMap& content);
    // relative/Contents/Info.plist with CFBundleIdentifier, CFBundleName and `extra`.
    QString appBundle(const QString& relative, const QString& bundleIdentifier,
                      const QVariantMap& extra = {});
    void setModificationDate(const QString& relative, const QDateTime& date);
    void setAccessDate(const QString& relative, const QDateTime& date);
    void setMode(const QString& relative, int mode);
    // Sets the immutable flag; false where the file system or privileges do not allow it.
    bool setImmutable(const QString& relative, bool immutable);

private:
    QTemporaryDir dir_;
    QString root_;
    QString home_;
};

// Turns the whole process into an unprivileged user (nobody) while alive, so that
// permission checks apply even when the tests run as root. A no-op for other users.
class ScopedUnprivileged {
public:
    ScopedUnprivileged();
    ~ScopedUnprivileged();
    ScopedUnprivileged(const ScopedUnprivileged&) = delete;
    ScopedUnprivileged& operator=(const ScopedUnprivileged&) = delete;
    static bool runningAsRoot();
    static int unprivilegedUid();

private:
    bool dropped_ = false;
};

// Runs the main thread's event loop until the condition holds or the timeout passes.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 20000);

// The content of a file; everything left to read from a descriptor, which is then closed.
QByteArray readAll(const QString& path);
QByteArray readAllFromFd(int fd);
bool exists(const QString& path);  // without following a final link
