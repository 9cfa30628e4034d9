#include "platform/flatpak_installations.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QXmlStreamReader>
#include <algorithm>
#include <vector>

#include "platform/file_manager.h"
#include "platform/file_path.h"

namespace platform {
namespace {

constexpr qint64 kMaxConfigBytes = 1024 * 1024;
// Flathub's catalogue is tens of megabytes; anything far beyond is not one.
constexpr qint64 kMaxAppStreamBytes = 256 * 1024 * 1024;
// A system installation waits for the person to answer the tool's authentication.
constexpr int kUninstallTimeoutMs = 10 * 60 * 1000;

QString in(const QString& folder, const QString& component) {
    return appendPathComponent(folder, component);
}

QStringList folderNames(const QString& folder) {
    std::vector<DirectoryEntry> entries;
    listDirectory(folder, &entries);
    QStringList names;
    for (const auto& entry : entries) {
        if (entry.isDirectory) names.append(entry.name);
    }
    names.sort();
    return names;
}

// The installation with its links resolved, so that the folders inside it are reached
// without links, as removal and measuring require; null when it does not exist.
FlatpakInstallation resolved(FlatpakInstallation installation) {
    installation.path = QFileInfo(installation.path).canonicalFilePath();
    return installation;
}

// The last line the tool wrote on its error output: its reason, without the progress.
QString reasonOf(QProcess& process) {
    const QStringList lines =
        QString::fromUtf8(process.readAllStandardError()).split(u'\n', Qt::SkipEmptyParts);
    if (!lines.isEmpty()) return lines.last().trimmed();
    return QStringLiteral("flatpak exited with status %1").arg(process.exitCode());
}

}  // namespace

QList<FlatpakInstallation> LinuxFlatpakInstallations::systemInstallations() const {
    QList<FlatpakInstallation> installations{
        {FlatpakInstallation::Kind::System, QStringLiteral("system"), folders_.system}};
    std::vector<DirectoryEntry> entries;
    listDirectory(folders_.configs, &entries);
    std::sort(entries.begin(), entries.end(),
              [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.name < b.name; });
    for (const auto& entry : entries) {
        if (entry.isDirectory || !entry.name.endsWith(QStringLiteral(".conf"))) continue;
        if (const auto text = readFileContents(entry.path, kMaxConfigBytes)) {
            installations += parseInstallationsConfig(*text);
        }
    }
    return installations;
}

QList<FlatpakInstallation> LinuxFlatpakInstallations::parseInstallationsConfig(
    const QByteArray& text) {
    static const QRegularExpression header(QStringLiteral(R"re(^\[Installation "([^"]+)"\]$)re"));
    QList<FlatpakInstallation> installations;
    FlatpakInstallation current;
    bool inInstallation = false;
    const auto finish = [&] {
        if (inInstallation && current.path.startsWith(u'/')) installations.append(current);
        current = {FlatpakInstallation::Kind::Named, QString(), QString()};
    };
    for (const QByteArray& raw : text.split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith(u'[')) {
            finish();
            const auto match = header.match(line);
            inInstallation = match.hasMatch();
            current.name = match.captured(1);
        } else if (inInstallation && line.section(u'=', 0, 0).trimmed() == u"Path") {
            // Key files allow blanks around the "=".
            current.path = line.section(u'=', 1).trimmed();
        }
    }
    finish();
    return installations;
}

QStringList LinuxFlatpakInstallations::uninstallArguments(const FlatpakInstallation& installation,
                                                          const QString& id) {
    if (!isFlatpakId(id)) return {};
    QString where;
    switch (installation.kind) {
        case FlatpakInstallation::Kind::User:
            where = QStringLiteral("--user");
            break;
        case FlatpakInstallation::Kind::System:
            where = QStringLiteral("--system");
            break;
        case FlatpakInstallation::Kind::Named:
            where = QStringLiteral("--installation=") + installation.name;
            break;
    }
    return {QStringLiteral("uninstall"), QStringLiteral("--noninteractive"), where, id};
}

bool LinuxFlatpakInstallations::uninstall(const FlatpakInstallation& installation,
                                          const QString& id, QString* failure) {
    const QStringList arguments = uninstallArguments(installation, id);
    const QString flatpak = QStandardPaths::findExecutable(QStringLiteral("flatpak"));
    if (arguments.isEmpty() || flatpak.isEmpty()) {
        if (failure) {
            *failure = flatpak.isEmpty() ? QStringLiteral("flatpak is not installed")
                                         : QStringLiteral("not a Flatpak application id");
        }
        return false;
    }
    QProcess process;
    process.start(flatpak, arguments);
    const bool finished = process.waitForFinished(kUninstallTimeoutMs);
    if (finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0) {
        return true;
    }
    if (failure) {
        *failure = finished ? reasonOf(process) : QStringLiteral("flatpak did not finish in time");
    }
    process.kill();
    process.waitForFinished();
    return false;
}

bool isFlatpakId(const QString& name) {
    static const QRegularExpression id(
        QStringLiteral(R"(^[A-Za-z_][A-Za-z0-9_-]*(\.[A-Za-z_][A-Za-z0-9_-]*){2,}$)"));
    return name.size() <= 255 && id.match(name).hasMatch();
}

QList<FlatpakApplication> installedFlatpakApplications(const FlatpakInstallation& given) {
    const FlatpakInstallation installation = resolved(given);
    if (installation.path.isEmpty()) return {};
    QList<FlatpakApplication> applications;
    for (const QString& id : folderNames(in(installation.path, QStringLiteral("app")))) {
        const QString folder = in(in(installation.path, QStringLiteral("app")), id);
        if (!isFlatpakId(id) || itemKind(folder) != ItemKind::Directory) continue;
        // "current" names the branch in use, and its "active" the deployment.
        const QString active =
            QFileInfo(in(folder, QStringLiteral("current/active"))).canonicalFilePath();
        if (active.isEmpty()) continue;
        applications.append({id, installation, folder, active});
    }
    return applications;
}

bool holdsFlatpakApplication(const FlatpakInstallation& given, const QString& id) {
    const FlatpakInstallation installation = resolved(given);
    if (installation.path.isEmpty()) return false;
    int error = 0;
    const QString folder = in(in(installation.path, QStringLiteral("app")), id);
    // What cannot be looked at may be installed: never call it a leftover.
    return itemKind(folder, &error) != ItemKind::Missing || error != ENOENT;
}

QHash<QString, QString> flatpakApplicationNames(const FlatpakInstallation& given) {
    const FlatpakInstallation installation = resolved(given);
    QHash<QString, QString> names;
    if (installation.path.isEmpty()) return names;
    const QString appstream = in(installation.path, QStringLiteral("appstream"));
    for (const QString& remote : folderNames(appstream)) {
        for (const QString& arch : folderNames(in(appstream, remote))) {
            const auto xml = readFileContents(
                in(in(in(appstream, remote), arch), QStringLiteral("active/appstream.xml")),
                kMaxAppStreamBytes);
            if (!xml) continue;
            const QHash<QString, QString> found = parseAppStreamNames(*xml);
            for (auto it = found.begin(); it != found.end(); ++it) {
                if (!names.contains(it.key())) names.insert(it.key(), it.value());
            }
        }
    }
    return names;
}

QHash<QString, QString> parseAppStreamNames(const QByteArray& xml) {
    QHash<QString, QString> names;
    QXmlStreamReader reader(xml);
    QString id;
    QString name;
    int depth = 0;
    int componentDepth = -1;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            ++depth;
            if (reader.name() == u"component") {
                componentDepth = depth;
                id.clear();
                name.clear();
            } else if (depth == componentDepth + 1 && reader.name() == u"id") {
                id = reader.readElementText().trimmed();
                --depth;
            } else if (depth == componentDepth + 1 && reader.name() == u"name" &&
                       !reader.attributes().hasAttribute(QStringLiteral("xml:lang")) &&
                       name.isEmpty()) {
                // A translated name carries xml:lang; the untranslated one does not.
                name = reader.readElementText().simplified();
                --depth;
            }
        } else if (reader.isEndElement()) {
            if (depth == componentDepth && reader.name() == u"component") {
                if (id.endsWith(QStringLiteral(".desktop"))) id.chop(8);
                if (!id.isEmpty() && !name.isEmpty()) names.insert(id, name);
                componentDepth = -1;
            }
            --depth;
        }
    }
    return names;
}

}  // namespace platform
