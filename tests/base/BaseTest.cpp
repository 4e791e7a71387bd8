// The base routines: numbers, strings, text encoding, text files, file copies
// and the safe replacement every save goes through.
#include <gtest/gtest.h>
#include <iconv.h>

#include <clocale>
#include <cmath>
#include <cstdint>
#include <limits>
#include <locale>
#include <string>
#include <vector>

#include "base/AtomicFile.h"
#include "base/Errors.h"
#include "base/Numbers.h"
#include "base/Strings.h"
#include "base/TextCodec.h"
#include "base/TextFile.h"
#include "support/FaultInjection.h"

namespace vargaze {
namespace {

using Lines = std::vector<std::string>;
constexpr auto npos = std::string::npos;
const double kNan = std::nan("");
const double kInf = std::numeric_limits<double>::infinity();

TEST(NumbersTest, RoundingTiesToEvenAndRangeChecks) {
  const struct { double in, out; } ties[] = {{0.5, 0},   {1.5, 2},   {2.5, 2},    {3.5, 4},
                                             {-2.5, -2}, {-3.5, -4}, {2.4999, 2}, {2.5001, 3}};
  for (const auto& c : ties) EXPECT_EQ(roundHalfEven(c.in), c.out) << c.in;
  EXPECT_EQ(roundToInt32(-7.49), -7);
  EXPECT_EQ(roundToInt32(2147483647.4), INT32_MAX);
  EXPECT_EQ(roundToInt32(-2147483648.0), INT32_MIN);
  EXPECT_EQ(roundToInt64(4294967296.5), 4294967296LL);
  EXPECT_EQ(roundToInt64(-9223372036854775808.0), INT64_MIN);
  EXPECT_EQ(checkedInt32(2147483647LL), INT32_MAX);
  EXPECT_EQ(checkedInt32(-2147483648LL), INT32_MIN);
  // 2147483647.5 is a tie that rounds to the even 2147483648, one past the top.
  for (double v : {2147483647.5, -2147483649.0, kNan, kInf}) {
    EXPECT_THROW(roundToInt32(v), RangeError) << v;
  }
  for (double v : {9223372036854775808.0, kNan}) EXPECT_THROW(roundToInt64(v), RangeError);
  for (std::int64_t v : {2147483648LL, -2147483649LL}) EXPECT_THROW(checkedInt32(v), RangeError);
}

TEST(NumbersTest, FixedAndGeneralFormats) {
  // "N decimals (P significant digits)"; ties of exact binary values go to even.
  const struct { double value; int decimals, significant; const char* text; } fixed[] = {
      {1234567.891, 3, 6, "1234570.000"}, {5.25, 3, 6, "5.250"}, {45.5, 3, 6, "45.500"},
      {0.000123456789, 10, 3, "0.0001230000"}, {2451545.123456, 5, 15, "2451545.12346"},
      {-0.0001, 3, 15, "0.000"}, {-0.0, 2, 15, "0.00"}, {3.0, 0, 15, "3"}, {-1.25, 1, 15, "-1.2"},
      {-12.5, 0, 15, "-12"}, {0.125, 2, 15, "0.12"}, {0.375, 2, 15, "0.38"}, {kNan, 2, 15, "NAN"},
      {-kInf, 2, 15, "-INF"}, {2.5, -1, 15, "2"}};
  for (const auto& c : fixed) {
    EXPECT_EQ(formatFixed(c.value, c.decimals, c.significant), c.text) << c.value;
  }
  // The shortest text at 15 significant digits; scientific below 1e-5 and from 1e15 on.
  const struct { double value; const char* text; } general[] = {
      {1.5, "1.5"}, {100.0, "100"}, {0.1, "0.1"}, {-0.25, "-0.25"}, {0.0, "0"},
      {2451545.0, "2451545"}, {1.0 / 3.0, "0.333333333333333"}, {2.0 / 3.0, "0.666666666666667"},
      {0.1 + 0.2, "0.3"}, {1e-7, "1E-7"}, {-2.5e-6, "-2.5E-6"}, {1.5e20, "1.5E20"},
      {1e-5, "0.00001"}, {9.5e-6, "9.5E-6"}, {999999999999999.0, "999999999999999"}, {1e15, "1E15"},
      {kInf, "INF"}, {kNan, "NAN"}};
  for (const auto& c : general) EXPECT_EQ(formatGeneral(c.value), c.text) << c.value;
}

// The comma of a German locale, for systems that lack one.
struct CommaPunct : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
};

TEST(NumbersTest, PointWhateverTheLocale) {
  const std::locale old = std::locale::global(std::locale(std::locale(), new CommaPunct));
  std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
  double value = 0.0;
  const std::string seen = formatFixed(1234.5, 2) + " " + formatGeneral(0.125) + " " +
                           std::to_string(parseDouble("2.75", value)) + " " +
                           std::to_string(parseDouble("2,75", value));
  std::setlocale(LC_NUMERIC, "C");
  std::locale::global(old);
  EXPECT_EQ(seen, "1234.50 0.125 0 2");  // the comma is where the number ends
  EXPECT_EQ(value, 2.75);
}

TEST(NumbersTest, ParsingGivesTheErrorPositionAndKeepsTheValueOnFailure) {
  const struct { const char* text; int position; double value; } doubles[] = {
      {"+3.276800000000E+004", 0, 32768}, {"1.0000000000000000", 0, 1}, {"-0.5e-3", 0, -0.0005},
      {"42", 0, 42}, {".5", 0, 0.5}, {"7.", 0, 7}, {"'1.5'", 1, 9}, {"", 1, 9}, {"1.5x", 4, 9},
      {" 1.5", 1, 9}, {"1.5 ", 4, 9}, {"-", 2, 9}, {"1e", 3, 9}, {"1.2.3", 4, 9}, {".", 2, 9},
      {"1e999", 1, 9}};
  for (const auto& c : doubles) {
    double value = 9.0;
    EXPECT_EQ(parseDouble(c.text, value), c.position) << c.text;
    EXPECT_EQ(value, c.value) << c.text;
  }
  // -1: any failure position
  const struct { const char* text; int position; std::int32_t value; } ints[] = {
      {"2147483647", 0, INT32_MAX}, {"-2147483648", 0, INT32_MIN}, {"+05", 0, 5}, {"", 1, 17},
      {"1.5", 2, 17}, {"12 ", 3, 17}, {"'3'", 1, 17}, {"-", 2, 17}, {"2147483648", -1, 17},
      {"-2147483649", -1, 17}, {"99999999999999999999", -1, 17}};
  for (const auto& c : ints) {
    std::int32_t value = 17;
    const int position = parseInt32(c.text, value);
    EXPECT_TRUE(c.position < 0 ? position != 0 : position == c.position) << c.text << position;
    EXPECT_EQ(value, c.value) << c.text;
  }
}

TEST(StringsTest, EachRoutineAgainstHandWrittenResults) {
  // Bytes above 127 are no blanks; Ä, Ö, Ü lower to ä, ö, ü; ß and a cut sequence stay.
  const struct { std::string got, want; } cases[] = {
      {Trim("  M 31 \t\r\n"), "M 31"}, {Trim(std::string("\0\x01x\x1f", 4)), "x"},
      {Trim(" \t "), ""}, {Trim("\xC3\xA4 "), "\xC3\xA4"}, {Trim("!x!"), "!x!"},
      {RemoveBlanks(" 4 5.25 "), "45.25"}, {RemoveBlanks("a\tb"), "a\tb"},
      {stUpcase("fits.Fit a-z{}`@"), "FITS.FIT A-Z{}`@"}, {stUpcase("\xC3\xA4"), "\xC3\xA4"},
      {StLoCase("AZ xyz@[`"), "az xyz@[`"},
      {StLoCase("\xC3\x84\xC3\x96\xC3\x9C"), "\xC3\xA4\xC3\xB6\xC3\xBC"},
      {StLoCase("M\xC3\x9CLLER"), "m\xC3\xBCller"}, {StLoCase("\xC3\x9F\xC3"), "\xC3\x9F\xC3"},
      {extractword(1, "a;b;;c", ";"), "a"}, {extractword(3, "a;b;;c", ";"), "c"},
      {extractword(4, "a;b;;c", ";"), ""}, {extractword(2, "  12.5 ,\t7 ", " ,\t"), "7"},
      {extractword(1, ";;;", ";"), ""}, {extractword(0, "a", ";"), ""},
      {extractword(1, "whole", ""), "whole"}, {upperExtension("/data/night.fits"), ".FITS"},
      {upperExtension("IMG_0001.cr2"), ".CR2"}, {upperExtension("/data.d/frame"), ""},
      {upperExtension("frame"), ""}, {AddBackslash("/home/obs"), "/home/obs/"},
      {AddBackslash("/home/obs/"), "/home/obs/"}, {AddBackslash(""), "/"},
      {justpathname("/data/night1/m31_001.fit"), "/data/night1/"}, {justpathname("/m31.fit"), "/"},
      {justpathname("m31.fit"), ""}, {getnumber(42, 5), "00042"}, {getnumber(12345, 3), "12345"},
      {getnumber(0, 1), "0"}, {getnumber(7, 0), "7"}, {getnumber(-5, 3), "-05"},
      {getFilenumber(0), "000"}, {getFilenumber(7), "007"}, {getFilenumber(999), "999"},
      {getFilenumber(1000), "1000"}};
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(cases[i].got, cases[i].want) << "case " << i;
  }
}

TEST(TextCodecTest, Windows1252AgainstTheCLibraryAndHostileUtf8) {
  const iconv_t cd = iconv_open("UTF-8", "CP1252");
  ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
  for (int b = 0; b < 256; ++b) {
    char in = static_cast<char>(b), out[8], *inPtr = &in, *outPtr = out;
    std::size_t inLeft = 1, outLeft = sizeof out;
    // The five bytes the code page leaves undefined become C1 controls of the same number.
    const std::string want = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == std::size_t(-1)
                                 ? std::string{'\xC2', in}
                                 : std::string(out, outPtr);
    EXPECT_EQ(decodeFromFile(std::string(1, in)), want) << b;
    EXPECT_EQ(encodeForFile(want), std::string(1, in)) << b;
  }
  iconv_close(cd);
  // Files get Windows-1252 only when every character fits.
  const struct { std::string text, bytes; } cases[] = {
      {"5 \xE2\x82\xAC;M\xC3\xBCller", "5 \x80;M\xFCller"}, {"", ""},
      {"M\xC3\xBCller \xCE\xA9", "M\xC3\xBCller \xCE\xA9"},  // Ω has no byte, so all stays UTF-8
      {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"}, {"\xC2\x80", "\xC2\x80"}};  // nor U+0080
  for (const auto& c : cases) {
    EXPECT_EQ(encodeForFile(c.text), c.bytes) << c.text;
    EXPECT_EQ(decodeFromFile(c.bytes), c.text) << c.text;
  }
  EXPECT_EQ(encodeForFile("a\xFF"), "a\xFF");  // not UTF-8 at all: written as it is
  const struct { const char* bytes; bool valid; } utf8[] = {
      {"abc", true}, {"\xC2\x80", true}, {"\xDF\xBF", true}, {"\xED\x9F\xBF", true},
      {"\xEE\x80\x80", true}, {"\xEF\xBF\xBF", true}, {"\xF0\x90\x80\x80", true},
      {"\xF4\x8F\xBF\xBF", true}, {"\xF4\x90\x80\x80", false}, {"\xF5\x80\x80\x80", false},
      {"\xC0\xAF", false}, {"\xC1\xBF", false}, {"\xE0\x80\xAF", false}, {"\xE0\x9F\xBF", false},
      {"\xC2\xC2", false}, {"\xF0\x8F\xBF\xBF", false}, {"\xED\xA0\x80", false},
      {"\xED\xBF\xBF", false}, {"\xE2\x82", false}, {"\xE2\x28\xAC", false}, {"\x80", false}};
  for (const auto& c : utf8) EXPECT_EQ(isValidUtf8(c.bytes), c.valid) << c.bytes;
}

TEST(TextFileTest, SavedLinesEndInCrLfAndReadBack) {
  test::TempDir dir;
  const std::string path = dir.file("a.txt");
  // Lines and their bytes, saved over an old file or (`readOnly`) only read:
  // LF alone with no end at the end, and a run file appended over time in both
  // encodings behind a byte order mark, each line decoded on its own.
  const struct { Lines lines; std::string bytes; bool readOnly = false; } cases[] = {
      {{"Stern;M\xC3\xBCller", "", " tab\t\xC3\x9F "}, "Stern;M\xFCller\r\n\r\n tab\t\xDF \r\n"},
      {{"M\xC3\xBCller", "\xCE\xA9"}, "M\xC3\xBCller\r\n\xCE\xA9\r\n"},  // all UTF-8 then
      {{}, ""},
      {{"one", "two", "", "four"}, "one\ntwo\n\nfour", true},
      {{"\xC3\xBC", "\xC3\xBC", "\xE2\x82\xAC"}, "\xEF\xBB\xBF\xC3\xBC\r\n\xFC\r\n\x80\r\n", true}};
  for (const auto& c : cases) {
    std::string error;
    test::writeBytes(path, c.readOnly ? c.bytes : "old");
    if (!c.readOnly) {
      ASSERT_TRUE(saveTextFile(path, c.lines, error)) << error;
      EXPECT_EQ(test::readBytes(path), c.bytes);
    }
    Lines back = {"stale"};
    ASSERT_TRUE(readTextLines(path, back, error)) << error;
    EXPECT_EQ(back, c.lines);
  }
}

TEST(TextFileTest, CopiesAndReadsTakeRegularFilesOnly) {
  test::TempDir dir;
  const std::string in = dir.file("in.bin"), out = dir.file("out.bin");
  std::string bytes, error;
  for (std::size_t size : {0, 1, 32768, 32769, 100000}) {  // around the block size
    bytes.resize(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7 + i / 251);
    test::writeBytes(in, bytes);
    ASSERT_EQ(FileCopy(in, out, error), 0) << error;
    EXPECT_EQ(test::readBytes(out), bytes) << "size " << size;
  }
  EXPECT_EQ(FileCopy(in, dir.file("none/out.bin"), error), -1);
  EXPECT_NE(error.find(dir.file("none/out.bin")), npos) << error;
  Lines lines;
  EXPECT_TRUE(readTextLines(in, lines, error, 100000)) << error;
  EXPECT_FALSE(readTextLines(in, lines, error, 99999));
  EXPECT_NE(error.find("larger than 99999 bytes"), npos) << error;
  // Nothing waits on a pipe or reads an endless device; a folder opens but cannot be read.
  const std::string pipe = test::makePipe(dir, "pipe");
  for (const std::string& path :
       {dir.file("missing"), dir.path().string(), std::string("/dev/zero"), pipe}) {
    const auto read = [&](std::string& why) { return readTextLines(path, lines, why); };
    const auto copy = [&](std::string& why) { return FileCopy(path, out, why) == 0; };
    EXPECT_NE(test::expectPipeRefused(read).find(path), npos) << path;
    EXPECT_EQ(test::expectPipeRefused(copy), "read error") << path;
  }
  EXPECT_EQ(test::readBytes(out), bytes);
  EXPECT_EQ(test::folderNames(dir.path()), (std::set<std::string>{"in.bin", "out.bin", "pipe"}));
  TextFileWriter writer;  // nor does the run file writer take a pipe
  test::expectPipeRefused([&](std::string& why) {
    const bool opened = writer.open(pipe, TextFileWriter::Mode::Append);
    why = writer.error();
    return opened;
  });
}

TEST(TextFileTest, FailedSavesKeepThePreviousFileAndSayWhy) {
  test::TempDir dir;
  const test::SaveAction save = [](const std::string& path, std::string& message) {
    return saveTextFile(path, Lines(20'000, "line of a text file that fills the disk"), message);
  };
  test::expectFolderTargetReported(dir, "a.txt", save);
  const std::string path = dir.file("a.txt");
  test::writeBytes(path, "old\r\n");
  EXPECT_EQ(test::expectFullDiskKeepsFile(path, 100'000, save),
            "cannot write " + path + ": File too large");
  std::string error;
  const AtomicFileWriter halfThenStop = [](AtomicFileOutput& out, std::string& why) {
    why = "stopped by the writer";
    return !out.write("half of the new content");
  };
  EXPECT_FALSE(saveFileAtomically(path, halfThenStop, error));
  EXPECT_EQ(error, "cannot save " + path + ": stopped by the writer");
  EXPECT_FALSE(saveTextFile(dir.file("none/a.txt"), {"x"}, error));
  EXPECT_EQ(error, "cannot save " + dir.file("none/a.txt") + ": No such file or directory");
  EXPECT_EQ(test::readBytes(path), "old\r\n");
  EXPECT_EQ(test::folderNames(dir.path()), std::set<std::string>{"a.txt"});
}

TEST(TextFileWriterTest, LinesReachTheDiskOneByOneAndWholeUpToAFullDisk) {
  test::TempDir dir;
  const std::string path = dir.file("run.txt");
  TextFileWriter writer;
  EXPECT_FALSE(writer.writeLine("not open"));
  ASSERT_TRUE(writer.open(path, TextFileWriter::Mode::Create)) << writer.error();
  ASSERT_TRUE(writer.writeLine("\"Datei\";\"JD\""));
  EXPECT_EQ(test::readBytes(path), "\"Datei\";\"JD\"\r\n");  // while still open
  ASSERT_TRUE(writer.writeLine("\xC3\xBC;\xCE\xA9"));          // each line encoded on its own
  ASSERT_TRUE(writer.open(path, TextFileWriter::Mode::Append, false));
  ASSERT_TRUE(writer.writeLine("\xC3\xBC") && writer.flush());
  EXPECT_EQ(test::readBytes(path), "\"Datei\";\"JD\"\r\n\xC3\xBC;\xCE\xA9\r\n\xFC\r\n");
  ASSERT_TRUE(writer.open(path, TextFileWriter::Mode::Create) && writer.close());
  EXPECT_FALSE(writer.isOpen());
  EXPECT_EQ(test::readBytes(path), "");
  EXPECT_FALSE(writer.open(dir.file("none/run.txt"), TextFileWriter::Mode::Create));
  EXPECT_NE(writer.error().find(dir.file("none/run.txt")), npos) << writer.error();
  // A full disk: the lines before it stay whole (11 bytes a line, the limit of 60 is in line 6).
  const test::ChildOutcome child = test::runInChild(
      [&](std::string& report) {
        int line = 0;
        writer.open(path, TextFileWriter::Mode::Create);
        while (line < 100 && writer.writeLine("line " + std::to_string(100 + line) + ";")) ++line;
        report = std::to_string(line) + "|" + writer.error();
        return 0;
      },
      test::ChildLimits{60, 60});
  EXPECT_EQ(child.report, "5|cannot write " + path + ": File too large");
  EXPECT_EQ(test::readBytes(path),
            "line 100;\r\nline 101;\r\nline 102;\r\nline 103;\r\nline 104;\r\nline ");
}

}  // namespace
}  // namespace vargaze
