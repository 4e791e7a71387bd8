// ROI files (byte layout, round trip, damaged and hostile files), the star
// information of project files, the results text file, and the saves under
// injected failures.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "PhotometryRig.h"
#include "photometry/RoiFile.h"
#include "photometry/StarInfo.h"
#include "support/FaultInjection.h"
#include "support/TempDir.h"

namespace vargaze {
namespace {

using test::readBytes;
using test::roiRecord;
using test::writeBytes;
using Texts = std::vector<std::string>;

class RoiFileTest : public ::testing::Test, public test::Rig {
 protected:
  // Loads `path` in a forked child: "count|last message", exit 0 when loaded.
  test::ChildOutcome loadInChild() {
    return test::runInChild([&](std::string& report) {
      test::Rig reader;
      const bool loaded = LoadROI(reader.win, path, false);
      report = std::to_string(reader.win.count()) + "|" + reader.lastMessage();
      return loaded ? 0 : 1;
    });
  }
  // Loads the lines as a project file with CR LF line ends.
  bool loadProject(const Texts& lines, CompTypeState* compType = nullptr) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    writeBytes(dir.file("field.vgp"), text);
    return LoadStarinfos(win, dir.file("field.vgp"), compType);
  }
  std::vector<float> bvri(std::int32_t n) { return {win.bvri(n).Bmag, win.bvri(n).Vmag, win.bvri(n).Rmag, win.bvri(n).Imag}; }
  test::TempDir dir;
  const std::string path = dir.file("field.roi");
};

TEST_F(RoiFileTest, SavedRecordsAndTheRoundTrip) {
  EXPECT_FALSE(SaveROI(win, path));
  EXPECT_EQ(ui.messages, Texts{"Keine ROI definiert"});
  EXPECT_FALSE(std::filesystem::exists(path));
  appendRoi(12, 34, 12, 34, 9, true, 11.25f);  // a comparison star in ring mode
  appendRoi(-1, 300, 0, 0, 5, false, -7.5f);   // a fixed marker without background
  ASSERT_TRUE(SaveROI(win, path));
  std::string bytes = roiRecord(12, 34, 12, 34, 9, true, 11.25f) + roiRecord(-1, 300, 0, 0, 5, false, -7.5f);
  EXPECT_EQ(readBytes(path), bytes);
  for (const std::size_t at : {21u, 22u, 23u, 49u, 50u, 51u}) bytes[at] = '\xAB';  // padding is ignored
  writeBytes(path, bytes);
  test::Rig other;
  other.imgwin.TrackstarX = 50.0;
  ASSERT_TRUE(LoadROI(other.win, path));
  EXPECT_TRUE(other.ui.questions.empty());  // nothing to replace
  ASSERT_EQ(std::pair(other.win.count(), other.win.ROIindex), std::pair(2, 2));
  const TRoi1& a = other.win.roi(1);
  const TRoi1& b = other.win.roi(2);
  // Start positions become the centres; the size control took each record's
  // size in turn, so all end with the last.
  EXPECT_EQ(std::vector({a.num, a.xa, a.x0a, a.ya, a.y0a, a.xb, a.yb, a.d, b.num, b.xa, b.y0a, b.xb, b.d}),
            std::vector({1, 12, 12, 34, 34, 12, 34, 5, 2, -1, 300, 0, 5}));
  EXPECT_EQ(std::vector({a.ringMode(), a.ref, b.isFixed(), b.ref}), std::vector({true, true, true, false}));
  EXPECT_EQ(std::vector({a.rmag, a.mag, b.rmag, b.mag, other.win.bvri(1).Vmag}), std::vector({11.25f, 99.0f, -7.5f, 99.0f, 99.0f}));
  EXPECT_EQ(other.imgwin.TrackstarX, -1.0);
  // A project file beside it supplies the star information; ROI 1 is a
  // comparison star of known magnitude: "standardisiert".
  writeBytes(dir.file("field.vgp"), "[ROIfile]\r\n2\r\nAlpha\r\nBeta\r\n[BVRI]\r\n1;2;3;4\r\n");
  CompTypeState compType;
  ASSERT_TRUE(LoadROI(win, path, false, &compType));
  EXPECT_EQ((Texts{win.roi(1).Name, win.roi(2).Name}), (Texts{"Alpha", "Beta"}));
  EXPECT_EQ(std::pair(bvri(1), compType.ItemIndex), std::pair(std::vector({1.0f, 2.0f, 3.0f, 4.0f}), 1));
}

TEST_F(RoiFileTest, SizesAreClampedAndChangesReachEarlierRois) {
  // Each size change applies to the ROIs loaded before it: all end with the
  // last size, those before the last change also with the ring sizes it set.
  struct Case { std::vector<std::int32_t> sizes; std::int32_t last; int ringed; };
  const Case cases[] = {{{3}, 5, 0}, {{200}, 99, 0}, {{0, 11}, 11, 1}, {{7, 11, 9, 9}, 9, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sizes.size());
    std::string bytes;
    for (int i = 0; i < int(c.sizes.size()); ++i) bytes += roiRecord(10 + 20 * i, 20, 10 + 20 * i, 20, c.sizes[i]);
    writeBytes(path, bytes);
    test::Rig fresh;
    ASSERT_TRUE(LoadROI(fresh.win, path, false));
    ASSERT_EQ(fresh.win.BVRIlist.size(), c.sizes.size());
    EXPECT_EQ(fresh.win.ROIsizeEdit.value, c.last);
    const int in = fresh.win.BGinnerEdit.value, out = fresh.win.BGsizeEdit.value;
    for (const TRoi1& r : fresh.win.ROIlist)
      EXPECT_EQ(std::vector({r.d, r.x0a, r.d2, r.d3}),
                std::vector({c.last, 10 + 20 * (r.num - 1), r.num <= c.ringed ? in : 0, r.num <= c.ringed ? out : 0}));
  }
}

TEST_F(RoiFileTest, DamagedTornMissingAndRefusedLoads) {
  const std::string good = roiRecord(10, 20, 10, 20, 9);
  const struct { const char* what; std::string bytes; std::int32_t loaded; const char* message; } cases[] = {
      {"NaN magnitude", good + roiRecord(10, 20, 10, 20, 9, false, std::bit_cast<float>(0x7FC00000u)) + good, 1,
       "ist beschädigt: ROI 2 ist ungültig; 1 ROIs geladen"},
      {"x far beyond any image", roiRecord(0x70000000, 20, 10, 20, 9), 0, "ROI 1 ist ungültig; 0 ROIs"},
      {"torn end", good + good + std::string(10, '\x07'), 2, "unvollständig: die letzten 10 Byte"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    writeBytes(path, c.bytes);
    test::Rig fresh;
    EXPECT_FALSE(LoadROI(fresh.win, path));
    EXPECT_EQ(fresh.win.count(), c.loaded);
    ASSERT_EQ(fresh.ui.messages.size(), 1u);
    EXPECT_NE(fresh.ui.messages[0].find(c.message), std::string::npos) << fresh.ui.messages[0];
  }
  win.Newroi(50, 50);
  EXPECT_FALSE(LoadROI(win, dir.file("missing.roi"), false));
  EXPECT_EQ(std::pair(win.count(), lastMessage()), std::pair(1, "Fehler beim Laden der Datei " + dir.file("missing.roi")));
  // Existing ROIs are replaced only after Yes (here the torn file's two whole records).
  ui.answers = {UiPort::Answer::No, UiPort::Answer::Cancel, UiPort::Answer::Yes};
  for (const int x0a : {51, 51, 10}) {
    EXPECT_FALSE(LoadROI(win, path));
    EXPECT_EQ(win.roi(1).x0a, x0a);
  }
  EXPECT_EQ(std::pair(win.count(), ui.questions), std::pair(2, Texts(3, "Vorhandene ROIs werden gelöscht; sind Sie sicher?")));
}

TEST_F(RoiFileTest, HugeFilesAreRefusedUnreadAndTheLimitLoadsBounded) {
  writeBytes(path, "");
  std::filesystem::resize_file(path, 100'000'000);  // sparse: its size alone decides
  const test::ChildOutcome huge = loadInChild();
  ASSERT_TRUE(huge.exited) << "signal " << huge.signal;
  EXPECT_EQ(std::pair(huge.exitCode, huge.report), std::pair(1, "0|Datei " + path + " ist keine ROI-Datei (zu groß)"));
  EXPECT_LT(huge.rssGrowthKb, 16 * 1024);
  for (const std::int64_t records : {kMaxRoiFileRecords + 1, kMaxRoiFileRecords}) {
    {
      std::ofstream out(path, std::ios::binary);  // sizes alternate: every record changes it
      for (std::int32_t i = 0; i < records; ++i) out << roiRecord(i % 1000, i / 1000, i % 1000, i / 1000, 7 + i % 2 * 4);
    }
    const test::ChildOutcome child = loadInChild();
    ASSERT_TRUE(child.exited) << "signal " << child.signal << " (SIGALRM: hung)";
    const bool above = records > kMaxRoiFileRecords;
    EXPECT_EQ(child.exitCode, above ? 1 : 0) << child.report;
    EXPECT_EQ(child.report, above ? "0|Datei " + path + " ist keine ROI-Datei (zu groß)" : std::to_string(records) + "|");
    EXPECT_LT(child.rssGrowthKb, 256 * 1024);
  }
  const std::string pipe = test::makePipe(dir, "stars.roi");
  EXPECT_EQ(test::expectPipeRefused([&](std::string& report) {
              const bool loaded = LoadROI(win, pipe, false);
              report = lastMessage();
              return loaded;
            }),
            "Fehler beim Laden der Datei " + pipe);
}

TEST_F(RoiFileTest, ResultsTableLinesAndSaveFailures) {
  imgwin.title = "m31.fit";
  win.FilterType = 3;  // "V"
  // Net 5230 twice (a comparison star as bright as ROI 1: ROI 1 gets its
  // magnitude), then net 5 with S/N 2: no magnitude below S/N 3.
  const struct { std::int64_t a; std::int32_t max, sn; bool ref; float rmag; } rois[] = {
      {6230, 1800, 45, false, 0}, {6230, 1700, 45, true, 12.3456f}, {1005, 120, 2, false, 0}};
  for (const auto& m : rois) {
    appendRoi(10, 10, 10, 10, 5, m.ref, m.rmag);
    TRoi1& r = win.roi(win.count());
    std::tie(r.acounts, r.bcounts, r.amaxcounts, r.npixa, r.npixb, r.SN) = std::tuple(m.a, 1000, m.max, 25, 100, m.sn);
  }
  ASSERT_TRUE(SaveROITable(win, dir.file("results.txt")));
  EXPECT_EQ(readBytes(dir.file("results.txt")),
            "Vargaze results for m31.fit\r\nN; Counts; PixelMax; Mag; S/N; Refmag; Filter\r\n"
            "1;5230;1800;12.346;45;;V\r\n2;5230;1700;12.346;45;12.346;V\r\n3;5;120; ;2;;V\r\n");
  win.FilterType = 0;  // the first filter has a name too
  ASSERT_TRUE(SaveROITable(win, dir.file("results.txt")));
  EXPECT_TRUE(readBytes(dir.file("results.txt")).ends_with("\r\n3;5;120; ;2;;CV\r\n"));
  for (const auto save : {SaveROI, SaveROITable}) {
    test::expectSaveFaultsReported(dir, save == SaveROI ? "saved.roi" : "saved.txt", [&](const std::string& target, std::string& message) {
      ui.messages.clear();
      const bool saved = save(win, target);
      message = lastMessage();
      return saved;
    });
    EXPECT_FALSE(save(win, dir.file("missing/out")));
    EXPECT_EQ(lastMessage(), "Fehler beim Speichern der Datei " + dir.file("missing/out"));
  }

}

TEST_F(RoiFileTest, ProjectFileSections) {
  for (int i = 0; i < 3; ++i) win.Newroi(10 + 10 * i, 20);
  ASSERT_TRUE(loadProject({"[files]", "/data/a.fit", "[ROIfile]", "3", "RR Lyr", "HD 182989", "", "[BVRI]",
                           "12,345;11,8;99,000;99,000", "8.1;7.6;7.2;6.9", "", "[compstars]", "AAVSOchartID=X12",
                           "[compstars]", "AAVSOchartID=again", "[ROIcenter]", "ROID2=9", "ROID3=15", "[Tracking]",
                           "123,50;456,25", "[end]"}));
  EXPECT_TRUE(ui.messages.empty());
  // An empty line names nothing and leaves the catalogue values; each section is read once.
  EXPECT_EQ((Texts{win.roi(1).Name, win.roi(2).Name, win.roi(3).Name, win.AAVSOchartEdit}),
            (Texts{"RR Lyr", "HD 182989", "", "X12"}));
  EXPECT_EQ((std::vector{bvri(1), bvri(2), bvri(3)}),
            (std::vector<std::vector<float>>{{12.345f, 11.8f, 99, 99}, {8.1f, 7.6f, 7.2f, 6.9f}, {99, 99, 99, 99}}));
  for (const TRoi1& r : win.ROIlist)
    EXPECT_EQ(std::vector({win.BGinnerEdit.value, win.BGsizeEdit.value, r.d2, r.d3}), std::vector({9, 15, 9, 15}));
  EXPECT_EQ(std::pair(imgwin.TrackstarX, imgwin.TrackstarY), std::pair(123.5, 456.25));
  // Ring sizes are clamped by the controls, and need a following section.
  ASSERT_TRUE(loadProject({"[ROIcenter]", "ROID2=13", "ROID3=300", "[Tracking]"}));
  ASSERT_TRUE(loadProject({"[ROIcenter]", "ROID2=17", "ROID3=21"}));
  EXPECT_EQ(std::vector({win.BGinnerEdit.value, win.BGsizeEdit.value, win.roi(2).d2, win.roi(2).d3}),
            std::vector({13, 150, 13, 150}));
  // Fewer names than ROIs: the header ends the names and starts its
  // section; names are cut to 40 characters, the umlaut counting as one.
  ASSERT_TRUE(loadProject({"[ROIfile]", "3", "Ä123456789012345678901234567890123456789XYZ", "[BVRI]", "1;2;3;4", "5;6;7;8"}));
  EXPECT_EQ((Texts{win.roi(1).Name, win.roi(2).Name}), (Texts{"Ä123456789012345678901234567890123456789", "HD 182989"}));
  EXPECT_EQ(win.bvri(2).Bmag, 5.0f);
  // A comparison star without a magnitude does not mean "standardisiert".
  CompTypeState compType;
  win.roi(2).ref = true;
  ASSERT_TRUE(loadProject({"[ROIfile]", "3", "A", "B", "C"}, &compType));
  EXPECT_EQ(compType.ItemIndex, 0);
  // Short lines repeat their last field; adjacent separators enclose an empty field, no number.
  EXPECT_FALSE(loadProject({"[BVRI]", "12.5|11.9", "10;;9;8"}));
  EXPECT_EQ(std::pair(bvri(1), bvri(2)), std::pair(std::vector({12.5f, 11.9f, 11.9f, 11.9f}), std::vector({10.0f, 6.0f, 7.0f, 8.0f})));
  // What was read before a field that is no number stays; the chart identifier was emptied at the start.
  win.AAVSOchartEdit = "old";
  EXPECT_FALSE(loadProject({"[ROIfile]", "3", "P", "Q", "R", "[BVRI]", "1;2;3;4", "5;x7;6;7", "[compstars]", "AAVSOchartID=Z1"}));
  EXPECT_EQ(std::pair(bvri(1), bvri(2)), std::pair(std::vector({1.0f, 2.0f, 3.0f, 4.0f}), std::vector({5.0f, 6.0f, 7.0f, 8.0f})));
  EXPECT_EQ((Texts{win.roi(3).Name, win.AAVSOchartEdit}), (Texts{"R", ""}));
  EXPECT_FALSE(loadProject({"[ROIfile]", "drei", "A"}));
  EXPECT_EQ(ui.messages, (Texts{"'' ist kein gültiger Gleitkommawert", "'x7' ist kein gültiger Gleitkommawert",
                                "'drei' ist kein gültiger Integerwert"}));
  // Without ROIs the ring sizes stay; a missing file changes nothing.
  win.ClearROIs();
  ASSERT_TRUE(loadProject({"[ROIcenter]", "ROID2=19", "ROID3=23", "[Tracking]"}));
  EXPECT_EQ(std::pair(win.BGinnerEdit.value, win.BGsizeEdit.value), std::pair(13, 150));
  win.AAVSOchartEdit = "kept";
  EXPECT_FALSE(LoadStarinfos(win, dir.file("none.vgp")));
  EXPECT_EQ(win.AAVSOchartEdit, "kept");
}

}  // namespace
}  // namespace vargaze
