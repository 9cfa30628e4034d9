#include <gtest/gtest.h>

#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "platform/flatpak_installations.h"
#include "tests/support/fixture_home.h"

using platform::FlatpakInstallation;
using platform::LinuxFlatpakInstallations;
using Kind = FlatpakInstallation::Kind;

namespace {

// Puts a folder first in PATH while alive.
class ScopedPath {
public:
    explicit ScopedPath(const QString& folder) : saved_(qgetenv("PATH")) {
        qputenv("PATH", folder.toUtf8() + ':' + saved_);
    }
    ~ScopedPath() { qputenv("PATH", saved_); }
    ScopedPath(const ScopedPath&) = delete;
    ScopedPath& operator=(const ScopedPath&) = delete;

private:
    QByteArray saved_;
};

// A `flatpak` in the fixture that records its arguments, one a line, and answers as told.
QString standInTool(FixtureHome& home, const QByteArray& body) {
    const QString log = home.abs(QStringLiteral("arguments"));
    home.write(QStringLiteral("bin/flatpak"), "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\" >> '" +
                                                  log.toUtf8() + "'; done\n" + body);
    home.setMode(QStringLiteral("bin/flatpak"), 0755);
    return log;
}

TEST(FlatpakInstallationsTest, ExtraInstallationsAreReadFromTheirConfigurationFolder) {
    FixtureHome home;
    home.write(QStringLiteral("conf/10-sd.conf"),
               "# the card\n[Installation \"sdcard\"]\nPath=/mnt/sd/flatpak\n"
               "DisplayName=SD Card\n\n[Installation \"relative\"]\nPath=flatpak\n"
               "[Other]\nPath=/elsewhere\n");
    home.write(QStringLiteral("conf/20-extra.conf"),
               "[Installation \"extra\"]\nStorageType=harddisk\nPath = /srv/flatpak \n");
    home.write(QStringLiteral("conf/notes.txt"), "[Installation \"ignored\"]\nPath=/x\n");
    LinuxFlatpakInstallations flatpak(
        {QStringLiteral("/var/lib/flatpak"), home.abs(QStringLiteral("conf")), {}});

    const QList<FlatpakInstallation> expected{
        {Kind::System, QStringLiteral("system"), QStringLiteral("/var/lib/flatpak")},
        {Kind::Named, QStringLiteral("sdcard"), QStringLiteral("/mnt/sd/flatpak")},
        {Kind::Named, QStringLiteral("extra"), QStringLiteral("/srv/flatpak")}};
    EXPECT_EQ(flatpak.systemInstallations(), expected);
}

TEST(FlatpakInstallationsTest, UninstallRunsTheToolWithItsArgumentsAndKeepsItsReason) {
    FixtureHome home;
    const ScopedPath path(home.abs(QStringLiteral("bin")));
    LinuxFlatpakInstallations flatpak;
    const FlatpakInstallation user{Kind::User, QStringLiteral("user"), home.abs(".local/share")};
    const FlatpakInstallation card{Kind::Named, QStringLiteral("sd card"), QStringLiteral("/mnt")};

    const QString log = standInTool(home, "exit 0\n");
    QString failure;
    EXPECT_TRUE(flatpak.uninstall(user, QStringLiteral("org.example.App"), &failure));
    EXPECT_TRUE(flatpak.uninstall(card, QStringLiteral("org.example.App"), &failure));
    EXPECT_EQ(readAll(log),
              "uninstall\n--noninteractive\n--user\norg.example.App\n"
              "uninstall\n--noninteractive\n--installation=sd card\norg.example.App\n");

    standInTool(home, "echo 'Uninstalling...' >&2\necho 'error: Not authorized' >&2\nexit 1\n");
    EXPECT_FALSE(flatpak.uninstall(user, QStringLiteral("org.example.App"), &failure));
    EXPECT_EQ(failure, u"error: Not authorized");

    // An id that could pass for an option never reaches the tool.
    QFile::remove(log);
    EXPECT_FALSE(flatpak.uninstall(user, QStringLiteral("--all"), &failure));
    EXPECT_FALSE(exists(log));
    EXPECT_EQ(LinuxFlatpakInstallations::uninstallArguments(
                  {Kind::System, QStringLiteral("system"), QString()}, QStringLiteral("org.a.B")),
              QStringList({"uninstall", "--noninteractive", "--system", "org.a.B"}));
}

TEST(FlatpakInstallationsTest, WithoutTheToolUninstallSaysSo) {
    FixtureHome home;
    const QByteArray saved = qgetenv("PATH");
    qputenv("PATH", home.abs(QStringLiteral("empty")).toUtf8());
    QString failure;
    const bool ran = LinuxFlatpakInstallations().uninstall(
        {Kind::User, QStringLiteral("user"), home.path()}, QStringLiteral("org.a.B"), &failure);
    qputenv("PATH", saved);
    EXPECT_FALSE(ran);
    EXPECT_EQ(failure, u"flatpak is not installed");
}

TEST(FlatpakInstallationsTest, TheRealToolRefusesToUninstallWhatIsNotInstalled) {
    if (QStandardPaths::findExecutable(QStringLiteral("flatpak")).isEmpty()) {
        GTEST_SKIP() << "flatpak is not installed here";
    }
    FixtureHome home;
    // The tool's user installation is the fixture's, never the machine's.
    const QByteArray saved = qgetenv("FLATPAK_USER_DIR");
    qputenv("FLATPAK_USER_DIR", home.abs(QStringLiteral("flatpak")).toUtf8());
    QString failure;
    const bool removed = LinuxFlatpakInstallations().uninstall(
        {Kind::User, QStringLiteral("user"), home.abs(QStringLiteral("flatpak"))},
        QStringLiteral("org.example.NeverInstalled"), &failure);
    qputenv("FLATPAK_USER_DIR", saved);
    EXPECT_FALSE(removed);
    EXPECT_FALSE(failure.isEmpty());
}

TEST(FlatpakInstallationsTest, ApplicationIdsAndDeploymentsAreFlatpaks) {
    for (const char* id : {"org.gimp.GIMP", "com.valvesoftware.Steam", "io.github.a_b.C-d"})
        EXPECT_TRUE(platform::isFlatpakId(QLatin1String(id))) << id;
    for (const char* name : {"scratch", "org.gimp", "-rf.a.b", "org..x.y", "org.9a.b", "a.b.c/d"})
        EXPECT_FALSE(platform::isFlatpakId(QLatin1String(name))) << name;

    FixtureHome home;
    home.file(QStringLiteral("inst/app/org.example.A/x86_64/stable/abc/files/bin/a"), 1);
    home.symlink(QStringLiteral("inst/app/org.example.A/x86_64/stable/active"), "abc");
    home.symlink(QStringLiteral("inst/app/org.example.A/current"), "x86_64/stable");
    home.folder(QStringLiteral("inst/app/org.example.Half/x86_64/stable"));
    home.folder(QStringLiteral("elsewhere/org.example.Linked/current/active"));
    home.symlink(QStringLiteral("inst/app/org.example.Linked"),
                 home.abs("elsewhere/org.example.Linked"));
    const FlatpakInstallation installation{Kind::User, QStringLiteral("user"), home.abs("inst")};

    const auto applications = platform::installedFlatpakApplications(installation);
    ASSERT_EQ(applications.size(), 1);
    EXPECT_EQ(applications[0].id, u"org.example.A");
    EXPECT_EQ(applications[0].folder, home.abs("inst/app/org.example.A"));
    EXPECT_EQ(applications[0].deployment, home.abs("inst/app/org.example.A/x86_64/stable/abc"));
    EXPECT_TRUE(
        platform::holdsFlatpakApplication(installation, QStringLiteral("org.example.Half")));
    EXPECT_FALSE(platform::holdsFlatpakApplication(installation, QStringLiteral("org.example.B")));
    EXPECT_FALSE(platform::holdsFlatpakApplication(
        {Kind::System, QStringLiteral("system"), home.abs("missing")}, QStringLiteral("org.a.B")));
}

TEST(FlatpakInstallationsTest, AppStreamNamesAreTheUntranslatedNamesOfTheComponents) {
    const QByteArray xml = R"(<?xml version="1.0"?>
<components version="0.8" origin="flathub">
  <component type="desktop-application">
    <id>org.gnome.Maps</id>
    <name xml:lang="de">Karten</name>
    <developer><name>The GNOME Project</name></developer>
    <name>Maps</name>
    <summary>Find places</summary>
  </component>
  <component type="desktop">
    <id>com.valvesoftware.Steam.desktop</id>
    <name>  Steam
    </name>
  </component>
  <component type="runtime"><id>org.example.Nameless</id></component>
</components>)";
    const QHash<QString, QString> names = platform::parseAppStreamNames(xml);
    EXPECT_EQ(names.size(), 2);
    EXPECT_EQ(names.value(QStringLiteral("org.gnome.Maps")), u"Maps");
    EXPECT_EQ(names.value(QStringLiteral("com.valvesoftware.Steam")), u"Steam");
}

}  // namespace
