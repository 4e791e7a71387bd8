// The program information window: shown by "Programm Info", hidden again by
// a click, by closing it or by the main window's information timer.
#pragma once

namespace vargaze {

struct InfoWindow {
  static constexpr const char* kCaption = "Info";
  static constexpr const char* kProgramName = "VARGAZE";
  static constexpr const char* kVersionText = "3.9.9  Juli 2023";
  // The information timer hides the window this long after it was shown.
  static constexpr int kHideIntervalMs = 2000;

  bool shown = false;

  void show() { shown = true; }
  void hide() { shown = false; }
};

}  // namespace vargaze
