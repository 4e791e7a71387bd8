// The processing commands on series of frames the tests write: what refuses
// them (with the exact message), every save under injected failures, and the
// files they make read back (JPEG by libjpeg's own decoder) against values
// worked out by hand.
#include <csetjmp>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <jpeglib.h>  // after <cstdio>: it needs FILE and size_t

#include "image/RawConverter.h"
#include "processing/Background.h"
#include "processing/CrossCorrelation.h"
#include "processing/DcfCommand.h"
#include "processing/FlatCommand.h"
#include "processing/ImageSave.h"
#include "processing/JpegExport.h"
#include "processing/LineRemoval.h"
#include "processing/NumberedOutput.h"
#include "processing/RawToFits.h"
#include "support/EnvGuard.h"
#include "support/FaultInjection.h"
#include "support/ImageFileBytes.h"
#include "support/Lines.h"
#include "support/SeriesRig.h"
#include "support/StandInConverter.h"

namespace vargaze {
namespace {

namespace fs = std::filesystem;
using test::kHeight;
using test::kWidth;
using Texts = std::vector<std::string>;

// A 21 x 21 24-bit BMP: sky 10 and, when lit, a 3 x 3 lamp of 200 at columns
// and rows 10..12 (symmetric, so the reader's row order does not matter).
std::string dcfFrame(bool lit) {
  std::string out = "BM";
  for (std::uint32_t v : {54u + 64 * 21, 0u, 54u, 40u, 21u, 21u, 1u | 24u << 16, 0u, 0u, 0u, 0u,
                          0u, 0u}) {
    test::putLe32(out, v);
  }
  for (int row = 1; row <= 21; ++row) {
    for (int col = 1; col <= 21; ++col) {
      out.append(3, char(lit && row >= 10 && row <= 12 && col >= 10 && col <= 12 ? 200 : 10));
    }
    out += '\0';  // rows padded to 64 bytes
  }
  return out;
}

class Rig : public test::SeriesRig {
 public:
  using SeriesRig::dir;
  // Frames of twoStars() named `names`, opened as the series.
  void open(const Texts& names) {
    frames = writeFrames(names);
    ASSERT_TRUE(series.openSeries(frames));
  }
  void cornerRois(int count = 4) {  // ring ROIs on the sky near the corners
    const int at[][2] = {{10, 10}, {90, 10}, {10, 70}, {90, 70}};
    for (int i = 0; i < count; ++i) addRoi(at[i][0], at[i][1]);
  }
  // DCF frames f1.bmp.. as the series and, unless told otherwise, the marker
  // on the lamp of the first (lit) frame with its sky box around (4, 4).
  void openDcf(const std::vector<bool>& lit, bool marker = true) {
    frames.clear();
    for (std::size_t i = 0; i < lit.size(); ++i) {
      frames.push_back(dir.file("f" + std::to_string(i + 1) + ".bmp"));
      test::writeBytes(frames.back(), dcfFrame(lit[i]));
    }
    ASSERT_TRUE(series.openSeries(frames));
    if (marker) {
      ASSERT_EQ(placeDcfMarker(series, 11, 11, 4, 4), 1);
    }
  }
  std::string rawFile(const std::string& name) {
    test::writeBytes(dir.file(name), "raw");
    return dir.file(name);
  }
  RawToFitsResult convert(const Texts& names, std::uint8_t channel = 2) {
    Texts chosen;
    for (const std::string& name : names) chosen.push_back(dir.file(name));
    return RawtoFitskonvertieren1Click(series, chosen, [channel] { return channel; });
  }
  std::string lastMessage() const { return ui.messages.empty() ? "" : ui.messages.back(); }
  // Replaces "@" by the test's folder and "/".
  std::string here(std::string text) const {
    if (const auto at = text.find('@'); at != std::string::npos) text.replace(at, 1, dir.file(""));
    return text;
  }

  Texts frames;  // the files the series should hold
  test::StandInConverter converter{dir.path().string()};
};

struct Case {
  const char* name;
  std::function<void(Rig&)> setup;
  std::function<bool(Rig&)> run;  // true when the command says it did its work
  bool done;
  Texts messages = {};
  Texts written = {};     // files in the folder that must exist
  Texts notWritten = {};  // and files that must not
};

void nothing(Rig&) {}
void twoFrames(Rig& t) { t.open({"a.fit", "b.fit"}); }
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

const char* const kOnlyRaw = "Funktion nur für \".CR2\"-Dateien verfügbar";

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

const Case kCases[] = {
    {"BackgroundWithoutImage", nothing, subtract, false, {"Kein Bild geladen"}, {}, {"sky001.fit"}},
    {"BackgroundWithoutRoi", twoFrames, subtract, false, {"Kein Background definiert."}},
    {"BackgroundWithThreeSamples", [](Rig& t) { twoFrames(t); t.cornerRois(3); }, subtract, false,
     {"zu wenig Messpunkte"}, {}, {"sky001.fit"}},
    {"BackgroundOntoAFrame", [](Rig& t) { t.open({"sky001.fit", "sky002.fit"}); t.cornerRois(); },
     [](Rig& t) { return Backgroundsubtraction1Click(t.series, t.dir.file("./sky.fit")); }, false,
     {"Zieldatei gehört zur Serie: @./sky001.fit"}},
    {"BackgroundDuringARun", skyInARun, subtract, false, {}, {}, {"sky001.fit"}},
    {"BackgroundFrameMissing", [](Rig& t) { sky(t); fs::remove(t.frames[1]); }, subtract, false,
     {"Fehler beim Laden der Datei @b.fit"}, {"sky001.fit"}, {"sky002.fit"}},
    {"BackgroundCancelled", [](Rig& t) { sky(t); cancelLater(t); }, subtract, false, {},
     {"sky001.fit"}, {"sky002.fit"}},
    {"JpegExportSkipsAMissingFrame",
     [](Rig& t) { t.open({"a.fit", "b.fit", "c.fit"}); fs::remove(t.frames[1]); },
     [](Rig& t) {
       const JpegExportResult r = JPGexport(t.series, t.dir.file("m.jpg"));
       return r.written == 2 && r.skipped == 1 && !r.saveFailed;
     },
     true, {"Fehler beim Laden der Datei @b.fit"}, {"m001.JPG", "m003.JPG"}, {"m002.JPG"}},
    {"LineRemovalWithoutImage", nothing, removeLines, false, {"Kein Bild geladen"}},
    {"LineRemovalWithoutRoi", twoFrames, removeLines, false, {"Kein Background definiert."}},
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
    {"RawToFitsWithoutConverter", rawSeries,
     [](Rig& t) {
       const test::EnvGuard missing("VARGAZE_RAW_CONVERTER", t.dir.file("no-such-program"));
       return !t.convert({"A.CR2", "B.CR2"}).failed;
     },
     false, {"Fehler beim Laden der Datei @A.CR2"}, {}, {"A_G.fit"}},
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

// Besides: the series keeps its files byte for byte, and the run flag and
// colour channel are given back.
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
  const auto given = std::pair(series.runActive, series.RGBcolornumber);
  EXPECT_EQ(c.run(*this), c.done);
  Texts expected;
  for (const std::string& m : c.messages) expected.push_back(here(m));
  EXPECT_EQ(ui.messages, expected);
  for (const std::string& f : c.written) EXPECT_TRUE(fs::exists(dir.file(f))) << f;
  for (const std::string& f : c.notWritten) EXPECT_FALSE(fs::exists(dir.file(f))) << f;
  EXPECT_EQ(series.filelist1, frames);
  EXPECT_EQ(bytes(), before);
  EXPECT_EQ(std::pair(series.runActive, series.RGBcolornumber), given);
}

INSTANTIATE_TEST_SUITE_P(Processing, SeriesCommandTest, ::testing::ValuesIn(kCases),
                         [](const auto& row) { return std::string(row.param.name); });

// The saves that name their own files under injected failures: the target's
// folder is missing, a target name is a folder, the disk fills up while an
// earlier file of that name is replaced. Each is told with the file's name,
// ends the command and keeps the earlier file byte for byte.
struct SaveKind {
  const char* name;
  std::function<void(Rig&)> setup;
  std::function<bool(Rig&, const std::string& chosen)> save;  // true: every file written
  const char* chosen;
  // The file told of when the folder is missing; nullptr for raw-to-FITS,
  // which writes beside the raw file, in a folder that exists.
  const char* missingFolder;
  const char* folderTarget;  // a file of the save that is made a folder
  const char* fullDisk;      // the file the full disk hits, with an earlier version of it
  std::int64_t room;         // bytes the disk has left
};

void rawFile(Rig& t) {
  t.frames = {t.rawFile("A.CR2")};
  t.series.RGBcolornumber = 3;  // to be given back
}
bool converted(Rig& t, std::uint8_t channel) {
  const RawToFitsResult r = t.convert({"A.CR2"}, channel);
  return !r.failed && r.written.size() == (channel == kRawChannelAll ? 3u : 1u);
}
void threeFrames(Rig& t) { t.open({"a.fit", "b.fit", "c.fit"}); }

void PrintTo(const SaveKind& c, std::ostream* os) { *os << c.name; }

// Raw-to-FITS: room for the converter's picture, not for a FITS file.
const SaveKind kKinds[] = {
    {"BackgroundSeries", [](Rig& t) { threeFrames(t); t.cornerRois(); },
     [](Rig& t, const std::string& path) { return Backgroundsubtraction1Click(t.series, path); },
     "sky.fit", "no-such-folder/sky001.fit", "sky002.fit", "sky001.fit", 5000},
    {"JpegExport", threeFrames,
     [](Rig& t, const std::string& path) {
       const JpegExportResult r = JPGexport(t.series, path);
       return !r.saveFailed && r.written == 3;
     },
     "m.jpg", "no-such-folder/m001.JPG", "m002.JPG", "m001.JPG", 200},
    {"RawToFitsOneChannel", rawFile, [](Rig& t, const std::string&) { return converted(t, 1); },
     "A_R.fit", nullptr, "A_R.fit", "A_R.fit", 1000},
    {"RawToFitsAllChannels", rawFile,
     [](Rig& t, const std::string&) { return converted(t, kRawChannelAll); }, "A_R.fit", nullptr,
     "A_R.fit", "A_R.fit", 1000},
};

class SaveFaultTest : public Rig, public ::testing::WithParamInterface<SaveKind> {
 protected:
  // The save as the fault helpers run it; `message` is the user's last one.
  test::SaveAction action(const std::function<bool(const std::string&)>& save) {
    return [this, save](const std::string& path, std::string& message) {
      ui.messages.clear();
      const bool saved = save(path);
      message = lastMessage();
      return saved;
    };
  }
  Texts failed(const std::string& name) const {
    return {"Fehler beim Speichern der Datei " + dir.file(name)};
  }
};

TEST_P(SaveFaultTest, FailuresAreToldAndKeepEarlierFiles) {
  const SaveKind& k = GetParam();
  k.setup(*this);
  const auto save = action([&](const std::string& path) { return k.save(*this, path); });
  const std::uint8_t channel = series.RGBcolornumber;
  if (k.missingFolder != nullptr) {
    test::expectMissingFolderReported(dir, k.chosen, save);
    EXPECT_EQ(ui.messages, failed(k.missingFolder));
  }
  const std::string folder = dir.file(k.folderTarget);
  fs::create_directory(folder);
  std::string message;
  EXPECT_FALSE(save(dir.file(k.chosen), message));
  EXPECT_EQ(ui.messages, failed(k.folderTarget));
  EXPECT_EQ(series.RGBcolornumber, channel);
  fs::remove_all(folder);

  ASSERT_TRUE(save(dir.file(k.chosen), message)) << message;
  series.controls.InvertCheckBox = true;  // the JPEG files would differ now
  const std::string earlier = test::readBytes(dir.file(k.fullDisk));
  EXPECT_EQ(std::vector{test::expectFullDiskKeepsFile(dir.file(k.chosen), k.room, save)},
            failed(k.fullDisk));
  EXPECT_EQ(test::readBytes(dir.file(k.fullDisk)), earlier);
}

INSTANTIATE_TEST_SUITE_P(Processing, SaveFaultTest, ::testing::ValuesIn(kKinds),
                         [](const auto& row) { return std::string(row.param.name); });

// The saves that write the very file they are given: the shared set of faults
// (also a folder on the path that is a file), each told with that file's name.
TEST_F(SaveFaultTest, ImageSaveAndDcfResultTellEveryFault) {
  const auto told = [this](const std::function<bool(const std::string&)>& save) {
    return [this, save](const std::string& path, std::string& message) {
      ui.messages.clear();
      const bool saved = save(path);
      // Any other message counts as none, which the helpers fail.
      message = ui.messages == Texts{"Fehler beim Speichern der Datei " + path} ? lastMessage() : "";
      return saved;
    };
  };
  open({"a.fit"});
  test::expectSaveFaultsReported(
      dir, "saved.fit", told([this](const std::string& p) { return Saveimage1Click(series, p); }));
  openDcf({true, false, true});
  test::expectSaveFaultsReported(dir, "dcf.prn", told([this](const std::string& p) {
                                   return getDCFtime1Click(series, p).has_value();
                                 }));
}

// A JPEG file as libjpeg decodes it; pixels row by row from the top.
struct Decoded {
  int width = 0, height = 0, components = 0;
  bool progressive = true;
  std::vector<std::uint8_t> pixels;
  int red(int x, int y) const { return pixels[std::size_t((y * width + x) * components)]; }
};

struct DecodeErrors {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

// Plain C objects only between setjmp and the jump.
bool decode(const std::string& bytes, Decoded* out) {
  jpeg_decompress_struct cinfo;
  DecodeErrors errors;
  cinfo.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = [](j_common_ptr c) {
    std::longjmp(reinterpret_cast<DecodeErrors*>(c->err)->jump, 1);
  };
  if (setjmp(errors.jump) != 0) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
  jpeg_read_header(&cinfo, TRUE);
  out->progressive = jpeg_has_multiple_scans(&cinfo) != 0;
  jpeg_start_decompress(&cinfo);
  out->width = static_cast<int>(cinfo.output_width);
  out->height = static_cast<int>(cinfo.output_height);
  out->components = cinfo.output_components;
  out->pixels.resize(std::size_t(out->width * out->height * out->components));
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = &out->pixels[cinfo.output_scanline * unsigned(out->width * out->components)];
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return true;
}

class ResultTest : public Rig {
 protected:
  // A 16-bit FITS image with the pixel values of `value`.
  std::string writeImage(const std::string& name, const std::function<double(int, int)>& value,
                         int width = kWidth, int height = kHeight) {
    std::vector<double> pixels;
    for (int i = 0; i < width * height; ++i) pixels.push_back(value(i % width + 1, i / width + 1));
    test::writeBytes(dir.file(name), test::FitsBuilder(16, width, height).pixels(pixels).bytes());
    return dir.file(name);
  }
  std::string halves(const std::string& name, double left, double right, int w = kWidth,
                     int h = kHeight) {
    return writeImage(name, [=](int x, int) { return x <= w / 2 ? left : right; }, w, h);
  }
  Timgbuffer readBack(const std::string& name) const {
    Timgbuffer img;
    EXPECT_TRUE(img.Readfitsfile(dir.file(name))) << name;
    return img;
  }
  int at(int x, int y) const { return series.img->getpixel(x, y); }
};

TEST_F(ResultTest, BackgroundSubtractionTakesEachFramesOwnPlaneFromDisk) {
  frames = {writeImage("a.fit", [](int x, int y) { return 1000 + 2 * x + 3 * y; }),
            writeImage("b.fit", [](int x, int y) { return 3000 - 5 * x + y + (x == 50) * 900; })};
  win.AutocenterCheckBox = false;  // centring would climb the slopes
  ASSERT_TRUE(series.openSeries(frames));
  cornerRois();
  series.img->putpixel(20, 20, 60000);  // left by a command in memory: not a frame
  series.controls.LowerScrollBar = 300;
  ASSERT_TRUE(Backgroundsubtraction1Click(series, dir.file("sky.fit"))) << lastMessage();
  EXPECT_EQ(std::vector({ui.progressSteps, ui.progressDone}), std::vector({2, 2}));
  for (const char* name : {"sky001.fit", "sky002.fit"}) {
    const Timgbuffer out = readBack(name);
    ASSERT_EQ(out.xsize, kWidth);
    for (int y = 1; y <= kHeight; ++y) {
      for (int x = 1; x <= kWidth; ++x) {
        const bool column = name == std::string("sky002.fit") && x == 50;
        ASSERT_EQ(out.getpixel(x, y) - out.Offset1, column ? 1000 : 100) << name << x << ',' << y;
      }
    }
  }
  EXPECT_EQ(series.img->filename, dir.file("sky002.fit"));
  EXPECT_EQ(std::vector({series.Activeframe(), series.controls.LowerScrollBar}),
            std::vector({2, 0}));
  EXPECT_EQ(ui.messages, Texts{});
}

TEST_F(ResultTest, DcfPulsesFromTheLampFrames) {
  openDcf({true, true, false, false, true, false});
  ASSERT_TRUE(getDCFtime1Click(series, dir.file("dcf.prn")).has_value());
  // A lit frame: 9 lamp pixels of 200 - 10 above the sky, 1710 counts.
  EXPECT_EQ(test::crlfLines(test::readBytes(dir.file("dcf.prn"))),
            (Texts{"1, 1, 3420, 0", "5, 1, 1710, 4", "mittl. intervall=4 mittl. counts=1710",
                   "Jahr=unbekannt"}));
  EXPECT_EQ(series.img->filename, dir.file("f6.bmp"));  // the last frame stays on display
  EXPECT_EQ(series.Activeframe(), 6);
}

TEST_F(ResultTest, RawToFitsOneOrAllChannelsOfTheRawFiles) {
  ASSERT_TRUE(series.openSeries(writeFrames({"a.fit"})));
  const Texts raws = {rawFile("IMG_0001.CR2"), rawFile("img_0002.cr2")};  // any case
  series.RGBcolornumber = 3;
  const RawToFitsResult r = RawtoFitskonvertieren1Click(
      series, {raws[0], dir.file("photo.jpg"), raws[1]}, [] { return std::uint8_t{1}; });
  EXPECT_TRUE(r.listReplaced);
  EXPECT_EQ(series.filelist1, raws);
  EXPECT_EQ(std::vector({series.FramesLoaded, series.Activeframe(), ui.progressDone}),
            std::vector({2, 2, 2}));
  EXPECT_FALSE(series.imageLoaded);  // the old image is not a frame of the new list
  EXPECT_EQ(r.written, (Texts{dir.file("IMG_0001_R.fit"), dir.file("img_0002_R.fit")}));
  const Timgbuffer red = readBack("IMG_0001_R.fit");
  // Portrait turned to landscape, bottom sample first.
  EXPECT_EQ(std::vector({red.xsize, red.getpixel(1, 1), red.getpixel(2, 1)}),
            std::vector({2, 4, 1}));
  EXPECT_EQ(red.FilterName, "TR");
  EXPECT_EQ(series.RGBcolornumber, 3);  // the series' channel is given back
  EXPECT_FALSE(fs::exists(rawPpmFilename(raws[0])));
  EXPECT_EQ(settings.StartupDir, dir.file(""));

  // All three channels of the series now loaded; a picture there before stays.
  test::writeBytes(rawPpmFilename(raws[1]), "older");
  ASSERT_EQ(RawtoFitskonvertieren1Click(series, {}, [] { return kRawChannelAll; }).written.size(),
            6u);
  for (int c = 0; c < 3; ++c) {
    const std::string colour(1, "RGB"[c]);
    const Timgbuffer plane = readBack("IMG_0001_" + colour + ".fit");
    EXPECT_EQ(plane.FilterName, "T" + colour);
    EXPECT_EQ(std::vector({plane.getpixel(1, 1), plane.getpixel(2, 1)}),
              std::vector({4 + c, 1 + c}));
    EXPECT_EQ(plane.Datetime.substr(0, 19), "2026-12-05T13:33:08");
  }
  EXPECT_FALSE(fs::exists(rawPpmFilename(raws[0])));
  EXPECT_TRUE(fs::exists(rawPpmFilename(raws[1])));
}

// Master flat: left half 1000, right half 2000. Mean 1500, sample deviation
// 500 * sqrt(8000 / 7999) = 500.03, level round(1500 + 1.5 * 500.03) = 2250:
// factors 2.25 on the left and 1.125 on the right.
TEST_F(ResultTest, FlatCorrectsTheImageOnDisplayAndLaterFramesButNeverTwice) {
  FlatCommand command{series};
  open({"a.fit", "b.fit"});
  const std::string flat = halves("flat.fit", 1000, 2000);
  EXPECT_EQ(command.Flatkorrektur1Click(flat), FlatResult::Applied);
  EXPECT_EQ(std::vector({at(1, 1), at(kWidth, 1)}), std::vector({225, 112}));  // 112.5 to even
  EXPECT_TRUE(series.controls.FlatCheck);
  ASSERT_TRUE(series.BlinkScrollBarChange(2));
  EXPECT_EQ(at(1, kHeight), 225);
  // A uniform flat has every factor 1; corrected by the first flat it would not.
  const std::string even = halves("even.fit", 1000, 1000);
  command.FlatCheckClick(true, [&] { return even; });
  EXPECT_EQ(command.Flatfilename, even);
  EXPECT_EQ(at(1, 1), 225);  // already corrected: not again
  ASSERT_TRUE(series.BlinkScrollBarChange(1));
  EXPECT_EQ(std::vector({at(1, 1), at(kWidth, 1)}), std::vector({100, 100}));
  EXPECT_EQ(ui.messages, Texts{});

  // Refused: a flat of another size (kept for the frames to come), an
  // unreadable one and an unusable one (which keep the flat before).
  EXPECT_EQ(command.Flatkorrektur1Click(halves("small.fit", 1000, 1000, 40, 30)),
            FlatResult::Mismatch);
  const Timgbuffer* matrix = series.flatimg.get();
  EXPECT_EQ(matrix->xsize, 40);
  test::writeBytes(dir.file("broken.fit"), "not an image");
  EXPECT_EQ(command.Flatkorrektur1Click(dir.file("broken.fit")), FlatResult::NotLoaded);
  // bufferMax 3 gives a dark-pixel level round(0.2 * 3) = 1: no usable flat.
  EXPECT_EQ(command.Flatkorrektur1Click(halves("dark.fit", 3, 3)), FlatResult::Unusable);
  EXPECT_EQ(ui.messages, (Texts{"Master Flat passt nicht zu geladenem Bild",
                                "Bild kann nicht geladen werden",
                                "Master Flat kann nicht verwendet werden"}));
  EXPECT_EQ(series.flatimg.get(), matrix);
  EXPECT_EQ(command.Flatfilename, dir.file("small.fit"));
}

// Frames with a top half of 400 and a bottom half of 1000, shown with the
// levels 0..1000: with gamma 1 the display maps 400 to round(400 * 255 /
// 1000) = 102 and 1000 to 255.
TEST_F(ResultTest, JpegExportShowsTheFramesAsDisplayed) {
  constexpr int kW = 32, kH = 24;
  const struct {
    int gammaIndex;
    bool inverted, flipped;
    int top, bottom;  // red of the decoded picture
  } rows[] = {{0, false, false, 102, 255},
              // "2.0": exponent 1/2, 255 * sqrt(0.4) = 161.3; flipped: bright half on top
              {2, true, true, 0, 255 - 161}};
  for (const char* name : {"a.fit", "b.fit"}) {
    frames.push_back(writeImage(name, [](int, int y) { return y <= kH / 2 ? 400 : 1000; }, kW, kH));
  }
  ASSERT_TRUE(series.openSeries(frames));
  series.controls.AutocontrastCheck = false;
  series.controls.LowerScrollBar = 0;
  series.controls.Upperscrollbar = 1000;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.gammaIndex);
    series.controls.GammaIndex = row.gammaIndex;
    series.controls.InvertCheckBox = row.inverted;
    series.controls.Flipcheck = row.flipped;
    const JpegExportResult r = JPGexport(series, dir.file("m.jpg"));
    EXPECT_EQ(std::vector({r.written, r.skipped, series.Activeframe()}), std::vector({2, 0, 2}));
    EXPECT_FALSE(fs::exists(dir.file("m003.JPG")));
    for (const char* name : {"m001.JPG", "m002.JPG"}) {
      Decoded d;
      ASSERT_TRUE(decode(test::readBytes(dir.file(name)), &d)) << name;
      EXPECT_EQ(std::vector({d.width, d.height, d.components}), std::vector({kW, kH, 3}));
      EXPECT_FALSE(d.progressive);
      // Away from the edge between the halves, where JPEG blurs.
      EXPECT_NEAR(d.red(5, 2), row.top, 3);
      EXPECT_NEAR(d.red(5, kH - 3), row.bottom, 3);
    }
  }
}

// The frame number goes before the extension, with as many digits as the
// largest number needs and at least three.
TEST(NumberedNames, NumberBeforeTheExtensionWidenedForLongSeries) {
  const struct {
    bool jpeg;
    const char* chosen;
    int frame, frames;
    const char* expected;
  } rows[] = {
      {false, "sky.fit", 1, 2, "sky001.fit"}, {false, "/d/sky.fts", 7, 999, "/d/sky007.fts"},
      {false, "/d/x.fits/sky.FITS", 12, 12, "/d/x.fits/sky012.FITS"},
      {false, "/d.fit/sky", 5, 1000, "/d.fit/sky0005"}, {false, "/d/.fit", 2, 9999, "/d/.fit0002"},
      {false, "sky.fit", 1, 10000, "sky00001.fit"}, {true, "/a/m.jpg", 7, 12, "/a/m007.JPG"},
      {true, "/a/m.jpg", 7, 1200, "/a/m0007.JPG"}, {true, "/a/m", 1000, 1200, "/a/m1000.JPG"},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(r.jpeg ? jpegFrameFilename(r.chosen, r.frame, r.frames)
                     : numberedName(r.chosen, r.frame, frameNumberDigits(r.frames)),
              r.expected);
  }
}

}  // namespace
}  // namespace vargaze
