// A temporary folder for one test, removed with everything in it at the end.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace vargaze::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // Full path of a file name inside the folder.
  std::string file(std::string_view name) const;

 private:
  std::filesystem::path path_;
};

// Writes `bytes` to `path` (binary), replacing the file. Fails the test on error.
void writeBytes(const std::string& path, std::string_view bytes);
// Reads a whole file as bytes; empty when it cannot be read.
std::string readBytes(const std::string& path);

// Folder of the committed test data.
std::string testDataDir();

}  // namespace vargaze::test
