// Writing FITS files under injected failures: a missing folder, a target
// name that is a folder, a disk that fills up in the middle of the pixels.
// The writer reports the reason and the previous file stays readable.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "image/Imgbuffer.h"
#include "support/FaultInjection.h"

namespace vargaze {
namespace {

// A 16-bit image whose pixels differ, so a torn file would show.
void fillImage(Timgbuffer& img, int width, int height) {
  img.init(width, height, kPixel16);
  for (int y = 1; y <= height; ++y)
    for (int x = 1; x <= width; ++x) img.putpixel(x, y, (x * 131 + y * 71) % 60000);
}

test::SaveAction writeFits(const Timgbuffer& img) {
  return [&img](const std::string& path, std::string& message) {
    return img.Writefitsfile(path, message);
  };
}

class FaultInjectionImageTest : public ::testing::Test {
 protected:
  // Writes the previous file: a 40 x 30 image.
  std::string writePrevious(const std::string& path) {
    Timgbuffer small;
    fillImage(small, 40, 30);
    std::string error;
    EXPECT_TRUE(small.Writefitsfile(path, error)) << error;
    return test::readBytes(path);
  }

  void expectPreviousReadable(const std::string& path) {
    Timgbuffer back;
    ASSERT_TRUE(back.Readfitsfile(path)) << back.readError;
    EXPECT_EQ(back.xsize, 40);
    EXPECT_EQ(back.ysize, 30);
    EXPECT_EQ(back.getpixel(7, 9), (7 * 131 + 9 * 71) % 60000);
  }

  test::TempDir dir;
};

TEST_F(FaultInjectionImageTest, FitsWriteFailuresAreReportedAndKeepThePreviousFile) {
  Timgbuffer large;
  fillImage(large, 400, 300);  // 240 000 bytes of pixels
  test::expectMissingFolderReported(dir, "frame.fit", writeFits(large));
  test::expectFolderTargetReported(dir, "frame.fit", writeFits(large));

  const std::string path = dir.file("frame.fit");
  ASSERT_FALSE(writePrevious(path).empty());
  // The disk is full after the header and part of the pixels.
  const std::string message = test::expectFullDiskKeepsFile(path, 50'000, writeFits(large));
  EXPECT_NE(message.find("File too large"), std::string::npos) << message;
  EXPECT_NE(message.find(path), std::string::npos) << message;
  expectPreviousReadable(path);

  // Also when the disk is full before the header is complete.
  test::expectFullDiskKeepsFile(path, 1000, writeFits(large));
  expectPreviousReadable(path);
}

TEST_F(FaultInjectionImageTest, ReadOnlyFolderKeepsThePreviousFits) {
  VARGAZE_SKIP_READ_ONLY_AS_ROOT();
  std::filesystem::create_directory(dir.file("ro"));
  const std::string path = dir.file("ro/frame.fit");
  writePrevious(path);
  Timgbuffer large;
  fillImage(large, 400, 300);
  test::expectReadOnlyFolderKeepsFile(path, writeFits(large));
  expectPreviousReadable(path);
}

}  // namespace
}  // namespace vargaze
