#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "telemetry/nmea_sentence.h"
#include "telemetry/telemetry_table.h"
#include "tools/layout_writer/layout_writer.h"

namespace {

// A parsed sentence, its coordinates as the player prints them ("" without a position).
struct Fix
{
    std::string longitude;
    std::string latitude;
    int speed = 0;
    double course = 0.0;
};

Fix rmc(const std::string& sentence)
{
    std::optional<Position> position;
    Fix fix;
    EXPECT_TRUE(parseGPRMC(sentence, position, fix.speed, fix.course)) << sentence;
    if (position) {
        fix.latitude = degreesText(position->latitude);
        fix.longitude = degreesText(position->longitude);
    }
    return fix;
}

// The coordinate as the player prints it, or "none".
std::string coordinate(const std::string& field, char letter)
{
    const std::optional<Degrees> degrees = nmeaDegrees(field, letter);
    return degrees ? degreesText(*degrees) : "none";
}

TEST(DescrambleLine, SubtractsTheShiftUpToTheStoredLineEnd)
{
    std::string line = layout_writer::scramble("1\t2\t3\t$GPRMC", 40) + "\r\nXY";
    descrambleLine(line.data(), 40);
    EXPECT_EQ(line, "1\t2\t3\t$GPRMC\r\nXY");

    std::string lf = layout_writer::scramble("abc", 7) + "\nabc";
    descrambleLine(lf.data(), 7);
    EXPECT_EQ(lf, "abc\nabc");
}

TEST(DescrambleLine, BytesThatBecomeLineEndsOrZeroDoNotStopIt)
{
    // The plain text holds LF, CR and a byte that the shift wraps past 255.
    const std::string plain = std::string("A\nB\rC") + '\xF0' + "D";
    std::string stored = layout_writer::scramble(plain, 20);
    descrambleLine(stored.data(), 20);
    EXPECT_EQ(stored, plain);

    // Only the shift modulo 256 matters.
    std::string wrapped = layout_writer::scramble("xyz", 300);
    descrambleLine(wrapped.data(), 300);
    EXPECT_EQ(wrapped, "xyz");
}

TEST(KeyDigitSum, FifthAndEighthDigitsCountTwiceAndNonDigitsZero)
{
    EXPECT_EQ(keyDigitSum("11111111"), 10);
    EXPECT_EQ(keyDigitSum("11119111"), 26);
    EXPECT_EQ(keyDigitSum("11111119"), 26);
    EXPECT_EQ(keyDigitSum("99999999"), 90);
    EXPECT_EQ(keyDigitSum("1a1 1111"), 8);
    EXPECT_EQ(keyDigitSum("123"), 6);
    EXPECT_EQ(keyDigitSum("1234567899"), 1 + 2 + 3 + 4 + 10 + 6 + 7 + 16);
}

TEST(DecimalValue, ReadsPlainDecimalsOnly)
{
    EXPECT_DOUBLE_EQ(decimalValue("12.5"), 12.5);
    EXPECT_DOUBLE_EQ(decimalValue("  \t-3.25"), -3.25);
    EXPECT_DOUBLE_EQ(decimalValue("+7"), 7.0);
    EXPECT_DOUBLE_EQ(decimalValue(".5"), 0.5);
    EXPECT_DOUBLE_EQ(decimalValue("5."), 5.0);
    EXPECT_DOUBLE_EQ(decimalValue("12abc"), 12.0);
    EXPECT_DOUBLE_EQ(decimalValue("007.50"), 7.5);
    // Hexadecimal, exponents, inf and nan count as what they start with.
    EXPECT_DOUBLE_EQ(decimalValue("0x1A"), 0.0);
    EXPECT_DOUBLE_EQ(decimalValue("1e5"), 1.0);
    EXPECT_DOUBLE_EQ(decimalValue("2.5E+3"), 2.5);
    EXPECT_DOUBLE_EQ(decimalValue("inf"), 0.0);
    EXPECT_DOUBLE_EQ(decimalValue("-nan"), 0.0);
    EXPECT_DOUBLE_EQ(decimalValue(""), 0.0);
    EXPECT_DOUBLE_EQ(decimalValue("-"), 0.0);
    EXPECT_DOUBLE_EQ(decimalValue("."), 0.0);
    EXPECT_DOUBLE_EQ(decimalValue("- 5"), 0.0);
}

TEST(FormatCoordinate, WorkedExamples)
{
    EXPECT_EQ(coordinate("2232.1234", 'N'), "22.535390");
    EXPECT_EQ(coordinate("11354.12345", 'W'), "-113.9020575");
    EXPECT_EQ(coordinate("4807.038", 'N'), "none");  // three fraction digits
}

TEST(FormatCoordinate, SignLettersAndSmallValues)
{
    EXPECT_EQ(coordinate("0030.0000", 'S'), "-0.500000");  // the sign survives below 1 degree
    EXPECT_EQ(coordinate("0000.0000", 'W'), "-0.000000");
    EXPECT_EQ(coordinate("0030.0000", 'E'), "0.500000");
    EXPECT_EQ(coordinate("2232.1234", '\0'), "22.535390");  // missing letter: positive
    EXPECT_EQ(coordinate("2232.1234", 'n'), "22.535390");   // only 'W' and 'S' negate
    EXPECT_EQ(coordinate("0000.0001", 'N'), "0.000001");
    EXPECT_EQ(coordinate("0959.9999", 'N'), "9.999998");     // truncated, never rounded
    EXPECT_EQ(coordinate("2232.00012", 'N'), "22.5333353");  // leading zeros of the fraction
}

TEST(FormatCoordinate, NoPointOrOtherFractionCountsAreNoCoordinate)
{
    for (const char* field :
         {"", "2232", "2232.", "2232.1", "2232.123", "2232.123456", "2232.1234567"}) {
        EXPECT_EQ(coordinate(field, 'N'), "none") << field;
    }
    // Out-of-range whole parts give no undefined arithmetic.
    EXPECT_EQ(coordinate("99999999999999999999.1234", 'N'), "0.002056");
    // Sixty minutes or more run into the next degree (no camera writes them).
    EXPECT_EQ(coordinate("4860.0000", 'N'), "49.000000");
}

TEST(ParseGPRMC, AcceptedSentenceFillsAllFour)
{
    const Fix fix = rmc("$GPRMC,123519,A,2232.1234,N,11354.12345,W,10.0,084.4,230394,003.1,W*6A");
    EXPECT_EQ(fix.latitude, "22.535390");
    EXPECT_EQ(fix.longitude, "-113.9020575");
    EXPECT_EQ(fix.speed, 18);
    EXPECT_DOUBLE_EQ(fix.course, 84.4);
}

TEST(ParseGPRMC, SpeedIsKnotsTimesOnePointEightFiveTruncated)
{
    EXPECT_EQ(rmc("$GPRMC,1,A,2232.1234,N,11354.1234,E,10.0,0").speed, 18);
    EXPECT_EQ(rmc("$GPRMC,1,A,2232.1234,N,11354.1234,E,0.5,0").speed, 0);
    EXPECT_EQ(rmc("$GPRMC,1,A,2232.1234,N,11354.1234,E,1.0,0").speed, 1);    // 1.85
    EXPECT_EQ(rmc("$GPRMC,1,A,2232.1234,N,11354.1234,E,100,0").speed, 185);  // not 185.2
    EXPECT_EQ(rmc("$GPRMC,1,A,2232.1234,N,11354.1234,E,-10.0,0").speed, -18);
    EXPECT_EQ(rmc("$GPRMC,1,A,2232.1234,N,11354.1234,E,0x10,0").speed, 0);
    // A product outside the int range counts 0 rather than overflowing.
    EXPECT_EQ(rmc("$GPRMC,1,A,2232.1234,N,11354.1234,E,99999999999999,0").speed, 0);
}

TEST(ParseGPRMC, EmptyFields)
{
    // No fix: empty coordinates give no position, empty numbers give 0.
    const Fix noFix = rmc("$GPRMC,,V,,,,,,,,,,N*53");
    EXPECT_EQ(noFix.latitude, "");
    EXPECT_EQ(noFix.longitude, "");
    EXPECT_EQ(noFix.speed, 0);

    const Fix noCourse = rmc("$GPRMC,1,A,2232.1234,N,11354.1234,E,20.0,,230394");
    EXPECT_EQ(noCourse.speed, 37);
    EXPECT_DOUBLE_EQ(noCourse.course, 0.0);
}

TEST(ParseGPRMC, VoidStatusIsParsedLikeAValidFix)
{
    const Fix fix = rmc("$GPRMC,1,V,2232.1234,S,11354.1234,E,1.0,90.0");
    EXPECT_EQ(fix.latitude, "-22.535390");
    EXPECT_EQ(fix.longitude, "113.902056");
}

TEST(ParseGPRMC, RejectedSentencesLeaveEveryOutputUnchanged)
{
    const std::string field32(32, '1');
    const std::string field33(33, '1');
    for (const std::string& sentence : {
             std::string("$GPGGA,1,2232.1234,N,11354.1234,E,1,08,0.9,545.4,M,46.9,M,,*47"),
             std::string("$GPGSV,3,1,11,03,03,111,00,04,15,270,00,06,01,010,00*7C"),
             std::string("$GPRMCX,1,A,2232.1234,N,11354.1234,E,1.0,90.0"),
             std::string("GPRMC,1,A,2232.1234,N,11354.1234,E,1.0,90.0"),
             std::string("$GPRMC,1,A,2232.1234,N,11354.1234,E,1.0"),  // 8 fields
             std::string(""),
             "$GPRMC,1,A,2232.1234" + field32 + ",N,11354.1234,E,1.0,90.0",
             "$GPRMC,1,A,2232.1234,N," + field33 + ",E,1.0,90.0",
             "$GPRMC,1,A,2232.1234,N,11354.1234,E," + field33 + ",90.0",
             "$GPRMC,1,A,2232.1234,N,11354.1234,E,1.0," + field33,
         }) {
        std::optional<Position> position = Position{{1.5, 6}, {2.5, 6}};
        int speed = 7;
        double course = 8.5;
        EXPECT_FALSE(parseGPRMC(sentence, position, speed, course));
        ASSERT_TRUE(position) << sentence;
        EXPECT_EQ(position->latitude.value, 1.5) << sentence;
        EXPECT_EQ(position->longitude.value, 2.5) << sentence;
        EXPECT_EQ(speed, 7) << sentence;
        EXPECT_EQ(course, 8.5) << sentence;
    }
    // Exactly 32 characters is still accepted (a long speed field).
    EXPECT_EQ(rmc("$GPRMC,1,A,2232.1234,N,11354.1234,E,000000000000000000000000000010.0,1").speed,
              18);
    EXPECT_DOUBLE_EQ(rmc("$GPRMC,1,A,2232.1234,N,11354.1234,E,1.0," + field32).course,
                     1.1111111111111111e31);
}

TEST(ParseGPRMC, OneUnreadableCoordinateIsNoPosition)
{
    // A three-digit latitude fraction: half a position is none; speed and course still count.
    const Fix fix = rmc("$GPRMC,1,A,4807.038,N,01131.0004,E,22.4,84.4");
    EXPECT_EQ(fix.latitude, "");
    EXPECT_EQ(fix.longitude, "");
    EXPECT_EQ(fix.speed, 41);
    EXPECT_DOUBLE_EQ(fix.course, 84.4);
}

TEST(ParseGPGGA, FillsTheTextsOnly)
{
    std::optional<Position> position;
    EXPECT_TRUE(parseGPGGA("$GPGGA,123519,4807.0380,N,01131.00000,W,1,08,0.9,545.4,M,46.9,M,,*47",
                           position));
    ASSERT_TRUE(position);
    EXPECT_EQ(degreesText(position->latitude), "48.117300");
    EXPECT_EQ(degreesText(position->longitude), "-11.5166666");

    for (const std::string& rejected :
         {std::string("$GPGGA,123519,4807.0380,N,01131.0000"),  // 5 fields
          std::string("$GPRMC,123519,4807.0380,N,01131.0000,E"),
          "$GPGGA,1," + std::string(33, '1') + ",N,01131.0000,E"}) {
        EXPECT_FALSE(parseGPGGA(rejected, position)) << rejected;
        EXPECT_TRUE(position) << rejected;  // left as it was
    }
}

// The G-sensor axes of an entry, each within float rounding.
void expectAxes(const TelemetryEntry& entry, float x, float y, float z,
                const std::string& line = {})
{
    EXPECT_FLOAT_EQ(entry.gX, x) << line;
    EXPECT_FLOAT_EQ(entry.gY, y) << line;
    EXPECT_FLOAT_EQ(entry.gZ, z) << line;
}

TEST(ParseAssistLine, WorkedExampleWithGga)
{
    TelemetryTable table;
    const std::string plain = "100\t-250\t1020\t" + layout_writer::gga(22.5, -113.25);
    std::string line = layout_writer::scramble(plain, 33) + "\r\n";
    EXPECT_EQ(table.parseAssistLine(line.data(), 33), 0);
    ASSERT_EQ(table.count(), 10);
    TelemetryEntry info;
    table.copyEntry(9, info);
    expectAxes(info, 0.1f, -0.25f, 1.02f);
    ASSERT_TRUE(info.position);
    EXPECT_EQ(degreesText(info.position->latitude), "22.500000");
    EXPECT_EQ(degreesText(info.position->longitude), "-113.250000");
    EXPECT_EQ(info.speedKmh, 0);
    EXPECT_EQ(info.course, 0.0);
}

TEST(ParseAssistLine, MissingLineAppendsNothing)
{
    TelemetryTable table;
    EXPECT_EQ(table.parseAssistLine(nullptr, 5), -1);
    EXPECT_EQ(table.count(), 0);
}

TEST(ParseAssistLine, ItemsAreSeparatedByAnyWhiteSpace)
{
    TelemetryTable table;
    std::string line = "  5 \t\t-6   7 " + layout_writer::rmc(1.0, 2.0, 10.0, 3.0) + " trailing";
    table.parseAssistLine(line.data(), 0);
    TelemetryEntry info;
    table.copyEntry(0, info);
    expectAxes(info, 0.005f, -0.006f, 0.007f);
    ASSERT_TRUE(info.position);
    EXPECT_EQ(degreesText(info.position->latitude), "1.000000");
    EXPECT_EQ(info.speedKmh, 18);
}

TEST(ParseAssistLine, UnparsedItemsStayZeroAndStillAddTenEntries)
{
    struct Case
    {
        const char* line;
        float x, y, z;
        bool position;
    };
    const std::string rmc = layout_writer::rmc(1.0, 2.0, 10.0, 3.0);
    const Case cases[] = {
        {"", 0, 0, 0, false},
        {"garbage", 0, 0, 0, false},
        {"1\t2\t3\t$GPGSV,3,1,11,03,03,111,00", 0.001f, 0.002f, 0.003f, false},
        {"1\t2\t3", 0.001f, 0.002f, 0.003f, false},
        {"1\tx\t3\t$GPRMC", 0.001f, 0, 0, false},  // matching stops at the first failure
        // Outside the 32-bit range an axis counts 0; the other items are still read.
        {"2147483648\t-2147483649\t99999999999999999999\t$GPRMC", 0, 0, 0, false},
        {"2147483647\t-2147483648\t0", 2147483.647f, -2147483.648f, 0, false},
    };
    for (const Case& c : cases) {
        TelemetryTable table;
        std::string line = c.line;
        table.parseAssistLine(line.data(), 0);
        ASSERT_EQ(table.count(), 10) << c.line;
        TelemetryEntry info;
        table.copyEntry(5, info);
        expectAxes(info, c.x, c.y, c.z, c.line);
        EXPECT_EQ(info.hasPosition(), c.position) << c.line;
    }
    // A first item that does not match leaves the sentence unread too.
    TelemetryTable table;
    std::string line = "x\t2\t3\t" + rmc;
    table.parseAssistLine(line.data(), 0);
    EXPECT_FALSE(table.find(0)->hasPosition());
}

TEST(ParseAssistLine, SentenceEndsAtFirstWhiteSpaceAndKeeps1023Bytes)
{
    TelemetryTable table;
    std::string line = "1 2 3 $GPRMC,1,A,2232.1234,N,11354.1234,E,1.0,90.0 ,,";
    table.parseAssistLine(line.data(), 0);
    EXPECT_DOUBLE_EQ(table.find(0)->course, 90.0);

    // A sentence longer than the 1023-byte buffer is cut, not overrun.
    std::string longLine =
        "1 2 3 $GPRMC,1,A,2232.1234,N,11354.1234,E,1.0,9" + std::string(2000, '9');
    table.parseAssistLine(longLine.data(), 0);
    EXPECT_EQ(table.count(), 20);
    EXPECT_FALSE(table.find(10)->position);  // the 33+ character course field rejects it
}

}  // namespace
