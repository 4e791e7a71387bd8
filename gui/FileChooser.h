// File dialogs behind a small interface: the windows ask a chooser for file
// names, the program gives them the Qt dialogs and the tests a script of
// answers. An empty answer means the user cancelled.
#pragma once

#include <deque>
#include <string>
#include <vector>

class QWidget;

namespace vargaze {

class FileChooser {
 public:
  virtual ~FileChooser() = default;

  // `filter` in Qt's form, e.g. "Fits files (*.fit *.fits);;BMP files (*.bmp)".
  virtual std::vector<std::string> openFiles(const std::string& title, const std::string& folder,
                                             const std::string& filter) = 0;
  virtual std::string openFile(const std::string& title, const std::string& folder,
                               const std::string& filter) = 0;
  virtual std::string saveFile(const std::string& title, const std::string& folder,
                               const std::string& filter, const std::string& proposedName) = 0;
};

class QtFileChooser : public FileChooser {
 public:
  explicit QtFileChooser(QWidget* parent = nullptr) : parent_(parent) {}
  void setParentWidget(QWidget* parent) { parent_ = parent; }

  std::vector<std::string> openFiles(const std::string& title, const std::string& folder,
                                     const std::string& filter) override;
  std::string openFile(const std::string& title, const std::string& folder,
                       const std::string& filter) override;
  std::string saveFile(const std::string& title, const std::string& folder,
                       const std::string& filter, const std::string& proposedName) override;

 private:
  QWidget* parent_;
};

// Answers from a queue, in order; an exhausted queue answers as a cancelled
// dialog. Every dialog's title is kept.
class ScriptedFileChooser : public FileChooser {
 public:
  std::vector<std::string> openFiles(const std::string& title, const std::string& folder,
                                     const std::string& filter) override;
  std::string openFile(const std::string& title, const std::string& folder,
                       const std::string& filter) override;
  std::string saveFile(const std::string& title, const std::string& folder,
                       const std::string& filter, const std::string& proposedName) override;

  std::deque<std::vector<std::string>> answers;  // openFile/saveFile take the first name
  std::vector<std::string> titles;

 private:
  std::vector<std::string> next(const std::string& title);
};

}  // namespace vargaze
