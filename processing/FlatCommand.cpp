#include "processing/FlatCommand.h"

#include <cstring>
#include <memory>

namespace vargaze {

namespace {

// The flat itself must not be flat-corrected by the loader with the previous
// master flat (which may not even fit its size).
bool loadFlatImage(Series& series, const std::string& flatfile, std::unique_ptr<Timgbuffer>& flat) {
  const bool flatOn = series.controls.FlatCheck;
  series.controls.FlatCheck = false;
  const bool loaded = series.LoadImage(flat, flatfile);
  series.controls.FlatCheck = flatOn;
  return loaded;
}

// Corrects `img` once; a pixel that overflows its type (RangeError) leaves
// the image as it was.
void correctKeepingOnFailure(Timgbuffer& img, const Timgbuffer& matrix) {
  const std::size_t bytes = static_cast<std::size_t>(img.pixelCount()) *
                            static_cast<std::size_t>(bytesPerPixel(img.bufferbyte));
  auto saved = std::make_unique_for_overwrite<std::byte[]>(bytes);
  std::memcpy(saved.get(), img.bufferpointer.get(), bytes);
  const std::int32_t savedMax = img.bufferMax;
  try {
    img.Flatcorrection(matrix);
  } catch (...) {
    std::memcpy(img.bufferpointer.get(), saved.get(), bytes);
    img.bufferMax = savedMax;
    throw;
  }
}

}  // namespace

FlatResult FlatCommand::Flatkorrektur1Click(const std::string& flatfile) {
  UiPort& ui = series_.ui();
  std::unique_ptr<Timgbuffer> flat;
  if (!loadFlatImage(series_, flatfile, flat)) {
    ui.showMessage("Bild kann nicht geladen werden");
    return FlatResult::NotLoaded;
  }
  // A flat refused as a matrix would make every later frame fail to load.
  if (!flat->MakeFlatmatrix()) {
    ui.showMessage("Master Flat kann nicht verwendet werden");
    return FlatResult::Unusable;
  }
  series_.flatimg = std::move(flat);
  Flatfilename = flatfile;

  Timgbuffer* img = series_.img.get();
  if (!series_.imageLoaded || img == nullptr || !img->hasImage()) return FlatResult::Prepared;
  const Timgbuffer& matrix = *series_.flatimg;
  if (img->xsize != matrix.xsize || img->ysize != matrix.ysize) {
    ui.showMessage("Master Flat passt nicht zu geladenem Bild");
    return FlatResult::Mismatch;
  }
  if (!img->flatcorrected) correctKeepingOnFailure(*img, matrix);
  // On before the redisplay, so that a frame the display reloads is corrected too.
  series_.controls.FlatCheck = true;
  // The image on display, which after a single image is not a frame of the list.
  series_.Display(series_.img->filename);
  return FlatResult::Applied;
}

void FlatCommand::FlatCheckClick(bool checked, const std::function<std::string()>& chooseFlat) {
  if (!checked) {
    series_.controls.FlatCheck = false;
    return;
  }
  const std::string flatfile = chooseFlat ? chooseFlat() : std::string();
  if (flatfile.empty()) return;
  Flatkorrektur1Click(flatfile);
}

}  // namespace vargaze
