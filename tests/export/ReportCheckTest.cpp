// The AAVSO report check: every rule caught on a report that breaks it, and
// a clean export of the demo series that passes.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "base/TextFile.h"
#include "export/AavsoExport.h"
#include "export/ReportCheck.h"
#include "series/ProjectFile.h"
#include "support/SeriesRig.h"
#include "support/CliRunner.h"

namespace vargaze {
namespace {

using Rows = std::vector<std::vector<std::string>>;

const std::vector<std::string> kHeader = {"#TYPE=EXTENDED", "#OBSCODE=XMU", "#SOFTWARE=VARGAZE",
                                          "#DELIM=,",       "#DATE=JD",     "#OBSTYPE=CCD"};
const std::vector<std::string> kRow = {"RR Lyr", "2460371.33333", "13.260", "0.029", "V",
                                       "NO",     "STD",           "C1",     "-6.307", "K1",
                                       "-4.802", "1.23",          "na",     "X12345AB", "na"};

// Each finding as "row/field".
std::vector<std::string> places(const std::vector<Finding>& findings) {
  std::vector<std::string> out;
  for (const Finding& f : findings) out.push_back(std::to_string(f.row) + "/" + std::to_string(f.field));
  return out;
}

TEST(ReportCheck, CleanReportHasNoFinding) {
  EXPECT_TRUE(checkAavsoReport(kHeader, Rows{kRow, kRow}, ',').empty());
}

TEST(ReportCheck, EachRequiredHeaderLineIsMissed) {
  for (std::size_t i = 0; i < kHeader.size(); ++i) {
    std::vector<std::string> header = kHeader;
    header.erase(header.begin() + static_cast<std::ptrdiff_t>(i));
    const auto findings = checkAavsoReport(header, Rows{kRow}, ',');
    ASSERT_EQ(findings.size(), 1u) << kHeader[i];
    EXPECT_EQ(findings[0].row, 0);
    EXPECT_NE(findings[0].text.find(kHeader[i].substr(0, kHeader[i].find('=') + 1)),
              std::string::npos);
  }
}

TEST(ReportCheck, HeaderValuesAreChecked) {
  std::vector<std::string> header = kHeader;
  header[1] = "#OBSCODE=";
  header[0] = "#TYPE=VISUAL";
  header[3] = "#DELIM=;";
  header.push_back("no hash here");
  const auto findings = checkAavsoReport(header, Rows{kRow}, ',');
  ASSERT_EQ(findings.size(), 4u);
  EXPECT_EQ(findings[0].text, "The header line #OBSCODE= has no value.");
  EXPECT_EQ(findings[1].text, "#TYPE= must be EXTENDED, not \"VISUAL\".");
  EXPECT_EQ(findings[2].text, "#DELIM= says \";\" but the fields are separated by \",\".");
  EXPECT_EQ(findings[3].text, "The header line \"no hash here\" does not start with #.");
}

struct BadField {
  std::size_t index;  // 0-based field
  const char* value;
};

TEST(ReportCheck, EachFieldRuleIsCaughtOnItsField) {
  const BadField cases[] = {
      {0, "V0123 Cygni long designation xx"},  // 31 characters
      {1, "2460371.333333333"},                // 17
      {2, "12.34567"},                         // fine at 8 ...
      {2, "12.345678"},                        // ... not at 9
      {2, "12"},                               // no point
      {2, "?"},
      {2, "na"},                               // required
      {3, "0.0291"},                           // fine at 6
      {3, "0.02912"},
      {3, ""},                                 // empty: write na
      {4, "Vj"},
      {4, "TG"},                               // a tri-colour green: fine
      {5, "MAYBE"},
      {6, "ABS"},
      {7, "C1 000-BBC-123 long x"},            // 21
      {7, " "},                                // blank
      {8, "-12.34567"},                        // 9
      {9, "K1 000-BBC-124 long x"},
      {10, "-4.80212"},                        // fine at 8
      {10, "-4.802123"},
      {11, "1.23456"},                         // fine at 7
      {11, "1.234567"},
      {12, "123456"},
      {13, "X12345AB-X12345AB-xx1"},
      {14, ""},
  };
  const std::set<std::string> fine = {"12.34567", "0.0291", "TG", "-4.80212", "1.23456"};
  for (const BadField& c : cases) {
    std::vector<std::string> row = kRow;
    row[c.index] = c.value;
    const auto findings = checkAavsoReport(kHeader, Rows{kRow, row}, ',');
    if (fine.count(c.value) != 0) {
      EXPECT_TRUE(findings.empty()) << c.value;
      continue;
    }
    EXPECT_EQ(places(findings), std::vector<std::string>{"2/" + std::to_string(c.index + 1)})
        << "field " << c.index + 1 << " = \"" << c.value << "\"";
  }
}

TEST(ReportCheck, FieldCountEnsembleAndNoRows) {
  std::vector<std::string> shortRow = kRow;
  shortRow.pop_back();
  EXPECT_EQ(places(checkAavsoReport(kHeader, Rows{shortRow}, ',')),
            std::vector<std::string>{"1/0"});
  std::vector<std::string> ensemble = kRow;
  ensemble[7] = "ENSEMBLE";
  EXPECT_EQ(places(checkAavsoReport(kHeader, Rows{ensemble}, ',')),
            std::vector<std::string>{"1/9"});
  ensemble[8] = "na";
  EXPECT_TRUE(checkAavsoReport(kHeader, Rows{ensemble}, ',').empty());
  EXPECT_EQ(checkAavsoReport(kHeader, Rows{}, ',').size(), 1u);
}

TEST(ReportCheck, DelimiterInAFieldAndDelimitersAavsoDislikes) {
  std::vector<std::string> row = kRow;
  row[14] = "thin clouds, moon";
  EXPECT_EQ(places(checkAavsoReport(kHeader, Rows{row}, ',')), std::vector<std::string>{"1/15"});

  for (const char delimiter : {'|', '#', ' '}) {
    std::vector<std::string> header = kHeader;
    header[3] = std::string("#DELIM=") + delimiter;
    const auto findings = checkAavsoReport(header, Rows{kRow}, delimiter);
    EXPECT_EQ(std::count_if(findings.begin(), findings.end(),
                            [](const Finding& f) {
                              return f.severity == Finding::Severity::Warning &&
                                     f.text.find("delimiter") != std::string::npos;
                            }),
              1)
        << delimiter;
  }
}

TEST(ReportCheck, ExposureStartTimesAreReported) {
  const auto findings = checkAavsoReport(kHeader, Rows{kRow}, ',', true);
  ASSERT_EQ(findings.size(), 1u);
  EXPECT_NE(findings[0].text.find("middle of the exposure"), std::string::npos);
  EXPECT_EQ(describeFinding({Finding::Severity::Error, 3, 9, "Bad."}),
            "error: row 3, field 9 (CMAG): Bad.");
}

TEST(ReportCheckDemo, CleanExportOfTheDemoSeriesPasses) {
  test::TempDir cliHome;
  test::TempDir data;
  ASSERT_EQ(test::runCli("demo " + test::quoted(data.path().string()) + " --frames 3", cliHome)
                .exitCode,
            0);
  test::SeriesBench bench;
  bench.settings.OBSCODE = "XMU";
  bench.settings.MiddletimeCorrection = true;
  ProjectLoadOptions options;
  options.askForCurve = false;
  ASSERT_EQ(LoadProjectfile(bench.series, data.file("demo.vgp"), options),
            ProjectLoadResult::Loaded);
  test::TempDir home;
  ExportForm2 form(bench.series, home.path().string());
  ASSERT_TRUE(form.BAVAAVSODatenexport1Click());
  ASSERT_EQ(form.FillButtonClick(), FillResult::Completed);
  ASSERT_EQ(form.rows.size(), 3u);

  const auto findings = form.checkReport();
  for (const Finding& f : findings) ADD_FAILURE() << describeFinding(f);
  EXPECT_TRUE(bench.ui.messages.empty());

  const std::string file = data.file("demo.csv");
  ASSERT_TRUE(form.SaveButtonClick(file));
  std::vector<std::string> lines;
  std::string error;
  ASSERT_TRUE(readTextLines(file, lines, error)) << error;
  for (const char* key : {"#TYPE=EXTENDED", "#OBSCODE=XMU", "#SOFTWARE=", "#DELIM=,", "#DATE=JD",
                          "#OBSTYPE=CCD"}) {
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [key](const std::string& l) { return l.rfind(key, 0) == 0; }),
              1)
        << key;
  }
  ASSERT_EQ(lines.size(), form.ExportHeader.size() + 1 + 3);
  for (std::size_t i = lines.size() - 3; i < lines.size(); ++i) {
    EXPECT_EQ(std::count(lines[i].begin(), lines[i].end(), ','), 14) << lines[i];
  }
}

}  // namespace
}  // namespace vargaze
