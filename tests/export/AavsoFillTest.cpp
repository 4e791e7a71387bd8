// The fill of the export table over a small series with stars of known net
// counts: comparison C1 (20000 counts, V 11.2), variable (3000), check K1
// (5000, V 12.0); 60 s exposures, gain 1, no read noise or dark current.
#include <gtest/gtest.h>

#include "export/AavsoExport.h"
#include "support/SeriesRig.h"

namespace vargaze {
namespace {

using test::FrameContent;

FrameContent field(const std::string& date, const std::string& filter = "V",
                   double exposure = 60.0) {
  FrameContent content;
  content.stars = {{30, 30, 20000.0, 0.0}, {70, 50, 3000.0, 0.0}, {50, 20, 5000.0, 0.0},
                   {20, 60, 8000.0, 0.0}};
  content.date = date;
  content.filter = filter;
  content.exposure = exposure;
  return content;
}

class AavsoFill : public test::SeriesRig {
 protected:
  AavsoFill() {
    settings.ReadnoiseElectrons = 0.0;
    settings.DarkElectronsPerSec = 0.0;
  }

  std::vector<std::string> write(const std::vector<FrameContent>& frames) {
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < frames.size(); ++i) {
      paths.push_back(dir.file("f" + std::to_string(i + 10) + ".fit"));
      test::writeFrame(paths.back(), frames[i]);
    }
    return paths;
  }

  void open(const std::vector<FrameContent>& frames) {
    ASSERT_TRUE(series.openSeries(write(frames)));
    addRoi(30, 30);
    addRoi(70, 50);
    addRoi(50, 20);
    win.roi(1).Name = "C1";
    win.roi(2).Name = "RR Lyr";
    win.roi(3).Name = "K1";
    win.roi(1).ref = true;
    win.roi(1).rmag = 11.2f;
    win.bvri(1) = {11.8f, 11.2f, 99.0f, 99.0f};
    win.roi(3).rmag = 12.0f;
    win.bvri(3) = {12.5f, 12.0f, 99.0f, 99.0f};
    win.AAVSOchartEdit = "X12345AB";
    ASSERT_TRUE(form.BAVAAVSODatenexport1Click());
  }

  test::TempDir home;
  ExportForm2 form{series, home.path().string()};
};

const std::string kDate1 = "2024-03-01T20:00:00";  // JD 2460371.333333
const std::string kDate2 = "2024-03-01T20:10:00";  // + 600 s

TEST_F(AavsoFill, RowsWithInstrumentalComparisonAndCheckMagnitudes) {
  open({field(kDate1), field(kDate2)});
  EXPECT_EQ(form.ROIEdit1, 2);  // preset from the ROI types
  EXPECT_EQ(form.ROIEdit2, 3);
  EXPECT_EQ(form.OBSTYPEselect, "CCD");
  ASSERT_EQ(form.FillButtonClick(), FillResult::Completed);
  // Mag 11.2 + 2.5 log10(20000/3000); S/N 39 (sky 2500/176 e per pixel, star
  // box 25 pixels, ring 176), comparison S/N 132, error
  // 1.086 sqrt(1/39^2 + (1.0857/132)^2); instrumental -2.5 log10(20000/60)
  // and -2.5 log10(5000/60).
  const AavsoRow first = {"RR Lyr", "2460371.33333", "13.260", "0.029", "V",  "NO", "STD",
                          "C1",     "-6.307",        "K1",     "-4.802", "na", "na", "X12345AB",
                          "na"};
  ASSERT_EQ(form.rows.size(), 2u);
  EXPECT_EQ(form.rows[0], first);
  AavsoRow second = first;
  second[1] = "2460371.34028";
  EXPECT_EQ(form.rows[1], second);
  EXPECT_FALSE(form.TableCleared);
  EXPECT_FALSE(form.StopButtonVisible);
  EXPECT_TRUE(form.timesAtExposureStart);
  EXPECT_FALSE(form.TransformButtonEnabled);  // V only
}

TEST_F(AavsoFill, StandardizedMagnitudesMidExposureAndJdCorrection) {
  settings.MiddletimeCorrection = true;
  settings.JDprecision = 7;
  open({field(kDate1)});
  form.Comp_check_mags = CompCheckMags::Standardized;
  ASSERT_EQ(form.FillButtonClick(), FillResult::Completed);
  // Middle: + 30 s; the 15-character JD text is cut, not rounded, to 13.
  EXPECT_EQ(form.rows[0][1], "2460371.33368");
  EXPECT_EQ(form.rows[0][8], "11.200");  // "Mag" cell up to its "*"
  EXPECT_EQ(form.rows[0][10], "12.705"); // 11.2 + 2.5 log10(4)
  EXPECT_FALSE(form.timesAtExposureStart);

  form.JDcorrEdit = "-30";  // back to the exposure start: 2460371.3333333
  ASSERT_EQ(form.FillButtonClick(), FillResult::Completed);
  EXPECT_EQ(form.rows[0][1], "2460371.33333");
  form.JDcorrEdit = "43.2";  // 0.0005 d
  ASSERT_EQ(form.FillButtonClick(), FillResult::Completed);
  EXPECT_EQ(form.rows[0][1], "2460371.33418");
}

TEST_F(AavsoFill, ZeroExposureCountsAsOneSecond) {
  open({field(kDate1, "V", 0.0)});
  ASSERT_EQ(form.FillButtonClick(), FillResult::Completed);
  EXPECT_EQ(form.rows[0][8], "-10.753");  // -2.5 log10(20000)
  EXPECT_EQ(form.rows[0][10], "-9.247");  // -2.5 log10(5000)
}

TEST_F(AavsoFill, EnsembleDisablesTheTransformation) {
  settings.TF_Tb = settings.TF_Tbv = settings.TF_Tv = 0.1;
  open({field(kDate1, "V"), field(kDate2, "B")});
  ASSERT_EQ(form.FillButtonClick(), FillResult::Completed);
  EXPECT_EQ(form.rows[1][4], "B");
  EXPECT_TRUE(form.TransformButtonEnabled);

  addRoi(20, 60);
  win.roi(4).ref = true;
  win.roi(4).rmag = 10.7f;
  win.bvri(4) = {11.3f, 10.7f, 99.0f, 99.0f};
  ASSERT_EQ(form.FillButtonClick(), FillResult::Completed);
  for (const AavsoRow& row : form.rows) {
    EXPECT_EQ(row[7], "ENSEMBLE");
    EXPECT_EQ(row[8], "na");
  }
  EXPECT_FALSE(form.TransformButtonEnabled);
}

TEST_F(AavsoFill, RefusedFieldsLeaveTheTable) {
  open({field(kDate1)});
  ASSERT_EQ(form.FillButtonClick(), FillResult::Completed);
  const auto filled = form.rows;

  form.JDcorrEdit = "1,5";
  EXPECT_EQ(form.FillButtonClick(), FillResult::Refused);
  form.JDcorrEdit = "0.0";
  form.ROIEdit2 = 4;  // three ROIs only
  EXPECT_EQ(form.FillButtonClick(), FillResult::Refused);
  form.ROIEdit2 = 3;
  form.ROIEdit1 = 0;
  EXPECT_EQ(form.FillButtonClick(), FillResult::Refused);
  EXPECT_EQ(form.rows, filled);
  EXPECT_EQ(ui.messages, (std::vector<std::string>{"JD corr. in sec inkorrekt!",
                                                   "ROI Nr. (Kontrollstern) nicht vorhanden!",
                                                   "ROI Nr. (Variabler) nicht vorhanden!"}));

  form.ROIEdit1 = 2;
  form.ROIEdit2 = 1;  // the comparison star
  EXPECT_EQ(form.FillButtonClick(), FillResult::Refused);
  EXPECT_EQ(ui.messages.back(), "Kontrollstern = Vergleichsstern!");
  EXPECT_EQ(form.rows, std::vector<AavsoRow>(1));  // cleared
  EXPECT_TRUE(form.TableCleared);
}

TEST_F(AavsoFill, CheckStarInTheEnsembleIsRefused) {
  open({field(kDate1)});
  addRoi(20, 60);
  win.roi(4).ref = true;
  win.roi(4).rmag = 10.7f;
  form.ROIEdit2 = 4;
  EXPECT_EQ(form.FillButtonClick(), FillResult::Refused);
  EXPECT_EQ(ui.messages.back(), "Kontrollstern = Vergleichsstern!");
}

TEST_F(AavsoFill, FrameThatFailsToLoadHasNoRow) {
  open({field(kDate1), field(kDate2), field("2024-03-01T20:20:00")});
  test::writeBytes(series.filelist1[1], "not a frame");
  ASSERT_EQ(form.FillButtonClick(), FillResult::Completed);
  ASSERT_EQ(form.rows.size(), 2u);
  EXPECT_EQ(form.rows[0][1], "2460371.33333");
  EXPECT_EQ(form.rows[1][1], "2460371.34722");  // frame 3, not frame 1's values again
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Fehler beim Laden der Datei " +
                                                  series.filelist1[1]});
}

TEST_F(AavsoFill, LongSeriesScrollsAndStopKeepsTheRowsFilled) {
  std::vector<FrameContent> frames;
  for (int i = 0; i < 12; ++i) {
    frames.push_back(field("2024-03-01T20:" + std::to_string(10 + i) + ":00"));
  }
  open(frames);
  ASSERT_EQ(form.FillButtonClick(), FillResult::Completed);
  EXPECT_EQ(form.rows.size(), 12u);
  EXPECT_EQ(form.TopRow, 2);

  form.TableReset();
  bool stopShown = false;
  ui.onEvents = [&] { stopShown = stopShown || form.StopButtonVisible; };
  ui.cancelAfterEvents = ui.eventsProcessed + 3;  // STOP while frame 3 is shown
  EXPECT_EQ(form.FillButtonClick(), FillResult::Stopped);
  EXPECT_TRUE(stopShown);
  EXPECT_FALSE(form.StopButtonVisible);
  ASSERT_EQ(form.rows.size(), 2u);
  EXPECT_EQ(form.rows[1][1], "2460371.34097");  // 20:11
  EXPECT_TRUE(form.TableCleared);  // a stopped fill keeps it
  EXPECT_FALSE(series.runActive);
}

}  // namespace
}  // namespace vargaze
