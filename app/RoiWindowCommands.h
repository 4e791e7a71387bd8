// The ROI window's buttons and fields that reach beyond the window's own
// state: erasing a ROI after asking, the star information for the selected
// ROI, the table's row selection, the airmass field and "SNR+" with its
// dialog. The desktop program calls these and then shows the engine state.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "app/SnrForm.h"

namespace vargaze {

class Application;

class RoiWindowCommands {
 public:
  static constexpr const char* kTitle = "ROI information";

  explicit RoiWindowCommands(Application& app);

  // "Erase": asks "Markierung ROI n löschen?" for the ROI selected in the
  // number field; true when it was deleted (the image shows one ROI less).
  bool ROIclearBtnClick();

  // "Set" or a double click in the table: fills the star information dialog
  // for the selected ROI with its name and the chosen type. Returns the ROI
  // number the dialog is to be shown for, 0 when the number is no ROI's.
  std::int32_t SetRefButtonClick();
  // The star information dialog was closed: the table shows its outcome.
  void starInfoClosed();

  // A cell of table row `row` was selected (row 1 is ROI 1).
  void table1SelectCell(std::int32_t row);

  // The airmass field was edited; it is the scintillation's airmass when the
  // frame gives none.
  void AirmassEditChange(const std::string& text);

  // "SNR+": without an airmass only a message. Otherwise `showDialog` runs
  // the dialog (after its FormShow) modally and says whether it was closed
  // with "Use data"; the extended model is on exactly then. The button shows
  // the model's `SNRspecial`.
  void SNRButtonClick(const std::function<bool()>& showDialog);

  SnrForm snrForm;

 private:
  bool selectedIsRoi() const;

  Application& app_;
};

}  // namespace vargaze
