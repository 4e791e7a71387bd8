// Camera information of the raw converter: the five labelled values, shutter
// texts, the camera's local time turned into UT by a floating offset, and
// time stamps that cannot be read.
#include <gtest/gtest.h>

#include <string>

#include "base/Numbers.h"
#include "base/Strings.h"
#include "image/FitsHeader.h"
#include "image/Imgbuffer.h"
#include "support/TempDir.h"

namespace vargaze {
namespace {

// JD of 2026-12-05 0h UT: 9835 days after 2000-01-01 0h (JD 2451544.5);
// 26 years with 7 leap days, then 338 days into 2026.
constexpr double kDec5JD = 2451544.5 + 26 * 365 + 7 + 338;

constexpr double kOneHour = 1.0 / 24.0;

class RawInfoTest : public ::testing::Test {
 protected:
  // Writes the converter's report with the given lines and reads it into img.
  bool read(const std::string& text, double utCorrection = kOneHour) {
    const std::string path = dir.file("rawinfo.txt");
    test::writeBytes(path, text);
    return img.SetRawInfo(path, utCorrection);
  }

  std::string report(const std::string& stamp, const std::string& shutter) {
    return "\nFilename: /photos/IMG_0001.CR2\n"
           "Timestamp: " +
           stamp +
           "\n"
           "Camera: Canon EOS 350D DIGITAL\n"
           "Owner: someone\n"
           "ISO speed: 400\n"
           "Shutter: " +
           shutter +
           " sec\n"
           "Aperture: f/5.6\n";
  }

  test::TempDir dir;
  Timgbuffer img;
};

TEST_F(RawInfoTest, AllFiveValues) {
  ASSERT_TRUE(read(report("Sat Dec  5 13:33:08 2026", "1/250.0")));
  EXPECT_EQ(img.filename, "/photos/IMG_0001.CR2");
  EXPECT_EQ(img.Instrument, "Canon EOS 350D DIGITAL");
  EXPECT_EQ(img.ISOspeed, "400");
  EXPECT_DOUBLE_EQ(img.Exposure, 0.004);
  // The camera's 13:33:08 local time is 12:33:08 UT with an offset of one hour.
  EXPECT_EQ(img.Datetime, "2026-12-05T12:33:08");
  EXPECT_NEAR(img.JDstart, kDec5JD + (12 + 33 / 60.0 + 8 / 3600.0) / 24, 1e-8);
}

TEST_F(RawInfoTest, TheHeaderCarriesTheValues) {
  ASSERT_TRUE(read(report("Sat Dec  5 13:33:08 2026", "30.0")));
  EXPECT_EQ(getFitskeyString(img.fitsheader, "DATE-OBS"), "2026-12-05T12:33:08");
  EXPECT_EQ(getFitskeyString(img.fitsheader, "INSTRUME"), "Canon EOS 350D DIGITAL");
  EXPECT_EQ(Trim(getFitskeyString(img.fitsheader, "ISOSPEED")), "400");
  double exptime = 0.0;
  EXPECT_TRUE(tryParseDouble(Trim(getFitskeyString(img.fitsheader, "EXPTIME")), exptime));
  EXPECT_EQ(exptime, 30.0);
}

TEST_F(RawInfoTest, ShutterTexts) {
  ASSERT_TRUE(read(report("Sat Dec  5 13:33:08 2026", "30.0")));
  EXPECT_EQ(img.Exposure, 30.0);
  ASSERT_TRUE(read(report("Sat Dec  5 13:33:08 2026", "1/4000.0")));
  EXPECT_DOUBLE_EQ(img.Exposure, 0.00025);
  ASSERT_TRUE(read(report("Sat Dec  5 13:33:08 2026", "0.8")));
  EXPECT_DOUBLE_EQ(img.Exposure, 0.8);
  for (const char* bad : {"abc", "1/0", "1/", "/250", "", "1/2/3", "1e999"}) {
    img.Exposure = 5.0;
    ASSERT_TRUE(read(report("Sat Dec  5 13:33:08 2026", bad)));
    EXPECT_EQ(img.Exposure, 0.0) << bad;
  }
}

TEST_F(RawInfoTest, HalfHourOffsetBackOverMidnightAndNewYear) {
  // 00:10 local on 1 January 2024, 5.5 hours ahead of UT: 18:40 UT on 31 December.
  ASSERT_TRUE(read(report("Mon Jan  1 00:10:00 2024", "1.0"), 5.5 / 24.0));
  EXPECT_EQ(img.Datetime, "2023-12-31T18:40:00");
  // JD of 2024-01-01 0h: 8766 days after 2000-01-01 0h (24 years, 6 leap days).
  EXPECT_NEAR(img.JDstart, 2451544.5 + 8766 + (10.0 / 60 - 5.5) / 24, 1e-8);
}

TEST_F(RawInfoTest, OffsetWestOfGreenwichAddsTime) {
  ASSERT_TRUE(read(report("Tue Jun 30 22:00:00 2026", "1.0"), -3.0 / 24.0));
  EXPECT_EQ(img.Datetime, "2026-07-01T01:00:00");
}

TEST_F(RawInfoTest, RoundedSecondsCarryIntoTheMinute) {
  // 13:33:59 local and 0.6 s more from the offset round to 13:34:00, never to ":60".
  ASSERT_TRUE(read(report("Sat Dec  5 13:33:59 2026", "1.0"), -0.6 / 86400.0));
  EXPECT_EQ(img.Datetime, "2026-12-05T13:34:00");
  ASSERT_TRUE(read(report("Thu Dec 31 23:59:59 2026", "1.0"), -0.6 / 86400.0));
  EXPECT_EQ(img.Datetime, "2027-01-01T00:00:00");
}

TEST_F(RawInfoTest, TwoDigitDayWithOneBlank) {
  ASSERT_TRUE(read(report("Fri Oct 16 02:03:04 2026", "1.0"), 0.0));
  EXPECT_EQ(img.Datetime, "2026-10-16T02:03:04");
  EXPECT_NEAR(img.JDstart, 2451544.5 + 26 * 365 + 7 + 288 + (2 + 3 / 60.0 + 4 / 3600.0) / 24, 1e-8);
}

TEST_F(RawInfoTest, UnreadableTimeStampsGiveNoDate) {
  for (const char* stamp :
       {"", "garbage", "Sat Foo  5 13:33:08 2026", "Sat Dec 32 13:33:08 2026",
        "Sat Dec  0 13:33:08 2026", "Sat Dec  5 24:00:00 2026", "Sat Dec  5 13:60:00 2026",
        "Sat Dec  5 13:33:60 2026", "Sat Dec  5 13:33 2026", "Sat Dec  5 13:33:08:01 2026",
        "Sat Dec  5 13::08 2026", "Sat Dec  5 13:33:08", "Sat dec  5 13:33:08 2026",
        "Sat Dec  5 13:33:08 -1", "Sat Dec  5 1a:33:08 2026"}) {
    img.JDstart = 2450000.0;
    img.Datetime = "old";
    ASSERT_TRUE(read(report(stamp, "1.0")));
    EXPECT_EQ(img.JDstart, 0.0) << stamp;
    EXPECT_EQ(img.Datetime, "date?") << stamp;
  }
  EXPECT_EQ(getFitskeyString(img.fitsheader, "DATE-OBS"), "");
}

TEST_F(RawInfoTest, MissingLinesAndShortLines) {
  img.Instrument = "old";
  ASSERT_TRUE(read("Timestamp:\nCamera:\nISO speed:\nShutter:\nFilename:\n"));
  EXPECT_EQ(img.Instrument, "");
  EXPECT_EQ(img.ISOspeed, "");
  EXPECT_EQ(img.filename, "");
  EXPECT_EQ(img.Exposure, 0.0);
  EXPECT_EQ(img.Datetime, "date?");
  ASSERT_TRUE(read(""));
  EXPECT_EQ(img.Datetime, "date?");
  EXPECT_EQ(img.JDstart, 0.0);
}

TEST_F(RawInfoTest, CameraAndIsoAreCutToTheirFieldWidths) {
  // 39 letters and an e-acute (two bytes) make 40 characters; the rest is cut.
  const std::string name = std::string(39, 'a') + "\xC3\xA9" + "xyz";
  ASSERT_TRUE(read("Camera: " + name + "\nISO speed: 1234567\n"));
  EXPECT_EQ(img.Instrument, std::string(39, 'a') + "\xC3\xA9");
  EXPECT_EQ(img.ISOspeed, "123456");
}

TEST_F(RawInfoTest, WindowsLineEnds) {
  ASSERT_TRUE(
      read("Timestamp: Sat Dec  5 13:33:08 2026\r\nShutter: 2.0 sec\r\nISO speed: 100\r\n"));
  EXPECT_EQ(img.Datetime, "2026-12-05T12:33:08");
  EXPECT_EQ(img.Exposure, 2.0);
  EXPECT_EQ(img.ISOspeed, "100");
}

TEST_F(RawInfoTest, AFileThatCannotBeReadChangesNothing) {
  img.Exposure = 12.5;
  img.Datetime = "2020-01-01T00:00:00.000";
  EXPECT_FALSE(img.SetRawInfo(dir.file("absent.txt"), kOneHour));
  EXPECT_FALSE(img.SetRawInfo(dir.path().string(), kOneHour));
  // Far larger than any converter report.
  EXPECT_FALSE(read(std::string(2 << 20, 'x')));
  EXPECT_EQ(img.Exposure, 12.5);
  EXPECT_EQ(img.Datetime, "2020-01-01T00:00:00.000");
}

}  // namespace
}  // namespace vargaze
