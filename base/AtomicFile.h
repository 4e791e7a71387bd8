// Replacing a file without ever leaving a half-written one behind.
//
// The new content goes to a temporary file in the target's folder, which is
// flushed to disk and then renamed over the target. On any failure the
// temporary file is removed and the old file stays as it was.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>

namespace vargaze {

// The temporary file the writer fills. Every write is checked; after the first
// failure further writes fail too and `error()` names the file and the reason.
class AtomicFileOutput {
 public:
  AtomicFileOutput(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  AtomicFileOutput(const AtomicFileOutput&) = delete;
  AtomicFileOutput& operator=(const AtomicFileOutput&) = delete;

  bool write(std::string_view bytes);
  bool failed() const { return !error_.empty(); }
  const std::string& error() const { return error_; }

 private:
  int fd_;
  std::string path_;
  std::string error_;
};

// Fills the new file. Returns false to abandon the save; `error` then says why
// (it may stay empty when a write to `out` failed, which reports itself).
using AtomicFileWriter = std::function<bool(AtomicFileOutput& out, std::string& error)>;

// Writes `path` through `writer` as described above. Returns false with an
// English text naming the file and the reason in `error`.
bool saveFileAtomically(const std::string& path, const AtomicFileWriter& writer,
                        std::string& error);

}  // namespace vargaze
