#include "app/ImageMouse.h"

#include "app/Application.h"
#include "app/MainWindow.h"
#include "base/Numbers.h"

namespace vargaze {

namespace {

constexpr const char* kPlaceBackground = "Leeren Hintergrund mit linker Maustaste markieren";

}  // namespace

ImageMouse::ImageMouse(Application& app, MainWindowModel& main) : app_(app), main_(main) {}

void ImageMouse::DrawRectangleClick() {
  if (app_.series.imageLoaded) DoRect1 = true;
}

void ImageMouse::press(MouseButton button, std::int32_t x, std::int32_t y) {
  MainWindowFlags& flags = app_.flags;
  if (DoRect1) app_.imageView.Rect1 = ScreenRect{x, y, x, y};
  // The ROI button stays down: every click that awaits no background places
  // the next ROI.
  if (flags.BGROI < 0 && main_.ROIbuttonDown) {
    flags.NewROI = true;
    flags.EditROI = false;
  }
  if (button == MouseButton::Left && flags.EditROI) EditStart = {x, y};
}

void ImageMouse::move(std::int32_t x, std::int32_t y) {
  std::optional<ScreenRect>& rect = app_.imageView.Rect1;
  if (DoRect1 && rect) {
    rect->right = x;
    rect->bottom = y;
  }
}

void ImageMouse::release(MouseButton button, bool shift, std::int32_t x, std::int32_t y) {
  if (!app_.series.imageLoaded) return;
  if (DoRect1) {
    move(x, y);
    DoRect1 = false;
    return;
  }
  if (button != MouseButton::Left) return;
  MainWindowFlags& flags = app_.flags;
  RoiWindow& win = app_.roiWindow;
  const ScreenPoint at = app_.imageView.imagePosition(x, y);
  if (flags.NewROI) {
    flags.BGROI = win.Newroi(at.x, at.y);
    flags.NewROI = false;
    flags.EditROI = false;
    main_.statusPanel0 = kPlaceBackground;
  } else if (flags.EditROI) {
    const double zoom = app_.imageView.zoom();
    const Point movement{roundToInt32((x - EditStart.x) / zoom), roundToInt32((y - EditStart.y) / zoom)};
    const Point start{roundToInt32(EditStart.x / zoom), roundToInt32(EditStart.y / zoom)};
    win.MoveROI(start, movement, shift);
    main_.statusPanel0.clear();
  } else if (flags.BGROI < 0) {
    if (!flags.DCFROI) return;
    flags.BGROI = win.Newroi(at.x, at.y);
    main_.statusPanel0 = kPlaceBackground;
  } else {
    win.BGROI1(flags.BGROI, at.x, at.y);
    flags.BGROI = -1;
    flags.NewROI = true;
    flags.EditROI = false;
    main_.statusPanel0 = "ROIs OK";
    starInfoFor = win.ROIindex;
    app_.starInfo.prepare(win, win.ROIindex, 0, "", "");
  }
  win.ROIchanged = true;
}

}  // namespace vargaze
