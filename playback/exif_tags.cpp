#include "playback/exif_tags.h"

#include <libexif/exif-data.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

constexpr ExifByteOrder kOrder = EXIF_BYTE_ORDER_INTEL;
constexpr double kMilesPerKm = 1 / 1.609344;

struct ExifDataUnref
{
    void operator()(ExifData* data) const { exif_data_unref(data); }
};
using ExifDataPtr = std::unique_ptr<ExifData, ExifDataUnref>;

// A new entry of `components` values of `format` in `ifd`; owned by the IFD.
unsigned char* addEntry(ExifData* data, ExifIfd ifd, int tag, ExifFormat format,
                        unsigned long components)
{
    ExifMem* mem = exif_mem_new_default();
    ExifEntry* entry = exif_entry_new_mem(mem);
    const unsigned int size = exif_format_get_size(format) * components;
    entry->data = static_cast<unsigned char*>(exif_mem_alloc(mem, size));
    unsigned char* bytes = entry->data;
    if (bytes) {
        entry->tag = static_cast<ExifTag>(tag);
        entry->format = format;
        entry->components = components;
        entry->size = size;
        exif_content_add_entry(data->ifd[ifd], entry);
    }
    exif_entry_unref(entry);
    exif_mem_unref(mem);
    return bytes;
}

void addText(ExifData* data, ExifIfd ifd, int tag, const QByteArray& text)
{
    if (unsigned char* bytes = addEntry(data, ifd, tag, EXIF_FORMAT_ASCII, text.size() + 1)) {
        std::memcpy(bytes, text.constData(), text.size() + 1);
    }
}

void addUndefined(ExifData* data, ExifIfd ifd, int tag, const char* bytes, unsigned long size)
{
    if (unsigned char* target = addEntry(data, ifd, tag, EXIF_FORMAT_UNDEFINED, size)) {
        std::memcpy(target, bytes, size);
    }
}

void addShort(ExifData* data, ExifIfd ifd, int tag, ExifShort value)
{
    if (unsigned char* bytes = addEntry(data, ifd, tag, EXIF_FORMAT_SHORT, 1)) {
        exif_set_short(bytes, kOrder, value);
    }
}

void addLong(ExifData* data, ExifIfd ifd, int tag, int value)
{
    if (unsigned char* bytes = addEntry(data, ifd, tag, EXIF_FORMAT_LONG, 1)) {
        exif_set_long(bytes, kOrder, static_cast<ExifLong>(value));
    }
}

// Rationals over a fixed denominator: `scale` parts of a unit.
void addRationals(ExifData* data, ExifIfd ifd, int tag, std::initializer_list<double> values,
                  ExifLong scale)
{
    unsigned char* bytes = addEntry(data, ifd, tag, EXIF_FORMAT_RATIONAL, values.size());
    if (!bytes) {
        return;
    }
    for (double value : values) {
        const ExifRational r{static_cast<ExifLong>(std::llround(value * scale)), scale};
        exif_set_rational(bytes, kOrder, r);
        bytes += exif_format_get_size(EXIF_FORMAT_RATIONAL);
    }
}

// Degrees, minutes and seconds to a ten-thousandth of a second (about 3 mm).
void addCoordinate(ExifData* data, int refTag, int tag, double degrees, const char* positive,
                   const char* negative)
{
    addText(data, EXIF_IFD_GPS, refTag, degrees < 0 ? negative : positive);
    const double magnitude = std::abs(degrees);
    const double whole = std::floor(magnitude);
    const double minutes = std::floor((magnitude - whole) * 60);
    const double seconds = (magnitude - whole - minutes / 60) * 3600;
    unsigned char* bytes = addEntry(data, EXIF_IFD_GPS, tag, EXIF_FORMAT_RATIONAL, 3);
    if (!bytes) {
        return;
    }
    const ExifRational parts[] = {{static_cast<ExifLong>(whole), 1},
                                  {static_cast<ExifLong>(minutes), 1},
                                  {static_cast<ExifLong>(std::llround(seconds * 10000)), 10000}};
    for (const ExifRational& r : parts) {
        exif_set_rational(bytes, kOrder, r);
        bytes += exif_format_get_size(EXIF_FORMAT_RATIONAL);
    }
}

// What the standard asks of every compressed picture's EXIF.
void addRequired(ExifData* data, int width, int height)
{
    addRationals(data, EXIF_IFD_0, EXIF_TAG_X_RESOLUTION, {72}, 1);
    addRationals(data, EXIF_IFD_0, EXIF_TAG_Y_RESOLUTION, {72}, 1);
    addShort(data, EXIF_IFD_0, EXIF_TAG_RESOLUTION_UNIT, 2);    // inches
    addShort(data, EXIF_IFD_0, EXIF_TAG_YCBCR_POSITIONING, 1);  // centred
    addUndefined(data, EXIF_IFD_EXIF, EXIF_TAG_EXIF_VERSION, "0231", 4);
    addUndefined(data, EXIF_IFD_EXIF, EXIF_TAG_COMPONENTS_CONFIGURATION, "\1\2\3\0", 4);  // Y Cb Cr
    addUndefined(data, EXIF_IFD_EXIF, EXIF_TAG_FLASH_PIX_VERSION, "0100", 4);
    addShort(data, EXIF_IFD_EXIF, EXIF_TAG_COLOR_SPACE, 1);  // sRGB
    addLong(data, EXIF_IFD_EXIF, EXIF_TAG_PIXEL_X_DIMENSION, width);
    addLong(data, EXIF_IFD_EXIF, EXIF_TAG_PIXEL_Y_DIMENSION, height);
}

// "+hh:mm" or "-hh:mm", as the offset tags want it.
QByteArray offsetText(int seconds)
{
    const int minutes = std::abs(seconds) / 60;
    return QStringLiteral("%1%2:%3")
        .arg(seconds < 0 ? QLatin1Char('-') : QLatin1Char('+'))
        .arg(minutes / 60, 2, 10, QLatin1Char('0'))
        .arg(minutes % 60, 2, 10, QLatin1Char('0'))
        .toLatin1();
}

void addTime(ExifData* data, const QDateTime& time)
{
    const QByteArray text = time.toString(QStringLiteral("yyyy:MM:dd HH:mm:ss")).toLatin1();
    addText(data, EXIF_IFD_0, EXIF_TAG_DATE_TIME, text);
    addText(data, EXIF_IFD_EXIF, EXIF_TAG_DATE_TIME_ORIGINAL, text);
    addText(data, EXIF_IFD_EXIF, EXIF_TAG_DATE_TIME_DIGITIZED, text);
    if (time.timeSpec() != Qt::LocalTime) {
        const QByteArray offset = offsetText(time.offsetFromUtc());
        addText(data, EXIF_IFD_EXIF, EXIF_TAG_OFFSET_TIME, offset);
        addText(data, EXIF_IFD_EXIF, EXIF_TAG_OFFSET_TIME_ORIGINAL, offset);
        addText(data, EXIF_IFD_EXIF, EXIF_TAG_OFFSET_TIME_DIGITIZED, offset);
    }
}

void addGps(ExifData* data, const SnapshotTags& tags)
{
    const char version[] = {2, 3, 0, 0};
    if (unsigned char* bytes =
            addEntry(data, EXIF_IFD_GPS, EXIF_TAG_GPS_VERSION_ID, EXIF_FORMAT_BYTE, 4)) {
        std::memcpy(bytes, version, 4);
    }
    addCoordinate(data, EXIF_TAG_GPS_LATITUDE_REF, EXIF_TAG_GPS_LATITUDE, tags.position->latitude,
                  "N", "S");
    addCoordinate(data, EXIF_TAG_GPS_LONGITUDE_REF, EXIF_TAG_GPS_LONGITUDE,
                  tags.position->longitude, "E", "W");
    if (tags.fixTime.isValid()) {
        const QDateTime utc = tags.fixTime.toUTC();
        const QTime t = utc.time();
        addRationals(data, EXIF_IFD_GPS, EXIF_TAG_GPS_TIME_STAMP,
                     {double(t.hour()), double(t.minute()), t.second() + t.msec() / 1000.0}, 1000);
        addText(data, EXIF_IFD_GPS, EXIF_TAG_GPS_DATE_STAMP,
                utc.toString(QStringLiteral("yyyy:MM:dd")).toLatin1());
    }
    if (tags.speedKmh && std::isfinite(*tags.speedKmh) && *tags.speedKmh >= 0) {
        addText(data, EXIF_IFD_GPS, EXIF_TAG_GPS_SPEED_REF, tags.speedInMph ? "M" : "K");
        addRationals(data, EXIF_IFD_GPS, EXIF_TAG_GPS_SPEED,
                     {*tags.speedKmh * (tags.speedInMph ? kMilesPerKm : 1)}, 100);
    }
    if (tags.course && std::isfinite(*tags.course)) {
        addText(data, EXIF_IFD_GPS, EXIF_TAG_GPS_IMG_DIRECTION_REF, "T");
        addRationals(data, EXIF_IFD_GPS, EXIF_TAG_GPS_IMG_DIRECTION,
                     {std::fmod(std::fmod(*tags.course, 360) + 360, 360)}, 100);
    }
    addText(data, EXIF_IFD_GPS, EXIF_TAG_GPS_MAP_DATUM, "WGS-84");
}

bool isPosition(const SnapshotTags::Position& p)
{
    return std::isfinite(p.latitude) && std::isfinite(p.longitude) && std::abs(p.latitude) <= 90 &&
           std::abs(p.longitude) <= 180;
}

}  // namespace

std::vector<unsigned char> exifSegment(const SnapshotTags& tags, int width, int height)
{
    ExifDataPtr data(exif_data_new());
    if (!data) {
        return {};
    }
    exif_data_set_byte_order(data.get(), kOrder);
    exif_data_set_data_type(data.get(), EXIF_DATA_TYPE_COMPRESSED);
    // The player made the picture, not a camera model: no Make or Model.
    addText(data.get(), EXIF_IFD_0, EXIF_TAG_SOFTWARE, tags.software.toUtf8());
    if (!tags.layout.isEmpty()) {
        addText(data.get(), EXIF_IFD_0, EXIF_TAG_IMAGE_DESCRIPTION,
                QStringLiteral("Frame of a dashcam recording; position from its %1 telemetry")
                    .arg(tags.layout)
                    .toUtf8());
    }
    addRequired(data.get(), width, height);
    if (tags.frameTime.isValid()) {
        addTime(data.get(), tags.frameTime);
    }
    if (tags.position && isPosition(*tags.position)) {
        addGps(data.get(), tags);
    }
    unsigned char* bytes = nullptr;
    unsigned int size = 0;
    exif_data_save_data(data.get(), &bytes, &size);
    std::vector<unsigned char> segment(bytes, bytes + size);
    std::free(bytes);
    return segment;
}
