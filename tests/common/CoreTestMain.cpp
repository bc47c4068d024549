// Entry point for test programs that need Qt's event loop and timers but no
// widgets: a QCoreApplication, so nothing here may create a window.
#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
