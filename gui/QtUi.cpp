#include "gui/QtUi.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>

#include "gui/ProgressDialog.h"

namespace vargaze {

namespace {

const char* const kTitle = "VARGAZE";

QString qt(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

QtUi::QtUi() = default;
QtUi::~QtUi() = default;

void QtUi::showMessage(const std::string& text) {
  if (script_) {
    script_->messages.push_back(text);
    return;
  }
  QMessageBox box(QMessageBox::NoIcon, kTitle, qt(text), QMessageBox::NoButton, parent_);
  box.addButton("OK", QMessageBox::AcceptRole);
  box.exec();
}

bool QtUi::askYesNo(const std::string& text) { return ask(text, false) == Answer::Yes; }

UiPort::Answer QtUi::askYesNoCancel(const std::string& text) { return ask(text, true); }

UiPort::Answer QtUi::ask(const std::string& text, bool withCancel) {
  if (script_) {
    script_->questions.push_back(text);
    if (script_->answers.empty()) return Answer::Yes;
    const Answer answer = script_->answers.front();
    script_->answers.pop_front();
    return answer;
  }
  QMessageBox box(QMessageBox::Question, kTitle, qt(text), QMessageBox::NoButton, parent_);
  QPushButton* yes = box.addButton("Ja", QMessageBox::YesRole);
  QPushButton* no = box.addButton("Nein", QMessageBox::NoRole);
  QPushButton* cancel = withCancel ? box.addButton("Abbrechen", QMessageBox::RejectRole) : nullptr;
  box.setDefaultButton(yes);
  // Escape or closing the box means the most cautious answer.
  box.setEscapeButton(cancel ? cancel : no);
  box.exec();
  if (box.clickedButton() == yes) return Answer::Yes;
  if (box.clickedButton() == no || !cancel) return Answer::No;
  return Answer::Cancel;
}

void QtUi::processEvents() { QCoreApplication::processEvents(); }

ProgressDialog& QtUi::progressWindow() {
  if (!progress_) progress_ = std::make_unique<ProgressDialog>();
  return *progress_;
}

void QtUi::progressStart(int steps, const std::string& caption, const std::string& cancelText) {
  progressWindow().start(steps, caption, cancelText);
}

void QtUi::progressStep() {
  if (progress_) progress_->step();
}

void QtUi::progressStop() {
  if (progress_) progress_->stop();
}

bool QtUi::cancelRequested() { return progress_ && progress_->cancelRequested(); }

}  // namespace vargaze
