// The colour-channel dialog: asks which channel of a colour file to use, with
// "RGB" for all three in the variant that offers it. The choice lives in a
// ColourChoice, so the dialog opens on the channel chosen last time.
#pragma once

#include <QDialog>
#include <cstdint>

#include "app/ColourChoice.h"

class QButtonGroup;

namespace vargaze {

class ColourChoiceDialog : public QDialog {
  Q_OBJECT

 public:
  // `all` offers "RGB" as a fourth item.
  ColourChoiceDialog(ColourChoice& choice, bool all, QWidget* parent = nullptr);

  QButtonGroup* group() const { return group_; }

 private:
  std::int32_t& selectedIndex();

  ColourChoice& choice_;
  QButtonGroup* group_;
};

// 1 R, 2 G, 3 B.
std::uint8_t askRGBColorNumber(QWidget* parent, ColourChoice& choice);
// 1 R, 2 G, 3 B, 4 all three channels.
std::uint8_t askRGBcolorAll(QWidget* parent, ColourChoice& choice);

}  // namespace vargaze
