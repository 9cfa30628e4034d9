#pragma once

#include <QString>

class QWidget;

// Started from a build folder with no launcher of its own installed, the application
// offers once to add one to the user's applications menu. Declining with "don't ask
// again" is remembered.
class LauncherOffer {
public:
    static constexpr char kDesktopFileName[] = "org.sweepwell.Sweepwell.desktop";
    static constexpr char kDontAskKey[] = "LauncherOfferSuppressed";
    static constexpr char kQuestion[] = "Add Sweepwell to your applications?";
    static constexpr char kInformation[] =
        "A launcher in your applications menu starts this copy of Sweepwell.";
    static constexpr char kDontAskAgain[] = "Don't ask again";

    // Whether to offer: from a build folder, without an installed launcher, not asked
    // to stay quiet, on a real display.
    static bool shouldOffer(const QString& executablePath);
    // Asks, and writes the launcher when the user agrees.
    static void offer(const QString& executablePath, QWidget* parent);
    // The launcher's text for this executable.
    static QByteArray desktopEntry(const QString& executablePath);
    // Where the user's own launchers go.
    static QString userApplicationsFolder();
    static bool installLauncher(const QString& executablePath);
};
