// The raw path end to end with a stand-in converter script: argument vectors
// without a shell, the information output, exit status, signal and time
// limit, and a stale PPM file that must not pass for the converter's output.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "image/Imgbuffer.h"
#include "image/RawConverter.h"
#include "support/TempDir.h"

namespace vargaze {
namespace {

namespace fs = std::filesystem;

// Sets an environment variable for one test and restores it afterwards.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedVariable() {
    if (old_) {
      ::setenv(name_, old_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// Works in another folder for one test.
class ScopedFolder {
 public:
  explicit ScopedFolder(const fs::path& folder) : old_(fs::current_path()) {
    fs::current_path(folder);
  }
  ~ScopedFolder() { fs::current_path(old_); }
  ScopedFolder(const ScopedFolder&) = delete;
  ScopedFolder& operator=(const ScopedFolder&) = delete;

 private:
  fs::path old_;
};

const char* const kReport =
    "Filename: %s\\n"
    "Timestamp: Sat Dec  5 13:33:08 2026\\n"
    "Camera: Canon EOS 350D DIGITAL\\n"
    "ISO speed: 400\\n"
    "Shutter: 1/250.0 sec\\n";

// A 2 x 1 16-bit PPM: red, green, blue of pixel 1 are 0x0102, 0x0304, 0x0506,
// of pixel 2 0x0708, 0x090A, 0x0B0C.
const char* const kWritePpm =
    "printf 'P6\\n2 1\\n65535\\n\\001\\002\\003\\004\\005\\006\\007\\010\\011\\012\\013\\014'"
    " > \"${4%.*}.ppm\"";

// The converter's two modes; the file argument must never look like an option.
std::string standIn(const std::string& conversion, const std::string& information = "") {
  const std::string info =
      information.empty() ? std::string("printf '") + kReport + "' \"$3\"" : information;
  return "#!/bin/sh\n"
         "case \"$1\" in\n"
         "  -i)\n"
         "    [ $# -eq 3 ] && [ \"$2\" = -v ] || exit 2\n"
         "    case \"$3\" in -*) exit 9;; esac\n"
         "    " +
         info +
         "\n"
         "    exit 0;;\n"
         "  -4)\n"
         "    [ $# -eq 4 ] && [ \"$2\" = -t ] && [ \"$3\" = 0 ] || exit 2\n"
         "    case \"$4\" in -*) exit 9;; esac\n"
         "    " +
         conversion +
         "\n"
         "    exit 0;;\n"
         "esac\n"
         "exit 2\n";
}

class RawConverterTest : public ::testing::Test {
 protected:
  // Installs the stand-in as the converter and writes a raw file named `name`.
  std::string prepare(const std::string& script, const std::string& name = "IMG_0001.CR2") {
    const std::string program = dir.file("conv");
    test::writeBytes(program, script);
    fs::permissions(program, fs::perms::owner_exec, fs::perm_options::add);
    converter.emplace(kRawConverterVariable, program);
    const std::string raw = dir.file(name);
    test::writeBytes(raw, "II*\0 raw camera data");
    return raw;
  }

  // An old PPM file from an earlier conversion, dated one hour back.
  void writeStalePpm(const std::string& raw, bool backdate) {
    const std::string ppm = rawPpmFilename(raw);
    test::writeBytes(ppm, "P6\n1 1\n255\nabc");
    if (backdate) fs::last_write_time(ppm, fs::last_write_time(ppm) - std::chrono::hours(1));
  }

  test::TempDir dir;
  std::optional<ScopedVariable> converter;
  std::string info = dir.file("rawinfo.txt");
  std::string error;
};

TEST_F(RawConverterTest, ConvertsAndTheReadersTakeTheOutput) {
  const std::string raw = prepare(standIn(kWritePpm));
  ASSERT_TRUE(ConvertRaw1(raw, info, error)) << error;
  EXPECT_EQ(test::readBytes(info), "Filename: " + raw +
                                       "\nTimestamp: Sat Dec  5 13:33:08 2026\n"
                                       "Camera: Canon EOS 350D DIGITAL\nISO speed: 400\n"
                                       "Shutter: 1/250.0 sec\n");
  Timgbuffer img;
  ASSERT_TRUE(img.ReadPPMfile(rawPpmFilename(raw), 2)) << img.readError;
  EXPECT_EQ(img.xsize, 2);
  EXPECT_EQ(img.ysize, 1);
  EXPECT_EQ(img.getpixel(1, 1), 0x0304);
  EXPECT_EQ(img.getpixel(2, 1), 0x090A);
  ASSERT_TRUE(img.SetRawInfo(info, 1.0 / 24.0));
  EXPECT_EQ(img.filename, raw);
  EXPECT_EQ(img.Datetime, "2026-12-05T12:33:08");
  EXPECT_DOUBLE_EQ(img.Exposure, 0.004);
  EXPECT_EQ(img.FilterName, "TG");
}

TEST_F(RawConverterTest, HostileFileNamesPassUntouched) {
  const std::string name =
      "shot ; touch INJECTED $(touch INJECTED2) `touch INJECTED3` 'q\" & x.CR2";
  const std::string raw = prepare(standIn(kWritePpm), name);
  ASSERT_TRUE(ConvertRaw1(raw, info, error)) << error;
  EXPECT_EQ(test::readBytes(info).substr(0, 10 + raw.size() + 1), "Filename: " + raw + "\n");
  EXPECT_TRUE(fs::exists(rawPpmFilename(raw)));
  for (const char* injected : {"INJECTED", "INJECTED2", "INJECTED3"}) {
    EXPECT_FALSE(fs::exists(dir.file(injected))) << injected;
    EXPECT_FALSE(fs::exists(injected)) << injected;
  }
}

TEST_F(RawConverterTest, NameStartingWithADashIsNoOption) {
  prepare(standIn(kWritePpm), "-x.CR2");
  const ScopedFolder inside(dir.path());
  ASSERT_TRUE(ConvertRaw1("-x.CR2", "info.txt", error)) << error;
  EXPECT_TRUE(fs::exists(dir.file("-x.ppm")));
  EXPECT_EQ(test::readBytes(dir.file("info.txt")).substr(0, 19), "Filename: ./-x.CR2\n");
}

TEST_F(RawConverterTest, StalePpmIsNotTakenForTheOutput) {
  // The converter claims success but writes nothing.
  const std::string raw = prepare(standIn(":"));
  EXPECT_FALSE(ConvertRaw1(raw, info, error));
  EXPECT_NE(error.find("no new PPM file"), std::string::npos) << error;
  for (const bool backdate : {true, false}) {
    writeStalePpm(raw, backdate);
    error.clear();
    EXPECT_FALSE(ConvertRaw1(raw, info, error)) << "backdated " << backdate;
    EXPECT_NE(error.find("no new PPM file " + rawPpmFilename(raw)), std::string::npos) << error;
  }
}

TEST_F(RawConverterTest, NewOutputReplacesAStaleFile) {
  const std::string raw = prepare(standIn(kWritePpm));
  writeStalePpm(raw, true);
  ASSERT_TRUE(ConvertRaw1(raw, info, error)) << error;
  Timgbuffer img;
  ASSERT_TRUE(img.ReadPPMfile(rawPpmFilename(raw), 3));
  EXPECT_EQ(img.xsize, 2);
  EXPECT_EQ(img.getpixel(2, 1), 0x0B0C);
}

TEST_F(RawConverterTest, ExitStatusOfEitherRunIsReported) {
  std::string raw = prepare(standIn("exit 3"));
  EXPECT_FALSE(ConvertRaw1(raw, info, error));
  EXPECT_NE(error.find("exit status 3 (conversion of " + raw + ")"), std::string::npos) << error;
  raw = prepare(standIn(kWritePpm, "echo 'Cannot decode file' >&2; exit 1"));
  EXPECT_FALSE(ConvertRaw1(raw, info, error));
  EXPECT_NE(error.find("exit status 1 (camera information of"), std::string::npos) << error;
  EXPECT_FALSE(fs::exists(rawPpmFilename(raw)));
}

TEST_F(RawConverterTest, SignalIsReported) {
  const std::string raw = prepare(standIn("kill -9 $$"));
  EXPECT_FALSE(ConvertRaw1(raw, info, error));
  EXPECT_NE(error.find("ended by signal 9"), std::string::npos) << error;
}

TEST_F(RawConverterTest, HangingConverterIsStoppedAtTheTimeLimit) {
  const std::string raw = prepare(standIn("exec sleep 30"));
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(ConvertRaw1(raw, info, error, std::chrono::milliseconds(300)));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_NE(error.find("did not finish within 0.3 s"), std::string::npos) << error;
  EXPECT_EQ(kRawConverterTimeLimit, std::chrono::minutes(10));
}

TEST_F(RawConverterTest, MissingConverterRawFileOrInfoFolder) {
  const std::string raw = prepare(standIn(kWritePpm));
  {
    const ScopedVariable absent(kRawConverterVariable, dir.file("no-such-converter"));
    EXPECT_FALSE(ConvertRaw1(raw, info, error));
    EXPECT_NE(error.find("cannot start the raw converter " + dir.file("no-such-converter")),
              std::string::npos)
        << error;
  }
  EXPECT_FALSE(ConvertRaw1(dir.file("absent.CR2"), info, error));
  EXPECT_NE(error.find("raw file not found"), std::string::npos) << error;
  EXPECT_FALSE(ConvertRaw1(raw, dir.file("no-folder/rawinfo.txt"), error));
  EXPECT_NE(error.find("cannot write the information file"), std::string::npos) << error;
  EXPECT_FALSE(fs::exists(rawPpmFilename(raw)));
}

TEST(RawPpmFilenameTest, ExtensionOfTheFileNameOnly) {
  EXPECT_EQ(rawPpmFilename("/photos/IMG_0001.CR2"), "/photos/IMG_0001.ppm");
  EXPECT_EQ(rawPpmFilename("/photos/night.2026/frame"), "/photos/night.2026/frame.ppm");
  EXPECT_EQ(rawPpmFilename("a.b.cr2"), "a.b.ppm");
}

class FindRawConverterTest : public ::testing::Test {
 protected:
  // An executable (or plain) file named dcraw in a new sub-folder.
  std::string program(const std::string& folder, bool executable = true) {
    fs::create_directories(dir.path() / folder);
    const std::string path = dir.file(folder + "/dcraw");
    test::writeBytes(path, "#!/bin/sh\n");
    if (executable) fs::permissions(path, fs::perms::owner_exec, fs::perm_options::add);
    return path;
  }

  test::TempDir dir;
};

TEST_F(FindRawConverterTest, EnvironmentFirstThenBesideTheProgramThenPath) {
  const std::string beside = program("bin");
  const std::string onPath = program("usr");
  const std::string folderBin = dir.file("bin");
  const std::string folderUsr = dir.file("usr");
  EXPECT_EQ(findRawConverter({"/opt/conv", folderBin, folderUsr}), "/opt/conv");
  EXPECT_EQ(findRawConverter({"", folderBin, folderUsr}), beside);
  EXPECT_EQ(findRawConverter({"", dir.file("elsewhere"), folderUsr}), onPath);
  EXPECT_EQ(findRawConverter({"", "", dir.file("none") + ":" + folderUsr}), onPath);
  EXPECT_EQ(findRawConverter({"", "", dir.file("none")}), "");
}

TEST_F(FindRawConverterTest, PathSkipsPlainFilesAndRelativeFolders) {
  program("plain", false);
  const std::string onPath = program("good");
  EXPECT_EQ(findRawConverter({"", "", dir.file("plain") + ":" + dir.file("good")}), onPath);
  const ScopedFolder inside(dir.path());
  EXPECT_EQ(findRawConverter({"", "", "good::."}), "");
}

TEST(RawOutputCheckTest, OnlyAFileWrittenAfterTheCheckCounts) {
  test::TempDir dir;
  const std::string ppm = dir.file("a.ppm");
  const RawOutputCheck none(ppm);
  EXPECT_FALSE(none.writtenByConversion());
  test::writeBytes(ppm, "P6\n");
  EXPECT_TRUE(none.writtenByConversion());
  const RawOutputCheck existing(ppm);
  EXPECT_FALSE(existing.writtenByConversion());
  test::writeBytes(ppm, "P6\n1 1\n255\nxyz");
  EXPECT_TRUE(existing.writtenByConversion());
  // Rewritten, but dated before the conversion started.
  const RawOutputCheck backdated(ppm);
  test::writeBytes(ppm, "P6\n1 1\n255\nabc");
  fs::last_write_time(ppm, fs::last_write_time(ppm) - std::chrono::minutes(5));
  EXPECT_FALSE(backdated.writtenByConversion());
}

}  // namespace
}  // namespace vargaze
