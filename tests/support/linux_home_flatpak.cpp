#include "tests/support/linux_home_flatpak.h"

#include <QDir>

#include "platform/services.h"

namespace linux_home_flatpak {

namespace {

constexpr char kCommit[] = "3c1f0a2b9e";

}  // namespace

QString pathOf(const FixtureHome& home, const QString& relative) {
    return QDir::cleanPath(home.abs(relative));
}

platform::FlatpakInstallation installation(const FixtureHome& home, const QString& relative,
                                           platform::FlatpakInstallation::Kind kind,
                                           const QString& name) {
    return {kind, name, pathOf(home, relative)};
}

platform::fakes::FakeFlatpakInstallations& useFixtureSystem(const FixtureHome& home,
                                                            bool withExtra) {
    using Kind = platform::FlatpakInstallation::Kind;
    auto fake = std::make_shared<platform::fakes::FakeFlatpakInstallations>();
    fake->installations = {installation(home, kSystemInstallation, Kind::System, "system")};
    if (withExtra) {
        fake->installations.append(installation(home, kExtraInstallation, Kind::Named, "sd"));
    }
    fake->snaps = {pathOf(home, kSnaps)};
    platform::services().flatpak = fake;
    return *fake;
}

QString deploy(FixtureHome& home, const QString& installation, const QString& id, quint64 size,
               const QDateTime& deployed) {
    const QString app = installation + QStringLiteral("/app/") + id;
    const QString branch = app + QStringLiteral("/x86_64/stable");
    const QString deployment = branch + u'/' + QLatin1String(kCommit);
    home.file(deployment + QStringLiteral("/files/bin/app"), size);
    home.write(deployment + QStringLiteral("/metadata"), "[Application]\nname=" + id.toUtf8());
    home.file(deployment + QStringLiteral("/deploy"), 16, deployed);
    home.symlink(branch + QStringLiteral("/active"), QLatin1String(kCommit));
    home.symlink(app + QStringLiteral("/current"), QStringLiteral("x86_64/stable"));
    return pathOf(home, app);
}

void appStream(FixtureHome& home, const QString& installation, const QString& remote,
               const QList<std::pair<QString, QString>>& names) {
    QByteArray xml("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<components version=\"0.8\">\n");
    for (const auto& [id, name] : names) {
        xml += "<component type=\"desktop\"><id>" + id.toUtf8() + "</id>" +
               "<name xml:lang=\"de\">" + name.toUtf8() + " (de)</name>" +
               "<developer><name>Somebody</name></developer>" + "<name>" + name.toUtf8() +
               "</name><summary>An application</summary></component>\n";
    }
    xml += "</components>\n";
    const QString arch =
        installation + QStringLiteral("/appstream/") + remote + QStringLiteral("/x86_64");
    home.write(arch + u'/' + QLatin1String(kCommit) + QStringLiteral("/appstream.xml"), xml);
    home.symlink(arch + QStringLiteral("/active"), QLatin1String(kCommit));
}

QString flatpakData(FixtureHome& home, const QString& id, const QString& relative, quint64 size,
                    const QDateTime& used) {
    const QString folder = QStringLiteral(".var/app/") + id;
    const QString file = folder + u'/' + relative;
    home.file(file, size, used);
    home.setAccessDate(file, used);
    // Flatpak makes the folders long before the last use.
    for (QString parent = file.section(u'/', 0, -2); parent.size() >= folder.size();
         parent = parent.section(u'/', 0, -2)) {
        home.setModificationDate(parent, used.addDays(-400));
    }
    return home.abs(file);
}

void installSnap(FixtureHome& home, const QString& name) {
    home.folder(kSnaps + u'/' + name + QStringLiteral("/current"));
}

QString appImage(FixtureHome& home, const QString& relative, quint64 size,
                 const QDateTime& accessed, const QDateTime& modified) {
    QByteArray content(
        "\x7f"
        "ELF\x02\x01\x01\x00"
        "AI\x02",
        11);
    content.append(QByteArray(qsizetype(std::max<quint64>(size, 11) - 11), '\0'));
    const QString path = home.write(relative, content);
    home.setMode(relative, 0755);
    home.setModificationDate(relative, modified);
    home.setAccessDate(relative, accessed);
    return path;
}

QString launcher(FixtureHome& home, const QString& name, const QString& exec, const QString& icon) {
    const QByteArray text = "[Desktop Entry]\nType=Application\nName=" + name.toUtf8() +
                            "\nExec=" + exec.toUtf8() + "\nIcon=" + icon.toUtf8() + "\n";
    return home.write(
        QStringLiteral(".local/share/applications/") + name + QStringLiteral(".desktop"), text);
}

}  // namespace linux_home_flatpak
