#include "base/TextFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <system_error>

#include "base/AtomicFile.h"
#include "base/TextCodec.h"

namespace vargaze {

namespace {

std::string reason(int errnum) { return std::generic_category().message(errnum); }

bool readAll(const std::string& path, std::string& bytes, std::string& error,
             std::size_t maxBytes) {
  // O_NONBLOCK: a pipe or device given as a text file must not hang the reader.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    error = "cannot open " + path + ": " + reason(errno);
    return false;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    error = "cannot read " + path + ": not a regular file";
    ::close(fd);
    return false;
  }
  // A file that is already too large is refused before a byte of it is read;
  // the check in the loop below still catches one that grows meanwhile.
  if (static_cast<std::uintmax_t>(info.st_size) > maxBytes) {
    error = "cannot read " + path + ": larger than " + std::to_string(maxBytes) + " bytes";
    ::close(fd);
    return false;
  }
  bytes.clear();
  bytes.reserve(static_cast<std::size_t>(info.st_size));
  char buffer[32768];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      error = "cannot read " + path + ": " + reason(errno);
      ::close(fd);
      return false;
    }
    bytes.append(buffer, static_cast<std::size_t>(n));
    if (bytes.size() > maxBytes) {
      error = "cannot read " + path + ": larger than " + std::to_string(maxBytes) + " bytes";
      ::close(fd);
      return false;
    }
  }
  ::close(fd);
  return true;
}

}  // namespace

bool readTextLines(const std::string& path, std::vector<std::string>& lines, std::string& error,
                   std::size_t maxBytes) {
  std::string bytes;
  if (!readAll(path, bytes, error, maxBytes)) return false;
  std::string_view rest(bytes);
  if (rest.substr(0, 3) == "\xEF\xBB\xBF") rest.remove_prefix(3);
  lines.clear();
  while (!rest.empty()) {
    const auto lf = rest.find('\n');
    std::string_view line = rest.substr(0, lf);
    rest.remove_prefix(lf == std::string_view::npos ? rest.size() : lf + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(decodeFromFile(line));
  }
  return true;
}

bool saveTextFile(const std::string& path, const std::vector<std::string>& lines,
                  std::string& error) {
  std::string text;
  for (const auto& line : lines) {
    text += line;
    text += "\r\n";
  }
  const std::string bytes = encodeForFile(text);
  return saveFileAtomically(
      path, [&](AtomicFileOutput& out, std::string&) { return out.write(bytes); }, error);
}

TextFileWriter::~TextFileWriter() { close(); }

bool TextFileWriter::fail(const char* what) {
  error_ = std::string(what) + " " + path_ + ": " + reason(errno);
  return false;
}

bool TextFileWriter::open(const std::string& path, Mode mode, bool flushEachLine) {
  close();
  path_ = path;
  error_.clear();
  flushEachLine_ = flushEachLine;
  // O_NONBLOCK and the pipe check: a pipe of that name must not block the
  // run until some reader appears, nor take its lines.
  const int fd = ::open(path.c_str(),
                        O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK |
                            (mode == Mode::Append ? O_APPEND : O_TRUNC),
                        0666);
  if (fd < 0) return fail("cannot open");
  struct stat info {};
  if (::fstat(fd, &info) != 0 || S_ISFIFO(info.st_mode)) {
    ::close(fd);
    error_ = "cannot open " + path_ + ": a pipe, not a file";
    return false;
  }
  file_ = ::fdopen(fd, mode == Mode::Append ? "ab" : "wb");
  if (file_ == nullptr) {
    const int saved = errno;
    ::close(fd);
    errno = saved;
    return fail("cannot open");
  }
  return true;
}

bool TextFileWriter::writeLine(std::string_view line) {
  if (file_ == nullptr) {
    error_ = "cannot write " + path_ + ": file not open";
    return false;
  }
  std::string bytes = encodeForFile(line);
  bytes += "\r\n";
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
    return fail("cannot write");
  }
  return !flushEachLine_ || flush();
}

bool TextFileWriter::flush() {
  if (file_ == nullptr) return true;
  return std::fflush(file_) == 0 || fail("cannot write");
}

bool TextFileWriter::close() {
  if (file_ == nullptr) return true;
  const int result = std::fclose(file_);
  file_ = nullptr;
  return result == 0 || fail("cannot write");
}

}  // namespace vargaze
