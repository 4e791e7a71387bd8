// The processing commands on the series in one table: what refuses them (with
// the exact message), a failure that ends them but keeps the files written
// before, the user's cancel between frames (and the display after a line
// removal). The series keeps its files byte for byte, and the run flag and
// colour channel are given back.
#include <filesystem>
#include <functional>

#include "processing/Background.h"
#include "processing/CrossCorrelation.h"
#include "processing/ImageSave.h"
#include "processing/JpegExport.h"
#include "processing/LineRemoval.h"
#include "processing/ProcessingRig.h"
#include "processing/RawToFits.h"
#include "support/EnvGuard.h"

namespace vargaze {
namespace {

using Rig = test::ProcessingRig;
using test::Texts;

struct Case {
  const char* name;
  std::function<void(Rig&)> setup;
  std::function<bool(Rig&)> run;  // true when the command says it did its work
  bool done;
  Texts messages = {};    // "@" stands for the test's folder and "/"
  Texts written = {};     // files in that folder that must exist
  Texts notWritten = {};  // and files that must not
};

void nothing(Rig&) {}
void twoFrames(Rig& t) { t.open({"a.fit", "b.fit"}); }
void threeRois(Rig& t) { twoFrames(t); t.cornerRois(3); }
void sky(Rig& t) { twoFrames(t); t.cornerRois(); }
void skyInARun(Rig& t) { sky(t); t.series.runActive = true; }
void rawSeries(Rig& t) {
  t.frames = {t.rawFile("A.CR2"), t.rawFile("B.CR2")};
  t.series.RGBcolornumber = 1;  // to be given back
}
// The user presses cancel while the second round of events is processed.
void cancelLater(Rig& t) { t.ui.cancelAfterEvents = t.ui.eventsProcessed + 2; }
void dcfSeriesWith(Rig& t, const std::string& name, const std::string& bytes) {
  t.openDcf({true});
  t.frames.push_back(t.dir.file(name));
  test::writeBytes(t.frames.back(), bytes);
  t.series.filelist1 = t.frames;
}

bool subtract(Rig& t) { return Backgroundsubtraction1Click(t.series, t.dir.file("sky.fit")); }
bool removeLines(Rig& t) { return EliminateLinesClick(t.series); }
bool correlate(Rig& t) { return test11Click(t.series).has_value(); }
bool saveTo(Rig& t, const char* name) { return Saveimage1Click(t.series, t.dir.file(name)); }
bool evaluateDcf(Rig& t) { return getDCFtime1Click(t.series, t.dir.file("dcf.prn")).has_value(); }
bool converted(Rig& t, const Texts& names) {
  const RawToFitsResult r = t.convert(names);
  return r.listReplaced || !r.written.empty() || r.failed || r.cancelled;
}
bool convertedWithoutConverter(Rig& t, std::uint8_t channel) {
  const test::EnvGuard missing("VARGAZE_RAW_CONVERTER", t.dir.file("no-such-program"));
  return !t.convert({"A.CR2", "B.CR2"}, channel).failed;
}

const char* const kOnlyRaw = "Funktion nur für \".CR2\"-Dateien verfügbar";

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

const Case kCases[] = {
    {"BackgroundWithoutImage", nothing, subtract, false, {"Kein Bild geladen"}, {}, {"sky001.fit"}},
    {"BackgroundWithoutRoi", twoFrames, subtract, false, {"Kein Background definiert."}},
    {"BackgroundWithThreeSamples", threeRois, subtract, false, {"zu wenig Messpunkte"}, {},
     {"sky001.fit"}},
    {"BackgroundOntoAFrame", [](Rig& t) { t.open({"sky001.fit", "sky002.fit"}); t.cornerRois(); },
     [](Rig& t) { return Backgroundsubtraction1Click(t.series, t.dir.file("./sky.fit")); }, false,
     {"Zieldatei gehört zur Serie: @./sky001.fit"}},
    {"BackgroundDuringARun", skyInARun, subtract, false, {}, {}, {"sky001.fit"}},
    {"BackgroundFrameMissing", [](Rig& t) { sky(t); std::filesystem::remove(t.frames[1]); },
     subtract, false, {"Fehler beim Laden der Datei @b.fit"}, {"sky001.fit"}, {"sky002.fit"}},
    {"BackgroundCancelled", [](Rig& t) { sky(t); cancelLater(t); }, subtract, false, {},
     {"sky001.fit"}, {"sky002.fit"}},
    {"JpegExportSkipsAMissingFrame",
     [](Rig& t) { t.open({"a.fit", "b.fit", "c.fit"}); std::filesystem::remove(t.frames[1]); },
     [](Rig& t) {
       const JpegExportResult r = JPGexport(t.series, t.dir.file("m.jpg"));
       return r.written == 2 && r.skipped == 1 && !r.saveFailed;
     },
     true, {"Fehler beim Laden der Datei @b.fit"}, {"m001.JPG", "m003.JPG"}, {"m002.JPG"}},
    {"LineRemovalWithoutImage", nothing, removeLines, false, {"Kein Bild geladen"}},
    {"LineRemovalWithoutRoi", twoFrames, removeLines, false, {"Kein Background definiert."}},
    {"LineRemovalWithThreeSamples", threeRois, removeLines, false, {"zu wenig Messpunkte"}},
    {"LineRemovalDuringARun", skyInARun, removeLines, false},
    // Done: the display levels follow, from a stale maximum and contrast bar.
    {"LineRemovalRelevelsTheDisplay",
     [](Rig& t) { sky(t); t.series.img->bufferMax = 0; t.series.controls.LowerScrollBar = 300; },
     [](Rig& t) {
       return EliminateLinesClick(t.series) && t.series.img->bufferMax == 20100 &&
              t.series.controls.LowerScrollBar == 0;
     },
     true},
    {"ImageSaveWithoutImage", nothing, [](Rig& t) { return saveTo(t, "out.fit"); }, false,
     {"Kein Bild geladen"}, {}, {"out.fit"}},
    {"ImageSaveOntoAFrame", twoFrames, [](Rig& t) { return saveTo(t, "./a.fit"); }, false,
     {"Die Datei @./a.fit ist ein Bild der Serie und wird nicht überschrieben"}},
    {"CrossCorrelationWithoutImage", nothing, correlate, false, {"Kein Bild geladen"}},
    {"CrossCorrelationOfOneFrame", [](Rig& t) { t.open({"a.fit"}); }, correlate, false,
     {"2 Bilder müssen geladen sein"}},
    {"RawToFitsDuringARun", [](Rig& t) { t.rawFile("A.CR2"); t.series.runActive = true; },
     [](Rig& t) { return converted(t, {"A.CR2"}); }, false, {}, {}, {"A_G.fit"}},
    {"RawToFitsWithoutSeries", nothing, [](Rig& t) { return converted(t, {}); }, false,
     {"Bitte erst Raw-Bildserie laden"}},
    {"RawToFitsOfNoRawFile", twoFrames, [](Rig& t) { return converted(t, {"photo.jpg"}); }, false,
     {kOnlyRaw}},
    {"RawToFitsOfAFitsSeries", twoFrames, [](Rig& t) { return converted(t, {}); }, false,
     {kOnlyRaw}},
    {"RawToFitsWithoutConverter", rawSeries, [](Rig& t) { return convertedWithoutConverter(t, 2); },
     false, {"Fehler beim Laden der Datei @A.CR2"}, {}, {"A_G.fit"}},
    {"RawToFitsAllChannelsWithoutConverter", rawSeries,
     [](Rig& t) { return convertedWithoutConverter(t, kRawChannelAll); }, false,
     {"Fehler beim Laden der Datei @A.CR2"}, {}, {"A_R.fit"}},
    {"RawToFitsCancelled", [](Rig& t) { rawSeries(t); cancelLater(t); },
     [](Rig& t) { return !t.convert({"A.CR2", "B.CR2"}).cancelled; }, false, {}, {"A_G.fit"},
     {"B_G.fit"}},
    {"DcfMarkerWithoutImage", nothing,
     [](Rig& t) { return placeDcfMarker(t.series, 11, 11, 4, 4) != 0; }, false,
     {"Load image first"}},
    {"DcfWithoutMarker", [](Rig& t) { t.openDcf({true, false}, false); }, evaluateDcf, false,
     {"DCF Marker muss erst gesetzt werden!"}, {}, {"dcf.prn"}},
    {"DcfFrameNotBmp", [](Rig& t) { dcfSeriesWith(t, "a.fit", test::frameBytes({})); },
     evaluateDcf, false, {"Kann Datei nicht laden"}, {}, {"dcf.prn"}},
    {"DcfBrokenBmp", [](Rig& t) { dcfSeriesWith(t, "broken.bmp", "BM not really"); }, evaluateDcf,
     false, {"Kann BMP-Datei nicht laden"}, {}, {"dcf.prn"}},
};

class SeriesCommandTest : public Rig, public ::testing::WithParamInterface<Case> {};

TEST_P(SeriesCommandTest, EndsAsExpected) {
  const Case& c = GetParam();
  c.setup(*this);
  const auto bytes = [this] {
    Texts all;
    for (const std::string& f : frames) all.push_back(test::readBytes(f));
    return all;
  };
  const Texts before = bytes();
  const bool running = series.runActive;
  const std::uint8_t channel = series.RGBcolornumber;
  EXPECT_EQ(c.run(*this), c.done);
  Texts expected = c.messages;
  for (std::string& m : expected) {
    if (m.find('@') != std::string::npos) m.replace(m.find('@'), 1, dir.file(""));
  }
  EXPECT_EQ(ui.messages, expected);
  for (const std::string& f : c.written) EXPECT_TRUE(std::filesystem::exists(dir.file(f))) << f;
  for (const std::string& f : c.notWritten) EXPECT_FALSE(std::filesystem::exists(dir.file(f))) << f;
  EXPECT_EQ(series.filelist1, frames);
  EXPECT_EQ(bytes(), before);
  EXPECT_EQ(std::pair(series.runActive, series.RGBcolornumber), std::pair(running, channel));
}

INSTANTIATE_TEST_SUITE_P(Processing, SeriesCommandTest, ::testing::ValuesIn(kCases),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace vargaze
