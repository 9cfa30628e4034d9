#include <gtest/gtest.h>
#include <QCoreApplication>

// Every test binary runs with an application object, so that main-thread delivery
// works as it does in the program.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
