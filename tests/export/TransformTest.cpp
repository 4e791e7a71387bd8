// The B-V, V-R and three-filter transformation: formulas against numbers
// worked out by hand, and the transform button on an edited table.
#include <gtest/gtest.h>

#include "base/Errors.h"
#include "export/AavsoExport.h"
#include "export/Transform.h"
#include "support/SeriesRig.h"

namespace vargaze {
namespace {

// mag, err, Cmag, Kmag of the three frames.
const FilterReading kV{12.0, 0.010, 11.0, 12.5};
const FilterReading kB{12.8, 0.020, 11.6, 13.1};
const FilterReading kR{11.5, 0.015, 10.6, 12.0};

Settings coefficients() {
  Settings s;
  s.TF_Tb = 0.1;
  s.TF_Tbv = 1.1;
  s.TF_Tv = -0.05;
  s.TF_Tr = 0.03;
  s.TF_Tvr = 0.95;
  s.TF_Tv2 = 0.04;
  return s;
}

TEST(TransformFormulas, BVPair) {
  // Bc-Vc = 0.6, B-V = 0.8: BV = 0.6 + 1.1 * 0.2 = 0.82; Vt = 12 - 0.05 * 0.22.
  const BVTransform t = transformBV(kV, kB, coefficients());
  EXPECT_NEAR(t.Vt, 11.989, 1e-9);
  EXPECT_NEAR(t.Bt, 12.809, 1e-9);
  EXPECT_NEAR(t.Vkt, 12.5, 1e-9);  // the check star has the comparison's colour
  EXPECT_NEAR(t.Bkt, 13.1, 1e-9);
  // Tv*Tbv = -0.055: sqrt((0.945*0.01)^2 + (0.055*0.02)^2), sqrt((0.155*0.01)^2 + (1.045*0.02)^2)
  EXPECT_NEAR(t.eVt, 0.00951381, 1e-8);
  EXPECT_NEAR(t.eBt, 0.0209574, 1e-8);
}

TEST(TransformFormulas, VRPair) {
  // Vc-Rc = 0.4, V-R = 0.5: VR = 0.4 + 0.95 * 0.1 = 0.495; V2t = 12 + 0.04 * 0.095.
  const VRTransform t = transformVR(kV, kR, coefficients());
  EXPECT_NEAR(t.V2t, 12.0038, 1e-9);
  EXPECT_NEAR(t.Rt, 11.5088, 1e-9);
  EXPECT_NEAR(t.V2kt, 12.5038, 1e-9);
  EXPECT_NEAR(t.Rkt, 12.0088, 1e-9);
  // Tv2*Tvr = 0.038: sqrt((1.038*0.01)^2 + (0.038*0.015)^2), sqrt((0.088*0.01)^2 + (0.988*0.015)^2)
  EXPECT_NEAR(t.eV2t, 0.01039564, 1e-8);
  EXPECT_NEAR(t.eRt, 0.01484611, 1e-8);
}

class TransformButton : public ::testing::Test, public test::SeriesBench {
 protected:
  TransformButton() {
    settings = coefficients();
    form.TransformButtonEnabled = true;
  }

  static AavsoRow row(const char* filter, const char* mag, const char* err, const char* cmag,
                      const char* kmag) {
    return {"RR Lyr", "2460371.33333", mag, err, filter, "NO", "STD", "C1", cmag, "K1", kmag,
            "na",     "na",            "na", "na"};
  }

  test::TempDir home;
  ExportForm2 form{series, home.path().string()};
};

TEST_F(TransformButton, ThreeFiltersAskOnceAndAverageTheV) {
  form.Comp_check_mags = CompCheckMags::Standardized;
  form.rows = {row("V", "12.000", "0.010", "11.000", "12.500"),
               row("B", "12.800", "0.020", "11.600", "13.100"),
               row("R", "11.500", "0.015", "10.600", "12.000")};
  ASSERT_EQ(form.TransformButtonClick(), TransformResult::Inserted);
  ASSERT_EQ(ui.questions.size(), 1u);
  EXPECT_EQ(ui.questions[0],
            "Btrans= 12.809 Vtrans= 11.996 Rtrans= 11.509; Transformierte Daten einfügen?");
  // V: (11.989 + 12.0038) / 2, errors (0.009514 + 0.010396) / 2, check (12.5 + 12.5038) / 2.
  EXPECT_EQ(form.rows[0][2], "11.996");
  EXPECT_EQ(form.rows[0][3], "0.010");
  EXPECT_EQ(form.rows[0][10], "12.502");
  EXPECT_EQ(form.rows[1][2], "12.809");
  EXPECT_EQ(form.rows[1][3], "0.021");
  EXPECT_EQ(form.rows[1][10], "13.100");
  EXPECT_EQ(form.rows[2][2], "11.509");
  EXPECT_EQ(form.rows[2][3], "0.015");
  EXPECT_EQ(form.rows[2][10], "12.009");
  for (const AavsoRow& r : form.rows) EXPECT_EQ(r[5], "YES");
  EXPECT_FALSE(form.TransformButtonEnabled);
}

TEST_F(TransformButton, InstrumentalCheckMagnitudesStayAndNoLeavesTheTable) {
  form.rows = {row("B", "12.800", "0.020", "-6.100", "-4.900"),
               row("V", "12.000", "0.010", "-6.700", "-5.500")};
  const auto before = form.rows;
  ui.answers = {UiPort::Answer::No, UiPort::Answer::Yes};
  EXPECT_EQ(form.TransformButtonClick(), TransformResult::Declined);
  EXPECT_EQ(form.rows, before);
  EXPECT_TRUE(form.TransformButtonEnabled);
  // Bc-Vc = 0.6, B-V = 0.8 as above.
  EXPECT_EQ(ui.questions[0], "Btrans= 12.809 Vtrans= 11.989; Transformierte Daten einfügen?");
  EXPECT_EQ(form.TransformButtonClick(), TransformResult::Inserted);
  EXPECT_EQ(form.rows[1][2], "11.989");
  EXPECT_EQ(form.rows[1][10], "-5.500");  // only standardized check magnitudes are transformed
}

TEST_F(TransformButton, VRPairQuestion) {
  form.rows = {row("V", "12.000", "0.010", "11.000", "12.500"),
               row("R", "11.500", "0.015", "10.600", "12.000")};
  ASSERT_EQ(form.TransformButtonClick(), TransformResult::Inserted);
  EXPECT_EQ(ui.questions[0], "Vtrans2= 12.004 Rtrans= 11.509; Transformierte Daten einfügen?");
  EXPECT_EQ(form.rows[0][2], "12.004");
  EXPECT_EQ(form.rows[1][3], "0.015");
}

TEST_F(TransformButton, CoefficientAt99IsRefusedForItsPair) {
  settings.TF_Tv2 = 99.0;
  form.rows = {row("V", "12.000", "0.010", "11.000", "12.500"),
               row("R", "11.500", "0.015", "10.600", "12.000")};
  const auto before = form.rows;
  EXPECT_EQ(form.TransformButtonClick(), TransformResult::Refused);
  EXPECT_EQ(ui.messages,
            std::vector<std::string>{
                "Transformationskoeffizienten (V,R) nicht vorhanden (Setup/transformation)"});
  EXPECT_TRUE(ui.questions.empty());
  EXPECT_EQ(form.rows, before);

  settings = Settings{};  // all at 99
  form.rows[1][4] = "B";
  ui.messages.clear();
  EXPECT_EQ(form.TransformButtonClick(), TransformResult::Refused);
  EXPECT_EQ(ui.messages,
            std::vector<std::string>{
                "Transformationskoeffizienten (B,V) nicht vorhanden (Setup/transformation)"});
}

TEST_F(TransformButton, NonNumericCellEndsTheCommandNamingItAndChangesNothing) {
  form.rows = {row("V", "12.000", "na", "11.000", "12.500"),
               row("B", "12.800", "0.020", "11.600", "13.100")};
  const auto before = form.rows;
  try {
    form.TransformButtonClick();
    FAIL() << "a non-numeric error cell was accepted";
  } catch (const RangeError& e) {
    EXPECT_EQ(std::string(e.what()), "'na' ist keine gültige Zahl (Zeile 1, error)");
  }
  EXPECT_EQ(form.rows, before);
  EXPECT_TRUE(ui.questions.empty());
}

}  // namespace
}  // namespace vargaze
