#include "gui/ColourChoiceDialog.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <span>

namespace vargaze {

ColourChoiceDialog::ColourChoiceDialog(ColourChoice& choice, bool all, QWidget* parent)
    : QDialog(parent), choice_(choice), group_(new QButtonGroup(this)) {
  choice_.allShown = all;
  setWindowTitle(ColourChoice::kCaption);
  setModal(true);

  auto* box = new QGroupBox(ColourChoice::kGroupTitle, this);
  auto* items = new QHBoxLayout(box);
  int id = 0;
  for (const char* item : all ? std::span<const char* const>(ColourChoice::kColorAllItems)
                              : std::span<const char* const>(ColourChoice::kColorItems)) {
    auto* button = new QRadioButton(item, box);
    group_->addButton(button, id++);
    items->addWidget(button);
  }
  // The model's getters fall back to "G" for an index out of range; so does the view.
  const std::uint8_t shown = all ? choice_.GetRGBcolorAll() : choice_.GetRGBColorNumber();
  group_->button(shown - 1)->setChecked(true);
  connect(group_, &QButtonGroup::idClicked, this, [this](int index) { selectedIndex() = index; });

  // Wide enough for the window title to show in full beside its buttons.
  box->setMinimumWidth(fontMetrics().horizontalAdvance(ColourChoice::kCaption) + 100);

  auto* ok = new QPushButton("OK", this);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(ColourChoice::kLabel, this));
  layout->addWidget(box);
  layout->addWidget(ok, 0, Qt::AlignHCenter);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

std::int32_t& ColourChoiceDialog::selectedIndex() {
  return choice_.allShown ? choice_.ColorGroupAllIndex : choice_.colorgroupIndex;
}

std::uint8_t askRGBColorNumber(QWidget* parent, ColourChoice& choice) {
  ColourChoiceDialog dialog(choice, false, parent);
  dialog.exec();
  return choice.GetRGBColorNumber();
}

std::uint8_t askRGBcolorAll(QWidget* parent, ColourChoice& choice) {
  ColourChoiceDialog dialog(choice, true, parent);
  dialog.exec();
  return choice.GetRGBcolorAll();
}

}  // namespace vargaze
