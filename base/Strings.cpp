#include "base/Strings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>
#include <vector>

#include "base/AtomicFile.h"

namespace vargaze {

namespace {

bool isControlOrBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

}  // namespace

std::string Trim(std::string_view s) {
  std::size_t first = 0;
  std::size_t last = s.size();
  while (first < last && isControlOrBlank(s[first])) ++first;
  while (last > first && isControlOrBlank(s[last - 1])) --last;
  return std::string(s.substr(first, last - first));
}

std::string RemoveBlanks(std::string_view s) {
  std::string result;
  result.reserve(s.size());
  for (char c : s) {
    if (c != ' ') result += c;
  }
  return result;
}

std::string stUpcase(std::string_view s) {
  std::string result(s);
  for (char& c : result) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return result;
}

std::string StLoCase(std::string_view s) {
  // Ä, Ö, Ü are C3 84, C3 96, C3 9C in UTF-8; their lower-case forms differ
  // only in the second byte (C3 A4, C3 B6, C3 BC).
  std::string result(s);
  for (std::size_t i = 0; i < result.size(); ++i) {
    char& c = result[i];
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    } else if (c == '\xC3' && i + 1 < result.size()) {
      char& next = result[i + 1];
      if (next == '\x84' || next == '\x96' || next == '\x9C') {
        next = static_cast<char>(static_cast<unsigned char>(next) + 0x20);
        ++i;
      }
    }
  }
  return result;
}

std::string extractword(int n, std::string_view s, std::string_view delims) {
  if (n < 1) return {};
  std::size_t pos = 0;
  for (int word = 1;; ++word) {
    pos = s.find_first_not_of(delims, pos);
    if (pos == std::string_view::npos) return {};
    std::size_t end = s.find_first_of(delims, pos);
    if (end == std::string_view::npos) end = s.size();
    if (word == n) return std::string(s.substr(pos, end - pos));
    pos = end;
  }
}

std::string AddBackslash(std::string_view path) {
  std::string result(path);
  if (result.empty() || result.back() != '/') result += '/';
  return result;
}

std::string justpathname(std::string_view filename) {
  const auto slash = filename.rfind('/');
  if (slash == std::string_view::npos) return {};
  return std::string(filename.substr(0, slash + 1));
}

std::string getnumber(int num, int digits) {
  std::string text = std::to_string(num);
  const bool negative = num < 0;
  const auto width = static_cast<std::size_t>(digits < 0 ? 0 : digits);
  if (text.size() < width) text.insert(negative ? 1 : 0, width - text.size(), '0');
  return text;
}

std::string getFilenumber(int num) { return getnumber(num, 3); }

namespace {

// Reads the whole source into `out` block by block.
bool copyBlocks(int in, AtomicFileOutput& out, std::string& error) {
  constexpr std::size_t kBlockSize = 32768;
  std::vector<char> buffer;
  try {
    buffer.resize(kBlockSize);
  } catch (const std::bad_alloc&) {
    error = "not enough memory available";
    return false;
  }
  for (;;) {
    const ssize_t n = ::read(in, buffer.data(), buffer.size());
    if (n == 0) return true;
    if (n < 0) {
      if (errno == EINTR) continue;
      error = "read error";
      return false;
    }
    if (!out.write(std::string_view(buffer.data(), static_cast<std::size_t>(n)))) return false;
  }
}

}  // namespace

int FileCopy(const std::string& infilename, const std::string& outfilename, std::string& error) {
  // O_NONBLOCK and the regular-file check: a pipe given as the source must
  // not hang the copy.
  const int in = ::open(infilename.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  struct stat info {};
  if (in < 0 || ::fstat(in, &info) != 0 || !S_ISREG(info.st_mode)) {
    if (in >= 0) ::close(in);
    error = "read error";
    return -1;
  }
  std::string copyError;
  const bool ok = saveFileAtomically(
      outfilename,
      [&](AtomicFileOutput& out, std::string& writerError) {
        const bool copied = copyBlocks(in, out, writerError);
        copyError = writerError;
        return copied;
      },
      error);
  ::close(in);
  if (ok) return 0;
  // Source problems are told with their own short texts; target problems
  // keep the file name and reason from the save.
  if (!copyError.empty()) error = copyError;
  return -1;
}

std::string upperExtension(std::string_view filename) {
  const std::size_t slash = filename.find_last_of('/');
  const std::size_t dot = filename.find_last_of('.');
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return {};
  return stUpcase(filename.substr(dot));
}

}  // namespace vargaze
