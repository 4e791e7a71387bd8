#include "gui/FileChooser.h"

#include <QDir>
#include <QFileDialog>

namespace vargaze {

namespace {

QString qt(const std::string& text) { return QString::fromStdString(text); }

std::string firstOrEmpty(const std::vector<std::string>& names) {
  return names.empty() ? std::string() : names.front();
}

}  // namespace

std::vector<std::string> QtFileChooser::openFiles(const std::string& title,
                                                  const std::string& folder,
                                                  const std::string& filter) {
  std::vector<std::string> names;
  for (const QString& name : QFileDialog::getOpenFileNames(parent_, qt(title), qt(folder), qt(filter)))
    names.push_back(QDir::toNativeSeparators(name).toStdString());
  return names;
}

std::string QtFileChooser::openFile(const std::string& title, const std::string& folder,
                                    const std::string& filter) {
  const QString name = QFileDialog::getOpenFileName(parent_, qt(title), qt(folder), qt(filter));
  return QDir::toNativeSeparators(name).toStdString();
}

std::string QtFileChooser::saveFile(const std::string& title, const std::string& folder,
                                    const std::string& filter, const std::string& proposedName) {
  const QString start = proposedName.empty() ? qt(folder) : QDir(qt(folder)).filePath(qt(proposedName));
  const QString name = QFileDialog::getSaveFileName(parent_, qt(title), start, qt(filter));
  return QDir::toNativeSeparators(name).toStdString();
}

std::vector<std::string> ScriptedFileChooser::next(const std::string& title) {
  titles.push_back(title);
  if (answers.empty()) return {};
  std::vector<std::string> names = std::move(answers.front());
  answers.pop_front();
  return names;
}

std::vector<std::string> ScriptedFileChooser::openFiles(const std::string& title,
                                                        const std::string&, const std::string&) {
  return next(title);
}

std::string ScriptedFileChooser::openFile(const std::string& title, const std::string&,
                                          const std::string&) {
  return firstOrEmpty(next(title));
}

std::string ScriptedFileChooser::saveFile(const std::string& title, const std::string&,
                                          const std::string&, const std::string&) {
  return firstOrEmpty(next(title));
}

}  // namespace vargaze
