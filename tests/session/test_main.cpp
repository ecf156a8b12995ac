#include <QCoreApplication>

#include <gtest/gtest.h>

// The session's queued moves need an application's event loop; no display.
int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
