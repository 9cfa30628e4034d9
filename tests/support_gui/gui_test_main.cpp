#include <gtest/gtest.h>
#include <QApplication>
#include <QTemporaryDir>

#include "tests/support/private_home.h"

// Widget tests run with a QApplication on the offscreen platform, with a private home
// and configuration folder (the settings file lives there) and without the desktop's
// session bus, so no test depends on, or changes, the machine it runs on.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    if (!home.isValid()) return 2;
    usePrivateHome(home.path());
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/sweepwell-test-bus");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
