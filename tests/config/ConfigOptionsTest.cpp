// The settings in the configuration file: the key names and number formats
// old files rely on, what missing and out-of-range values give, and copies.
#include "config/ConfigOptions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iterator>
#include <limits>
#include <string>
#include <string_view>

#include "config/SettingLimits.h"
#include "support/FaultInjection.h"

namespace vargaze {
namespace {

using test::readBytes;
using test::writeBytes;

// Every stored setting away from its default (withDefaults checks that), in
// the layout of the file.
const std::string kFile =
    "[File]\r\nStartupDir=/data/Bilder/M\xFCnchen\r\nCfgfilename=old.cfg\r\nProjectDir=/p\r\n"
    "RoiDir=/r\r\n"
    "[Mag]\r\nElectronsPerCount=1.37\r\nReadnoiseElectrons=8.25\r\nDarkElectronsPerSec=0.015\r\n"
    "ArcsecPerPixel=2.3456789012345\r\nStandardfilter=3\r\nDefaultROIsize=13\r\n"
    "DefaultBGinnerSize=15\r\nDefaultBGouterSize=21\r\nROIcenterMode=0\r\nAutoReadFilter=0\r\n"
    "InstmagCorr=0\r\nTF_Tb=0.125\r\nTF_Tbv=-1E-7\r\nTF_Tv=0.0625\r\nTF_Tr=0.0312\r\n"
    "TF_Tvr=1.5E20\r\nTF_Tv2=-0.06\r\n"
    "[Tracking]\r\nTrackingRange=120\r\nShowTrackstar=1\r\nTrackingEnabled=0\r\n"
    "[Curve]\r\nAutocurveRefreshSec=45\r\nJDcurveOffset=2459000.5\r\nJDprecision=6\r\n"
    "CurveFileExt=.csv\r\n"
    "[Export]\r\nBAVOBS=MUS\r\nOBSCODE=XMU\r\nOBSTYPE=DSLR\r\nExportDelimiter=|\r\n"
    "[Time]\r\nUToffset=-7\r\nMiddletimeCorrection=1\r\n"
    "[Image]\r\nImgBinning=2\r\nZoomfactor=0.35\r\n"
    "[Site]\r\nLocationHeight=520\r\nDScope_cm=28\r\n"
    "[Window]\r\nwindowwidth=1280\r\nwindowheight=1024\r\nwindowleft=40\r\nwindowtop=0\r\n"
    "windowmaximized=1\r\n";

// What a key missing from the file gives: its default, or with "k" the value
// held before; "r": the key's setting returns to its default when the options
// object is created.
const struct { const char *key, *dflt, *rules; } kKeys[] = {
    {"StartupDir", "", "kr"}, {"Cfgfilename", "", "r"}, {"ElectronsPerCount", "2", ""},
    {"ReadnoiseElectrons", "15", ""}, {"DarkElectronsPerSec", "0.5", ""},
    {"ArcsecPerPixel", "0", ""}, {"Standardfilter", "1", ""}, {"DefaultROIsize", "9", ""},
    {"DefaultBGinnerSize", "11", ""}, {"DefaultBGouterSize", "13", ""}, {"TF_Tb", "99", ""},
    {"ROIcenterMode", "1", ""}, {"AutoReadFilter", "1", ""}, {"InstmagCorr", "1", "r"},
    {"TF_Tbv", "99", ""}, {"TF_Tv", "99", ""}, {"TF_Tr", "99", ""}, {"TF_Tvr", "99", ""},
    {"TF_Tv2", "99", ""}, {"TrackingRange", "50", ""}, {"ShowTrackstar", "0", ""},
    {"TrackingEnabled", "1", ""}, {"AutocurveRefreshSec", "10", "kr"}, {"JDprecision", "5", "kr"},
    {"JDcurveOffset", "2450000", ""}, {"CurveFileExt", ".prn", ""}, {"BAVOBS", "", "k"},
    {"OBSCODE", "", "k"}, {"OBSTYPE", "CCD", ""}, {"ExportDelimiter", ";", "k"},
    {"UToffset", "0", ""}, {"MiddletimeCorrection", "0", ""}, {"ImgBinning", "1", ""},
    {"Zoomfactor", "1", ""}, {"LocationHeight", "-1", "kr"}, {"DScope_cm", "0", "kr"},
    {"windowwidth", "805", ""}, {"windowheight", "509", ""}, {"ProjectDir", "", "k"},
    {"RoiDir", "", "k"}, {"windowleft", "-1", ""}, {"windowtop", "-1", ""},
    {"windowmaximized", "0", ""}};

// `text` with the values of some keys replaced.
std::string withValues(std::initializer_list<std::pair<const char*, const char*>> values,
                       std::string text = kFile) {
  for (const auto& [key, value] : values) {
    const auto at = text.find("\n" + std::string(key) + "=");
    EXPECT_NE(at, std::string::npos) << key;
    const auto start = at + std::strlen(key) + 2;
    if (at != std::string::npos) text.replace(start, text.find('\r', start) - start, value);
  }
  return text;
}

// kFile with the keys whose rules `useDefault` picks set to their defaults.
std::string withDefaults(const std::function<bool(std::string_view rules)>& useDefault) {
  EXPECT_EQ(std::count(kFile.begin(), kFile.end(), '='), std::ssize(kKeys)) << "keys without rules";
  std::string text = kFile;
  for (const auto& k : kKeys) {
    EXPECT_NE(withValues({{k.key, k.dflt}}), kFile) << "kFile must hold no default: " << k.key;
    if (useDefault(k.rules)) text = withValues({{k.key, k.dflt}}, text);
  }
  return text;
}

// The bytes WriteOptions gives for `s` in a fresh file.
std::string written(const Settings& s) {
  const test::TempDir dir;
  Settings copy;
  TConfigOptions options(copy, dir.file("out.ini"));
  copy = s;
  EXPECT_TRUE(options.WriteOptions()) << options.lastError();
  return readBytes(dir.file("out.ini"));
}

class ConfigOptionsTest : public ::testing::Test {
 protected:
  // Reads `bytes` as the working file.
  void read(const std::string& bytes) {
    writeBytes(iniPath, bytes);
    EXPECT_TRUE(options.ReadOptions()) << options.lastError();
  }
  test::TempDir dir;
  std::string iniPath = dir.file("vargaze1.ini");
  Settings s;
  TConfigOptions options{s, iniPath};
};

TEST_F(ConfigOptionsTest, EveryStoredSettingSurvivesAByteRoundTrip) {
  read(kFile + "[test]\r\ntestmode=1\r\nprivatemode=5\r\n");
  EXPECT_TRUE(s.Testmode && s.PrivateMode);
  EXPECT_EQ(s.ZoomFactor, 0.35);  // the display starts at the stored zoom
  EXPECT_EQ(written(s), kFile);   // without the test flags, which are never written
}

TEST_F(ConfigOptionsTest, MissingKeysTakeTheirDefaultsOrKeepTheValueHeld) {
  ASSERT_TRUE(options.ReadOptions());
  EXPECT_FALSE(std::filesystem::exists(iniPath));
  EXPECT_EQ(written(s), withDefaults([](std::string_view) { return true; }));
  read(kFile + "[Test]\r\nTestmode=1\r\nPrivateMode=1\r\n");
  read("; nothing but a comment\r\n");
  EXPECT_FALSE(s.Testmode || s.PrivateMode);
  EXPECT_EQ(written(s), withDefaults([](std::string_view r) { return r.find('k') == r.npos; }));
  read(kFile);
  TConfigOptions another(s, dir.file("another.ini"));
  EXPECT_EQ(written(s), withDefaults([](std::string_view r) { return r.find('r') != r.npos; }));
}

TEST_F(ConfigOptionsTest, ValuesOutsideTheDialogsChoicesAreBroughtIntoThem) {
  // A value in place of kFile's, and the value then written back.
  const struct { const char *key, *in, *out; } cases[] = {
      {"ImgBinning", "7", "3"}, {"ImgBinning", "-300", "1"}, {"ImgBinning", "abc", "1"},
      {"Zoomfactor", "0.7", "0.7"}, {"Zoomfactor", "0.3504", "0.35"}, {"Zoomfactor", "0.8", "1"},
      {"Zoomfactor", "-3", "1"}, {"Zoomfactor", "1e300", "1"}, {"Zoomfactor", "", "1"},
      {"DefaultROIsize", "256", "99"}, {"DefaultROIsize", "3", "5"}, {"DefaultROIsize", "=11", "9"},
      {"DefaultBGinnerSize", "200", "99"}, {"DefaultBGinnerSize", "-1", "5"},
      {"DefaultBGouterSize", "2", "7"}, {"DefaultBGouterSize", "500", "150"},
      {"Standardfilter", "8", "8"}, {"Standardfilter", "0", "0"}, {"Standardfilter", "9", "1"},
      {"Standardfilter", "-1", "1"}, {"ROIcenterMode", "1", "1"}, {"ROIcenterMode", "2", "0"},
      {"ROIcenterMode", "257", "0"}, {"TF_Tb", "abc", "99"}, {"TF_Tv2", "1e999", "99"},
      {"TF_Tr", "-0.05", "-0.05"}, {"TrackingRange", "5", "10"}, {"TrackingRange", "5000", "999"},
      {"TrackingRange", "99999999999", "50"}, {"UToffset", "20", "12"}, {"UToffset", "-20", "-12"},
      {"AutocurveRefreshSec", "0", "1"}, {"AutocurveRefreshSec", "100000", "9999"},
      {"AutocurveRefreshSec", "1.5", "45"}, {"JDprecision", "12", "8"}, {"JDprecision", "2", "4"},
      {"JDcurveOffset", "xyz", "2450000"}, {"windowwidth", "0", "100"},
      {"windowheight", "100000", "16384"}, {"OBSTYPE", "", "CCD"}, {"ExportDelimiter", ",;", ","},
      {"ExportDelimiter", "", "|"}, {"ExportDelimiter", "x", "|"},
      // Camera texts that do not parse have fallbacks of their own.
      {"ElectronsPerCount", "abc", "2"}, {"ReadnoiseElectrons", "8,5", "10"},
      {"DarkElectronsPerSec", "", "1"}, {"ArcsecPerPixel", "abc", "0"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.key) + "=" + c.in);
    read(kFile);
    read(withValues({{c.key, c.in}}));
    ASSERT_TRUE(options.WriteOptions()) << options.lastError();
    EXPECT_EQ(readBytes(iniPath), withValues({{c.key, c.out}}));
  }
  // No delimiter held yet and none stored: the dialog's default choice.
  s.ExportDelimiter = '\0';
  read("[Export]\r\nExportDelimiter=\r\n");
  EXPECT_EQ(s.ExportDelimiter, ';');
}

TEST(ZoomEntryTest, FactorsSelectTheEntryOfTheirRoundedPercentage) {
  const struct { double factor; int entry; } cases[] = {
      {1.5, 0}, {1.0, 1}, {0.7, 2}, {0.5, 3}, {0.35, 4}, {0.25, 5}, {0.704, 2}, {0.6951, 2},
      {0.705, 2}, {0.355, -1}, {0.345, -1},  // ties go to the even percentage: 70, 36, 34
      {0.8, -1}, {2.0, -1}, {0.0, -1}, {-0.7, -1}, {1e300, -1}, {std::nan(""), -1},
      {std::numeric_limits<double>::infinity(), -1}};
  for (const auto& c : cases) EXPECT_EQ(zoomEntryIndex(c.factor), c.entry) << c.factor;
}

TEST_F(ConfigOptionsTest, CopiesCarryTheWholeWorkingFileAndTheirOwnName) {
  std::filesystem::create_directory(dir.file("copies"));
  const std::string copy = dir.file("copies/night1.cfg"), other = dir.file("copies/other.cfg");
  read("[Test]\r\nTestmode=1\r\n" + kFile);
  s.TrackingRange = 88;
  ASSERT_TRUE(options.SaveOptions(copy)) << options.lastError();
  EXPECT_EQ(s.cfgfilename, "night1.cfg");
  EXPECT_TRUE(options.lastMessage().empty());
  std::string saved = "[Test]\r\nTestmode=1\r\n" +
                      withValues({{"Cfgfilename", "night1.cfg"}, {"TrackingRange", "88"}});
  EXPECT_EQ(readBytes(iniPath), saved);
  EXPECT_EQ(readBytes(copy), saved);
  // Loading takes the copy's own name, whatever it holds, and nothing of the
  // previous working file lingers.
  writeBytes(other, "[File]\r\nCfgfilename=else.cfg\r\n[Mag]\r\nDefaultROIsize=7\r\n");
  ASSERT_TRUE(options.LoadOptions(other)) << options.lastError();
  EXPECT_EQ(readBytes(iniPath), readBytes(other));
  EXPECT_EQ(s.cfgfilename, "other.cfg");
  EXPECT_EQ(s.DefaultROIsize, 7);
  EXPECT_EQ(s.TrackingRange, 50);
  EXPECT_FALSE(s.Testmode);
  ASSERT_TRUE(options.LoadOptions(copy));
  EXPECT_TRUE(s.Testmode);
  EXPECT_EQ(written(s), saved.substr(saved.find("[File]")));
  // The working file itself is neither emptied nor copied onto itself.
  for (const std::string& same : {iniPath, dir.file("copies/../vargaze1.ini")}) {
    ASSERT_TRUE(options.LoadOptions(same)) << options.lastError();
    EXPECT_EQ(readBytes(iniPath), saved);
    EXPECT_EQ(s.cfgfilename, "vargaze1.ini");
  }
  ASSERT_TRUE(options.SaveOptions(iniPath)) << options.lastError();
  EXPECT_EQ(readBytes(iniPath), withValues({{"Cfgfilename", "vargaze1.ini"}}, saved));
}

TEST_F(ConfigOptionsTest, FailedLoadsAndSavesSayWhy) {
  read(kFile);
  s.TrackingRange = 80;
  EXPECT_FALSE(options.LoadOptions(dir.file("missing.cfg")));
  EXPECT_EQ(options.lastMessage(), "Load error");
  EXPECT_NE(options.lastError().find(dir.file("missing.cfg")), std::string::npos);
  EXPECT_EQ(readBytes(iniPath), kFile);
  EXPECT_EQ(s.TrackingRange, 80);
  EXPECT_EQ(s.cfgfilename, "old.cfg");
  // No copy of a working file that could not be written.
  Settings other;
  TConfigOptions broken(other, dir.file("none/vargaze1.ini"));
  EXPECT_FALSE(broken.SaveOptions(dir.file("x.cfg")));
  EXPECT_EQ(broken.lastMessage(), "Save error");
  EXPECT_FALSE(std::filesystem::exists(dir.file("x.cfg")));
}

TEST_F(ConfigOptionsTest, SavesUnderInjectedFaultsKeepThePreviousFile) {
  // Writes settings with JD precision `jd` as the working file, or saves them as a copy.
  const auto save = [&](bool copy, int jd) -> test::SaveAction {
    return [&, copy, jd](const std::string& path, std::string& message) {
      Settings settings;
      TConfigOptions writer(settings, copy ? iniPath : path);
      settings.JDprecision = jd;
      const bool saved = copy ? writer.SaveOptions(path) : writer.WriteOptions();
      message = writer.lastMessage() + ": " + writer.lastError();
      return saved;
    };
  };
  for (const bool copy : {false, true}) {
    test::expectMissingFolderReported(dir, copy ? "night.cfg" : "vargaze1.ini", save(copy, 7));
    test::expectFolderTargetReported(dir, copy ? "night.cfg" : "vargaze1.ini", save(copy, 7));
  }
  std::string message;
  ASSERT_TRUE(save(false, 6)(iniPath, message)) << message;
  message = test::expectFullDiskKeepsFile(iniPath, 64, save(false, 7));
  EXPECT_NE(message.find(iniPath), std::string::npos) << message;
  // The working file already holds the settings; the copy fails part way.
  const std::string copy = dir.file("night.cfg"), working = readBytes(iniPath);
  ASSERT_TRUE(save(true, 6)(copy, message)) << message;
  message = test::expectFullDiskKeepsFile(copy, 512, save(true, 6));
  EXPECT_EQ(message, "Save error: cannot write " + copy + ": File too large");
  EXPECT_EQ(readBytes(iniPath), withValues({{"Cfgfilename", "night.cfg"}}, working));
}

}  // namespace
}  // namespace vargaze
