// The header template "exportfileheader.txt" and the header lines the export
// window keeps up to date.
#include <gtest/gtest.h>

#include <filesystem>

#include "export/ExportHeader.h"
#include "support/RecordingUi.h"
#include "support/TempDir.h"

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

TEST(ExportHeaderTemplate, MissingTemplateIsCreatedWithTheDefaultHeader) {
  test::TempDir dir;
  test::RecordingUi ui;
  const Lines header = loadHeaderTemplate(dir.path().string(), observer(), ';', ui);
  const Lines expected = {"#TYPE=EXTENDED", "#DELIM=;",  "#BAVOBS=MUS",
                          "#OBSCODE=XMU",   "#OBSTYPE=CCD", "#DATE=JD",
                          "#SOFTWARE=VARGAZE 3.9.9", "#BAVCAT="};
  EXPECT_EQ(header, expected);
  EXPECT_EQ(test::readBytes(dir.file("exportfileheader.txt")),
            "#TYPE=EXTENDED\r\n#DELIM=;\r\n#BAVOBS=MUS\r\n#OBSCODE=XMU\r\n#OBSTYPE=CCD\r\n"
            "#DATE=JD\r\n#SOFTWARE=VARGAZE 3.9.9\r\n#BAVCAT=\r\n");
  EXPECT_TRUE(ui.messages.empty());
}

TEST(ExportHeaderTemplate, HandEditedTemplateIsUsedAsItStands) {
  test::TempDir dir;
  test::RecordingUi ui;
  const std::string text = "#TYPE=EXTENDED\r\n#OBSCODE=OLD\n#MYKEY=kept\r\n";
  test::writeBytes(dir.file("exportfileheader.txt"), text);
  const Lines header = loadHeaderTemplate(dir.path().string() + "/", observer(), ',', ui);
  EXPECT_EQ(header, (Lines{"#TYPE=EXTENDED", "#OBSCODE=OLD", "#MYKEY=kept"}));
  EXPECT_EQ(test::readBytes(dir.file("exportfileheader.txt")), text);  // never written back
}

TEST(ExportHeaderTemplate, UnreadableTemplateIsReportedAndKept) {
  test::TempDir dir;
  test::RecordingUi ui;
  std::filesystem::create_directory(dir.file("exportfileheader.txt"));  // not a regular file
  const Lines header = loadHeaderTemplate(dir.path().string(), observer(), ',', ui);
  EXPECT_EQ(header.front(), "#TYPE=EXTENDED");
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_NE(ui.messages[0].find("exportfileheader.txt"), std::string::npos);
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("exportfileheader.txt")));
}

TEST(ExportHeaderLines, ShowingUpdatesTheFourObserverLinesOnly) {
  Lines header = {"#TYPE=EXTENDED", "#BAVOBS=old", "#OBSCODE=", "#OBSTYPE=DSLR",
                  "#SOFTWARE=other", "#BAVCAT=GCVS", "# note #OBSCODE= inside"};
  updateHeaderLines(header, observer());
  EXPECT_EQ(header, (Lines{"#TYPE=EXTENDED", "#BAVOBS=MUS", "#OBSCODE=XMU", "#OBSTYPE=CCD",
                           "#SOFTWARE=VARGAZE V.3.9.9", "#BAVCAT=GCVS", "#OBSCODE=XMU"}));
}

TEST(ExportHeaderLines, ObservationTypeReplacesEveryObstypeLine) {
  Lines header = {"#OBSTYPE=CCD", "#X=1", "#OBSTYPE=CCD"};
  setHeaderObstype(header, "DSLR");
  EXPECT_EQ(header, (Lines{"#OBSTYPE=DSLR", "#X=1", "#OBSTYPE=DSLR"}));
}

TEST(ExportHeaderLines, DelimiterLineTakesThePlaceOfTheLastOne) {
  Lines header = {"#TYPE=EXTENDED", "#DELIM=,", "#A=1", "#DELIM=;", "#B=2"};
  setHeaderDelimiter(header, '|');
  EXPECT_EQ(header, (Lines{"#TYPE=EXTENDED", "#A=1", "#DELIM=|", "#B=2"}));
}

TEST(ExportHeaderLines, MissingDelimiterLineBecomesTheSecondOrTheLast) {
  Lines header = {"#TYPE=EXTENDED", "#A=1"};
  setHeaderDelimiter(header, ';');
  EXPECT_EQ(header, (Lines{"#TYPE=EXTENDED", "#DELIM=;", "#A=1"}));
  Lines empty;
  setHeaderDelimiter(empty, ',');
  EXPECT_EQ(empty, Lines{"#DELIM=,"});
}

}  // namespace
}  // namespace vargaze
