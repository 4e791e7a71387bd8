// Loads the input as a project file (".vgp") into a fresh series with
// LoadProjectfile; its frames and ROI file are looked for in the scratch
// folder, where none exists, so the load parses and applies the whole file
// and then fails to show frame 1.
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "base/Errors.h"
#include "photometry/RoiWindow.h"
#include "photometry/StarInfo.h"
#include "series/ProjectFile.h"
#include "series/Series.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = vargaze::fuzz::writeInput("project.vgp", data, size);
  vargaze::Settings settings;
  vargaze::fuzz::SilentUi ui;
  vargaze::MainWindowFlags flags;
  vargaze::ImageWindowState imgwin;
  vargaze::RoiWindow win(settings, ui, flags, imgwin);
  vargaze::Series series(settings, ui, win);
  vargaze::CompTypeState compType;
  vargaze::ProjectLoadOptions options;
  options.askForCurve = false;
  options.compType = &compType;
  try {
    vargaze::LoadProjectfile(series, path, options);
  } catch (const vargaze::Error&) {
  }
  return 0;
}
