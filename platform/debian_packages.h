#pragma once

#include <QList>
#include <QString>
#include <optional>

namespace platform {

struct DebianPackage {
    QString name;
    QString version;
    bool operator==(const DebianPackage&) const = default;
};

// What dpkg knows: the package a .deb file holds, and what is installed.
class DebianPackages {
public:
    virtual ~DebianPackages() = default;
    // The package and version that a .deb file holds; nothing when it cannot be read.
    virtual std::optional<DebianPackage> packageOfFile(const QString& path) const = 0;
    // The packages installed now, each in its installed version.
    virtual QList<DebianPackage> installedPackages() const = 0;
};

// dpkg's own tools and database: `dpkg-deb -f` reads a file's control fields, and the
// status file lists what is installed. Without dpkg, nothing is known.
class DpkgPackages : public DebianPackages {
public:
    explicit DpkgPackages(QString statusFile = QStringLiteral("/var/lib/dpkg/status"))
        : statusFile_(std::move(statusFile)) {}
    std::optional<DebianPackage> packageOfFile(const QString& path) const override;
    QList<DebianPackage> installedPackages() const override;

    // The stanzas of a status file whose state is "installed" (not merely unpacked, or
    // removed with its configuration files left).
    static QList<DebianPackage> parseStatus(const QByteArray& status);

private:
    QString statusFile_;
};

}  // namespace platform
