// A snapshot's EXIF as ExifTool reads it: the time, place, speed and heading of the frame.
#include "playback/exif_tags.h"
#include "playback/frame_capture.h"

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A 64 x 48 frame block, grey.
std::vector<std::uint8_t> greyFrame()
{
    std::vector<std::uint8_t> pixels(64 * 48 * 4, 0x80);
    return makeFrameBlock(pixels.data(), 64, 48, 64 * 4);
}

// ExifTool's numeric reading of every tag of the file, with its count of errors,
// warnings and minor warnings against the standard.
QJsonObject exiftool(const QString& file)
{
    QProcess tool;
    tool.start(QStringLiteral("exiftool"),
               {QStringLiteral("-n"), QStringLiteral("-j"), QStringLiteral("-validate"),
                QStringLiteral("-all"), file});
    if (!tool.waitForFinished(30000) || tool.exitCode() != 0) {
        ADD_FAILURE() << "exiftool failed: " << tool.readAllStandardError().toStdString();
        return {};
    }
    return QJsonDocument::fromJson(tool.readAllStandardOutput()).array().at(0).toObject();
}

class SnapshotExif : public ::testing::Test
{
protected:
    QJsonObject saved(const SnapshotTags& tags)
    {
        const QString file = m_dir.filePath(QStringLiteral("shot.jpg"));
        EXPECT_EQ(saveFrameBlock(greyFrame(), file, &tags), 1);
        EXPECT_EQ(QImage(file).size(), QSize(64, 48)) << "still a picture every reader opens";
        return exiftool(file);
    }

    QTemporaryDir m_dir;
};

// Ten past one at night at +02:00 is still the day before in UTC: each tag keeps its own date.
TEST_F(SnapshotExif, TimeWithOffsetFixInUtcPlaceSpeedAndHeadingOfTheFrame)
{
    SnapshotTags tags;
    tags.fixTime = QDateTime(QDate(2024, 6, 11), QTime(23, 10, 42, 500), Qt::UTC);
    tags.frameTime = tags.fixTime.toOffsetFromUtc(2 * 3600);
    tags.position = SnapshotTags::Position{-33.856784, -70.6512345};  // south and west
    tags.speedKmh = 87.5;
    tags.course = 271.25;
    tags.layout = QStringLiteral("NT96650A");
    const QJsonObject exif = saved(tags);
    EXPECT_NEAR(exif.value("GPSLatitude").toDouble(), -33.856784, 1e-7);
    EXPECT_NEAR(exif.value("GPSLongitude").toDouble(), -70.6512345, 1e-7);
    EXPECT_EQ(exif.value("GPSLatitudeRef").toString(), "S");
    EXPECT_EQ(exif.value("GPSLongitudeRef").toString(), "W");
    EXPECT_DOUBLE_EQ(exif.value("GPSSpeed").toDouble(), 87.5);
    EXPECT_EQ(exif.value("GPSSpeedRef").toString(), "K");
    EXPECT_DOUBLE_EQ(exif.value("GPSImgDirection").toDouble(), 271.25);
    EXPECT_EQ(exif.value("GPSImgDirectionRef").toString(), "T");
    EXPECT_EQ(exif.value("DateTimeOriginal").toString(), "2024:06:12 01:10:42");
    EXPECT_EQ(exif.value("OffsetTimeOriginal").toString(), "+02:00");
    EXPECT_EQ(exif.value("GPSDateStamp").toString(), "2024:06:11");
    EXPECT_EQ(exif.value("GPSTimeStamp").toString(), "23:10:42.5");
    EXPECT_FALSE(exif.contains("Model")) << "no camera model: the player made the picture";
    EXPECT_EQ(exif.value("Software").toString(), "dashcam-player");
    EXPECT_TRUE(exif.value("ImageDescription").toString().contains("NT96650A"));
    EXPECT_EQ(exif.value("ExifImageWidth").toInt(), 64);
    EXPECT_EQ(exif.value("Validate").toString(), "0 0 0")
        << "no tag missing, misplaced or malformed";

    tags.frameTime = tags.fixTime.toOffsetFromUtc(-(3 * 3600 + 30 * 60));
    EXPECT_EQ(saved(tags).value("OffsetTimeOriginal").toString(), "-03:30");
}

TEST_F(SnapshotExif, LocalTimeAloneAndSpeedInMph)
{
    SnapshotTags tags;
    tags.frameTime = QDateTime(QDate(2024, 6, 11), QTime(10, 15, 42), Qt::LocalTime);
    QJsonObject exif = saved(tags);
    EXPECT_EQ(exif.value("DateTimeOriginal").toString(), "2024:06:11 10:15:42");
    EXPECT_FALSE(exif.contains("GPSLatitude"));
    EXPECT_FALSE(exif.contains("GPSTimeStamp")) << "a local clock is no GPS time";
    EXPECT_FALSE(exif.contains("OffsetTimeOriginal"));

    tags.position = SnapshotTags::Position{22.5, 113.75};
    tags.speedKmh = 100;
    tags.speedInMph = true;
    exif = saved(tags);
    EXPECT_DOUBLE_EQ(exif.value("GPSLatitude").toDouble(), 22.5);
    EXPECT_DOUBLE_EQ(exif.value("GPSLongitude").toDouble(), 113.75);
    EXPECT_EQ(exif.value("GPSSpeedRef").toString(), "M");
    EXPECT_NEAR(exif.value("GPSSpeed").toDouble(), 62.14, 0.005);
    EXPECT_FALSE(exif.contains("GPSTimeStamp"));
}

}  // namespace
