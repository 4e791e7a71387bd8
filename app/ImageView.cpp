#include "app/ImageView.h"

#include <algorithm>

#include "app/Application.h"
#include "base/Numbers.h"
#include "base/Strings.h"

namespace vargaze {

namespace {

// Full levels on a true-colour display: no hardware palette to share.
constexpr int kBitmapMax = 255;
// The readout's maximum looks this far around the pixel (an 11 x 11 square).
constexpr std::int32_t kMaxReach = 5;

}  // namespace

ImageView::ImageView(Application& app) : app_(app) {}

const Timgbuffer* ImageView::frame() const {
  const Timgbuffer* img = app_.series.img.get();
  return img != nullptr && img->hasImage() ? img : nullptr;
}

double ImageView::zoom() const { return app_.settings.ZoomFactor; }

void ImageView::ShowImage() {
  app_.imageWindow.title = title();
  bitmap_ = TIndexImage{};
  // The command line shows no picture: the title is all it needs.
  const Timgbuffer* img = app_.series.displaysFrames ? frame() : nullptr;
  if (img != nullptr) {
    bitmap_ = LoadfromBufferGamma(*img, app_.series.displayLower, app_.series.displayUpper,
                                  1.0 / app_.series.gamma(), kBitmapMax);
  }
  imgwidth_ = roundToInt32(bitmap_.width * zoom());
  imgheight_ = roundToInt32(bitmap_.height * zoom());
  ++generation_;
}

TPalette256 ImageView::palette() const {
  TPalette256 pal;
  GetGrayPalette(pal, app_.series.controls.InvertCheckBox);
  return pal;
}

ScreenPoint ImageView::imagePosition(std::int32_t x, std::int32_t y) const {
  return {roundToInt32(x / zoom()), roundToInt32(y / zoom())};
}

ScreenPoint ImageView::screenPosition(double x, double y) const {
  return {roundToInt32(x * zoom()), roundToInt32(y * zoom())};
}

ScreenPoint ImageView::clientSize(std::int32_t mainWidth, std::int32_t mainHeight) const {
  return {std::min(std::max(imgwidth_, 300), mainWidth - 50),
          std::min(std::max(imgheight_, 200), mainHeight - 150)};
}

std::string ImageView::readout(std::int32_t x, std::int32_t y) const {
  const Timgbuffer* img = frame();
  if (img == nullptr) return {};
  const ScreenPoint p = imagePosition(x, y);
  if (p.x < 0 || p.x > img->xsize - 1 || p.y < 0 || p.y > img->ysize - 1) return {};
  // Pixel columns and rows are 1-based: the 0-based position p is pixel p + 1.
  const std::int32_t column = p.x + 1;
  const std::int32_t row = p.y + 1;
  std::int32_t maximum = 0;
  for (std::int32_t i = std::max(1, column - kMaxReach);
       i <= std::min(img->xsize, column + kMaxReach); ++i) {
    for (std::int32_t j = std::max(1, row - kMaxReach);
         j <= std::min(img->ysize, row + kMaxReach); ++j) {
      maximum = std::max(maximum, img->getpixel(i, j));
    }
  }
  return "X=" + std::to_string(p.x) + " Y=" + std::to_string(p.y) +
         " I=" + std::to_string(img->getpixel(column, row)) + " Max=" + std::to_string(maximum);
}

std::string ImageView::title() const {
  const Timgbuffer* img = frame();
  if (img == nullptr) return {};
  std::string name = img->filename.substr(justpathname(img->filename).size());
  if (img->OBSTYPE == "DSLR") name += "(" + img->FilterName + ")";
  const std::int32_t offset = app_.settings.UToffset;
  // Raw camera files carry the camera's clock, which the offset corrects.
  if (offset != 0 && upperExtension(img->filename) == ".CR2") {
    return name + " " + img->Datetime + " (UTC corr. " + std::to_string(offset) + "h)";
  }
  return name + " " + img->Datetime + " (UTC)";
}

}  // namespace vargaze
