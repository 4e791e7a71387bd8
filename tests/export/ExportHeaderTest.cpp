// The header template "exportfileheader.txt", also when it cannot be written
// or read, and the header lines the export window keeps up to date.
#include <gtest/gtest.h>

#include <filesystem>

#include "export/ExportHeader.h"
#include "support/FaultInjection.h"
#include "support/RecordingUi.h"

namespace vargaze {
namespace {

using Lines = std::vector<std::string>;

Settings observer() {
  Settings s;
  s.BAVOBS = "MUS";
  s.OBSCODE = "XMU";
  s.OBSTYPE = "CCD";
  return s;
}

const Lines kDefault = {"#TYPE=EXTENDED", "#DELIM=;", "#BAVOBS=MUS", "#OBSCODE=XMU",
                        "#OBSTYPE=CCD",   "#DATE=JD", "#SOFTWARE=VARGAZE 3.9.9", "#BAVCAT="};

TEST(ExportHeaderTemplate, WrittenWhenMissingAndUsedAsItStandsOtherwise) {
  test::TempDir dir;
  test::RecordingUi ui;
  EXPECT_EQ(loadHeaderTemplate(dir.path().string(), observer(), ';', ui), kDefault);
  EXPECT_EQ(test::readBytes(dir.file("exportfileheader.txt")),
            "#TYPE=EXTENDED\r\n#DELIM=;\r\n#BAVOBS=MUS\r\n#OBSCODE=XMU\r\n#OBSTYPE=CCD\r\n"
            "#DATE=JD\r\n#SOFTWARE=VARGAZE 3.9.9\r\n#BAVCAT=\r\n");
  // A hand-edited template is never written back.
  const std::string text = "#TYPE=EXTENDED\r\n#OBSCODE=OLD\n#MYKEY=kept\r\n";
  test::writeBytes(dir.file("exportfileheader.txt"), text);
  EXPECT_EQ(loadHeaderTemplate(dir.path().string() + "/", observer(), ',', ui),
            (Lines{"#TYPE=EXTENDED", "#OBSCODE=OLD", "#MYKEY=kept"}));
  EXPECT_EQ(test::readBytes(dir.file("exportfileheader.txt")), text);
  EXPECT_TRUE(ui.messages.empty());
}

TEST(ExportHeaderTemplate, FailuresAreReportedAndTheDefaultHeaderServes) {
  test::TempDir dir;
  test::RecordingUi ui;
  const std::string folderName = dir.file("exportfileheader.txt");
  EXPECT_EQ(loadHeaderTemplate(dir.file("no-such-folder"), observer(), ';', ui), kDefault);
  std::filesystem::create_directory(folderName);  // the template's name is a folder
  EXPECT_EQ(loadHeaderTemplate(dir.path().string(), observer(), ';', ui), kDefault);
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_NE(ui.messages[0].find(dir.file("no-such-folder")), std::string::npos) << ui.messages[0];
  EXPECT_NE(ui.messages[1].find(folderName), std::string::npos) << ui.messages[1];
  EXPECT_TRUE(std::filesystem::is_directory(folderName));  // never replaced
  std::filesystem::remove(folderName);

  // The disk is full while the template is written: no torn template is left.
  const test::ChildOutcome child = test::runInChild(
      [&](std::string& report) {
        const bool same = loadHeaderTemplate(dir.path().string(), observer(), ';', ui) == kDefault;
        report = ui.messages.back();
        return same && ui.messages.size() == 3 ? 0 : 1;
      },
      test::ChildLimits{16, 60});
  EXPECT_EQ(child.exitCode, 0) << child.report;
  EXPECT_NE(child.report.find("File too large"), std::string::npos) << child.report;
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(ExportHeaderLines, WindowKeepsTheObserverObstypeAndDelimiterLines) {
  Lines header = {"#TYPE=EXTENDED", "#BAVOBS=old", "#OBSCODE=", "#DELIM=,", "#OBSTYPE=DSLR",
                  "#SOFTWARE=other", "#DELIM=;", "#BAVCAT=GCVS", "# note #OBSCODE= inside"};
  updateHeaderLines(header, observer());
  EXPECT_EQ(header, (Lines{"#TYPE=EXTENDED", "#BAVOBS=MUS", "#OBSCODE=XMU", "#DELIM=,",
                           "#OBSTYPE=CCD", "#SOFTWARE=VARGAZE V.3.9.9", "#DELIM=;", "#BAVCAT=GCVS",
                           "#OBSCODE=XMU"}));
  header.push_back("#OBSTYPE=CCD");
  setHeaderObstype(header, "DSLR");
  setHeaderDelimiter(header, '|');  // one line, where the last one stood
  EXPECT_EQ(header, (Lines{"#TYPE=EXTENDED", "#BAVOBS=MUS", "#OBSCODE=XMU", "#OBSTYPE=DSLR",
                           "#SOFTWARE=VARGAZE V.3.9.9", "#DELIM=|", "#BAVCAT=GCVS", "#OBSCODE=XMU",
                           "#OBSTYPE=DSLR"}));
  // Without one it becomes the second line, or the only one.
  Lines two = {"#TYPE=EXTENDED", "#A=1"}, none;
  setHeaderDelimiter(two, ';');
  setHeaderDelimiter(none, ',');
  EXPECT_EQ(two, (Lines{"#TYPE=EXTENDED", "#DELIM=;", "#A=1"}));
  EXPECT_EQ(none, Lines{"#DELIM=,"});
}

}  // namespace
}  // namespace vargaze
