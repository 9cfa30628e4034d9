#include "platform/debian_packages.h"

#include <QProcess>
#include <QStandardPaths>

#include "platform/file_manager.h"
#include "platform/file_path.h"

namespace platform {
namespace {

constexpr qint64 kMaxStatusBytes = 256 * 1024 * 1024;
constexpr int kDpkgDebTimeoutMs = 10000;

// The value of a "Field: value" line, or null when the line holds another field.
QString fieldValue(const QByteArray& line, const QByteArray& field) {
    if (!line.startsWith(field + ':')) return QString();
    return QString::fromUtf8(line.mid(field.size() + 1).trimmed());
}

}  // namespace

std::optional<DebianPackage> DpkgPackages::packageOfFile(const QString& path) const {
    const QString dpkgDeb = QStandardPaths::findExecutable(QStringLiteral("dpkg-deb"));
    // An argument travels as text: a name that is not valid UTF-8 could name another file.
    if (dpkgDeb.isEmpty() || hasEscapedBytes(path)) return std::nullopt;
    QProcess process;
    process.start(dpkgDeb, {QStringLiteral("-f"), path, QStringLiteral("Package"),
                            QStringLiteral("Version")});
    if (!process.waitForFinished(kDpkgDebTimeoutMs) ||
        process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        process.kill();
        process.waitForFinished();
        return std::nullopt;
    }
    DebianPackage package;
    for (const QByteArray& line : process.readAllStandardOutput().split('\n')) {
        if (const QString name = fieldValue(line, "Package"); !name.isNull()) package.name = name;
        if (const QString version = fieldValue(line, "Version"); !version.isNull()) {
            package.version = version;
        }
    }
    if (package.name.isEmpty() || package.version.isEmpty()) return std::nullopt;
    return package;
}

QList<DebianPackage> DpkgPackages::installedPackages() const {
    const auto status = readFileContents(statusFile_, kMaxStatusBytes);
    return status ? parseStatus(*status) : QList<DebianPackage>();
}

QList<DebianPackage> DpkgPackages::parseStatus(const QByteArray& status) {
    QList<DebianPackage> installed;
    DebianPackage package;
    bool isInstalled = false;
    const auto endStanza = [&] {
        if (isInstalled && !package.name.isEmpty() && !package.version.isEmpty()) {
            installed.append(package);
        }
        package = {};
        isInstalled = false;
    };
    for (const QByteArray& line : status.split('\n')) {
        if (line.trimmed().isEmpty()) {
            endStanza();
        } else if (const QString name = fieldValue(line, "Package"); !name.isNull()) {
            package.name = name;
        } else if (const QString version = fieldValue(line, "Version"); !version.isNull()) {
            package.version = version;
        } else if (const QString state = fieldValue(line, "Status"); !state.isNull()) {
            // "want flag state": only the last word says what is on the disk.
            isInstalled = state.split(u' ').value(2) == QStringLiteral("installed");
        }
    }
    endStanza();
    return installed;
}

}  // namespace platform
