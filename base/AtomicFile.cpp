#include "base/AtomicFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <system_error>

namespace vargaze {

namespace {

std::string reason(int errnum) { return std::generic_category().message(errnum); }

std::string folderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// Creates a fresh temporary file beside `path`; O_EXCL guards against a name
// that another process or an earlier crash left behind.
int createTemporary(const std::string& path, std::string& tempPath) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempPath = path + ".tmp" + std::to_string(getpid()) + "-" + std::to_string(counter++);
    const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

// Makes the rename itself durable; not every file system supports it, and
// the file is complete either way, so a failure here is not an error.
void syncFolder(const std::string& path) {
  const int fd = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

bool AtomicFileOutput::write(std::string_view bytes) {
  if (failed()) return false;
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      error_ = "cannot write " + path_ + ": " + reason(errno);
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

bool saveFileAtomically(const std::string& path, const AtomicFileWriter& writer,
                        std::string& error) {
  std::string tempPath;
  const int fd = createTemporary(path, tempPath);
  if (fd < 0) {
    error = "cannot save " + path + ": " + reason(errno);
    return false;
  }
  AtomicFileOutput out(fd, path);
  std::string writerError;
  bool ok = writer(out, writerError) && !out.failed();
  if (!ok) {
    error = out.failed() ? out.error()
                         : "cannot save " + path + ": " +
                               (writerError.empty() ? std::string("write aborted") : writerError);
  }
  if (ok && ::fsync(fd) != 0) {
    error = "cannot save " + path + ": " + reason(errno);
    ok = false;
  }
  if (::close(fd) != 0 && ok) {
    error = "cannot save " + path + ": " + reason(errno);
    ok = false;
  }
  if (ok && std::rename(tempPath.c_str(), path.c_str()) != 0) {
    error = "cannot save " + path + ": " + reason(errno);
    ok = false;
  }
  if (!ok) {
    ::unlink(tempPath.c_str());
    return false;
  }
  syncFolder(path);
  return true;
}

}  // namespace vargaze
