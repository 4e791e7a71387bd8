#include "app/FileListEditor.h"

#include <algorithm>

namespace vargaze {

void FileListEditor::setText(std::vector<std::string> lines) {
  lines_ = std::move(lines);
  Changed = true;
}

void FileListEditor::addFiles(const std::vector<std::string>& chosen) {
  for (const std::string& name : chosen) {
    if (std::find(lines_.begin(), lines_.end(), name) != lines_.end()) continue;
    lines_.push_back(name);
    Changed = true;  // every change of the text counts as an edit
  }
}

}  // namespace vargaze
