#include "image/BinaryFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace vargaze {

BinaryFile::~BinaryFile() {
  if (fd_ >= 0) ::close(fd_);
}

bool BinaryFile::open(const std::string& path, std::string& error) {
  // O_NONBLOCK keeps a FIFO from blocking the open; it is refused below.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    error = errno == ENOENT ? "file not found" : "cannot open the file";
    return false;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    error = "not a regular file";
    return false;
  }
  if (fd_ >= 0) ::close(fd_);
  fd_ = fd;
  info_ = info;
  return true;
}

bool BinaryFile::readAt(std::int64_t offset, void* target, std::size_t bytes) const {
  if (fd_ < 0 || offset < 0) return false;
  auto* out = static_cast<char*>(target);
  while (bytes > 0) {
    const ssize_t n = ::pread(fd_, out, bytes, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    out += n;
    bytes -= static_cast<std::size_t>(n);
    offset += n;
  }
  return true;
}

}  // namespace vargaze
