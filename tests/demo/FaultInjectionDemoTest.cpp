// Writing the demo series under injected failures: a folder that cannot be
// made, a frame name taken by a folder, a disk that fills up inside the first
// frame. Each ends with an error naming the file; earlier files stay intact.
#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "demo/DemoWriter.h"
#include "image/Imgbuffer.h"
#include "support/FaultInjection.h"

namespace vargaze::test {
namespace {

constexpr demo::DemoOptions kOptions{3, 512, 384};

// The message of the runtime_error `write` throws; empty when it throws none.
template <typename F>
std::string errorOf(F write) {
  try {
    write();
  } catch (const std::runtime_error& e) {
    return e.what();
  }
  return {};
}

TEST(FaultInjectionDemoTest, DemoWriteFailuresNameTheFileAndKeepEarlierFiles) {
  TempDir dir;
  // A file where the folder should be made.
  writeBytes(dir.file("plain"), "x");
  EXPECT_NE(errorOf([&] { demo::writeDemoSeries(kOptions, dir.file("plain")); })
                .find(dir.file("plain")),
            std::string::npos);
  EXPECT_EQ(readBytes(dir.file("plain")), "x");

  // The second frame's name is a folder.
  std::filesystem::create_directories(dir.file("night/demo_002.fit"));
  const std::string frame2 = errorOf([&] { demo::writeDemoSeries(kOptions, dir.file("night")); });
  EXPECT_NE(frame2.find("demo_002.fit"), std::string::npos) << frame2;
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("night/demo_002.fit")));
  std::filesystem::remove(dir.file("night/demo_002.fit"));

  // A complete series, then a disk that is full inside the first frame.
  const auto written = demo::writeDemoSeries(kOptions, dir.file("night"));
  ASSERT_EQ(written.size(), 6u);
  const std::string first = readBytes(written[0]);
  const std::string project = readBytes(written[5]);
  const auto namesBefore = folderNames(dir.file("night"));
  const ChildOutcome child = runInChild(
      [&](std::string& report) {
        report = errorOf([&] { demo::writeDemoSeries(kOptions, dir.file("night")); });
        return report.empty() ? 1 : 0;
      },
      ChildLimits{100'000, 60});
  EXPECT_EQ(child.exitCode, 0);
  EXPECT_NE(child.report.find(written[0]), std::string::npos) << child.report;
  EXPECT_NE(child.report.find("File too large"), std::string::npos) << child.report;
  EXPECT_EQ(readBytes(written[0]), first);
  EXPECT_EQ(readBytes(written[5]), project);
  EXPECT_EQ(folderNames(dir.file("night")), namesBefore);
  Timgbuffer img;
  ASSERT_TRUE(img.Readfitsfile(written[0])) << img.readError;
  EXPECT_EQ(img.xsize, 512);
}

}  // namespace
}  // namespace vargaze::test
