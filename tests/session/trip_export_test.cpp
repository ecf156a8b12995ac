// A trip's export onto a full disk, through the session's checked save.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>

#include <sys/mount.h>
#include <unistd.h>

#include "session/playback_session.h"
#include "tests/session/fake_media_engine.h"
#include "tools/layout_writer/layout_writer.h"

namespace {

namespace lw = layout_writer;

// A small file system of the test's own, mounted while it runs.
class SmallTmpfs
{
public:
    SmallTmpfs()
    {
        mounted = ::mount("tmpfs", dir.path().toUtf8().constData(), "tmpfs", 0, "size=64k") == 0;
    }
    ~SmallTmpfs()
    {
        if (mounted) {
            ::umount2(dir.path().toUtf8().constData(), MNT_DETACH);
        }
    }
    QTemporaryDir dir;
    bool mounted = false;
};

// Export onto a full disk: the old file stays byte for byte, no part file is left, and the
// problem says why instead of claiming success.
TEST(TripExport, OntoAFullDiskKeepsTheOldFileAndSaysWhy)
{
    if (::geteuid() != 0) {
        GTEST_SKIP() << "mounting a small tmpfs needs root";
    }
    const SmallTmpfs disk;
    if (!disk.mounted) {
        GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
    }
    QTemporaryDir recordings;
    std::vector<lw::Sample> samples;
    for (int second = 0; second < 60; ++second) {
        samples.push_back({0, 0, 1000, lw::rmc(22.5 + second * 1e-4, 113.75, 10.0, 45.0)});
    }
    ASSERT_TRUE(lw::writeFile(QDir(recordings.path()).filePath("ICAT.MOV").toStdString(),
                              lw::icatMovie(samples)));
    PlaybackSession session(std::make_unique<FakeMediaEngine>());
    session.importFolder(QFile::encodeName(recordings.path()).toStdString());
    ASSERT_EQ(session.catalogue().count(), 1);

    const QDir dir(disk.dir.path());
    const QByteArray old = "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\"><trk/></gpx>\n";
    QFile existing(dir.filePath("existing.gpx"));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    ASSERT_EQ(existing.write(old), old.size());
    existing.close();
    QFile filler(dir.filePath("filler"));
    ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    const QByteArray block(4096, 'x');
    int blocks = 0;
    while (blocks < 1000 && filler.write(block) == block.size()) {
        ++blocks;
    }
    filler.close();
    ASSERT_LT(blocks, 1000) << "the disk never filled";

    const PlaybackSession::TripExport full = session.exportTrip(0, existing.fileName());
    EXPECT_TRUE(full.problem.contains(QString::fromLocal8Bit(std::strerror(ENOSPC))))
        << full.problem.toStdString();
    ASSERT_TRUE(existing.open(QIODevice::ReadOnly));
    EXPECT_EQ(existing.readAll(), old);
    existing.close();
    EXPECT_EQ(dir.entryList(QDir::Files, QDir::Name), QStringList({"existing.gpx", "filler"}));

    // With room again the same export goes through: the failure was the disk's.
    ASSERT_TRUE(QFile::remove(dir.filePath("filler")));
    const PlaybackSession::TripExport written = session.exportTrip(0, existing.fileName());
    EXPECT_TRUE(written.problem.isEmpty()) << written.problem.toStdString();
    EXPECT_EQ(written.recordings, 1);
    ASSERT_TRUE(existing.open(QIODevice::ReadOnly));
    EXPECT_EQ(existing.readAll().count("<trkpt "), 60);
}

}  // namespace
