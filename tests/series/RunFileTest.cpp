// The lines of the run file and the curve data file, byte for byte.
#include <gtest/gtest.h>

#include "series/RunFile.h"

namespace vargaze {
namespace {

TEST(RunFileTest, HeaderWithAndWithoutOffset) {
  EXPECT_EQ(runHeaderLine(2450000.0, 2), "\"filename\";\"JD-2450000\";\"ROI1  mag\";\"ROI2  mag\";");
  EXPECT_EQ(runHeaderLine(0.0, 1), "\"filename\";\"JD\";\"ROI1  mag\";");
  EXPECT_EQ(runHeaderLine(-5.0, 0), "\"filename\";\"JD\";");
  EXPECT_EQ(runHeaderLine(2460000.5, 1), "\"filename\";\"JD-2460000.5\";\"ROI1  mag\";");
}

TEST(RunFileTest, ReferenceLine) {
  TRoi1 comp;
  comp.ref = true;
  comp.rmag = 11.2f;
  TRoi1 other;
  other.rmag = 12.0f;  // a check star's magnitude is not a reference
  EXPECT_EQ(runReferenceLine({comp, other}), "\"------\";0;11.200;\"?\"");
  EXPECT_EQ(runReferenceLine({}), "\"------\";0");
}

TEST(RunFileTest, FrameLines) {
  EXPECT_EQ(runFrameLine("/data/a.fit", 5234.123456, 5, {12.3456f, 99.0f}),
            "\"/data/a.fit\";5234.12346;12.346;99.000");
  EXPECT_EQ(runFrameLine("b.fit", 2455234.123456789, 8, {}), "\"b.fit\";2455234.12345679");
  // The curve data file always prints 5 decimals.
  EXPECT_EQ(curveDataFrameLine("c.fit", 5234.123456, {10.5f}), "\"c.fit\";5234.12346;10.500");
  EXPECT_EQ(curveDataFrameLine("c.fit", 2455234.123456, {}), "\"c.fit\";2455234.12346");
}

TEST(RunFileTest, CurveFileNameNeverOverwritesTheProject) {
  Settings settings;
  settings.CurveFileExt = ".csv";
  EXPECT_EQ(curveFileName("/p/night.vgp", settings), "/p/night.csv");
  for (const char* bad : {".vgp", ".VGP", ".roi", "", "csv"}) {
    settings.CurveFileExt = bad;
    EXPECT_EQ(curveFileName("/p/night.vgp", settings), "/p/night.prn") << bad;
  }
}

}  // namespace
}  // namespace vargaze
