#include "gui/ProgressDialog.h"

#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace vargaze {

ProgressDialog::ProgressDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint),
      bar_(new QProgressBar(this)),
      cancelButton_(new QPushButton(this)) {
  setModal(false);
  bar_->setMinimumWidth(300);
  bar_->setTextVisible(false);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(bar_);
  layout->addWidget(cancelButton_, 0, Qt::AlignHCenter);
  layout->setSizeConstraint(QLayout::SetFixedSize);  // fitted to its content
  connect(cancelButton_, &QPushButton::clicked, this, [this] { model_.cancelClick(); });
  sync();
}

void ProgressDialog::start(int steps, const std::string& caption, const std::string& cancelText) {
  model_.startTask(steps, caption.empty() ? ProgressWindow::kDefaultCaption : caption, cancelText);
  sync();
  raise();
}

void ProgressDialog::step() {
  model_.stepit();
  sync();
}

void ProgressDialog::stop() {
  model_.stop();
  sync();
}

void ProgressDialog::sync() {
  setWindowTitle(QString::fromStdString(model_.caption));
  bar_->setRange(0, model_.maximum);
  bar_->setValue(model_.position);
  cancelButton_->setText(QString::fromStdString(model_.cancelCaption));
  cancelButton_->setVisible(model_.cancelVisible);
  cancelButton_->setEnabled(model_.cancelEnabled);
  setVisible(model_.shown);
}

}  // namespace vargaze
