// Writing FITS files: every kind of image passes fitsverify and reads with our
// physical values in CFITSIO and in our own reader; a write that fails keeps
// the previous file.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "image/Imgbuffer.h"
#include "support/CfitsioReader.h"
#include "support/FaultInjection.h"
#include "support/TempDir.h"

namespace vargaze {
namespace {

// fitsverify's one-line verdict for a file.
std::string fitsverify(const std::string& path) {
  const std::string command = "fitsverify -q '" + path + "' 2>&1";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  std::string out;
  std::array<char, 256> buf{};
  while (pipe && fgets(buf.data(), int(buf.size()), pipe.get())) out += buf.data();
  return out;
}

// An image whose pixel (x, y) holds value(x, y); physical values are those less `offset`.
Timgbuffer image(int width, int height, int code, const std::function<int(int, int)>& value,
                 double offset = 0) {
  Timgbuffer img;
  img.init(width, height, code);
  for (int y = 1; y <= height; ++y)
    for (int x = 1; x <= width; ++x) img.putpixel(x, y, value(x, y));
  img.Offset1 = offset;
  return img;
}

TEST(FitsWriteTest, PassesFitsverifyAndReadsBackInCfitsioAndOurReader) {
  std::vector<Timgbuffer> images;
  images.reserve(8);  // `meta` and `cube` refer into it
  images.push_back(image(40, 30, kPixel16, [](int x, int y) { return (x * 1777 + y * 313) % 65536; }));
  images[0].putpixel(1, 1, 65535);
  images[0].putpixel(2, 1, 0);
  images.push_back(image(5, 4, kPixel8, [](int x, int y) { return x * 50 + y; }));
  images.push_back(image(5, 4, kPixel32, [](int x, int y) { return x * 100000 - y * 7; }));
  // Negative images as the reader leaves them: stored = physical + Offset1.
  images.push_back(image(3, 1, kPixel16, [](int x, int) { return x * 100; }, 150));
  images.push_back(image(3, 1, kPixel32, [](int x, int) { return x * 100; }, 150));
  Timgbuffer& meta = images.emplace_back(image(2, 2, kPixel16, [](int x, int y) { return x + y; }));
  meta.Datetime = "2023-10-05T21:13:45.500";
  meta.Exposure = 30.25;
  meta.FilterName = "V";
  meta.Instrument = "Test camera";
  images.push_back(image(3, 3, kPixel16, [](int, int) { return 1; }));
  images.back().Datetime = "date?";  // no date: no DATE-OBS = 'date?' either
  Timgbuffer& cube = images.emplace_back(image(1, 1, kPixel16, [](int, int) { return 9; }));
  setFitskey(cube.fitsheader, "NAXIS", "3");  // a colour plane is written as a plain image
  setFitskey(cube.fitsheader, "NAXIS3", "3");
  setFitskey(cube.fitsheader, "CSPACE", "'RGB'");

  test::TempDir dir;
  const std::string path = dir.file("ours.fit");
  for (const Timgbuffer& img : images) {
    SCOPED_TRACE(std::to_string(img.xsize) + " x " + std::to_string(img.ysize) + ", code " +
                 std::to_string(img.bufferbyte));
    ASSERT_TRUE(img.Writefitsfile(path));
    const std::string bytes = test::readBytes(path);
    EXPECT_EQ(bytes.size() % 2880, 0u);
    EXPECT_EQ(bytes.substr(0, 30), "SIMPLE  =                    T");
    EXPECT_EQ(bytes.substr(0, 2880).find('\0'), std::string::npos);  // blanks after END
    const std::string verdict = fitsverify(path);
    EXPECT_NE(verdict.find("verification OK"), std::string::npos) << verdict;
    EXPECT_EQ(verdict.find("error"), std::string::npos) << verdict;
    const test::CfitsioImage reference = test::readWithCfitsio(path);
    ASSERT_EQ(reference.width, img.xsize);
    ASSERT_EQ(reference.height, img.ysize);
    Timgbuffer back;
    ASSERT_TRUE(back.Readfitsfile(path)) << back.readError;
    EXPECT_EQ(back.bufferbyte, img.bufferbyte);
    for (int y = 1; y <= img.ysize; ++y) {
      for (int x = 1; x <= img.xsize; ++x) {
        const double physical = img.getpixel(x, y) - img.Offset1;
        EXPECT_EQ(reference.values[std::size_t((y - 1) * img.xsize + x - 1)], physical);
        EXPECT_EQ(back.getpixel(x, y) - back.Offset1, physical) << x << "," << y;
      }
    }
    const std::string date = img.Datetime == "date?" ? "" : img.Datetime;
    EXPECT_EQ(getFitskeyString(back.fitsheader, "DATE-OBS"), date);
    EXPECT_EQ(back.Datetime, date.empty() ? "date?" : date);
    EXPECT_EQ(back.colorimages, 0);
    EXPECT_EQ(getFitskeyString(back.fitsheader, "NAXIS3") + getFitskeyString(back.fitsheader, "CSPACE"), "");
    bool error = false;
    EXPECT_EQ(getFitskeyInteger(back.fitsheader, "NAXIS", error), 2);
  }
  Timgbuffer back;
  ASSERT_TRUE(meta.Writefitsfile(path));
  ASSERT_TRUE(back.Readfitsfile(path));
  EXPECT_DOUBLE_EQ(back.Exposure, 30.25);
  EXPECT_EQ(back.FilterType, 3);
  EXPECT_EQ(getFitskeyString(back.fitsheader, "INSTRUME"), "Test camera");
  // The writer works on a copy: the buffer's own header is unchanged.
  EXPECT_EQ(getFitskeyString(meta.fitsheader, "EXPTIME"), "");
}

// A missing folder, a target name that is a folder, a disk that fills up in
// the middle of the pixels or of the header.
TEST(FitsWriteTest, FailuresAreReportedAndKeepThePreviousFile) {
  const auto value = [](int x, int y) { return (x * 131 + y * 71) % 60000; };
  const Timgbuffer large = image(400, 300, kPixel16, value);  // 240 000 bytes of pixels
  const test::SaveAction save = [&](const std::string& path, std::string& message) {
    return large.Writefitsfile(path, message);
  };
  test::TempDir dir;
  test::expectMissingFolderReported(dir, "frame.fit", save);
  test::expectFolderTargetReported(dir, "frame.fit", save);

  const std::string path = dir.file("frame.fit");
  std::string error;
  ASSERT_TRUE(image(40, 30, kPixel16, value).Writefitsfile(path, error)) << error;
  for (const std::int64_t limit : {50'000, 1000}) {
    const std::string message = test::expectFullDiskKeepsFile(path, limit, save);
    EXPECT_NE(message.find("File too large"), std::string::npos) << message;
    EXPECT_NE(message.find(path), std::string::npos) << message;
    Timgbuffer back;
    ASSERT_TRUE(back.Readfitsfile(path)) << back.readError;
    EXPECT_EQ(back.xsize, 40);
    EXPECT_EQ(back.ysize, 30);
    EXPECT_EQ(back.getpixel(7, 9), value(7, 9));
  }
}

}  // namespace
}  // namespace vargaze
