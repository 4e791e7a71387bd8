#include "processing/ImageSave.h"

#include <filesystem>
#include <system_error>

namespace vargaze {

namespace {

bool sameFile(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  std::error_code ec;
  if (std::filesystem::equivalent(a, b, ec)) return true;
  // A file that does not exist (any more) can still be named the same way.
  std::error_code ea;
  std::error_code eb;
  const auto ca = std::filesystem::weakly_canonical(a, ea);
  const auto cb = std::filesystem::weakly_canonical(b, eb);
  return !ea && !eb && ca == cb;
}

}  // namespace

bool isSeriesFile(const Series& series, const std::string& filename) {
  for (const std::string& frame : series.filelist1) {
    if (sameFile(frame, filename)) return true;
  }
  return series.img && sameFile(series.img->filename, filename);
}

bool Saveimage1Click(Series& series, const std::string& filename) {
  UiPort& ui = series.ui();
  if (!series.imageLoaded || !series.img || !series.img->hasImage()) {
    ui.showMessage("Kein Bild geladen");
    return false;
  }
  if (isSeriesFile(series, filename)) {
    ui.showMessage("Die Datei " + filename +
                   " ist ein Bild der Serie und wird nicht überschrieben");
    return false;
  }
  std::string error;
  if (!series.img->Writefitsfile(filename, error)) {
    ui.showMessage("Fehler beim Speichern der Datei " + filename);
    return false;
  }
  return true;
}

}  // namespace vargaze
