// Raw camera files through the outside converter (dcraw, or any program with
// its options): finding it, running it without a shell, and telling the PPM
// file it writes from a stale one that an earlier run left behind.
//
// A conversion runs the converter twice on the raw file:
//   conv -i -v RAWFILE   camera information, standard output into the info file
//   conv -4 -t 0 RAWFILE linear 16-bit PPM, unrotated, written as RAWFILE.ppm
#pragma once

#include <sys/stat.h>

#include <chrono>
#include <cstdint>
#include <string>

namespace vargaze {

// A raw frame converts in seconds; a converter that hangs is stopped after
// this long instead of blocking the program for ever.
inline constexpr std::chrono::milliseconds kRawConverterTimeLimit = std::chrono::minutes(10);

// Environment variable naming the converter program (tests use it).
inline constexpr const char* kRawConverterVariable = "VARGAZE_RAW_CONVERTER";
inline constexpr const char* kRawConverterName = "dcraw";

// Where the converter may be found; empty strings stand for "not set".
struct RawConverterSources {
  std::string environment;       // VARGAZE_RAW_CONVERTER
  std::string executableFolder;  // folder of the running program
  std::string searchPath;        // PATH
};

// The sources of this process: its environment and /proc/self/exe.
RawConverterSources currentRawConverterSources();

// The converter to run: the environment's choice as given; else an executable
// "dcraw" beside the program; else the first executable "dcraw" in an absolute
// folder of the search path. Empty when there is none.
std::string findRawConverter(const RawConverterSources& sources);

// The PPM file the converter writes for a raw file: the raw file's name with
// the extension ".ppm" ("/a/IMG_1.CR2" -> "/a/IMG_1.ppm").
std::string rawPpmFilename(const std::string& rawfilename);

// Made just before the converter starts: notes the time and the state of the
// PPM file, so that afterwards only a file written by this conversion counts.
class RawOutputCheck {
 public:
  explicit RawOutputCheck(std::string ppmfilename);

  // True when the PPM file exists and was written after this check was made:
  // it is new or changed, and its time is not older than the start (less the
  // 2-second step in which some file systems keep times).
  bool writtenByConversion() const;

  const std::string& ppmfilename() const { return ppm_; }

 private:
  std::string ppm_;
  std::int64_t startSeconds_ = 0;  // since 1970-01-01 UTC
  bool existed_ = false;
  struct stat before_ {};
};

// Converts the raw file `filename`: the information into `infofilename`, the
// pixels into rawPpmFilename(filename). True only when both runs ended with
// status 0 and a new PPM file is there; else false with the reason in `error`
// (converter not found, exit status, signal, time limit, no new PPM file).
bool ConvertRaw1(const std::string& filename, const std::string& infofilename, std::string& error,
                 std::chrono::milliseconds timeLimit = kRawConverterTimeLimit);
bool ConvertRaw1(const std::string& filename, const std::string& infofilename);

}  // namespace vargaze
