// The file-list editor: the series' file names as editable lines. The caller
// fills it from the file list and, when it was closed with "Save changes",
// rebuilds the series from `lines()` (an empty list is refused there).
#pragma once

#include <string>
#include <vector>

namespace vargaze {

class FileListEditor {
 public:
  static constexpr const char* kCaption = "File list";
  static constexpr const char* kSaveCaption = "Save changes";
  static constexpr const char* kCancelCaption = "Cancel";
  static constexpr const char* kAddFilesCaption = "Add files";
  static constexpr const char* kOpenDialogFileName = "Select files";
  static constexpr const char* kOpenDialogFilter = "Fits files|*.fit;*.fits|BMP files|*.bmp";

  // Filling the dialog is not an edit: `Changed` stays false.
  explicit FileListEditor(std::vector<std::string> lines = {}) : lines_(std::move(lines)) {}

  const std::vector<std::string>& lines() const { return lines_; }

  // The user edited the text.
  void setText(std::vector<std::string> lines);

  // "Add files": appends each chosen full name, in order, unless a line with
  // exactly that text is already there (earlier choices included).
  void addFiles(const std::vector<std::string>& chosen);

  void saveClick() { Savechanges = true; }
  void cancelClick() { Savechanges = false; }

  bool Changed = false;      // the text was edited since the dialog was filled
  bool Savechanges = false;  // closed with "Save changes"

 private:
  std::vector<std::string> lines_;
};

}  // namespace vargaze
