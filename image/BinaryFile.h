// Bounded reading of an image file: its length and modification time are
// known before anything is allocated, and every read reports whether it got
// all the bytes it asked for.
#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace vargaze {

// A file time: seconds since 1970-01-01 00:00 UTC and nanoseconds within the second.
struct FileTime {
  std::int64_t seconds = 0;
  std::int64_t nanoseconds = 0;
};

class BinaryFile {
 public:
  BinaryFile() = default;
  ~BinaryFile();
  BinaryFile(const BinaryFile&) = delete;
  BinaryFile& operator=(const BinaryFile&) = delete;

  // Opens a regular file for reading. Fails with "file not found", "cannot
  // open the file" or "not a regular file" (a pipe or a device would block
  // the reader or never end).
  bool open(const std::string& path, std::string& error);

  std::int64_t size() const { return static_cast<std::int64_t>(info_.st_size); }
  FileTime modified() const { return {info_.st_mtim.tv_sec, info_.st_mtim.tv_nsec}; }

  // Reads exactly `bytes` bytes at `offset`; false on a short read.
  bool readAt(std::int64_t offset, void* target, std::size_t bytes) const;

 private:
  int fd_ = -1;
  struct stat info_ {};
};

}  // namespace vargaze
