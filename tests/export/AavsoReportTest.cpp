// The header of the AAVSO/BAV report (the template "exportfileheader.txt" and
// the lines the export window keeps up to date) and the report check: a valid
// report, and per case one change to it with every finding it must give, as
// the command line prints them.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <utility>

#include "export/ExportHeader.h"
#include "export/ReportCheck.h"
#include "support/FaultInjection.h"
#include "support/Lines.h"
#include "support/RecordingUi.h"

namespace vargaze {
namespace {

using Lines = std::vector<std::string>;

Settings observer() {
  Settings s;  // observation type CCD
  s.BAVOBS = "MUS";
  s.OBSCODE = "XMU";
  return s;
}

TEST(ExportHeaderTemplate, WrittenWhenMissingUsedAsItStandsAndFailuresReported) {
  test::TempDir dir;
  test::RecordingUi ui;
  const std::string name = dir.file("exportfileheader.txt");
  const Lines fallback = {"#TYPE=EXTENDED", "#DELIM=;", "#BAVOBS=MUS", "#OBSCODE=XMU",
                          "#OBSTYPE=CCD", "#DATE=JD", "#SOFTWARE=VARGAZE 3.9.9", "#BAVCAT="};
  EXPECT_EQ(loadHeaderTemplate(dir.path().string(), observer(), ';', ui), fallback);
  EXPECT_EQ(test::crlfLines(test::readBytes(name)), fallback);
  // A hand-edited template is never written back; the window keeps its observer lines up
  // to date and puts a missing delimiter line second.
  test::writeBytes(name, "#TYPE=EXTENDED\r\n#OBSCODE=OLD\n#MYKEY=kept\r\n");
  Lines edited = loadHeaderTemplate(dir.path().string() + "/", observer(), ',', ui);
  EXPECT_EQ(edited, (Lines{"#TYPE=EXTENDED", "#OBSCODE=OLD", "#MYKEY=kept"}));
  EXPECT_EQ(test::readBytes(name), "#TYPE=EXTENDED\r\n#OBSCODE=OLD\n#MYKEY=kept\r\n");
  EXPECT_TRUE(ui.messages.empty());
  updateHeaderLines(edited, observer());
  setHeaderDelimiter(edited, '|');
  EXPECT_EQ(edited, (Lines{"#TYPE=EXTENDED", "#DELIM=|", "#OBSCODE=XMU", "#MYKEY=kept"}));
  Lines none;
  setHeaderDelimiter(none, ',');
  EXPECT_EQ(none, Lines{"#DELIM=,"});

  // A template that cannot be written is reported, and the default header serves.
  std::filesystem::remove(name);
  const test::SaveAction write = [&](const std::string& path, std::string& message) {
    ui.messages.clear();
    const std::string folder = std::filesystem::path(path).parent_path().string();
    EXPECT_EQ(loadHeaderTemplate(folder, observer(), ';', ui), fallback);
    message = ui.messages.empty() ? "" : ui.messages.back();
    return message.empty();
  };
  test::expectMissingFolderReported(dir, "exportfileheader.txt", write);
  test::expectParentFileReported(dir, "exportfileheader.txt", write);
  test::expectFolderTargetReported(dir, "exportfileheader.txt", write);
  const std::string full = test::expectFullDiskKeepsFile(name, 16, write);  // none before
  EXPECT_NE(full.find("File too large"), std::string::npos) << full;
}

struct Report {
  Lines header = {"#TYPE=EXTENDED", "#OBSCODE=XMU", "#SOFTWARE=VARGAZE", "#DELIM=,",
                  "#DATE=JD", "#OBSTYPE=CCD"};
  std::vector<Lines> rows = {
      2, {"RR Lyr", "2460371.33333", "13.260", "0.029", "V", "NO", "STD", "C1", "-6.307", "K1",
          "-4.802", "1.23", "na", "X12345AB", "na"}};
  char delimiter = ',';
  bool exposureStarts = false;
};
using Change = std::function<void(Report&)>;

// Fields of the second row (1-based numbers).
Change fields(std::vector<std::pair<int, std::string>> values) {
  return [values](Report& r) {
    for (const auto& [n, text] : values) r.rows[1][static_cast<std::size_t>(n - 1)] = text;
  };
}
Change field(int n, std::string text) { return fields({{n, std::move(text)}}); }
Change line(std::size_t index, std::string text) {
  return [index, text](Report& r) { r.header[index] = text; };
}
Change delimiter(char d) {
  return [d](Report& r) {
    r.delimiter = d;
    r.header[3] = std::string("#DELIM=") + d;
  };
}

std::string joined(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& text : lines) out += (out.empty() ? "" : "\n") + text;
  return out;
}

TEST(ReportCheck, FindingsOfEachCondition) {
  const std::string head = "error: report: ", missing = head + "The header has no #";
  const std::string row2 = "error: row 2, field ", notAavso = "\" is not accepted by AAVSO; "
                                                              "use a comma or a semicolon.";
  const std::string s31(31, 'S');
  const struct { const char* condition; Change change; std::string findings; } cases[] = {
      {"valid report", [](Report&) {}, "none"},
      {"no header", [](Report& r) { r.header.clear(); },
       joined({missing + "TYPE= line.", missing + "OBSCODE= line.", missing + "SOFTWARE= line.",
               missing + "DELIM= line.", missing + "DATE= line.", missing + "OBSTYPE= line."})},
      {"empty value", line(1, "#OBSCODE= "), head + "The header line #OBSCODE= has no value."},
      {"type", line(0, "#TYPE=VISUAL"), head + "#TYPE= must be EXTENDED, not \"VISUAL\"."},
      {"delimiter line differs", line(3, "#DELIM=;"),
       head + "#DELIM= says \";\" but the fields are separated by \",\"."},
      {"date kind", line(4, "#DATE=MJD"), head + "#DATE= must be JD, HJD or EXCEL, not \"MJD\"."},
      {"heliocentric dates", line(4, "#DATE=HJD"), "none"},
      {"header line without #", [](Report& r) { r.header.push_back("no hash here"); },
       head + "The header line \"no hash here\" does not start with #."},
      {"pipe", delimiter('|'), "warning: report: The delimiter \"|\" is meant for BAV reports; "
                               "for AAVSO use a comma or a semicolon."},
      {"hash", delimiter('#'), "warning: report: The delimiter \"#" + notAavso},
      {"blank", delimiter(' '),
       joined({head + "The header line #DELIM= has no value.",
               "warning: report: The delimiter \" " + notAavso,
               "error: row 1, field 1 (STARID): The field contains the delimiter \" \".",
               row2 + "1 (STARID): The field contains the delimiter \" \"."})},
      {"no rows", [](Report& r) { r.rows.clear(); }, head + "The report has no observations."},
      {"exposure starts", [](Report& r) { r.exposureStarts = true; },
       head + "The dates are exposure starts (JD(begin)); AAVSO wants the middle of the exposure. "
              "Switch on the mid-exposure time correction and fill the table again."},
      {"14 fields", [](Report& r) { r.rows[1].pop_back(); },
       "error: row 2: The line has 14 fields instead of 15."},
      {"longest and other accepted values",
       fields({{1, std::string(30, 'S')}, {2, "2460371.33333333"}, {5, "TG"}, {6, "YES"},
               {7, "DIF"}, {12, "1.23456"}, {13, "12345"}}),
       "none"},
      {"one character too long", fields({{1, s31}, {12, "1.234567"}}),
       joined({row2 + "1 (STARID): \"" + s31 + "\" is longer than 30 characters.",
               row2 + "12 (AIRMASS): \"1.234567\" is longer than 7 characters."})},
      {"ensemble", fields({{8, "ENSEMBLE"}, {9, "na"}}), "none"},
      {"ensemble with a magnitude", field(8, "ENSEMBLE"),
       row2 + "9 (CMAG): With the comparison star ENSEMBLE, CMAG must be \"na\"."},
      {"no decimal point", field(3, "12"),
       row2 + "3 (MAGNITUDE): The magnitude \"12\" has no decimal point."},
      {"not a number", field(3, "?"), row2 + "3 (MAGNITUDE): \"?\" is not a number."},
      {"required na", field(3, "na"),
       row2 + "3 (MAGNITUDE): The field is required; \"na\" is not allowed."},
      {"optional empty", field(4, ""),
       row2 + "4 (MAGERR): The field is empty; write \"na\" instead."},
      {"required empty", field(5, " "), row2 + "5 (FILTER): The field is empty."},
      {"filter", field(5, "Vj"), row2 + "5 (FILTER): \"Vj\" is not an AAVSO filter."},
      {"trans", field(6, "MAYBE"), row2 + "6 (TRANS): TRANS must be YES or NO, not \"MAYBE\"."},
      {"mtype", field(7, "ABS"), row2 + "7 (MTYPE): MTYPE must be STD or DIF, not \"ABS\"."},
      {"delimiter in a field", field(15, "thin clouds, moon"),
       row2 + "15 (NOTES): The field contains the delimiter \",\"."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.condition);
    Report r;
    c.change(r);
    std::vector<std::string> found;
    for (const Finding& f : checkAavsoReport(r.header, r.rows, r.delimiter, r.exposureStarts)) {
      found.push_back(describeFinding(f));
    }
    EXPECT_EQ(found.empty() ? "none" : joined(found), c.findings);
  }
}

}  // namespace
}  // namespace vargaze
