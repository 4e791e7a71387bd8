// Line-based text files: CR LF line ends on writing, CR LF or LF on reading,
// Windows-1252 or UTF-8 as chosen by TextCodec.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace vargaze {

// Text files the program reads are small; anything larger is refused rather
// than read into memory (a hostile or mistaken file).
inline constexpr std::size_t kMaxTextFileBytes = 64u << 20;

// Reads all lines of a text file as UTF-8 strings, without their line ends.
// Each line is decoded on its own (files appended over time may mix the two
// encodings); a UTF-8 byte order mark at the start is dropped. Returns false
// with an English reason naming the file in `error`.
// Only regular files of at most `maxBytes` are read.
bool readTextLines(const std::string& path, std::vector<std::string>& lines, std::string& error,
                   std::size_t maxBytes = kMaxTextFileBytes);

// Replaces `path` by the lines, each ended with CR LF, encoded as one text.
// The old file stays untouched when anything fails (see AtomicFile.h).
bool saveTextFile(const std::string& path, const std::vector<std::string>& lines,
                  std::string& error);

// A text file written line by line while a long command runs (the run file),
// so the lines written so far survive a crash when they are flushed.
class TextFileWriter {
 public:
  enum class Mode { Create, Append };

  TextFileWriter() = default;
  ~TextFileWriter();
  TextFileWriter(const TextFileWriter&) = delete;
  TextFileWriter& operator=(const TextFileWriter&) = delete;

  // Opens (and with Create empties) the file; closes a file opened before.
  // With `flushEachLine` every written line is handed to the system at once.
  bool open(const std::string& path, Mode mode, bool flushEachLine = true);
  bool isOpen() const { return file_ != nullptr; }

  // Writes the line with CR LF; each line is encoded on its own.
  bool writeLine(std::string_view line);
  bool flush();
  // Closes the file; false when the last data could not be written.
  bool close();

  // The reason of the last failure, naming the file.
  const std::string& error() const { return error_; }

 private:
  bool fail(const char* what);

  std::FILE* file_ = nullptr;
  std::string path_;
  std::string error_;
  bool flushEachLine_ = true;
};

}  // namespace vargaze
