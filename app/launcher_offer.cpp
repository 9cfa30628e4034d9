#include "app/launcher_offer.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QSaveFile>
#include <QSettings>

#include <QStandardPaths>
#include "base/sw_user_defaults.h"

namespace {

// A build tree holds CMake's cache above the executable's folder.
bool runsFromBuildFolder(const QString& executablePath) {
    QDir folder = QFileInfo(executablePath).absoluteDir();
    for (int level = 0; level < 3 && !folder.isRoot(); ++level) {
        if (folder.exists(QStringLiteral("CMakeCache.txt"))) return true;
        folder.cdUp();
    }
    return false;
}

bool launcherInstalled() {
    return !QStandardPaths::locate(QStandardPaths::ApplicationsLocation,
                                   QString::fromLatin1(LauncherOffer::kDesktopFileName))
                .isEmpty();
}

// Exec= quoting of the desktop entry format: the path in double quotes, with `"`, `` ` ``,
// `$` and `\` escaped by a backslash (and that backslash doubled by the string escaping);
// `%` starts a field code, so it is doubled.
QString quotedExec(const QString& path) {
    QString quoted;
    for (const QChar c : path) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') quoted += QStringLiteral("\\\\");
        if (c == u'%') quoted += u'%';
        quoted += c;
    }
    return u'"' + quoted + u'"';
}

}  // namespace

bool LauncherOffer::shouldOffer(const QString& executablePath) {
    if (QGuiApplication::platformName() == u"offscreen" ||
        QGuiApplication::platformName() == u"minimal") {
        return false;
    }
    if (SWUserDefaults::standardUserDefaults()
            .userDefaults()
            .value(QLatin1String(kDontAskKey))
            .toBool())
        return false;
    return runsFromBuildFolder(executablePath) && !launcherInstalled();
}

QString LauncherOffer::userApplicationsFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation);
}

QByteArray LauncherOffer::desktopEntry(const QString& executablePath) {
    const QString entry = QStringLiteral(
                              "[Desktop Entry]\n"
                              "Type=Application\n"
                              "Name=Sweepwell\n"
                              "GenericName=Disk Cleaner\n"
                              "Comment=Find and remove files you do not need\n"
                              "Exec=%1\n"
                              "Icon=org.sweepwell.Sweepwell\n"
                              "Terminal=false\n"
                              "Categories=System;Utility;\n")
                              .arg(quotedExec(executablePath));
    return entry.toUtf8();
}

bool LauncherOffer::installLauncher(const QString& executablePath) {
    const QString folder = userApplicationsFolder();
    if (!QDir().mkpath(folder)) return false;
    QSaveFile file(folder + u'/' + QLatin1String(kDesktopFileName));
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(desktopEntry(executablePath));
    return file.commit();
}

void LauncherOffer::offer(const QString& executablePath, QWidget* parent) {
    auto* box =
        new QMessageBox(QMessageBox::Question, QStringLiteral("Sweepwell"),
                        QString::fromLatin1(kQuestion), QMessageBox::Yes | QMessageBox::No, parent);
    box->setInformativeText(QString::fromLatin1(kInformation));
    auto* dontAsk = new QCheckBox(QString::fromLatin1(kDontAskAgain), box);
    box->setCheckBox(dontAsk);
    box->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(box, &QMessageBox::finished, box, [box, dontAsk, executablePath] {
        const bool accepted = box->clickedButton() == box->button(QMessageBox::Yes);
        if (accepted) installLauncher(executablePath);
        if (accepted || dontAsk->isChecked()) {
            QSettings& settings = SWUserDefaults::standardUserDefaults().userDefaults();
            settings.setValue(QLatin1String(kDontAskKey), true);
            settings.sync();
        }
    });
    box->open();
}
