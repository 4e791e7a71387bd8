// "Flatkorrektur": a master flat for the series. The chosen flat image becomes
// the flat matrix `flatimg`, the current image is corrected with it and the
// series' flat correction (`FlatCheck`) is switched on, so every frame loaded
// afterwards is corrected as well. The front end asks for the file.
#pragma once

#include <functional>
#include <string>

#include "series/Series.h"

namespace vargaze {

enum class FlatResult {
  NotLoaded,  // the file could not be read; the previous flat stays
  Unusable,   // no flat matrix can be made of it (empty or too dark); the previous flat stays
  Prepared,   // flat matrix made, no image loaded to correct
  Mismatch,   // flat matrix made, but the loaded image has another size
  Applied,    // flat matrix made, the current image corrected and shown, FlatCheck on
};

class FlatCommand {
 public:
  explicit FlatCommand(Series& series) : series_(series) {}

  // Makes the master flat from `flatfile` (any image format the series
  // loads, with the series' binning and orientation) and applies it to the
  // current image unless that is already flat-corrected. Messages:
  // "Bild kann nicht geladen werden", "Master Flat passt nicht zu geladenem
  // Bild", "Master Flat kann nicht verwendet werden".
  FlatResult Flatkorrektur1Click(const std::string& flatfile);

  // The check box "Flat corr." changed. Checking it runs the command with the
  // file `chooseFlat` returns (empty: cancelled, the box stays off);
  // unchecking only stops the loader from applying the flat.
  void FlatCheckClick(bool checked, const std::function<std::string()>& chooseFlat);

  // Name of the master flat in use; empty before the first one.
  std::string Flatfilename;

 private:
  Series& series_;
};

}  // namespace vargaze
