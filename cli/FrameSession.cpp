#include "cli/FrameSession.h"

namespace vargaze::cli {

FrameSession::FrameSession(const std::string& iniPath) : window(settings, ui, flags, imgwin) {
  loadSettings(iniPath, settings);
}

bool FrameSession::open(const std::string& imagePath) {
  std::string error;
  img = loadFrame(imagePath, error);
  if (!img) {
    reportError(error);
    return false;
  }
  imgwin.title = imagePath;
  window.setImage(img.get());
  window.FormShow();
  return true;
}

}  // namespace vargaze::cli
