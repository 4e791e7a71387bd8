// Names of the numbered files a series command writes: the frame number goes
// before the extension of the chosen name ("sky.fit" -> "sky001.fit").
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vargaze {

// Digits of the frame numbers of a series of `frameCount` frames: 3, or more
// when the count needs more, so that no two frames share a name and the names
// sort in frame order.
int frameNumberDigits(std::int32_t frameCount);

// `target` with `frame`, zero-padded to `digits`, inserted before the
// extension of its file name (".fit", ".FITS", ".fts", any other), or
// appended when the file name has no extension. Dots in folder names and a
// leading dot of the file name do not count as extensions.
std::string numberedName(const std::string& target, std::int32_t frame, int digits);

// The first of `outputs` that names one of `frames`: the same path once made
// absolute, with ".", ".." and symbolic links resolved; nullopt when none does.
std::optional<std::string> outputThatIsAFrame(const std::vector<std::string>& outputs,
                                              const std::vector<std::string>& frames);

}  // namespace vargaze
