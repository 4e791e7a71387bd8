// ROI files (byte layout, round trip, damaged and hostile files, the
// question before replacing ROIs), the results text file, and both saves
// under injected failures.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "PhotometryRig.h"
#include "photometry/RoiFile.h"
#include "photometry/StarInfo.h"
#include "support/FaultInjection.h"
#include "support/Lines.h"

namespace vargaze {
namespace {

using test::readBytes;
using test::roiRecord;
using test::writeBytes;

// A comparison star in ring mode and a fixed marker without background.
void addTwoRois(test::Rig& rig) {
  rig.appendRoi(12, 34, 12, 34, 9, true, 11.25f);
  rig.appendRoi(-1, 300, 0, 0, 5, false, -7.5f);
}

// A save as the fault helpers call it: the message is the last one shown.
template <typename Save>
test::SaveAction saveAction(test::Rig& rig, Save save) {
  return [&rig, save](const std::string& path, std::string& message) {
    rig.ui.messages.clear();
    const bool saved = save(rig.win, path);
    message = rig.lastMessage();
    return saved;
  };
}

// Loads `path` in a forked child: "count|last message", exit 0 when loaded.
test::ChildOutcome loadInChild(const std::string& path) {
  return test::runInChild([&](std::string& report) {
    test::Rig rig;
    const bool loaded = LoadROI(rig.win, path, false);
    report = std::to_string(rig.win.count()) + "|" + rig.lastMessage();
    return loaded ? 0 : 1;
  });
}

// `records` records whose sizes alternate between 7 and 11.
void writeRoiFile(const std::string& path, std::int64_t records) {
  std::ofstream out(path, std::ios::binary);
  for (std::int32_t i = 0; i < records; ++i)
    out << roiRecord(i % 1000, i / 1000, i % 1000, i / 1000, i % 2 == 0 ? 7 : 11);
}

class RoiFileTest : public ::testing::Test {
 protected:
  test::TempDir dir;
  test::Rig rig;
  const std::string path = dir.file("field.roi");
};

TEST_F(RoiFileTest, SavedRecordsAndTheRoundTrip) {
  EXPECT_FALSE(SaveROI(rig.win, path));
  EXPECT_EQ(rig.ui.messages, std::vector<std::string>{"Keine ROI definiert"});
  EXPECT_FALSE(std::filesystem::exists(path));

  addTwoRois(rig);
  ASSERT_TRUE(SaveROI(rig.win, path));
  EXPECT_EQ(readBytes(path), roiRecord(12, 34, 12, 34, 9, true, 11.25f) +
                                 roiRecord(-1, 300, 0, 0, 5, false, -7.5f));
  test::Rig other;
  other.imgwin.TrackstarX = 50.0;
  other.imgwin.TrackstarY = 60.0;
  ASSERT_TRUE(LoadROI(other.win, path));
  EXPECT_TRUE(other.ui.questions.empty());  // nothing to replace
  ASSERT_EQ(other.win.count(), 2);
  EXPECT_EQ(other.win.ROIindex, 2);
  const TRoi1& a = other.win.roi(1);
  const TRoi1& b = other.win.roi(2);
  // Start positions become the centres; the size control took each record's
  // size in turn, so all end with the last.
  EXPECT_EQ(std::vector({a.num, a.xa, a.x0a, a.ya, a.y0a, a.xb, a.yb, a.d}),
            std::vector({1, 12, 12, 34, 34, 12, 34, 5}));
  EXPECT_EQ(std::vector({b.num, b.xa, b.y0a, b.xb, b.d}), std::vector({2, -1, 300, 0, 5}));
  EXPECT_TRUE(a.ringMode() && a.ref && b.isFixed() && !b.ref);
  EXPECT_EQ(std::vector({a.rmag, a.mag, b.rmag, b.mag}), std::vector({11.25f, 99.0f, -7.5f, 99.0f}));
  EXPECT_EQ(other.win.ROIsizeEdit.value, 5);
  for (const BVRIRec& c : other.win.BVRIlist) EXPECT_EQ(c.Vmag, 99.0f);
  EXPECT_EQ(std::pair(other.imgwin.TrackstarX, other.imgwin.TrackstarY), std::pair(-1.0, -1.0));

  // Padding bytes are ignored.
  std::string bytes = readBytes(path);
  for (const std::size_t at : {21u, 22u, 23u, 49u, 50u, 51u}) bytes[at] = '\xAB';
  writeBytes(path, bytes);
  test::Rig dirty;
  ASSERT_TRUE(LoadROI(dirty.win, path));
  ASSERT_EQ(dirty.win.count(), 2);
  EXPECT_TRUE(dirty.win.roi(1).ref);
  EXPECT_FALSE(dirty.win.roi(2).ref);
  EXPECT_EQ(dirty.win.roi(2).rmag, -7.5f);
}

TEST_F(RoiFileTest, SizesAreClampedAndChangesReachEarlierRois) {
  // Each size change applies to the ROIs loaded before it: all end with the
  // last size, those before the last change also with the ring sizes it set.
  struct Case { std::vector<std::int32_t> sizes; std::int32_t last; int ringed; };
  const Case cases[] = {{{3}, 5, 0}, {{200}, 99, 0}, {{0, 11}, 11, 1}, {{7, 11, 9, 9}, 9, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sizes.size());
    std::string bytes;
    for (std::size_t i = 0; i < c.sizes.size(); ++i)
      bytes += roiRecord(10 + 20 * int(i), 20, 10 + 20 * int(i), 20, c.sizes[i]);
    writeBytes(path, bytes);
    test::Rig fresh;
    ASSERT_TRUE(LoadROI(fresh.win, path, false));
    ASSERT_EQ(fresh.win.count(), int(c.sizes.size()));
    ASSERT_EQ(fresh.win.BVRIlist.size(), c.sizes.size());
    EXPECT_EQ(fresh.win.ROIsizeEdit.value, c.last);
    for (const TRoi1& r : fresh.win.ROIlist) {
      EXPECT_EQ(r.d, c.last) << r.num;
      EXPECT_EQ(r.x0a, 10 + 20 * (r.num - 1));
      EXPECT_EQ(r.d2, r.num <= c.ringed ? fresh.win.BGinnerEdit.value : 0) << r.num;
      EXPECT_EQ(r.d3, r.num <= c.ringed ? fresh.win.BGsizeEdit.value : 0) << r.num;
    }
  }
}

TEST_F(RoiFileTest, DamagedTornMissingAndRefusedLoads) {
  const std::string nan = roiRecord(10, 20, 10, 20, 9, false, std::bit_cast<float>(0x7FC00000u));
  struct Case { const char* what; std::string bytes; std::int32_t loaded; const char* message; };
  const Case cases[] = {
      {"NaN magnitude", roiRecord(10, 20, 10, 20, 9) + nan + roiRecord(10, 20, 10, 20, 9), 1, "ROI 2 ist ungültig"},
      {"x far beyond any image", roiRecord(0x70000000, 20, 10, 20, 9), 0, "ROI 1 ist ungültig"},
      {"torn end", roiRecord(10, 20, 10, 20, 9) + roiRecord(-1, 300, 0, 0, 5) + std::string(10, '\x07'),
       2, "unvollständig: die letzten 10 Byte"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    writeBytes(path, c.bytes);
    test::Rig fresh;
    EXPECT_FALSE(LoadROI(fresh.win, path));
    EXPECT_EQ(fresh.win.count(), c.loaded);
    ASSERT_EQ(fresh.ui.messages.size(), 1u);
    EXPECT_NE(fresh.ui.messages[0].find(c.message), std::string::npos) << fresh.ui.messages[0];
  }

  addTwoRois(rig);
  const std::string missing = dir.file("missing.roi");
  EXPECT_FALSE(LoadROI(rig.win, missing, false));
  EXPECT_EQ(rig.win.count(), 2);
  EXPECT_EQ(rig.lastMessage(), "Fehler beim Laden der Datei " + missing);

  // Existing ROIs are replaced only after Yes; the project loader does not ask.
  writeBytes(path, roiRecord(10, 20, 10, 20, 7));
  const std::string question = "Vorhandene ROIs werden gelöscht; sind Sie sicher?";
  rig.ui.answers = {UiPort::Answer::No, UiPort::Answer::Cancel, UiPort::Answer::Yes};
  EXPECT_FALSE(LoadROI(rig.win, path));
  EXPECT_FALSE(LoadROI(rig.win, path));
  EXPECT_EQ(rig.win.count(), 2);
  EXPECT_TRUE(LoadROI(rig.win, path));
  EXPECT_EQ(rig.win.count(), 1);
  EXPECT_TRUE(LoadROI(rig.win, path, false));
  EXPECT_EQ(rig.ui.questions, (std::vector<std::string>{question, question, question}));
}

TEST_F(RoiFileTest, ProjectFileBesideSuppliesTheStarInformation) {
  addTwoRois(rig);
  ASSERT_TRUE(SaveROI(rig.win, path));
  writeBytes(dir.file("field.vgp"),
             "[ROIfile]\r\n2\r\nAlpha\r\nBeta\r\n[BVRI]\r\n12,345;11,8;99,000;99,000\r\n"
             "1;2;3;4\r\n[end]\r\n");
  test::Rig other;
  CompTypeState compType;
  ASSERT_TRUE(LoadROI(other.win, path, true, &compType));
  EXPECT_EQ(other.win.roi(1).Name, "Alpha");
  EXPECT_EQ(other.win.roi(2).Name, "Beta");
  EXPECT_EQ(other.win.bvri(1).Bmag, 12.345f);
  EXPECT_EQ(other.win.bvri(2).Imag, 4.0f);
  EXPECT_EQ(compType.ItemIndex, 1);  // ROI 1 is a comparison star of known magnitude
}

TEST_F(RoiFileTest, ResultsTableLines) {
  rig.imgwin.title = "m31.fit";
  rig.win.FilterType = 3;  // "V"
  const auto measured = [&](std::int64_t a, std::int32_t max, std::int32_t sn) {
    TRoi1& r = rig.win.roi(rig.win.count());
    r.acounts = a;
    r.bcounts = 1000;
    r.amaxcounts = max;
    r.npixa = 25;
    r.npixb = 100;
    r.SN = sn;
  };
  rig.appendRoi(10, 10, 10, 10, 5, false, 0.0f);
  measured(6230, 1800, 45);
  // A comparison star as bright as ROI 1: ROI 1 gets its magnitude.
  rig.appendRoi(30, 30, 30, 30, 5, true, 12.3456f);
  measured(6230, 1700, 45);
  rig.appendRoi(50, 50, 50, 50, 5, false, 0.0f);
  measured(1005, 120, 2);  // S/N below 3: no magnitude
  const std::string results = dir.file("results.txt");
  ASSERT_TRUE(SaveROITable(rig.win, results));
  EXPECT_EQ(readBytes(results),
            "Vargaze results for m31.fit\r\n"
            "N; Counts; PixelMax; Mag; S/N; Refmag; Filter\r\n"
            "1;5230;1800;12.346;45;;V\r\n"
            "2;5230;1700;12.346;45;12.346;V\r\n"
            "3;5;120; ;2;;V\r\n");
}

TEST_F(RoiFileTest, SaveFailuresKeepThePreviousFile) {
  for (const bool table : {false, true}) {
    SCOPED_TRACE(table ? "results table" : "ROI file");
    const std::string name = table ? "results.txt" : "field.roi";
    test::Rig saving;
    for (int i = 0; i < 3; ++i) saving.appendRoi(10 + 3 * i, 20 + i, 10 + 3 * i, 20 + i, 9, i == 0, i == 0 ? 11.25f : 0.0f);
    const auto save = table ? saveAction(saving, SaveROITable) : saveAction(saving, SaveROI);
    test::expectMissingFolderReported(dir, name, save);
    test::expectFolderTargetReported(dir, name, save);
    EXPECT_EQ(saving.lastMessage(), "Fehler beim Speichern der Datei " + dir.file(name));

    const std::string target = dir.file(name);
    ASSERT_TRUE(table ? SaveROITable(saving.win, target) : SaveROI(saving.win, target));
    for (int i = 3; i < 500; ++i) saving.appendRoi(10 + 3 * i, 20, 10 + 3 * i, 20, 9, false, 0.0f);
    // 14 000 bytes of records, about 6 000 of lines; the disk is full after 2 000.
    EXPECT_EQ(test::expectFullDiskKeepsFile(target, 2000, save),
              "Fehler beim Speichern der Datei " + target);
    if (table) {
      EXPECT_EQ(test::splitLines(readBytes(target)).size(), 2u + 3u);
      continue;
    }
    test::Rig other;
    ASSERT_TRUE(LoadROI(other.win, target, false));
    ASSERT_EQ(other.win.count(), 3);
    EXPECT_TRUE(other.win.roi(1).ref);
    EXPECT_EQ(other.win.roi(1).rmag, 11.25f);
    EXPECT_EQ(other.win.roi(3).x0a, 16);
  }
}

TEST_F(RoiFileTest, HugeFilesAreRefusedUnreadAndTheLimitLoadsBounded) {
  {
    // A sparse file of 100 MB: its size alone decides.
    std::ofstream out(path, std::ios::binary);
    out.seekp(100'000'000 - 1);
    out.put('\0');
  }
  const test::ChildOutcome huge = loadInChild(path);
  ASSERT_TRUE(huge.exited) << "signal " << huge.signal;
  EXPECT_EQ(huge.exitCode, 1);
  EXPECT_EQ(huge.report, "0|Datei " + path + " ist keine ROI-Datei (zu groß)");
  EXPECT_LT(huge.rssGrowthKb, 16 * 1024);

  writeRoiFile(path, kMaxRoiFileRecords + 1);  // one record above the limit
  const test::ChildOutcome justAbove = loadInChild(path);
  EXPECT_EQ(justAbove.exitCode, 1);
  EXPECT_EQ(justAbove.report, "0|Datei " + path + " ist keine ROI-Datei (zu groß)");

  writeRoiFile(path, kMaxRoiFileRecords);
  const test::ChildOutcome full = loadInChild(path);
  ASSERT_TRUE(full.exited) << "signal " << full.signal << " (SIGALRM: hung)";
  EXPECT_EQ(full.exitCode, 0) << full.report;
  EXPECT_EQ(full.report, std::to_string(kMaxRoiFileRecords) + "|");
  EXPECT_LT(full.rssGrowthKb, 256 * 1024);

  const std::string pipe = test::makePipe(dir, "stars.roi");
  EXPECT_EQ(test::expectPipeRefused([&](std::string& report) {
              test::Rig reader;
              const bool loaded = LoadROI(reader.win, pipe, false);
              report = reader.lastMessage();
              return loaded;
            }),
            "Fehler beim Laden der Datei " + pipe);
}

}  // namespace
}  // namespace vargaze
