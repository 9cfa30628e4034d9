#include <gtest/gtest.h>

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "tests/cli/cli_run.h"
#include "tests/support/fixture_home.h"
#include "tests/support/linux_home_flatpak.h"

using namespace linux_home_flatpak;

namespace {

QDateTime daysAgo(int days) {
    return QDateTime::currentDateTimeUtc().addDays(-days);
}

QStringList fileNamesIn(const QByteArray& scanJson, const QString& key) {
    QStringList names;
    const QJsonArray categories =
        QJsonDocument::fromJson(scanJson).object().value(QStringLiteral("categories")).toArray();
    for (const auto& category : categories) {
        if (category.toObject().value(QStringLiteral("key")).toString() != key) continue;
        for (const auto& file : category.toObject().value(QStringLiteral("files")).toArray())
            names.append(file.toObject().value(QStringLiteral("fileName")).toString());
    }
    names.sort();
    return names;
}

// Flatpak's tool as the machine would run it: it records its arguments and removes the
// application from the user's installation.
class StandInFlatpak {
public:
    StandInFlatpak(FixtureHome& home, const QString& installation)
        : log_(home.abs(QStringLiteral("../flatpak-calls"))), savedPath_(qgetenv("PATH")) {
        home.write(QStringLiteral("../bin/flatpak"), "#!/bin/sh\necho \"$@\" >> '" + log_.toUtf8() +
                                                         "'\nrm -rf '" + installation.toUtf8() +
                                                         "/app/'\"$4\"\n");
        home.setMode(QStringLiteral("../bin/flatpak"), 0755);
        qputenv("PATH", home.abs(QStringLiteral("../bin")).toUtf8() + ':' + savedPath_);
    }
    ~StandInFlatpak() { qputenv("PATH", savedPath_); }
    StandInFlatpak(const StandInFlatpak&) = delete;
    StandInFlatpak& operator=(const StandInFlatpak&) = delete;
    QByteArray calls() const { return exists(log_) ? readAll(log_) : QByteArray(); }

private:
    QString log_;
    QByteArray savedPath_;
};

class CliLinuxAppsTest : public ::testing::Test {
protected:
    void TearDown() override {
        QDir(qEnvironmentVariable("XDG_STATE_HOME") + QStringLiteral("/sweepwell"))
            .removeRecursively();
    }
    QStringList scope(const char* command, const char* category) {
        return {QString::fromLatin1(command),
                QStringLiteral("--home"),
                home.path(),
                QStringLiteral("--system-root"),
                pathOf(home, QStringLiteral("../../system")),
                QStringLiteral("--category"),
                QString::fromLatin1(category)};
    }
    FixtureHome home;
};

TEST_F(CliLinuxAppsTest, UnusedFlatpaksAndLeftoversAreCleanedAndTheGameSavesStay) {
    const QString game =
        deploy(home, kUserInstallation, QStringLiteral("org.example.Game"), 50, daysAgo(500));
    const QString save = flatpakData(home, QStringLiteral("org.example.Game"),
                                     QStringLiteral("data/saves/slot1.sav"), 3, daysAgo(200));
    deploy(home, kSystemInstallation, QStringLiteral("org.example.Daily"), 5, daysAgo(500));
    const QString dailySave = flatpakData(home, QStringLiteral("org.example.Daily"),
                                          QStringLiteral("data/today.sav"), 2, daysAgo(1));
    appStream(home, kSystemInstallation, QStringLiteral("flathub"),
              {{QStringLiteral("com.valvesoftware.Steam"), QStringLiteral("Steam")}});
    const QString steam = home.abs(QStringLiteral(".var/app/com.valvesoftware.Steam"));
    home.file(QStringLiteral(".var/app/com.valvesoftware.Steam/data/history"), 9);
    installSnap(home, QStringLiteral("firefox"));
    home.file(QStringLiteral("snap/firefox/common/.mozilla/profile"), 6);
    const StandInFlatpak flatpak(home, pathOf(home, kUserInstallation));

    const CliRun scan = runCli(scope("scan", "unused-apps") + QStringList{"--json"});
    ASSERT_EQ(scan.status, 0) << scan.err.constData();
    EXPECT_EQ(fileNamesIn(scan.out, QStringLiteral("unused-apps")),
              QStringList({"Game (Flatpak, user installation; last use of its data)"}));
    const CliRun leftovers = runCli(scope("scan", "application-leftovers") + QStringList{"--json"});
    ASSERT_EQ(leftovers.status, 0) << leftovers.err.constData();
    EXPECT_EQ(fileNamesIn(leftovers.out, QStringLiteral("application-leftovers")),
              QStringList({"Steam"}));

    const CliRun uninstall =
        runCli(scope("clean", "unused-apps") + QStringList{"--path", game, "--yes"});
    ASSERT_EQ(uninstall.status, 0) << uninstall.err.constData();
    EXPECT_EQ(flatpak.calls(), "uninstall --noninteractive --user org.example.Game\n");
    EXPECT_FALSE(exists(game));
    const CliRun clean =
        runCli(scope("clean", "application-leftovers") + QStringList{"--path", steam, "--yes"});
    ASSERT_EQ(clean.status, 0) << clean.err.constData();
    EXPECT_FALSE(exists(steam));
    for (const QString& kept :
         {save, dailySave, home.abs(QStringLiteral("snap/firefox/common/.mozilla/profile"))}) {
        EXPECT_TRUE(exists(kept)) << kept.toStdString();
    }

    // The uninstalled game's saves are now a leftover of their own, offered unticked.
    const CliRun after = runCli(scope("scan", "application-leftovers") + QStringList{"--json"});
    EXPECT_EQ(fileNamesIn(after.out, QStringLiteral("application-leftovers")),
              QStringList({"Game"}));
}

}  // namespace
