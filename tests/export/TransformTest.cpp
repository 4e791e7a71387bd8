// The B-V, V-R and three-filter transformation: formulas against numbers
// worked out by hand, and the transform button on an edited table.
#include <gtest/gtest.h>

#include "ExportRig.h"
#include "base/Errors.h"
#include "export/Transform.h"

namespace vargaze {
namespace {

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

TEST(TransformFormulas, BVAndVRPairs) {
  // mag, err, Cmag, Kmag of the V, B and R frames.
  const FilterReading v{12.0, 0.010, 11.0, 12.5}, b{12.8, 0.020, 11.6, 13.1},
      r{11.5, 0.015, 10.6, 12.0};
  const BVTransform bv = transformBV(v, b, coefficients());
  const VRTransform vr = transformVR(v, r, coefficients());
  // Bc-Vc = 0.6, B-V = 0.8: BV = 0.6 + 1.1 * 0.2 = 0.82, Vt = 12 - 0.05 * 0.22; the check
  // star has the comparison's colour. Tv*Tbv = -0.055: eVt = sqrt((0.945*0.01)^2 +
  // (0.055*0.02)^2), eBt = sqrt((0.155*0.01)^2 + (1.045*0.02)^2).
  // Vc-Rc = 0.4, V-R = 0.5: VR = 0.4 + 0.95 * 0.1 = 0.495, V2t = 12 + 0.04 * 0.095.
  // Tv2*Tvr = 0.038: eV2t = sqrt((1.038*0.01)^2 + (0.038*0.015)^2),
  // eRt = sqrt((0.088*0.01)^2 + (0.988*0.015)^2).
  const struct {
    const char* name;
    double got, expected;
  } values[] = {{"Vt", bv.Vt, 11.989},         {"Bt", bv.Bt, 12.809},
                {"Vkt", bv.Vkt, 12.5},         {"Bkt", bv.Bkt, 13.1},
                {"eVt", bv.eVt, 0.00951381},   {"eBt", bv.eBt, 0.0209574},
                {"V2t", vr.V2t, 12.0038},      {"Rt", vr.Rt, 11.5088},
                {"V2kt", vr.V2kt, 12.5038},    {"Rkt", vr.Rkt, 12.0088},
                {"eV2t", vr.eV2t, 0.01039564}, {"eRt", vr.eRt, 0.01484611}};
  for (const auto& value : values) EXPECT_NEAR(value.got, value.expected, 1e-8) << value.name;
}

AavsoRow row(const char* filter, const char* mag, const char* err, const char* cmag,
             const char* kmag) {
  return {"RR Lyr", "2460371.33333", mag, err, filter, "NO", "STD", "C1", cmag, "K1", kmag,
          "na",     "na",            "na", "na"};
}

// mag, error, Htrans and Kmag of a row.
std::string cells(const AavsoRow& r) { return r[2] + " " + r[3] + " " + r[5] + " " + r[10]; }

TEST(TransformButton, AsksAndInsertsOrRefuses) {
  const AavsoRow v = row("V", "12.000", "0.010", "11.000", "12.500");
  const AavsoRow b = row("B", "12.800", "0.020", "11.600", "13.100");
  const AavsoRow r = row("R", "11.500", "0.015", "10.600", "12.000");
  // Instrumental: the same colours, check magnitudes never transformed.
  const AavsoRow bi = row("B", "12.800", "0.020", "-6.100", "-4.900");
  const AavsoRow vi = row("V", "12.000", "0.010", "-6.700", "-5.500");
  Settings noTv2 = coefficients();
  noTv2.TF_Tv2 = kCoefficientUnset;
  const std::string ask = "; Transformierte Daten einfügen?";
  const struct {
    const char* what;
    std::vector<AavsoRow> rows;
    bool standardized;
    Settings settings;
    UiPort::Answer answer;
    TransformResult result;
    std::string shown;  // the question or the refusal
    std::vector<std::string> after;
  } cases[] = {
      // V: (11.989 + 12.0038) / 2, error (0.009514 + 0.010396) / 2, check (12.5 + 12.5038) / 2.
      {"B, V and R, standardized", {v, b, r}, true, coefficients(), UiPort::Answer::Yes,
       TransformResult::Inserted, "Btrans= 12.809 Vtrans= 11.996 Rtrans= 11.509" + ask,
       {"11.996 0.010 YES 12.502", "12.809 0.021 YES 13.100", "11.509 0.015 YES 12.009"}},
      {"B and V, instrumental", {bi, vi}, false, coefficients(), UiPort::Answer::Yes,
       TransformResult::Inserted, "Btrans= 12.809 Vtrans= 11.989" + ask,
       {"12.809 0.021 YES -4.900", "11.989 0.010 YES -5.500"}},
      {"answered No", {bi, vi}, false, coefficients(), UiPort::Answer::No,
       TransformResult::Declined, "Btrans= 12.809 Vtrans= 11.989" + ask,
       {"12.800 0.020 NO -4.900", "12.000 0.010 NO -5.500"}},
      {"V and R", {v, r}, false, coefficients(), UiPort::Answer::Yes, TransformResult::Inserted,
       "Vtrans2= 12.004 Rtrans= 11.509" + ask, {"12.004 0.010 YES 12.500", "11.509 0.015 YES 12.000"}},
      {"V-R coefficient unset", {v, r}, false, noTv2, UiPort::Answer::Yes, TransformResult::Refused,
       "Transformationskoeffizienten (V,R) nicht vorhanden (Setup/transformation)",
       {"12.000 0.010 NO 12.500", "11.500 0.015 NO 12.000"}},
      {"B-V coefficients unset", {v, b}, false, Settings{}, UiPort::Answer::Yes,
       TransformResult::Refused,
       "Transformationskoeffizienten (B,V) nicht vorhanden (Setup/transformation)",
       {"12.000 0.010 NO 12.500", "12.800 0.020 NO 13.100"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::ExportRig rig;
    rig.settings = c.settings;
    rig.ui.answers = {c.answer};
    rig.form.rows = c.rows;
    rig.form.TransformButtonEnabled = true;
    if (c.standardized) rig.form.Comp_check_mags = CompCheckMags::Standardized;
    EXPECT_EQ(rig.form.TransformButtonClick(), c.result);
    std::vector<std::string> shown = rig.ui.questions, after;
    shown.insert(shown.end(), rig.ui.messages.begin(), rig.ui.messages.end());
    EXPECT_EQ(shown, std::vector<std::string>{c.shown});
    for (const AavsoRow& cellsRow : rig.form.rows) after.push_back(cells(cellsRow));
    EXPECT_EQ(after, c.after);
    EXPECT_EQ(rig.form.TransformButtonEnabled, c.result != TransformResult::Inserted);
  }
}

TEST(TransformButton, NonNumericCellEndsTheCommandNamingItAndChangesNothing) {
  test::ExportRig rig;
  rig.settings = coefficients();
  rig.form.TransformButtonEnabled = true;
  rig.form.rows = {row("V", "12.000", "na", "11.000", "12.500"),
                   row("B", "12.800", "0.020", "11.600", "13.100")};
  const auto before = rig.form.rows;
  try {
    rig.form.TransformButtonClick();
    FAIL() << "a non-numeric error cell was accepted";
  } catch (const RangeError& e) {
    EXPECT_EQ(std::string(e.what()), "'na' ist keine gültige Zahl (Zeile 1, error)");
  }
  EXPECT_EQ(rig.form.rows, before);
  EXPECT_TRUE(rig.ui.questions.empty());
}

}  // namespace
}  // namespace vargaze
