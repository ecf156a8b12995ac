#include "tools/layout_writer/layout_writer.h"

#include <cmath>
#include <cstdio>

namespace layout_writer {

std::string withChecksum(std::string_view body)
{
    unsigned char sum = 0;
    for (char c : body) {
        sum ^= static_cast<unsigned char>(c);
    }
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X", sum);
    return "$" + std::string(body) + tail;
}

// Decimal digits of value with leading zeros up to width.
static std::string padded(long long value, size_t width)
{
    std::string digits = std::to_string(value);
    return std::string(width > digits.size() ? width - digits.size() : 0, '0') + digits;
}

std::string nmeaAngle(double degrees, bool longitude, int fractionDigits)
{
    const double magnitude = std::fabs(degrees);
    long long whole = static_cast<long long>(magnitude);
    long long scale = 1;
    for (int i = 0; i < fractionDigits; ++i) {
        scale *= 10;
    }
    long long units =
        std::llround((magnitude - static_cast<double>(whole)) * 60.0 * static_cast<double>(scale));
    if (units >= 60 * scale) {  // rounding reached a full degree
        units -= 60 * scale;
        ++whole;
    }
    std::string text = padded(whole, longitude ? 3 : 2) + padded(units / scale, 2);
    if (fractionDigits > 0) {
        text += "." + padded(units % scale, static_cast<size_t>(fractionDigits));
    }
    return text;
}

static std::string positionFields(double latitude, double longitude, int fractionDigits)
{
    return nmeaAngle(latitude, false, fractionDigits) + (latitude < 0 ? ",S," : ",N,") +
           nmeaAngle(longitude, true, fractionDigits) + (longitude < 0 ? ",W" : ",E");
}

std::string rmc(double latitude, double longitude, double knots, double course,
                const FixOptions& options)
{
    char numbers[64];
    std::snprintf(numbers, sizeof numbers, ",%.2f,%.2f,", knots, course);
    return withChecksum("GPRMC," + options.time + ',' + options.status + ',' +
                        positionFields(latitude, longitude, options.fractionDigits) + numbers +
                        options.date + ",,,A");
}

std::string gga(double latitude, double longitude, const FixOptions& options)
{
    return withChecksum("GPGGA," + options.time + ',' +
                        positionFields(latitude, longitude, options.fractionDigits) +
                        ",1,08,0.9,545.4,M,46.9,M,,");
}

}  // namespace layout_writer
