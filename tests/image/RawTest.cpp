// The raw path: a stand-in converter script run without a shell (exit status,
// signal, time limit, a stale PPM file that must not pass for its output),
// where the converter is found, and its camera information with the camera's
// local time turned into UT.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <tuple>

#include "image/Imgbuffer.h"
#include "image/RawConverter.h"
#include "support/EnvGuard.h"
#include "support/TempDir.h"

namespace vargaze {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Works in another folder for one test.
struct ScopedFolder {
  explicit ScopedFolder(const fs::path& folder) { fs::current_path(folder); }
  ~ScopedFolder() { fs::current_path(old); }
  fs::path old = fs::current_path();
};

const char* const kReport =
    R"(printf 'Filename: %s\nTimestamp: Sat Dec  5 13:33:08 2026\nCamera: Canon EOS 350D DIGITAL\n)"
    R"(ISO speed: 400\nShutter: 1/250.0 sec\n' "$3")";

// A 2 x 1 16-bit PPM: red, green, blue of pixel 1 are 0x0102, 0x0304, 0x0506,
// of pixel 2 0x0708, 0x090A, 0x0B0C.
const char* const kWritePpm =
    R"(printf 'P6\n2 1\n65535\n\001\002\003\004\005\006\007\010\011\012\013\014' > "${4%.*}.ppm")";

// The converter's two runs with exactly these arguments; the file argument
// must never look like an option.
std::string standIn(const std::string& conversion, const std::string& information = kReport) {
  return "#!/bin/sh\n"
         "if [ $# -eq 3 ] && [ \"$1 $2\" = '-i -v' ]; then\n"
         "  case \"$3\" in -*) exit 9;; esac\n  " + information + "\n  exit 0\nfi\n"
         "if [ $# -eq 4 ] && [ \"$1 $2 $3\" = '-4 -t 0' ]; then\n"
         "  case \"$4\" in -*) exit 9;; esac\n  " + conversion + "\n  exit 0\nfi\n"
         "exit 2\n";
}

class RawConverterTest : public ::testing::Test {
 protected:
  // Installs the stand-in as the converter and writes a raw file named `name`.
  std::string prepare(const std::string& script, const std::string& name = "IMG_0001.CR2") {
    const std::string program = dir.file("conv");
    test::writeBytes(program, script);
    fs::permissions(program, fs::perms::owner_exec, fs::perm_options::add);
    converter.set(program);
    const std::string raw = dir.file(name);
    test::writeBytes(raw, "II*\0 raw camera data");
    return raw;
  }

  // An old PPM file from an earlier conversion, dated one hour back or not.
  void writeStalePpm(const std::string& raw, bool backdate) {
    test::writeBytes(rawPpmFilename(raw), "P6\n1 1\n255\nabc");
    if (backdate) fs::last_write_time(rawPpmFilename(raw), fs::file_time_type::clock::now() - 1h);
  }

  test::TempDir dir;
  test::EnvGuard converter{kRawConverterVariable};
  std::string info = dir.file("rawinfo.txt");
  std::string error;
};

// A name a shell would take apart passes untouched, as does one starting with a dash.
TEST_F(RawConverterTest, ConvertsOverAStaleFileAndTheReadersTakeTheOutput) {
  const char* const name = "shot ; touch INJECTED $(touch INJECTED2) `touch INJECTED3` 'q\" & x.CR2";
  const std::string raw = prepare(standIn(kWritePpm), name);
  writeStalePpm(raw, true);
  ASSERT_TRUE(ConvertRaw1(raw, info, error)) << error;
  EXPECT_EQ(test::readBytes(info), "Filename: " + raw +
                                       "\nTimestamp: Sat Dec  5 13:33:08 2026\n"
                                       "Camera: Canon EOS 350D DIGITAL\nISO speed: 400\n"
                                       "Shutter: 1/250.0 sec\n");
  Timgbuffer img;
  ASSERT_TRUE(img.ReadPPMfile(rawPpmFilename(raw), 2)) << img.readError;
  EXPECT_EQ(std::tuple(img.xsize, img.ysize, img.getpixel(1, 1), img.getpixel(2, 1)),
            std::tuple(2, 1, 0x0304, 0x090A));  // the green samples
  ASSERT_TRUE(img.SetRawInfo(info, 1.0 / 24.0));  // the camera clock one hour ahead of UT
  EXPECT_EQ(std::tuple(img.filename, img.Datetime, img.Instrument, img.ISOspeed, img.FilterName),
            std::tuple(raw, "2026-12-05T12:33:08", "Canon EOS 350D DIGITAL", "400", "TG"));
  const FitsHeader& h = img.fitsheader;
  EXPECT_EQ(std::tuple(getFitskeyString(h, "DATE-OBS"), getFitskeyString(h, "INSTRUME"),
                       std::stoi(getFitskeyString(h, "ISOSPEED"))),
            std::tuple(img.Datetime, img.Instrument, 400));
  for (const double exposure : {img.Exposure, std::stod(getFitskeyString(h, "EXPTIME"))})
    EXPECT_DOUBLE_EQ(exposure, 0.004);
  for (const char* injected : {"INJECTED", "INJECTED2", "INJECTED3"}) {
    EXPECT_FALSE(fs::exists(dir.file(injected))) << injected;
    EXPECT_FALSE(fs::exists(injected)) << injected;
  }
  prepare(standIn(kWritePpm), "-x.CR2");
  const ScopedFolder inside(dir.path());
  ASSERT_TRUE(ConvertRaw1("-x.CR2", "info.txt", error)) << error;
  EXPECT_TRUE(fs::exists(dir.file("-x.ppm")));
  EXPECT_EQ(test::readBytes(dir.file("info.txt")).substr(0, 19), "Filename: ./-x.CR2\n");
}

TEST_F(RawConverterTest, StalePpmIsNotTakenForTheOutput) {
  const std::string raw = prepare(standIn(":"));  // claims success, writes nothing
  // No PPM, an old one backdated or written just now, one the converter writes with an old date.
  for (int step = 0; step < 4; ++step) {
    if (step == 1 || step == 2) writeStalePpm(raw, step == 1);
    const char* const backdate = R"(; touch -d '5 minutes ago' "${4%.*}.ppm")";
    if (step == 3) prepare(standIn(kWritePpm + std::string(backdate)));
    EXPECT_FALSE(ConvertRaw1(raw, info, error)) << step;
    EXPECT_NE(error.find("no new PPM file " + rawPpmFilename(raw)), std::string::npos) << error;
  }
}

TEST_F(RawConverterTest, FailuresAreReported) {
  const std::string missing = dir.file("no-such-converter");
  const std::string absent = dir.file("absent.CR2");
  // Script ("" for a converter that does not exist), raw file and info file
  // when not the usual ones, the reason.
  const std::tuple<std::string, std::string, std::string, std::string> cases[] = {
      {standIn("exit 3"), "", "", "exit status 3 (conversion of "},
      {standIn(kWritePpm, "echo 'Cannot decode file' >&2; exit 1"), "", "",
       "exit status 1 (camera information of"},
      {standIn("kill -9 $$"), "", "", "ended by signal 9"},
      {"", "", "", "cannot start the raw converter " + missing},
      {standIn(kWritePpm), absent, "", "raw file not found: " + absent},
      {standIn(kWritePpm), "", dir.file("no-folder/rawinfo.txt"),
       "cannot write the information file"},
  };
  for (const auto& [script, rawName, infoName, reason] : cases) {
    std::string raw = prepare(script.empty() ? standIn(kWritePpm) : script);
    if (script.empty()) converter.set(missing);
    if (!rawName.empty()) raw = rawName;
    EXPECT_FALSE(ConvertRaw1(raw, infoName.empty() ? info : infoName, error));
    EXPECT_NE(error.find(reason), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(rawPpmFilename(raw)));
  }
  const std::string raw = prepare(standIn("exec sleep 30"));
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(ConvertRaw1(raw, info, error, std::chrono::milliseconds(300)));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_NE(error.find("did not finish within 0.3 s"), std::string::npos) << error;
}

// The environment's choice first, then beside the program, then the first
// executable in an absolute folder of the search path. Its output replaces the
// extension of the file name only.
TEST(FindRawConverterTest, WhereTheConverterIsLookedForAndWhereItsOutputGoes) {
  EXPECT_EQ(rawPpmFilename("/photos/night.2026/frame"), "/photos/night.2026/frame.ppm");
  EXPECT_EQ(rawPpmFilename("a.b.cr2"), "a.b.ppm");
  test::TempDir dir;
  const auto program = [&](const std::string& folder, bool executable) {
    fs::create_directories(dir.path() / folder);
    const std::string path = dir.file(folder + "/dcraw");
    test::writeBytes(path, "#!/bin/sh\n");
    if (executable) fs::permissions(path, fs::perms::owner_exec, fs::perm_options::add);
    return dir.file(folder);
  };
  const std::string bin = program("bin", true);
  const std::string usr = program("usr", true);
  const std::string plain = program("plain", false);
  EXPECT_EQ(findRawConverter({"/opt/conv", bin, usr}), "/opt/conv");
  EXPECT_EQ(findRawConverter({"", bin, usr}), bin + "/dcraw");
  EXPECT_EQ(findRawConverter({"", dir.file("elsewhere"), usr}), usr + "/dcraw");
  EXPECT_EQ(findRawConverter({"", "", dir.file("none") + ":" + plain + ":" + usr}), usr + "/dcraw");
  EXPECT_EQ(findRawConverter({"", "", dir.file("none")}), "");
  const ScopedFolder inside(dir.path());
  EXPECT_EQ(findRawConverter({"", "", "usr::."}), "");  // never from the current folder
}

// JD of 2000-01-01 0h; 2026 starts 26 years with 7 leap days later.
constexpr double kJD2000 = 2451544.5;
constexpr double kJD2026 = kJD2000 + 26 * 365 + 7;
constexpr double kOneHour = 1.0 / 24.0;

double hours(double h, double m, double s) { return (h + m / 60 + s / 3600) / 24; }

class RawInfoTest : public ::testing::Test {
 protected:
  // Writes the converter's report with the given text and reads it into img.
  bool read(const std::string& text, double utCorrection = kOneHour) {
    const std::string path = dir.file("rawinfo.txt");
    test::writeBytes(path, text);
    return img.SetRawInfo(path, utCorrection);
  }

  static std::string report(const std::string& stamp, const std::string& shutter) {
    return "\nFilename: /photos/IMG_0001.CR2\nTimestamp: " + stamp +
           "\nCamera: Canon EOS 350D DIGITAL\nOwner: someone\nISO speed: 400\nShutter: " +
           shutter + " sec\nAperture: f/5.6\n";
  }

  test::TempDir dir;
  Timgbuffer img;
};

TEST_F(RawInfoTest, CameraTimeLessTheOffsetIsUt) {
  const double second = 1.0 / 86400;
  // Time stamp, the camera clock's lead on UT in days, UT as date and time and as JD.
  const std::tuple<const char*, double, const char*, double> cases[] = {
      {"Sat Dec  5 13:33:08 2026", kOneHour, "2026-12-05T12:33:08",
       kJD2026 + 338 + hours(12, 33, 8)},
      // 5.5 hours ahead of UT, back over midnight and the new year (2024: 8766 days after 2000).
      {"Mon Jan  1 00:10:00 2024", 5.5 * kOneHour, "2023-12-31T18:40:00",
       kJD2000 + 8766 + hours(0, 10, 0) - 5.5 / 24},
      // West of Greenwich: time is added (1 July 2026 is day 181 of the year).
      {"Tue Jun 30 22:00:00 2026", -3 * kOneHour, "2026-07-01T01:00:00",
       kJD2026 + 181 + hours(1, 0, 0)},
      // 0.6 s more round to the next minute, never to ":60".
      {"Sat Dec  5 13:33:59 2026", -0.6 * second, "2026-12-05T13:34:00",
       kJD2026 + 338 + hours(13, 33, 59.6)},
      {"Thu Dec 31 23:59:59 2026", -0.6 * second, "2027-01-01T00:00:00",
       kJD2026 + 365 - 0.4 * second},
      {"Fri Oct 16 02:03:04 2026", 0, "2026-10-16T02:03:04", kJD2026 + 288 + hours(2, 3, 4)},
  };
  for (const auto& [stamp, offset, datetime, jd] : cases) {
    ASSERT_TRUE(read(report(stamp, "1.0"), offset));
    EXPECT_EQ(img.Datetime, datetime);
    EXPECT_NEAR(img.JDstart, jd, 1e-8) << stamp;
  }
}

TEST_F(RawInfoTest, ShutterTextsAndUnreadableTimeStamps) {
  for (const char* stamp :
       {"", "garbage", "Sat Foo  5 13:33:08 2026", "Sat Dec 32 13:33:08 2026",
        "Sat Dec  0 13:33:08 2026", "Sat Dec  5 24:00:00 2026", "Sat Dec  5 13:60:00 2026",
        "Sat Dec  5 13:33:60 2026", "Sat Dec  5 13:33 2026", "Sat Dec  5 13:33:08:01 2026",
        "Sat Dec  5 13::08 2026", "Sat Dec  5 13:33:08", "Sat dec  5 13:33:08 2026",
        "Sat Dec  5 13:33:08 -1", "Sat Dec  5 1a:33:08 2026"}) {
    img.JDstart = 2450000.0;
    img.Datetime = "old";
    ASSERT_TRUE(read(report(stamp, "1.0")));
    EXPECT_EQ(std::tuple(img.JDstart, img.Datetime), std::tuple(0.0, "date?")) << stamp;
  }
  EXPECT_EQ(getFitskeyString(img.fitsheader, "DATE-OBS"), "");
  const std::pair<const char*, double> shutters[] = {
      {"30.0", 30}, {"1/4000.0", 0.00025}, {"0.8", 0.8}, {"abc", 0}, {"1/0", 0},   {"1/", 0},
      {"/250", 0},  {"", 0},               {"1/2/3", 0}, {"1e999", 0}};
  for (const auto& [shutter, seconds] : shutters) {
    img.Exposure = 5.0;
    ASSERT_TRUE(read(report("Sat Dec  5 13:33:08 2026", shutter)));
    EXPECT_DOUBLE_EQ(img.Exposure, seconds) << shutter;
  }
}

TEST_F(RawInfoTest, ShortLinesFieldWidthsLineEndsAndUnreadableFiles) {
  img.Instrument = "old";
  ASSERT_TRUE(read("Timestamp:\nCamera:\nISO speed:\nShutter:\nFilename:\n"));
  EXPECT_EQ(std::tuple(img.Instrument + img.ISOspeed + img.filename, img.Exposure, img.Datetime),
            std::tuple("", 0.0, "date?"));
  // 39 letters and an e-acute (two bytes) make 40 characters; the rest is cut.
  const std::string name = std::string(39, 'a') + "\xC3\xA9";
  ASSERT_TRUE(read("Camera: " + name + "xyz\nISO speed: 1234567\n"));
  EXPECT_EQ(std::tuple(img.Instrument, img.ISOspeed), std::tuple(name, "123456"));
  ASSERT_TRUE(
      read("Timestamp: Sat Dec  5 13:33:08 2026\r\nShutter: 2.0 sec\r\nISO speed: 100\r\n"));
  EXPECT_EQ(std::tuple(img.Datetime, img.Exposure, img.ISOspeed),
            std::tuple("2026-12-05T12:33:08", 2.0, "100"));
  // A file that cannot be read changes nothing.
  EXPECT_FALSE(img.SetRawInfo(dir.file("absent.txt"), kOneHour));
  EXPECT_FALSE(img.SetRawInfo(dir.path().string(), kOneHour));
  EXPECT_FALSE(read(std::string(2 << 20, 'x')));  // far larger than any converter report
  EXPECT_EQ(std::tuple(img.Exposure, img.Datetime), std::tuple(2.0, "2026-12-05T12:33:08"));
}

}  // namespace
}  // namespace vargaze
