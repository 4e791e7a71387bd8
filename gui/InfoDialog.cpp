#include "gui/InfoDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "gui/Icons.h"

namespace vargaze {

InfoDialog::InfoDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
  setWindowTitle(InfoWindow::kCaption);
  setModal(false);

  auto* icon = new QLabel(this);
  icon->setPixmap(programIcon().pixmap(72, 72));
  auto* name = new QLabel(InfoWindow::kProgramName, this);
  QFont large = name->font();
  large.setPointSizeF(large.pointSizeF() * 2.4);
  large.setBold(true);
  name->setFont(large);
  auto* version = new QLabel(InfoWindow::kVersionText, this);

  auto* texts = new QVBoxLayout;
  texts->addStretch();
  texts->addWidget(name);
  texts->addWidget(version);
  texts->addStretch();
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(24, 20, 32, 20);
  layout->setSpacing(20);
  layout->addWidget(icon);
  layout->addLayout(texts);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void InfoDialog::showInfo() {
  model_.show();
  show();
  raise();
}

void InfoDialog::hideInfo() {
  model_.hide();
  hide();
}

void InfoDialog::mousePressEvent(QMouseEvent*) {
  hideInfo();
}

void InfoDialog::hideEvent(QHideEvent* event) {
  model_.hide();
  QDialog::hideEvent(event);
}

}  // namespace vargaze
