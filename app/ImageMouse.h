// The mouse in the image window: a click on a star places a ROI there, a
// second click its background (on the star: a ring; elsewhere: a sky box),
// after which the star information is asked for; with the move button ROIs
// are dragged (with Shift all of them); "Rechteck einzeichnen" lets one drag
// a rectangle. Positions are screen pixels of the drawing area; the middle
// button's panning stays with the widget.
#pragma once

#include <cstdint>

#include "app/ImageView.h"

namespace vargaze {

class Application;
class MainWindowModel;

enum class MouseButton { Left, Middle, Right };

class ImageMouse {
 public:
  ImageMouse(Application& app, MainWindowModel& main);

  void press(MouseButton button, std::int32_t x, std::int32_t y);
  void move(std::int32_t x, std::int32_t y);
  void release(MouseButton button, bool shift, std::int32_t x, std::int32_t y);

  // "Rechteck einzeichnen": the next press starts a rectangle. Only with an
  // image loaded.
  void DrawRectangleClick();
  bool DoRect1 = false;

  // The ROI whose star information is to be asked for now (0: none); the
  // front end shows the dialog and sets it back to 0.
  std::int32_t starInfoFor = 0;

 private:
  Application& app_;
  MainWindowModel& main_;
  ScreenPoint EditStart;
};

}  // namespace vargaze
