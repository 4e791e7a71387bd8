// vargaze-cli process on demo series.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "support/CliRunner.h"
#include "support/TempDir.h"

namespace vargaze {
namespace {

using test::quoted;
using test::runCli;

class ProcessCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(runCli("demo " + quoted(dir.file("n")) + " --frames 3 --size 256x192", dir).exitCode,
              0);
  }
  test::TempDir dir;
};

TEST_F(ProcessCommandsTest, CrossCorrelationFindsTheDemoDrift) {
  // The demo drifts +3 px in x and -2 px in y over the whole series: the last
  // of three frames lies (3, -2) from the first. The sky's gradient along y
  // pulls the profile correlation by up to a pixel.
  const auto r = runCli("process crosscorr " + quoted(dir.file("n/demo_001.fit")) + " " +
                            quoted(dir.file("n/demo_003.fit")),
                        dir);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  int dx = 0;
  int dy = 0;
  ASSERT_EQ(std::sscanf(r.out.c_str(), "dx=%d dy=%d", &dx, &dy), 2) << r.out;
  EXPECT_EQ(dx, 3);
  EXPECT_NEAR(dy, -2, 1);
  EXPECT_EQ(runCli("process crosscorr " + quoted(dir.file("n/demo_001.fit")), dir).exitCode, 1);
}

TEST_F(ProcessCommandsTest, BackgroundSubtractionWritesNumberedFrames) {
  const auto r = runCli("process background " + quoted(dir.file("n/demo.vgp")) + " -o " +
                            quoted(dir.file("out/flat.fit")),
                        dir);
  std::filesystem::create_directories(dir.file("out"));
  const auto again = runCli("process background " + quoted(dir.file("n/demo.vgp")) + " -o " +
                                quoted(dir.file("out/flat.fit")),
                            dir);
  ASSERT_EQ(again.exitCode, 0) << again.err;
  for (const char* name : {"out/flat001.fit", "out/flat002.fit", "out/flat003.fit"}) {
    EXPECT_TRUE(std::filesystem::exists(dir.file(name))) << name;
  }
  const auto info = runCli("info " + quoted(dir.file("out/flat002.fit")), dir);
  EXPECT_NE(info.out.find("\"Offset1\": 0.0"), std::string::npos) << info.out;
  // An output name that is a frame of the series is refused.
  EXPECT_EQ(runCli("process background " + quoted(dir.file("n/demo.vgp")) + " -o " +
                       quoted(dir.file("n/demo_.fit")),
                   dir)
                .exitCode,
            1);
  EXPECT_EQ(r.exitCode, 1);  // the output folder did not exist yet
}

TEST_F(ProcessCommandsTest, JpegPicturesFlatCorrectionAndLineRemoval) {
  const auto jpeg = runCli("process jpeg " + quoted(dir.file("n/demo.vgp")) + " -o " +
                               quoted(dir.file("pic.jpg")),
                           dir);
  ASSERT_EQ(jpeg.exitCode, 0) << jpeg.err;
  for (const char* name : {"pic001.JPG", "pic002.JPG", "pic003.JPG"}) {
    const std::string bytes = test::readBytes(dir.file(name));
    ASSERT_GT(bytes.size(), 2u) << name;
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xD8") << name;  // a JPEG start-of-image marker
  }
  const std::string frame = dir.file("n/demo_001.fit");
  const auto flat = runCli("process flat " + quoted(frame) + " --flat " +
                               quoted(dir.file("n/demo_002.fit")) + " -o " +
                               quoted(dir.file("corrected.fit")),
                           dir);
  EXPECT_EQ(flat.exitCode, 0) << flat.err;
  EXPECT_TRUE(std::filesystem::exists(dir.file("corrected.fit")));
  // The frame itself is never the output.
  EXPECT_EQ(runCli("process flat " + quoted(frame) + " --flat " + quoted(frame) + " -o " +
                       quoted(frame),
                   dir)
                .exitCode,
            1);
  const auto lines = runCli("process lines " + quoted(frame) + " --roi " +
                                quoted(dir.file("n/demo.roi")) + " -o " +
                                quoted(dir.file("lines.fit")),
                            dir);
  EXPECT_EQ(lines.exitCode, 0) << lines.err;
  EXPECT_TRUE(std::filesystem::exists(dir.file("lines.fit")));
  EXPECT_EQ(runCli("process raw2fits --channel X a.CR2", dir).exitCode, 1);
}

}  // namespace
}  // namespace vargaze
