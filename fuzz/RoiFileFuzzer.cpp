// Loads the input as a ROI file (".roi") into a ROI window that already
// holds ROIs, with LoadROI; every ROI loaded is counted on a small frame.
#include <cstddef>
#include <cstdint>

#include "FuzzFrame.h"
#include "FuzzSupport.h"
#include "base/Errors.h"
#include "photometry/RoiFile.h"
#include "photometry/RoiWindow.h"
#include "photometry/StarInfo.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = vargaze::fuzz::writeInput("input.roi", data, size);
  vargaze::fuzz::FrameWindow frame;
  vargaze::RoiWindow& win = frame.win;
  vargaze::CompTypeState compType;
  try {
    win.Newroi(10, 20);
    win.Newroi(30, 20);
    vargaze::LoadROI(win, path, true, &compType);
    win.UpdateROItable(0);  // what the window does after loading
  } catch (const vargaze::Error&) {
  }
  return 0;
}
