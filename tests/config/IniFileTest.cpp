// Reading and writing INI files, including files that were never written by us.
#include "config/IniFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <string>
#include <type_traits>

#include "config/ConfigOptions.h"
#include "support/TempDir.h"

namespace vargaze {
namespace {

using test::readBytes;
using test::writeBytes;
using Op = std::function<std::string(IniFile&)>;
constexpr auto npos = std::string::npos;

// What the object reads after a fresh look at the disk ("-" when nothing).
Op read(std::string section, std::string key) {
  return [=](IniFile& ini) {
    EXPECT_TRUE(ini.Reload()) << ini.lastError();
    return ini.ReadString(section, key, "-");
  };
}

// Writes through the typed writer of `value` and tells whether the write was
// taken and what the same object reads afterwards.
template <typename T>
Op write(std::string section, std::string key, T value) {
  return [=](IniFile& ini) {
    bool taken = false;
    if constexpr (std::is_same_v<T, double>) taken = ini.WriteFloat(section, key, value);
    else if constexpr (std::is_same_v<T, bool>) taken = ini.WriteBool(section, key, value);
    else if constexpr (std::is_same_v<T, int>) taken = ini.WriteInteger(section, key, value);
    else taken = ini.WriteString(section, key, value);
    EXPECT_EQ(taken, ini.lastError().empty()) << ini.lastError();
    return (taken ? "" : "refused ") + ini.ReadString(section, key, "-");
  };
}

const std::string kHand =
    "; written by hand\r\n[File]\r\nStartupDir=/old\r\nUnknown=keep me\r\n\r\n"
    "[Mag]\r\nDefaultROIsize=9\r\n";
const std::string kDuplicates = "k=0\n[A]\nk=1\nk=2\n[B]\nk=5\n[a]\nk=3\nz=4\n";
const std::string kComments = "[A]\n;k=1\n#k=2\nk\n=5\nk=3\n";

std::string binaryJunk() {
  std::string bytes;
  for (int b = 0; b < 1024; ++b) bytes += static_cast<char>((b * 37 + b / 256 * 11) % 256);
  bytes += "\n[Mag\n]\n[]\n==\n=\n[\n" + std::string("\0\0\0\n\0\r\r\n", 8);
  return bytes + "[Mag]\nDefaultROIsize=7\n\xFF\xFE=\xFF\n";
}

TEST(IniFileTest, OperationsTable) {
  // `before` and `after` are the file on disk ("" when there is none; no
  // `after` when the file must stay as it was); `result` is what `op` gives.
  const struct { const char* what; std::string before; Op op; std::string result, after = ""; }
      cases[] = {
      {"names ignore case", kHand, read("mag", "DEFAULTroiSIZE"), "9"},
      {"first of duplicate keys", kDuplicates, read("A", "k"), "1"},
      {"repeated sections count as one", kDuplicates, read("A", "z"), "4"},
      {"keys only in their own section", kDuplicates, read("B", "z"), "-"},
      {"blanks around names and values", "  [ E ]  \n\t O  =  M M \t\n", read("E", "O"), "M M"},
      {"comments and lines without =", kComments, read("A", "k"), "3"},
      {"a comment is no key", kComments, read("A", ";k"), "-"},
      {"nor is the other kind", kComments, read("A", "#k"), "-"},
      {"value after the first =", "[A]\nk=a=b\n", read("A", "k"), "a=b"},
      {"Windows-1252, LF and CR LF", "[E]\nB=\xFC\r\nO=1\n", read("E", "B"), "\xC3\xBC"},
      {"UTF-8 with a BOM", "\xEF\xBB\xBF[E]\r\nB=\xC3\xBC\r\n", read("E", "B"), "\xC3\xBC"},
      {"binary junk around a key", binaryJunk(), read("Mag", "DefaultROIsize"), "7"},
      {"missing file", "", read("File", "StartupDir"), "-"},
      {"replaced in place, the file's spelling kept", kHand, write("file", "startupdir", "/new"),
       "/new", "; written by hand\r\n[File]\r\nStartupDir=/new\r\nUnknown=keep me\r\n\r\n"
               "[Mag]\r\nDefaultROIsize=9\r\n"},
      {"new key at the end of its section, before the blank line", kHand,
       write("File", "Cfgfilename", "a.cfg"), "a.cfg",
       "; written by hand\r\n[File]\r\nStartupDir=/old\r\nUnknown=keep me\r\nCfgfilename=a.cfg\r\n"
       "\r\n[Mag]\r\nDefaultROIsize=9\r\n"},
      {"new key in the last section", kHand, write("Mag", "ImgBinning", 2), "2",
       kHand + "ImgBinning=2\r\n"},
      {"new section at the end", kHand, write("Test", "Testmode", true), "1",
       kHand + "[Test]\r\nTestmode=1\r\n"},
      {"first write creates the file", "", write("W", "w", -805), "-805", "[W]\r\nw=-805\r\n"},
      {"LF file comes back in CR LF", "[mag]\nROI = 9\nother=1\n", write("Mag", "roi", false), "0",
       "[mag]\r\nROI=0\r\nother=1\r\n"},
      {"only the first of duplicate keys", kDuplicates, write("a", "K", "x"), "x",
       "k=0\r\n[A]\r\nk=x\r\nk=2\r\n[B]\r\nk=5\r\n[a]\r\nk=3\r\nz=4\r\n"},
      {"unchanged value", kHand, write("File", "StartupDir", "/old"), "/old"},
      {"floats: 15 digits", "", write("F", "x", 1.0 / 3.0), "0.333333333333333",
       "[F]\r\nx=0.333333333333333\r\n"},
      {"floats: a point, no exponent", "[F]\r\nx=1\r\n", write("F", "x", -2450000.25),
       "-2450000.25", "[F]\r\nx=-2450000.25\r\n"},
      {"text outside Windows-1252 stays UTF-8", "", write("E", "B", "\xCE\xA9mega"),
       "\xCE\xA9mega", "[E]\r\nB=\xCE\xA9mega\r\n"},
      {"text inside it is Windows-1252", "[E]\r\nB=\xCE\xA9mega\r\n", write("E", "B", "\xC3\xBC"),
       "\xC3\xBC", "[E]\r\nB=\xFC\r\n"},
      {"line break in a value", kHand, write("File", "StartupDir", "/a\r\n[Test]\r\nTestmode=1"),
       "refused -"},
      {"line break in a key", kHand, write("File", "Start\nupDir", "x"), "refused -"},
      {"line break in a section", kHand, write("Fi\rle", "StartupDir", "x"), "refused -"},
      {"= in a key", "", write("Mag", "a=b", "1"), "refused -"},
      {"empty key", "", write("Mag", "", "1"), "refused -"},
      {"blank around a key", "", write("Mag", " k", "1"), "refused -"},
      {"comment as a key", "", write("Mag", ";k", "1"), "refused -"},
      {"section as a key", "", write("Mag", "[x]", "1"), "refused -"},
      {"] in a section", "", write("Ma]g", "k", "1"), "refused -"},
      {"empty section", "", write("", "k", "1"), "refused -"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::TempDir dir;
    const std::string path = dir.file("test.ini");
    // The object exists before the file: every operation has to look at the disk.
    IniFile ini(path);
    if (!c.before.empty()) writeBytes(path, c.before);
    struct stat before {}, after {};
    ::stat(path.c_str(), &before);
    EXPECT_EQ(c.op(ini), c.result);
    EXPECT_EQ(readBytes(path), c.after.empty() ? c.before : c.after);
    EXPECT_EQ(std::filesystem::exists(path), !c.before.empty() || !c.after.empty());
    // A rewrite goes through a new file renamed over the old one: this one is not rewritten.
    if (c.after.empty() && ::stat(path.c_str(), &after) == 0) {
      EXPECT_EQ(after.st_ino, before.st_ino);
    }
  }
}

TEST(IniFileTest, TypedReads) {
  // A value, and what ReadInteger (default 7), ReadBool (default false, then
  // true) and ReadFloat (default 99) make of it.
  const struct { const char* text; int whole; bool fromFalse, fromTrue; double real; } cases[] = {
      {"12", 12, true, true, 12}, {"+12", 12, true, true, 12}, {"-7", -7, true, true, -7},
      {"0", 0, false, false, 0}, {" 42 ", 42, true, true, 42}, {"1.5", 7, false, true, 1.5},
      {"-2147483648", INT32_MIN, true, true, -2147483648.0}, {"0x10", 7, false, true, 99},
      {"2147483648", 7, false, true, 2147483648.0}, {"12abc", 7, false, true, 99},
      {"", 7, false, true, 99}, {"yes", 7, false, true, 99}, {"1,5", 7, false, true, 99},
      {"-1e3", 7, false, true, -1000}, {"1e999", 7, false, true, 99}, {"nan", 7, false, true, 99},
      {"inf", 7, false, true, 99}, {".5", 7, false, true, 0.5}};
  test::TempDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    writeBytes(dir.file("t.ini"), std::string("[N]\r\nk=") + c.text + "\r\n");
    const IniFile ini(dir.file("t.ini"));
    EXPECT_EQ(ini.ReadInteger("N", "k", 7), c.whole);
    EXPECT_EQ(ini.ReadBool("N", "k", false), c.fromFalse);
    EXPECT_EQ(ini.ReadBool("N", "k", true), c.fromTrue);
    EXPECT_EQ(ini.ReadFloat("N", "k", 99), c.real);
  }
}

TEST(IniFileTest, FilesAboveTheSizeLimitAreNeitherReadNorLoaded) {
  test::TempDir dir;
  const std::string iniPath = dir.file("vargaze1.ini"), copy = dir.file("night.cfg");
  std::string bytes = "[Mag]\r\nDefaultROIsize=7\r\n";
  bytes.resize(IniFile::kMaxFileBytes, '#');
  writeBytes(copy, bytes);
  Settings s;
  TConfigOptions options(s, iniPath);
  ASSERT_TRUE(options.LoadOptions(copy)) << options.lastError();
  EXPECT_EQ(s.DefaultROIsize, 7);
  writeBytes(copy, bytes + "#");
  EXPECT_FALSE(options.LoadOptions(copy));
  EXPECT_EQ(options.lastMessage(), "Load error");
  EXPECT_EQ(readBytes(iniPath), bytes);
  writeBytes(iniPath, bytes + "#");
  EXPECT_FALSE(options.ReadOptions());
  EXPECT_NE(options.lastError().find(iniPath + " is larger than"), npos) << options.lastError();
  EXPECT_EQ(s.DefaultROIsize, 9);
  // The working file is ours: the next write replaces it by a sound one.
  ASSERT_TRUE(options.WriteOptions()) << options.lastError();
  EXPECT_EQ(readBytes(iniPath).find('#'), npos);
  // Nor is a folder in place of the file read.
  std::filesystem::remove(iniPath);
  std::filesystem::create_directory(iniPath);
  EXPECT_FALSE(options.ReadOptions());
  EXPECT_NE(options.lastError().find(iniPath), npos) << options.lastError();
  // A write that fails leaves nothing behind, not even in memory.
  IniFile lost(dir.file("none/vargaze1.ini"));
  EXPECT_FALSE(lost.WriteInteger("A", "k", 1));
  EXPECT_EQ(lost.ReadInteger("A", "k", 7), 7);
}

}  // namespace
}  // namespace vargaze
