#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QTemporaryDir>

// Every test binary runs with an application object, so that main-thread delivery
// works as it does in the program. Removal logs of the tests, and of the programs they
// start, go to a folder of their own, never to the user's.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir state;
    qputenv("XDG_STATE_HOME", state.path().toLocal8Bit());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
