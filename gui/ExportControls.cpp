#include "gui/ExportControls.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vargaze {

QGroupBox* exportRadioGroup(const char* caption, std::span<const char* const> items,
                            QButtonGroup* group, int checked, QWidget* parent) {
  auto* box = new QGroupBox(QString::fromUtf8(caption), parent);
  auto* column = new QVBoxLayout(box);
  int id = 0;
  for (const char* item : items) {
    auto* button = new QRadioButton(QString::fromUtf8(item), box);
    group->addButton(button, id++);
    column->addWidget(button);
  }
  column->addStretch();
  if (QAbstractButton* selected = group->button(checked)) selected->setChecked(true);
  return box;
}

}  // namespace vargaze
