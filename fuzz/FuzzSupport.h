// What the fuzz targets share: a scratch folder of their own under /tmp that
// the input bytes are written to (the readers take file names), and a user
// interface port that stays silent and answers every question with Yes.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "base/UiPort.h"

namespace vargaze::fuzz {

// One folder per process, made on first use and removed at exit.
class ScratchFolder {
 public:
  ScratchFolder()
      : path_((std::filesystem::temp_directory_path() /
               ("vargaze-fuzz-" + std::to_string(::getpid())))
                  .string()) {
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

inline const std::string& scratchFolder() {
  static const ScratchFolder folder;
  return folder.path();
}

// The path of `name` in the scratch folder.
inline std::string scratchPath(const std::string& name) {
  return scratchFolder() + "/" + name;
}

// Writes the bytes as file `name` in the scratch folder (replacing it) and
// returns its path. Aborts when the file cannot be written: the run would test
// nothing.
inline std::string writeInput(const std::string& name, const std::uint8_t* data,
                              std::size_t size) {
  const std::string path = scratchPath(name);
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
  if (std::fclose(f) != 0) std::abort();
  return path;
}

inline void removeInput(const std::string& name) {
  std::error_code ec;
  std::filesystem::remove(scratchPath(name), ec);
}

class SilentUi : public UiPort {
 public:
  void showMessage(const std::string&) override {}
  bool askYesNo(const std::string&) override { return true; }
  Answer askYesNoCancel(const std::string&) override { return Answer::Yes; }
};

}  // namespace vargaze::fuzz
