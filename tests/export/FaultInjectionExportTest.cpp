// The three exports under injected failures: a missing folder, a target
// name that is a folder, a disk that fills up in the middle of the file. Each
// failure is shown and the previous export stays as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/TextFile.h"
#include "export/AavsoExport.h"
#include "export/ExportHeader.h"
#include "export/FullExport.h"
#include "export/ShortExport.h"
#include "support/SeriesRig.h"
#include "support/FaultInjection.h"

namespace vargaze {
namespace {

const AavsoRow kRow = {"RR Lyr", "2460371.33333", "13.260", "0.029", "V",  "NO", "STD", "C1",
                       "-6.307", "K1",            "-4.802", "1.23",  "na", "X12345AB", "na"};

class FaultInjectionExportTest : public ::testing::Test, public test::SeriesBench {
 protected:
  FaultInjectionExportTest() {
    settings.OBSCODE = "XMU";
    series.filelist1 = {dir.file("a.fit"), dir.file("b.fit"), dir.file("c.fit")};
    win.ROIlist.resize(2);
    win.BVRIlist.resize(2);
    win.ROIindex = 2;
    for (int i = 0; i < 3; ++i)
      series.curve.setFrame(static_cast<std::size_t>(i), 10371.3333333 + i / 144.0, 1.5f,
                            {11.2f, 13.0f + 0.1f * static_cast<float>(i)});
    series.curve.NumCurvePoints = 3;
  }

  std::string lastMessage() const { return ui.messages.empty() ? "" : ui.messages.back(); }

  test::SaveAction saveAavso(ExportForm2& form) {
    return [this, &form](const std::string& path, std::string& message) {
      ui.messages.clear();
      const bool saved = form.SaveButtonClick(path);
      message = lastMessage();
      return saved;
    };
  }

  test::SaveAction saveFull(const FullExportTable& table) {
    return [this, &table](const std::string& path, std::string& message) {
      ui.messages.clear();
      FullExportFields fields;
      fields.FilenameEdit = path;
      const bool saved = saveFullExport(ui, fields, table);
      message = lastMessage();
      return saved;
    };
  }

  test::SaveAction saveShort() {
    return [this](const std::string& path, std::string& message) {
      ui.messages.clear();
      ShortExportFields fields;
      fields.ROIEdit1 = 2;
      fields.AirmassCheck = true;
      fields.FilenameEdit = path;
      const bool saved = ShortExport(series, fields);
      message = lastMessage();
      return saved;
    };
  }

  static std::size_t lineCount(const std::string& path) {
    std::vector<std::string> lines;
    std::string error;
    EXPECT_TRUE(readTextLines(path, lines, error)) << error;
    return lines.size();
  }

  test::TempDir home;
  test::TempDir dir;
};

TEST_F(FaultInjectionExportTest, AavsoSaveFailuresKeepThePreviousReport) {
  ExportForm2 form(series, home.path().string());
  form.FormShow();
  form.rows = {kRow};
  test::expectMissingFolderReported(dir, "night.csv", saveAavso(form));
  EXPECT_EQ(lastMessage().substr(0, 31), "Fehler beim Speichern der Datei");
  test::expectFolderTargetReported(dir, "night.csv", saveAavso(form));

  const std::string path = dir.file("night.csv");
  ASSERT_TRUE(form.SaveButtonClick(path));
  const std::size_t linesBefore = lineCount(path);
  form.rows.assign(2000, kRow);  // about 190 kB
  const std::string message = test::expectFullDiskKeepsFile(path, 8192, saveAavso(form));
  EXPECT_EQ(message.substr(0, 32 + path.size()), "Fehler beim Speichern der Datei " + path);
  EXPECT_NE(message.find("File too large"), std::string::npos) << message;
  EXPECT_EQ(lineCount(path), linesBefore);
}

TEST_F(FaultInjectionExportTest, FullExportSaveFailuresKeepThePreviousFile) {
  FullExportTable table;
  table.heading = "Vargaze export";
  table.titles = {"N", "Counts", "Mag"};
  table.rows.assign(3, {"1", "5230", "12.346"});
  test::expectMissingFolderReported(dir, "full.csv", saveFull(table));
  EXPECT_EQ(lastMessage(), "Fehler");
  test::expectFolderTargetReported(dir, "full.csv", saveFull(table));

  const std::string path = dir.file("full.csv");
  std::string message;
  ASSERT_TRUE(saveFull(table)(path, message)) << message;
  FullExportTable large = table;
  large.rows.assign(20000, {"1", "5230", "12.346"});
  EXPECT_EQ(test::expectFullDiskKeepsFile(path, 4096, saveFull(large)), "Fehler");
  EXPECT_EQ(lineCount(path), 2u + 3u);
}

TEST_F(FaultInjectionExportTest, ShortExportSaveFailuresKeepThePreviousFile) {
  test::expectMissingFolderReported(dir, "short.csv", saveShort());
  EXPECT_EQ(lastMessage(), "Fehler beim Speichern der Datei " + dir.file("no-such-folder/short.csv"));
  test::expectFolderTargetReported(dir, "short.csv", saveShort());

  const std::string path = dir.file("short.csv");
  std::string message;
  ASSERT_TRUE(saveShort()(path, message)) << message;
  // The new export has more frames; the disk is full after its first line.
  const std::vector<std::string> more(400, dir.file("x.fit"));
  series.filelist1.insert(series.filelist1.end(), more.begin(), more.end());
  for (std::size_t i = 3; i < series.filelist1.size(); ++i)
    series.curve.setFrame(i, 10371.4 + static_cast<double>(i) / 1440.0, 1.5f, {11.2f, 13.5f});
  series.curve.NumCurvePoints = static_cast<std::int32_t>(series.filelist1.size());
  EXPECT_EQ(test::expectFullDiskKeepsFile(path, 40, saveShort()),
            "Fehler beim Speichern der Datei " + path);
  EXPECT_EQ(lineCount(path), 3u);
}

TEST_F(FaultInjectionExportTest, HeaderTemplateThatCannotBeWrittenIsReportedAndNotNeeded) {
  // The template's folder is missing: the default header is used all the same.
  const std::vector<std::string> expected = createFileheader(settings, ',');
  EXPECT_EQ(loadHeaderTemplate(dir.file("no-such-folder"), settings, ',', ui), expected);
  EXPECT_NE(lastMessage().find(dir.file("no-such-folder")), std::string::npos) << lastMessage();

  // The disk is full while the template is written: reported, no file (not
  // even a torn one) left behind, the header still complete.
  ui.messages.clear();
  const auto namesBefore = test::folderNames(dir.path());
  const test::ChildOutcome child = test::runInChild(
      [&](std::string& report) {
        const bool same = loadHeaderTemplate(dir.path().string(), settings, ',', ui) == expected;
        report = lastMessage();
        return same ? 0 : 1;
      },
      test::ChildLimits{16, 60});
  EXPECT_EQ(child.exitCode, 0);
  EXPECT_NE(child.report.find("File too large"), std::string::npos) << child.report;
  EXPECT_EQ(test::folderNames(dir.path()), namesBefore);
}

TEST_F(FaultInjectionExportTest, ReadOnlyFolderKeepsThePreviousExport) {
  VARGAZE_SKIP_READ_ONLY_AS_ROOT();
  std::filesystem::create_directory(dir.file("ro"));
  const std::string path = dir.file("ro/short.csv");
  std::string message;
  ASSERT_TRUE(saveShort()(path, message)) << message;
  test::expectReadOnlyFolderKeepsFile(path, saveShort());
  EXPECT_EQ(lineCount(path), 3u);
}

}  // namespace
}  // namespace vargaze
