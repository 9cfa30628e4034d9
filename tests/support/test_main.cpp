#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QTemporaryDir>

#include "tests/support/private_home.h"

// Every test binary runs with an application object, so that main-thread delivery
// works as it does in the program, and with a home folder of its own.
int main(int argc, char** argv) {
    QTemporaryDir home;
    if (!home.isValid()) return 2;
    usePrivateHome(home.path());
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
