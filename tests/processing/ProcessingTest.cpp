// The processing commands on frames the tests write: refusals, every save under injected
// failures, results (JPEG read back by libjpeg) against values worked out by hand.
#include <csetjmp>
#include <cstdio>
#include <filesystem>
#include <jpeglib.h>  // after <cstdio>: it needs FILE and size_t
#include <optional>
#include <set>
#include <tuple>

#include "image/RawConverter.h"
#include "processing/Background.h"
#include "processing/CrossCorrelation.h"
#include "processing/DcfCommand.h"
#include "processing/DcfPulses.h"
#include "processing/FlatCommand.h"
#include "processing/ImageSave.h"
#include "processing/JpegExport.h"
#include "processing/LineRemoval.h"
#include "processing/NumberedOutput.h"
#include "processing/PlaneFit.h"
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
      out.append(3, char(lit && (row - 1) / 3 == 3 && (col - 1) / 3 == 3 ? 200 : 10));
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
  void cornerRois() {  // ring ROIs on the sky near the corners
    for (const auto& [x, y] : {std::pair(10, 10), {90, 10}, {10, 70}, {90, 70}}) addRoi(x, y);
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
  // A save as the fault helpers run it: its message must name the file it
  // was given (any other counts as none, which the helpers fail).
  test::SaveAction told(const std::function<bool(const std::string&)>& save) {
    return [this, save](const std::string& path, std::string& message) {
      ui.messages.clear();
      const bool saved = save(path);
      const Texts expected = {"Fehler beim Speichern der Datei " + path};
      message = ui.messages == expected ? expected[0] : "";
      return saved;
    };
  }
  // A FITS image with the pixel values of `value`.
  std::string writeImage(const std::string& name, const std::function<double(int, int)>& value,
                         int width = kWidth, int height = kHeight, int bitpix = 16) {
    std::vector<double> v;
    for (int i = 0; i < width * height; ++i) v.push_back(value(i % width + 1, i / width + 1));
    test::writeBytes(dir.file(name), test::FitsBuilder(bitpix, width, height).pixels(v).bytes());
    return dir.file(name);
  }
  std::string halves(const std::string& name, double left, double right) {
    return writeImage(name, [=](int x, int) { return x <= kWidth / 2 ? left : right; });
  }
  Timgbuffer readBack(const std::string& name) const {
    Timgbuffer img;
    EXPECT_TRUE(img.Readfitsfile(dir.file(name))) << name;
    return img;
  }
  int at(int x, int y) const { return series.img->getpixel(x, y); }
  Texts frames;  // the files the series should hold
  test::StandInConverter converter{dir.path().string()};
};

// The commands on the series: what refuses them (with the exact message), a failure
// that ends them but keeps the files written before, the user's cancel between
// frames. The series keeps its files byte for byte, run flag and channel are given back.
struct Case {
  const char* name;
  std::function<void(Rig&)> setup;
  std::function<bool(Rig&)> run;  // true when the command says it did its work
  bool done;
  Texts messages = {};    // "@" stands for the test's folder and "/"
  Texts written = {};     // files in the folder that must exist
  Texts notWritten = {};  // and files that must not
};

void twoFrames(Rig& t) { t.open({"a.fit", "b.fit"}); }
void sky(Rig& t) { twoFrames(t); t.cornerRois(); }
// The user presses cancel while the second round of events is processed.
void cancelLater(Rig& t) { t.ui.cancelAfterEvents = t.ui.eventsProcessed + 2; }
void rawSeries(Rig& t) {
  t.frames = {t.rawFile("A.CR2"), t.rawFile("B.CR2")};
  t.series.RGBcolornumber = 1;  // to be given back
}

bool subtract(Rig& t) { return Backgroundsubtraction1Click(t.series, t.dir.file("sky.fit")); }
bool dcfCommand(Rig& t) { return getDCFtime1Click(t.series, t.dir.file("dcf.prn")).has_value(); }
bool converted(Rig& t, const Texts& names) {
  const RawToFitsResult r = t.convert(names);
  return r.listReplaced || !r.written.empty() || r.failed || r.cancelled;
}

const char* const kOnlyRaw = "Funktion nur für \".CR2\"-Dateien verfügbar";

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

const Case kCases[] = {
    {"BackgroundWithoutImage", [](Rig&) {}, subtract, false, {"Kein Bild geladen"}},
    {"BackgroundOntoAFrame", [](Rig& t) { t.open({"sky001.fit", "sky002.fit"}); t.cornerRois(); },
     [](Rig& t) { return Backgroundsubtraction1Click(t.series, t.dir.file("./sky.fit")); }, false,
     {"Zieldatei gehört zur Serie: @./sky001.fit"}},
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
    // Done: the display levels follow, from a stale maximum and contrast bar.
    {"LineRemovalRelevelsTheDisplay",
     [](Rig& t) { sky(t); t.series.img->bufferMax = 0; t.series.controls.LowerScrollBar = 300; },
     [](Rig& t) {
       return EliminateLinesClick(t.series) && t.series.img->bufferMax == 20100 &&
              t.series.controls.LowerScrollBar == 0;
     },
     true},
    {"ImageSaveOntoAFrame", twoFrames,
     [](Rig& t) { return Saveimage1Click(t.series, t.dir.file("./a.fit")); }, false,
     {"Die Datei @./a.fit ist ein Bild der Serie und wird nicht überschrieben"}},
    {"CrossCorrelationOfOneFrame", [](Rig& t) { t.open({"a.fit"}); },
     [](Rig& t) { return test11Click(t.series).has_value(); }, false,
     {"2 Bilder müssen geladen sein"}},
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
    {"DcfWithoutMarker", [](Rig& t) { t.openDcf({true, false}, false); }, dcfCommand, false,
     {"DCF Marker muss erst gesetzt werden!"}, {}, {"dcf.prn"}},
    {"DcfBrokenBmp",
     [](Rig& t) {
       t.openDcf({true});
       t.frames.push_back(t.dir.file("broken.bmp"));
       test::writeBytes(t.frames.back(), "BM not really");
       t.series.filelist1 = t.frames;
     },
     dcfCommand, false, {"Kann BMP-Datei nicht laden"}, {}, {"dcf.prn"}},
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
  const auto given = std::pair(series.runActive, series.RGBcolornumber);
  EXPECT_EQ(c.run(*this), c.done);
  Texts expected = c.messages;
  for (std::string& m : expected) {
    if (m.find('@') != std::string::npos) m.replace(m.find('@'), 1, dir.file(""));
  }
  EXPECT_EQ(ui.messages, expected);
  for (const std::string& f : c.written) EXPECT_TRUE(fs::exists(dir.file(f))) << f;
  for (const std::string& f : c.notWritten) EXPECT_FALSE(fs::exists(dir.file(f))) << f;
  EXPECT_EQ(series.filelist1, frames);
  EXPECT_EQ(bytes(), before);
  EXPECT_EQ(std::pair(series.runActive, series.RGBcolornumber), given);
}

INSTANTIATE_TEST_SUITE_P(Processing, SeriesCommandTest, ::testing::ValuesIn(kCases),
                         [](const auto& row) { return std::string(row.param.name); });

using ProcessingTest = Rig;

// Every save that names its file under the shared set of faults. Background
// subtraction and JPEG export of a one-frame series write name001.
TEST_F(ProcessingTest, EverySaveTellsItsFaultsAndKeepsTheEarlierFile) {
  openDcf({true, false, true});
  test::expectSaveFaultsReported(dir, "dcf.prn", told([this](const std::string& p) {
                                   return getDCFtime1Click(series, p).has_value();
                                 }));
  open({"a.fit"});
  cornerRois();
  test::expectSaveFaultsReported(
      dir, "saved.fit", told([this](const std::string& p) { return Saveimage1Click(series, p); }));
  const auto chosen = [](const std::string& numbered, const char* extension) {
    return numbered.substr(0, numbered.size() - 7) + extension;  // "sky001.fit" -> "sky.fit"
  };
  test::expectSaveFaultsReported(dir, "sky001.fit", told([&](const std::string& p) {
                                   return Backgroundsubtraction1Click(series, chosen(p, ".fit"));
                                 }));
  test::expectSaveFaultsReported(dir, "m001.JPG", told([&](const std::string& p) {
                                   const JpegExportResult r = JPGexport(series, chosen(p, ".jpg"));
                                   return !r.saveFailed && r.written == 1;
                                 }));
}

// Raw-to-FITS writes beside the raw file, in a folder that exists: a plane that is
// a folder; a full disk with room for the converter's picture, not for a FITS file.
TEST_F(ProcessingTest, RawToFitsOfOneOrAllChannelsTellsAFailedPlane) {
  frames = {rawFile("A.CR2")};
  series.RGBcolornumber = 3;
  const std::string red = dir.file("A_R.fit");
  for (const std::uint8_t channel : {std::uint8_t{1}, kRawChannelAll}) {
    SCOPED_TRACE(int(channel));
    const auto save = told([&](const std::string&) {
      const RawToFitsResult r = convert({"A.CR2"}, channel);
      return !r.failed && r.written.size() == (channel == kRawChannelAll ? 3u : 1u);
    });
    std::string message;
    fs::remove(red);
    fs::create_directory(red);
    EXPECT_FALSE(save(red, message));
    EXPECT_FALSE(message.empty());
    EXPECT_EQ(series.RGBcolornumber, 3);
    fs::remove_all(red);
    ASSERT_TRUE(save(red, message));
    test::expectFullDiskKeepsFile(red, 1000, save);
  }
}

// A JPEG file as libjpeg decodes it; pixels row by row from the top.
struct Decoded {
  int width = 0, height = 0, components = 0;
  bool progressive = true;
  std::vector<std::uint8_t> pixels;
  int red(int x, int y) const { return pixels[std::size_t((y * width + x) * components)]; }
};

// Plain C objects only between setjmp and the jump.
struct DecodeErrors {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

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
  jpeg_start_decompress(&cinfo);
  *out = {int(cinfo.output_width), int(cinfo.output_height), cinfo.output_components,
          jpeg_has_multiple_scans(&cinfo) != 0, {}};
  out->pixels.resize(std::size_t(out->width * out->height * out->components));
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = &out->pixels[cinfo.output_scanline * unsigned(out->width * out->components)];
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return true;
}

TEST_F(ProcessingTest, BackgroundSubtractionTakesEachFramesOwnPlaneFromDisk) {
  frames = {writeImage("a.fit", [](int x, int y) { return 1000 + 2 * x + 3 * y; }),
            writeImage("b.fit", [](int x, int y) { return 3000 - 5 * x + y + (x == 50) * 900; })};
  win.AutocenterCheckBox = false;  // centring would climb the slopes
  ASSERT_TRUE(series.openSeries(frames));
  cornerRois();
  series.img->putpixel(20, 20, 60000);  // left by a command in memory: not a frame
  series.controls.LowerScrollBar = 300;
  ASSERT_TRUE(Backgroundsubtraction1Click(series, dir.file("sky.fit")));
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

// Sky 1000 with a stripe of 1040 in row 40: the plane is the sky at either parity of the
// star box (an even one sums (d - 1)^2 pixels). Subtraction leaves 100 and the stripe 140;
// line removal (threshold 2 * sqrt(1000 / 1.51 + 225) + 1000 = 1059.6) levels the stripe.
TEST_F(ProcessingTest, BothCommandsFindTheSkyAtEvenAndOddStarBoxes) {
  frames = {writeImage("a.fit", [](int, int y) { return y == 40 ? 1040 : 1000; })};
  win.AutocenterCheckBox = false;  // a flat sky has no centre
  for (const int size : {9, 10}) {
    SCOPED_TRACE(size);
    ASSERT_TRUE(series.openSeries(frames));
    win.setStarSize(size);
    cornerRois();
    ASSERT_TRUE(Backgroundsubtraction1Click(series, dir.file("sky.fit")));
    const Timgbuffer out = readBack("sky001.fit");
    EXPECT_EQ(std::vector({out.getpixel(50, 20), out.getpixel(50, 40)}), std::vector({100, 140}));
    ASSERT_TRUE(series.BlinkScrollBarChange(1));
    ASSERT_TRUE(EliminateLinesClick(series));
    EXPECT_EQ(std::vector({at(50, 20), at(50, 40)}), std::vector({1000, 1000}));
    win.ClearROIs();
  }
}

TEST_F(ProcessingTest, DcfPulsesFromTheLampFrames) {
  openDcf({true, true, false, false, true, false});
  ASSERT_TRUE(getDCFtime1Click(series, dir.file("dcf.prn")).has_value());
  // A lit frame: 9 lamp pixels of 200 - 10 above the sky, 1710 counts.
  EXPECT_EQ(test::crlfLines(test::readBytes(dir.file("dcf.prn"))),
            (Texts{"1, 1, 3420, 0", "5, 1, 1710, 4", "mittl. intervall=4 mittl. counts=1710",
                   "Jahr=unbekannt"}));
  EXPECT_EQ(series.img->filename, dir.file("f6.bmp"));  // the last frame stays on display
  EXPECT_EQ(series.Activeframe(), 6);
}

TEST_F(ProcessingTest, RawToFitsOneOrAllChannelsOfTheRawFiles) {
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
  EXPECT_EQ(readBack("IMG_0001_R.fit").FilterName, "TR");
  EXPECT_EQ(series.RGBcolornumber, 3);  // the series' channel is given back
  EXPECT_EQ(settings.StartupDir, dir.file(""));
  // All three channels of the series now loaded; a picture there before stays.
  test::writeBytes(rawPpmFilename(raws[1]), "older");
  ASSERT_EQ(RawtoFitskonvertieren1Click(series, {}, [] { return kRawChannelAll; }).written.size(),
            6u);
  for (int c = 0; c < 3; ++c) {
    const std::string colour(1, "RGB"[c]);
    const Timgbuffer plane = readBack("IMG_0001_" + colour + ".fit");
    EXPECT_EQ(plane.FilterName, "T" + colour);
    // Portrait turned to landscape, bottom sample first.
    EXPECT_EQ(std::vector({plane.xsize, plane.getpixel(1, 1), plane.getpixel(2, 1)}),
              std::vector({2, 4 + c, 1 + c}));
    EXPECT_EQ(plane.Datetime.substr(0, 19), "2026-12-05T13:33:08");
  }
  EXPECT_FALSE(fs::exists(rawPpmFilename(raws[0])));
  EXPECT_TRUE(fs::exists(rawPpmFilename(raws[1])));
}

// Master flat: left half 1000, right half 2000. Mean 1500, sample deviation
// 500 * sqrt(8000 / 7999) = 500.03, level round(1500 + 1.5 * 500.03) = 2250:
// factors 2.25 on the left and 1.125 on the right.
TEST_F(ProcessingTest, FlatCorrectsTheImageOnDisplayAndLaterFramesButNeverTwice) {
  FlatCommand command{series};
  open({"a.fit", "b.fit"});
  EXPECT_EQ(command.Flatkorrektur1Click(halves("flat.fit", 1000, 2000)), FlatResult::Applied);
  EXPECT_EQ(std::vector({at(1, 1), at(kWidth, 1)}), std::vector({225, 112}));  // 112.5 to even
  ASSERT_TRUE(series.BlinkScrollBarChange(2));
  EXPECT_EQ(at(1, kHeight), 225);
  // A uniform flat has every factor 1; corrected by the first flat it would not.
  const std::string even = halves("even.fit", 1000, 1000);
  command.FlatCheckClick(true, [&] { return even; });
  EXPECT_EQ(at(1, 1), 225);  // already corrected: not again
  ASSERT_TRUE(series.BlinkScrollBarChange(1));
  EXPECT_EQ(std::vector({at(1, 1), at(kWidth, 1)}), std::vector({100, 100}));
  EXPECT_EQ(ui.messages, Texts{});
}

// Frames with a top half of 400 and a bottom half of 1000, shown with the
// levels 0..1000: with gamma 1 the display maps 400 to round(400 * 255 /
// 1000) = 102 and 1000 to 255.
TEST_F(ProcessingTest, JpegExportShowsTheFramesAsDisplayed) {
  constexpr int kW = 32, kH = 24;
  // Gamma index, inverted and flipped, red of the top and the bottom. "2.0":
  // exponent 1/2, 255 * sqrt(0.4) = 161.3; flipped: the bright half on top.
  const std::tuple<int, bool, int, int> rows[] = {{0, false, 102, 255}, {2, true, 0, 255 - 161}};
  for (const char* name : {"a.fit", "b.fit"}) {
    frames.push_back(writeImage(name, [](int, int y) { return y <= kH / 2 ? 400 : 1000; }, kW, kH));
  }
  ASSERT_TRUE(series.openSeries(frames));
  series.controls.AutocontrastCheck = false;
  series.controls.LowerScrollBar = 0;
  series.controls.Upperscrollbar = 1000;
  for (const auto& [gamma, turned, top, bottom] : rows) {
    SCOPED_TRACE(gamma);
    series.controls.GammaIndex = gamma;
    series.controls.InvertCheckBox = series.controls.Flipcheck = turned;
    const JpegExportResult r = JPGexport(series, dir.file("m.jpg"));
    EXPECT_EQ(std::vector({r.written, r.skipped, series.Activeframe()}), std::vector({2, 0, 2}));
    EXPECT_FALSE(fs::exists(dir.file("m003.JPG")));
    for (const char* name : {"m001.JPG", "m002.JPG"}) {
      Decoded d;
      ASSERT_TRUE(decode(test::readBytes(dir.file(name)), &d)) << name;
      EXPECT_EQ(std::vector({d.width, d.height, d.components}), std::vector({kW, kH, 3}));
      EXPECT_FALSE(d.progressive);
      // Away from the edge between the halves, where JPEG blurs.
      EXPECT_NEAR(d.red(5, 2), top, 3);
      EXPECT_NEAR(d.red(5, kH - 3), bottom, 3);
    }
  }
}

// The frame number goes before the extension, with as many digits as the
// largest number needs and at least three.
TEST(NumberedNames, NumberBeforeTheExtensionWidenedForLongSeries) {
  EXPECT_EQ((Texts{numberedName("sky.fit", 1, frameNumberDigits(2)),
                   numberedName("/d/sky.fts", 7, frameNumberDigits(999)),
                   numberedName("/d.fit/sky", 5, frameNumberDigits(1000)),
                   numberedName("sky.FITS", 12, frameNumberDigits(10000)),
                   jpegFrameFilename("/a/m.jpg", 7, 12), jpegFrameFilename("/a/m", 1000, 1200)}),
            (Texts{"sky001.fit", "/d/sky007.fts", "/d.fit/sky0005", "sky00012.FITS",
                   "/a/m007.JPG", "/a/m1000.JPG"}));
}

// A ROI whose star box summed `pixels` pixels, with the sky scaled to them.
TRoi1 skyRoi(std::int32_t xb, std::int32_t yb, std::int64_t bcounts, std::int32_t pixels = 25) {
  TRoi1 r;
  std::tie(r.xb, r.yb, r.bcounts, r.npixa) = std::tuple(xb, yb, bcounts, pixels);
  return r;
}

Timgbuffer imageOf(std::int32_t bufferbyte, int w, int h, const std::function<int(int, int)>& v) {
  Timgbuffer img;
  img.init(w, h, bufferbyte);
  for (int i = 0; i < w * h; ++i) img.putpixel(i % w + 1, i / w + 1, v(i % w + 1, i / w + 1));
  return img;
}

TEST(BackgroundSamples, PlacedAndMeasuredOnesAtTheirLevelPerPixel) {
  // Left out: no background placed (x or y below 1), nothing measured. On 4
  // pixels 250, 254, 251 counts are 62.5 -> 62, 63.5 -> 64 (half to even), 62.75 -> 63.
  const std::vector<PlaneSample> s =
      backgroundSamples({skyRoi(10, 20, 2500), skyRoi(0, 20, 2500), skyRoi(10, 20, 0),
                         skyRoi(10, 0, 2500), skyRoi(1, 1, 250, 4), skyRoi(1, 1, 254, 4),
                         skyRoi(1, 1, 251, 4)});
  ASSERT_EQ(s.size(), 4u);
  EXPECT_EQ(std::vector({s[0].x, s[0].y, s[0].m}), std::vector({10.0, 20.0, 100.0}));
  EXPECT_EQ(std::vector({s[1].m, s[2].m, s[3].m}), std::vector({62.0, 64.0, 63.0}));
}

TEST(PlaneFit, HandSolvedPlanes) {
  const struct {
    const char* what;
    std::vector<PlaneSample> samples;
    std::optional<BackgroundPlane> plane;
  } rows[] = {
      {"corners of a square on m = 1000 + 2x - 3y",
       {{10, 10, 990}, {50, 10, 1070}, {10, 50, 870}, {50, 50, 950}}, BackgroundPlane{1000, 2, -3}},
      // Normal equations by hand: a = -1, bx = by = 2, residuals +1, -1, -1, +1.
      {"off the plane", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 4}}, BackgroundPlane{-1, 2, 2}},
      {"three are too few", {{10, 10, 5}, {50, 10, 6}, {10, 50, 7}}, std::nullopt},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    const auto p = fitPlane(row.samples);
    ASSERT_EQ(p.has_value(), row.plane.has_value());
    if (!p) continue;
    EXPECT_NEAR(p->a, row.plane->a, 1e-4);
    EXPECT_NEAR(p->bx, row.plane->bx, 1e-5);
    EXPECT_NEAR(p->by, row.plane->by, 1e-5);
  }
}

// A flat plane a with pedestal 0 adds -a, up to the ends of each pixel type.
TEST(RemovePlane, ResultsStayInThePixelTypeWithoutOffset) {
  for (const auto& [type, before, a, after] :
       {std::tuple(kPixel8, 240, -20, 255), std::tuple(kPixel8, 130, 200, 0),
        std::tuple(kPixel16, 65500, -200, 65535),
        std::tuple(kPixel32, 2147483000, -1000, 2147483647)}) {
    Timgbuffer img = imageOf(type, 1, 1, [&](int, int) { return before; });
    img.Offset1 = 32768.0;
    removePlane(img, BackgroundPlane{float(a), 0, 0}, 0);
    EXPECT_EQ(std::pair(img.getpixel(1, 1), img.Offset1), std::pair(after, 0.0)) << type;
  }
}

// SD = sqrt(1510 / 1.51 + 225) = 35; below zero the plane has no photon noise: SD = 15.
TEST(SkyThreshold, TwiceTheNoiseAboveThePedestal) {
  EXPECT_EQ(std::vector({skyThreshold(1510.0f, 1510), skyThreshold(0.0f, 0),
                         skyThreshold(-1510.0f, 1510)}),
            std::vector({1580.0, 30.0, 1540.0}));
}

TEST(LineRemoval, StripesTakeTheCommonLevelAndTheSkyStays) {
  const auto input = [](int x, int y) {
    if (y == 15) return x <= 25 ? 5000 + x : x == 26 ? 1527 : 1510;  // five sky pixels: too few
    if (y == 16) return x <= 24 ? 5000 + x : 1540;                    // six: enough
    const int cold = (x == 8 && y == 10) * -1420, atThreshold = (x == 4 && y == 12) * 70;
    return (y == 5 ? 1560 : y == 10 ? 1460 : 1510) + (x == 7 && y == 3) * 8000 + cold + atThreshold;
  };
  Timgbuffer img = imageOf(kPixel16, 30, 20, input);
  img.Offset1 = 32768.0;
  test::RecordingUi ui;
  ASSERT_TRUE(EliminateLines(img, {skyRoi(3, 3, 37750), skyRoi(28, 3, 37750),
                                   skyRoi(3, 18, 37750), skyRoi(28, 18, 37750)}, ui));
  // Plane a = pedestal = 1510, threshold 2 * 35 + 1510 = 1580; row levels 1560 (row 5),
  // (29 * 1460 + 40) div 30 = 1412 (row 10), 1540 (row 16), none for row 15, else 1510 (the
  // star of row 3 and the pixel at the threshold in row 12 left out); common level
  // (16 * 1510 + 1560 + 1412 + 1540) div 19 = 1509.
  for (int y = 1; y <= 20; ++y) {
    const int level = y == 5 ? 1560 : y == 10 ? 1412 : y == 16 ? 1540 : 1510;
    for (int x = 1; x <= 30; ++x) {
      const int expected = y == 15 ? input(x, y) : input(x, y) - level + 1509;
      ASSERT_EQ(img.getpixel(x, y), expected) << x << "," << y;
    }
  }
}

Profile spike(int at) {
  Profile p(101, 0);
  p[std::size_t(at)] = 9;
  return p;
}

TEST(CrossCorrelation, ProfilesAndBestShiftByHand) {
  Profile p = {0, 200, 0, 0, 0};
  smoothline(p, 4);  // in place: 200 / 3 = 66.7 -> 67, then 67 / 3 = 22.3 -> 22
  EXPECT_EQ(p, (Profile{0, 200, 67, 22, 0}));
  const auto dots = [](int x, int y) { return (x == 2 && y == 2) * 90 + (x == 4 && y == 3) * 30; };
  const Timgbuffer img = imageOf(kPixel16, 4, 3, dots);
  EXPECT_EQ(xProfile(img), (Profile{0, 0, 30, 10, 30}));  // smoothed row maxima
  EXPECT_EQ(yProfile(img), (Profile{0, 0, 90, 30}));      // raw column maxima
  // Length 100, range 20: only positions 21..80 of profile 1 enter the sums.
  EXPECT_EQ(bestShift(spike(15), spike(18), 100, 20), 0);
  EXPECT_EQ(bestShift(spike(30), spike(33), 100, 20), 3);
  EXPECT_EQ(bestShift(spike(50), spike(75), 100, 20), 0);
  Profile twin = spike(47);
  twin[53] = 9;
  EXPECT_EQ(bestShift(spike(50), twin, 100, 20), -3);  // equal sums: the smaller shift
}

// Stars of peak 3000 and sigma 1.5 on a sky of 100, every one moved by (dx, dy).
std::function<double(int, int)> starField(int dx, int dy) {
  return [=](int x, int y) {
    double v = 100.0;
    for (const auto& [sx, sy] : {std::pair(30, 40), {45, 62}, {52, 31}, {60, 75}, {71, 50},
                                 {80, 28}, {88, 66}, {95, 45}, {38, 55}, {66, 36}}) {
      v += 3000.0 * std::exp(-(std::pow(x - sx - dx, 2) + std::pow(y - sy - dy, 2)) / 4.5);
    }
    return std::round(v);
  };
}

TEST_F(ProcessingTest, CrossCorrelationOfStarFieldsMovedByAKnownShift) {
  const auto field = [this](const char* name, int dx, int dy, int bitpix = 16, int height = 100) {
    return writeImage(name, starField(dx, dy), 120, height, bitpix);
  };
  const std::string a = field("a.fit", 0, 0);
  ASSERT_TRUE(series.openSeries({a, field("b.fit", 7, 0), field("c.fit", 3, 0)}));
  EXPECT_TRUE(test11Click(series));  // the first two frames
  EXPECT_TRUE(crossCorrelateFiles(field("a32.fit", 0, 0, 32), field("b32.fit", -7, 4, 32), ui));
  EXPECT_FALSE(crossCorrelateFiles(dir.file("none.fit"), a, ui));
  EXPECT_FALSE(crossCorrelateFiles(a, dir.file("none.fit"), ui));
  EXPECT_FALSE(crossCorrelateFiles(a, field("tall.fit", 0, 0, 16, 101), ui));
  EXPECT_FALSE(crossCorrelateFiles(a, dir.file("a32.fit"), ui));
  EXPECT_EQ(ui.messages, (Texts{"dx= 7 dy= 0", "dx= -7 dy= 4", "Kann FITS-Datei 1 nicht laden",
                                "Kann FITS-Datei 2 nicht laden", "Bilddateien inkompatibel",
                                "Bilddateien inkompatibel"}));
  EXPECT_EQ(std::vector({correlationRange(200), correlationRange(123)}), std::vector({40, 25}));
}

// A pulse of `frames` lamp-on frames of 1000 net counts each.
void pulse(DcfCollector& c, std::int32_t first, int frames) {
  for (int i = 0; i < frames; ++i) c.addLampFrame(first + i, 1000);
}

// 25 frames a second; bit 0 lights 2 frames, bit 1 four. Seconds 55-58 of one
// minute, the dark second 59, then seconds 0-58 of the next with ones in
// seconds 20, 51, 52 and 55: the year 2 + 4 + 20 = 26.
TEST(DcfEvaluation, MinuteMarkBitsAndYear) {
  DcfCollector c;
  const std::set<int> ones = {20, 51, 52, 55, 58};
  int k = 0;
  for (int s = 55; s <= 58; ++s, ++k) pulse(c, 1 + 25 * k, 2);
  ++k;  // second 59: no pulse
  for (int s = 0; s <= 58; ++s, ++k) pulse(c, 1 + 25 * k, ones.count(s) ? 4 : 2);
  const DcfResult r = evaluateDcf(c.DCFlist);
  // 62 intervals: 61 of 25 frames and one of 50 -> 1575 / 62 = 25.4. Completed
  // sums of pulses 2..63: 5 of 4000 and 57 of 2000 -> 134000 / 62 = 2161.
  EXPECT_EQ(std::vector<std::int64_t>({r.m1, r.m2, r.cx}),
            std::vector<std::int64_t>({25, 2161, 3000}));
  ASSERT_EQ(r.dcfbit.size(), 58u);  // seconds 1..58
  EXPECT_EQ(r.dcfbit[19], 1);       // second 20
  const std::vector<std::string> lines = dcfResultLines(r);
  ASSERT_EQ(lines.size(), 65u);
  // Pulse 5 follows the dark second, pulse 25 is second 20.
  EXPECT_EQ((Texts{lines[0], lines[4], lines[24], lines[63], lines[64]}),
            (Texts{"1, 0, 2000, 0", "126, -1, 2000, 50", "626, 1, 4000, 25",
                   "mittl. intervall=25 mittl. counts=2161", "Jahr=26"}));
  // The year needs the bits up to second 57 (pulse 5 is second 0).
  for (const auto& [bits, year] : {std::pair(57, "Jahr=26"), std::pair(56, "Jahr=unbekannt")}) {
    const DcfResult cut = evaluateDcf({c.DCFlist.begin(), c.DCFlist.begin() + 5 + bits});
    EXPECT_EQ(cut.dcfbit.size(), std::size_t(bits));
    EXPECT_EQ(dcfResultLines(cut).back(), year);
  }
  // A single pulse has no interval and no means.
  DcfCollector single;
  pulse(single, 10, 3);
  EXPECT_EQ(dcfResultLines(evaluateDcf(single.DCFlist)),
            (std::vector<std::string>{"10, 1, 3000, 0", "mittl. intervall=0 mittl. counts=0",
                                      "Jahr=unbekannt"}));
}

}  // namespace
}  // namespace vargaze
