// File names from the export windows' save dialogs: the dialogs' default
// extension, added when the user typed a name without one, and the folder a
// dialog starts in.
#pragma once

#include <filesystem>
#include <string>

namespace vargaze {

// `name` with `extension` (".csv") appended when its file name has none; an
// empty name (a cancelled dialog) stays empty.
inline std::string withDefaultExtension(const std::string& name, const std::string& extension) {
  if (name.empty() || std::filesystem::path(name).has_extension()) return name;
  return name + extension;
}

// The folder of `file`, where a save dialog for a file next to it starts.
inline std::string folderOf(const std::string& file) {
  return std::filesystem::path(file).parent_path().string();
}

}  // namespace vargaze
