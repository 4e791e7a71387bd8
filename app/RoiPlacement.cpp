#include "app/RoiPlacement.h"

#include "app/Application.h"

namespace vargaze {

namespace {

// The dialog's magnitude field that belongs to a filter of the ROI window,
// typed into as the user types (B and V keep B-V in step).
void typeMagnitude(StarInfoDialog& dialog, std::int32_t filterType, const std::string& text) {
  switch (filterType) {
    case 2:
    case 6: dialog.BmagEditChange(text); break;
    case 1:
    case 4:
    case 8: dialog.RMagEdit = text; break;
    case 5: dialog.IMagEdit = text; break;
    default: dialog.VMagEditChange(text); break;  // V and the clear filters
  }
}

}  // namespace

std::int32_t placeRoi(Application& app, Point star, Point background) {
  RoiWindow& win = app.roiWindow;
  const std::int32_t number = win.Newroi(star.x, star.y);
  win.BGROI1(number, background.x, background.y);
  app.flags.BGROI = -1;
  win.ROIchanged = true;
  return number;
}

bool describeRoi(Application& app, std::int32_t number, const StarEntry& entry) {
  RoiWindow& win = app.roiWindow;
  StarInfoDialog& dialog = app.starInfo;
  dialog.prepare(win, number, kStarVar, "", "");
  if (!entry.name.empty()) dialog.StarnameEdit = entry.name;
  dialog.StarTypeGroupClick(entry.type);
  if (!entry.magnitude.empty()) typeMagnitude(dialog, win.FilterType, entry.magnitude);
  if (!dialog.accept(win)) return false;
  win.UpdateROItable(0);
  const TRoi1& roi = win.roi(number);
  return roi.starType() == entry.type;
}

}  // namespace vargaze
