// ROIs placed and described without a mouse: the image window's two clicks
// (the star, then its background) and the star information dialog filled in
// and closed with "OK", through the same ROI window operations, so a ROI
// made from a script is the ROI the windows would make.
#pragma once

#include <cstdint>
#include <string>

#include "photometry/RoiWindow.h"

namespace vargaze {

class Application;

// Places a ROI centred on the star at the 0-based image position `star` and
// its background at `background`: on the star itself a ring, elsewhere a sky
// box. Returns the new ROI's number.
std::int32_t placeRoi(Application& app, Point star, Point background);

// What a user types into the star information dialog.
struct StarEntry {
  std::string name;           // empty: the ROI keeps its name
  std::int32_t type = kStarVar;
  std::string magnitude;      // catalogue value for the frame's filter; empty: none typed
};

// Fills the dialog for ROI `number` as the image window does after the
// background click, takes the entry and presses "OK". False when the dialog
// refused the input or the ROI window refused the type (its message says
// why); the ROI then keeps what it had.
bool describeRoi(Application& app, std::int32_t number, const StarEntry& entry);

}  // namespace vargaze
