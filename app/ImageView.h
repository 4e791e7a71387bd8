// The image window as a model: the display bitmap of the frame on display at
// the current zoom, the mapping between screen and image positions, the
// overlays the window draws (ROI frames with their numbers, rings and sky
// boxes, the track-star circle, the user rectangle), the pixel readout and the
// window title. The widget paints `bitmap()` through `palette()` stretched to
// `imgwidth` x `imgheight` and draws `overlays()` over it, in their order.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "image/DisplayMap.h"

namespace vargaze {

class Application;

// A rectangle in screen pixels of the drawing area (not zoomed again);
// corners as drawn, right and bottom included.
struct ScreenRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
  bool operator==(const ScreenRect&) const = default;
};

struct ScreenPoint {
  std::int32_t x = 0;
  std::int32_t y = 0;
  bool operator==(const ScreenPoint&) const = default;
};

// One ROI as drawn: a solid outline in `colour` (0xRRGGBB) for the star box,
// the number at `labelAt`, and the background: the outer square (ring or sky
// box) and, for a ring wider than the star box, its inner square.
struct RoiOverlay {
  std::int32_t number = 0;
  std::uint32_t colour = 0;
  ScreenRect starBox;
  ScreenPoint labelAt;
  std::optional<ScreenRect> outerBox;
  std::optional<ScreenRect> innerBox;
};

// Everything the window draws over the picture, in screen pixels, placed
// where the ROIs are measured on the frame on display (their centres already
// follow the field's drift, so no shift is added for drawing).
struct ImageOverlays {
  std::optional<ScreenRect> userRect;  // white, XOR: drawn first
  std::vector<RoiOverlay> rois;        // in drawing order: 17.. first, then 1..16
  std::optional<ScreenRect> trackstarCircle;  // red dashed ellipse in this box
};

// Frame colour of ROI `number` (1-based): the sixteen colours of the ROI
// table, grey (0x808080) above 16.
std::uint32_t roiColour(std::int32_t number);

class ImageView {
 public:
  explicit ImageView(Application& app);

  // Rebuilds the display bitmap of the frame on display between the series'
  // display levels with the gamma of the gamma box, and the drawing size at
  // the current zoom. Without a frame the bitmap is empty. Also sets the
  // image window's title, which the ROI results file's heading reads.
  void ShowImage();
  const TIndexImage& bitmap() const { return bitmap_; }
  // The grey colour table, inverted when "Invert" is checked.
  TPalette256 palette() const;
  // Incremented by every ShowImage, so a widget knows when to repaint.
  std::uint64_t generation() const { return generation_; }

  // Size of the picture on screen: bitmap size x zoom, rounded.
  std::int32_t imgwidth() const { return imgwidth_; }
  std::int32_t imgheight() const { return imgheight_; }
  double zoom() const;

  // 0-based image position under screen position (x, y), ties to even.
  ScreenPoint imagePosition(std::int32_t x, std::int32_t y) const;
  // Screen position of a 0-based image position, ties to even.
  ScreenPoint screenPosition(double x, double y) const;

  // The window's client size for a main window whose client area is
  // `mainWidth` x `mainHeight`: the picture, at least 300 x 200, at most
  // the main window less 50 x 150.
  ScreenPoint clientSize(std::int32_t mainWidth, std::int32_t mainHeight) const;

  // The overlays at the current zoom; the widget draws them only over a
  // picture.
  ImageOverlays overlays() const;

  // Status panel 1 for the mouse at screen (x, y): "X=.. Y=.. I=.. Max=.."
  // or empty outside the frame.
  std::string readout(std::int32_t x, std::int32_t y) const;

  // The window's caption: the file name (with "(filter)" for DSLR frames),
  // the date-time and "(UTC)", or "(UTC corr. Nh)" for raw camera files read
  // with a time offset; empty without a frame.
  std::string title() const;

  // The user rectangle ("Rechteck einzeichnen"), in screen pixels.
  std::optional<ScreenRect> Rect1;

 private:
  const Timgbuffer* frame() const;

  Application& app_;
  TIndexImage bitmap_;
  std::int32_t imgwidth_ = 0;
  std::int32_t imgheight_ = 0;
  std::uint64_t generation_ = 0;
};

}  // namespace vargaze
