// Writing the configuration and its named copies under injected failures: a
// missing folder, a target name that is a folder, a full disk. The failure is
// reported and the previous file stays as it was and still reads.
#include <gtest/gtest.h>

#include <string>

#include "config/ConfigOptions.h"
#include "support/FaultInjection.h"

namespace vargaze {
namespace {

class FaultInjectionConfigTest : public ::testing::Test {
 protected:
  // Writes every setting through a fresh object on `ini`.
  static test::SaveAction writeOptions(int jdPrecision) {
    return [jdPrecision](const std::string& ini, std::string& message) {
      Settings s;
      TConfigOptions options(s, ini);
      s.JDprecision = jdPrecision;
      const bool ok = options.WriteOptions();
      message = options.lastError();
      return ok;
    };
  }

  test::SaveAction saveCopy(int jdPrecision) {
    return [this, jdPrecision](const std::string& copy, std::string& message) {
      Settings s;
      TConfigOptions options(s, iniPath);
      s.JDprecision = jdPrecision;
      const bool ok = options.SaveOptions(copy);
      message = options.lastMessage() + ": " + options.lastError();
      return ok;
    };
  }

  // Reads `ini` into fresh settings; returns JDprecision.
  static int readJdPrecision(const std::string& ini) {
    Settings s;
    TConfigOptions options(s, ini);
    EXPECT_TRUE(options.ReadOptions()) << options.lastError();
    return s.JDprecision;
  }

  test::TempDir dir;
  std::string iniPath = dir.file("vargaze1.ini");
};

TEST_F(FaultInjectionConfigTest, WritingTheConfigurationFailsSafely) {
  test::expectMissingFolderReported(dir, "vargaze1.ini", writeOptions(7));
  test::expectFolderTargetReported(dir, "vargaze1.ini", writeOptions(7));

  std::string message;
  ASSERT_TRUE(writeOptions(6)(iniPath, message)) << message;
  ASSERT_EQ(readJdPrecision(iniPath), 6);
  message = test::expectFullDiskKeepsFile(iniPath, 64, writeOptions(7));
  EXPECT_NE(message.find(iniPath), std::string::npos) << message;
  EXPECT_EQ(readJdPrecision(iniPath), 6);
}

TEST_F(FaultInjectionConfigTest, SavingACopyFailsSafely) {
  std::string message;
  ASSERT_TRUE(writeOptions(6)(iniPath, message)) << message;
  test::expectMissingFolderReported(dir, "night.cfg", saveCopy(7));
  test::expectFolderTargetReported(dir, "night.cfg", saveCopy(7));

  const std::string copy = dir.file("night.cfg");
  ASSERT_TRUE(saveCopy(5)(copy, message)) << message;
  // The working file fits under the limit once it exists; the copy then
  // fails part way. Both the copy and the working file keep what they held.
  const std::string iniBefore = test::readBytes(iniPath);
  message = test::expectFullDiskKeepsFile(copy, 512, saveCopy(5));
  EXPECT_EQ(message.substr(0, 10), "Save error") << message;
  EXPECT_EQ(readJdPrecision(copy), 5);
  EXPECT_EQ(readJdPrecision(iniPath), 5);
  EXPECT_EQ(test::readBytes(iniPath).size(), iniBefore.size());
}

}  // namespace
}  // namespace vargaze
