#include "app/RoiWindowCommands.h"

#include "app/Application.h"

namespace vargaze {

RoiWindowCommands::RoiWindowCommands(Application& app) : snrForm(app.roiWindow), app_(app) {}

bool RoiWindowCommands::selectedIsRoi() const {
  const RoiWindow& win = app_.roiWindow;
  return win.RefstarEdit >= 1 && win.RefstarEdit <= win.count();
}

bool RoiWindowCommands::ROIclearBtnClick() {
  RoiWindow& win = app_.roiWindow;
  if (!selectedIsRoi()) return false;
  const std::int32_t number = win.RefstarEdit;
  if (!app_.ui().askYesNo("Markierung ROI " + std::to_string(number) + " löschen?")) return false;
  if (!win.DeleteROI(number)) return false;
  win.UpdateROItable(0);
  return true;
}

std::int32_t RoiWindowCommands::SetRefButtonClick() {
  RoiWindow& win = app_.roiWindow;
  if (!selectedIsRoi()) return 0;
  app_.starInfo.prepare(win, win.RefstarEdit, win.StartypeIndex, win.NameEdit, "");
  return win.RefstarEdit;
}

void RoiWindowCommands::starInfoClosed() { app_.roiWindow.UpdateROItable(0); }

void RoiWindowCommands::table1SelectCell(std::int32_t row) {
  RoiWindow& win = app_.roiWindow;
  if (row < 1 || row > win.count()) return;
  win.RefstarEdit = row;
  win.refstareditChange();
}

void RoiWindowCommands::AirmassEditChange(const std::string& text) {
  app_.roiWindow.AirmassEdit = text;
  app_.roiWindow.snr.airmass = airmassValue(text);
}

void RoiWindowCommands::SNRButtonClick(const std::function<bool()>& showDialog) {
  RoiWindow& win = app_.roiWindow;
  if (win.AirmassEdit.empty()) {
    app_.ui().showMessage("Bitte Airmass(Luftmasse) eintragen");
    return;
  }
  snrForm.FormShow();
  win.snr.SNRspecial = showDialog();
  win.UpdateROItable(0);
}

}  // namespace vargaze
