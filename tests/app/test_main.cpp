#include <gst/gst.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Settings and the pictures folder of a user of our own, not of whoever runs the tests.
    QTemporaryDir home;
    const QString pictures = QDir(home.path()).filePath("Pictures");
    QDir().mkpath(pictures);
    QFile dirs(QDir(home.path()).filePath("user-dirs.dirs"));
    if (dirs.open(QIODevice::WriteOnly)) {
        dirs.write("XDG_PICTURES_DIR=\"" + pictures.toUtf8() + "\"\n");
        dirs.close();
    }
    qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
    qputenv("XDG_DATA_HOME", home.path().toUtf8());  // the library's default file
    gst_init(&argc, &argv);
    QApplication app(argc, argv);
    // As the player names itself: without an organisation QSettings reports every write failed.
    QApplication::setOrganizationName(QStringLiteral("dashcam-player"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
