// One demo series written once for the tests that read its files back.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "demo/DemoWriter.h"
#include "support/TempDir.h"

namespace vargaze::test {

class DemoFolder : public ::testing::Test {
 protected:
  // Three frames: the middle one is at the eclipse minimum.
  static constexpr demo::DemoOptions kOptions{3, 512, 384};

  static void SetUpTestSuite() {
    folder_ = std::make_unique<TempDir>();
    written_ = demo::writeDemoSeries(kOptions, folder_->file("night"));
  }
  static void TearDownTestSuite() { folder_.reset(); }

  static std::string file(const std::string& name) { return folder_->file("night/" + name); }
  static const std::vector<std::string>& written() { return written_; }

 private:
  static inline std::unique_ptr<TempDir> folder_;
  static inline std::vector<std::string> written_;
};

}  // namespace vargaze::test
