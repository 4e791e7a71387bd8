// Reads the star information sections of the input as a project file into a
// ROI window of three ROIs on a small frame, with LoadStarinfos (ring sizes
// from the input count the ROIs again).
#include <cstddef>
#include <cstdint>

#include "FuzzFrame.h"
#include "FuzzSupport.h"
#include "base/Errors.h"
#include "photometry/RoiFile.h"
#include "photometry/RoiWindow.h"
#include "photometry/StarInfo.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = vargaze::fuzz::writeInput("field.vgp", data, size);
  vargaze::fuzz::FrameWindow frame;
  vargaze::RoiWindow& win = frame.win;
  vargaze::CompTypeState compType;
  try {
    for (std::int32_t i = 0; i < 3; ++i) win.Newroi(10 + 10 * i, 20);
    vargaze::LoadStarinfos(win, path, &compType);
    win.UpdateROItable(0);  // what the window does after loading
  } catch (const vargaze::Error&) {
  }
  return 0;
}
