#include "gui/CurveSelectDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/CurveView.h"

namespace vargaze {

CurveSelectDialog::CurveSelectDialog(CurveSelectForm& form, QWidget* parent)
    : QDialog(parent), form_(form), list_(new QListWidget(this)) {
  setWindowTitle(CurveSelectForm::kCaption);
  list_->setObjectName("CurveSelectListBox");
  for (int i = 0; i < kCurveSelectionSize; ++i) {
    auto* item = new QListWidgetItem(QString::fromStdString(CurveSelectForm::itemText(i)), list_);
    item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
  }
  showChecks();

  auto* clear = new QPushButton(QString::fromUtf8(CurveSelectForm::kClearCaption), this);
  auto* selectAll = new QPushButton(QString::fromUtf8(CurveSelectForm::kSelectAllCaption), this);
  auto* ok = new QPushButton(CurveSelectForm::kOkCaption, this);
  clear->setObjectName("ClearButton");
  selectAll->setObjectName("SelectAllButton");
  ok->setObjectName("OKButton");
  ok->setDefault(true);
  connect(clear, &QPushButton::clicked, this, [this] {
    form_.ClearButtonClick();
    showChecks();
  });
  connect(selectAll, &QPushButton::clicked, this, [this] {
    form_.SelectAllButtonClick();
    showChecks();
  });
  connect(ok, &QPushButton::clicked, this, &CurveSelectDialog::OKButtonClick);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(clear);
  buttons->addWidget(selectAll);
  buttons->addWidget(ok);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(CurveSelectForm::kCaption, this));
  layout->addWidget(list_);
  layout->addLayout(buttons);
  // Sixteen items without a scroll bar.
  list_->setMinimumHeight(list_->sizeHintForRow(0) * kCurveSelectionSize + 2 * list_->frameWidth());
}

void CurveSelectDialog::showEvent(QShowEvent* event) {
  showChecks();
  QDialog::showEvent(event);
}

void CurveSelectDialog::showChecks() {
  for (int i = 0; i < kCurveSelectionSize; ++i) {
    list_->item(i)->setCheckState(form_.checked[static_cast<std::size_t>(i)] ? Qt::Checked
                                                                             : Qt::Unchecked);
  }
}

void CurveSelectDialog::OKButtonClick() {
  for (int i = 0; i < kCurveSelectionSize; ++i)
    form_.checked[static_cast<std::size_t>(i)] = list_->item(i)->checkState() == Qt::Checked;
  accept();
}

}  // namespace vargaze
