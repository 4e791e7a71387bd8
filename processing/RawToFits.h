// "Raw-Bildserie nach Fits konvertieren": camera raw files (.CR2) to FITS
// files through the raw converter, one file per colour channel and frame,
// written beside the raw file as NAME_R.fit, NAME_G.fit or NAME_B.fit.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "series/Series.h"

namespace vargaze {

// The choice of the channel dialog.
inline constexpr std::uint8_t kRawChannelAll = 4;  // 1 red, 2 green, 3 blue, 4 all three

struct RawToFitsResult {
  bool listReplaced = false;         // the series now holds the chosen raw files
  std::vector<std::string> written;  // FITS files written, in order
  bool cancelled = false;            // stopped by the progress window's cancel
  bool failed = false;               // stopped by an error (a message said which)
};

// Converts the series. A selection (`chosen`, from the open dialog titled
// "Bilddateien auswählen") that holds raw files replaces the series' list by
// those files (others are left out, the extension's case does not matter)
// and the current image, which belonged to the old list, is cleared; an empty
// selection converts the series already loaded. `chooseChannel` returns 1 (R),
// 2 (G), 3 (B) or kRawChannelAll; anything else cancels. Nothing happens
// while a run owns the series (`runActive`).
//
// A single channel loads each frame like the series does (preprocessing
// included) with that channel; all three convert each raw file once per
// channel, turn portrait frames to landscape and mark the planes "TR", "TG",
// "TB". A converted picture is removed afterwards unless it existed before.
// Progress and cancel go through the UiPort; every exit restores
// `RGBcolornumber` and closes the progress. Messages: "Bitte erst
// Raw-Bildserie laden", "Funktion nur für ".CR2"-Dateien verfügbar",
// "Fehler beim Laden der Datei " + name, "Fehler beim Speichern der Datei " + name.
RawToFitsResult RawtoFitskonvertieren1Click(Series& series, const std::vector<std::string>& chosen,
                                            const std::function<std::uint8_t()>& chooseChannel);

// The FITS file of one channel (1..3) of a raw file: "/a/IMG_1.CR2", 2 ->
// "/a/IMG_1_G.fit". RangeError for another channel.
std::string rawChannelFilename(const std::string& rawfilename, std::uint8_t channel);

}  // namespace vargaze
