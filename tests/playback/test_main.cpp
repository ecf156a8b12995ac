#include <QApplication>

#include <gst/gst.h>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    testing::InitGoogleTest(&argc, argv);
    gst_init(nullptr, nullptr);
    int failed = 0;
    {
        QApplication app(argc, argv);
        failed = RUN_ALL_TESTS();
    }
    // Lets the leaks tracer, when it runs, report what is still alive.
    gst_deinit();
    return failed;
}
