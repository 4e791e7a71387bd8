// Reading the settings: defaults, fallbacks, ranges and hostile files.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "config/ConfigOptions.h"
#include "config/SettingLimits.h"
#include "support/TempDir.h"

namespace vargaze {
namespace {

using test::TempDir;
using test::writeBytes;

class ConfigReadTest : public ::testing::Test {
 protected:
  // Reads `bytes` as the working file into `settings`.
  void readFile(const std::string& bytes) {
    writeBytes(iniPath, bytes);
    TConfigOptions options(settings, iniPath);
    EXPECT_TRUE(options.ReadOptions()) << options.lastError();
  }
  TempDir dir;
  std::string iniPath = dir.file("vargaze1.ini");
  Settings settings;
};

void expectFileDefaults(const Settings& s) {
  EXPECT_EQ(s.StartupDir, "");
  EXPECT_EQ(s.cfgfilename, "");
  EXPECT_EQ(s.ElectronsPerCount, 2.0);
  EXPECT_EQ(s.ReadnoiseElectrons, 15.0);
  EXPECT_EQ(s.DarkElectronsPerSec, 0.5);
  EXPECT_EQ(s.ArcsecPerPixel, 0.0);
  EXPECT_EQ(s.StandardFilter, 1);
  EXPECT_TRUE(s.AutoReadFilter);
  EXPECT_EQ(s.DefaultROIsize, 9);
  EXPECT_EQ(s.DefaultBGinnerSize, 11);
  EXPECT_EQ(s.DefaultBGoutersize, 13);
  EXPECT_EQ(s.ROIcenterMode, 1);  // centroid
  EXPECT_TRUE(s.InstmagCorr);
  EXPECT_EQ(s.imgBinning, 1);
  EXPECT_EQ(s.DefaultZoomfactor, 1.0);
  EXPECT_EQ(s.ZoomFactor, 1.0);
  EXPECT_EQ(s.TrackingRange, 50);
  EXPECT_FALSE(s.ShowTrackstar);
  EXPECT_TRUE(s.TrackingEnabled);
  EXPECT_EQ(s.UToffset, 0);
  EXPECT_FALSE(s.MiddletimeCorrection);
  EXPECT_EQ(s.AutocurveRefreshSec, 10);
  EXPECT_EQ(s.JDCurveoffset, 2450000.0);
  EXPECT_EQ(s.JDprecision, 5);
  EXPECT_EQ(s.CurveFileExt, ".prn");
  EXPECT_EQ(s.BAVOBS, "");
  EXPECT_EQ(s.OBSCODE, "");
  EXPECT_EQ(s.OBSTYPE, "CCD");
  EXPECT_EQ(s.ExportDelimiter, ';');
  EXPECT_EQ(s.WindowWidth, 805);
  EXPECT_EQ(s.WindowHeight, 509);
  EXPECT_EQ(s.DefaultLocationHeight, -1);
  EXPECT_EQ(s.Dscope_cm, 0);
  EXPECT_EQ(s.TF_Tb, 99.0);
  EXPECT_EQ(s.TF_Tbv, 99.0);
  EXPECT_EQ(s.TF_Tv, 99.0);
  EXPECT_EQ(s.TF_Tr, 99.0);
  EXPECT_EQ(s.TF_Tvr, 99.0);
  EXPECT_EQ(s.TF_Tv2, 99.0);
  EXPECT_FALSE(s.Testmode);
  EXPECT_FALSE(s.PrivateMode);
}

TEST_F(ConfigReadTest, FreshSettingsHoldTheDefaults) { expectFileDefaults(Settings{}); }

TEST_F(ConfigReadTest, NoFileGivesEveryDefaultAndCreatesNothing) {
  TConfigOptions options(settings, iniPath);
  EXPECT_TRUE(options.ReadOptions());
  expectFileDefaults(settings);
  EXPECT_FALSE(std::filesystem::exists(iniPath));
}

TEST_F(ConfigReadTest, PresetKeysIgnoreEarlierValuesWhileOthersKeepThem) {
  TConfigOptions options(settings, iniPath);
  settings.ElectronsPerCount = 5;
  settings.DefaultROIsize = 21;
  settings.CurveFileExt = ".csv";
  settings.AutocurveRefreshSec = 30;
  settings.JDprecision = 7;
  settings.BAVOBS = "BAV1";
  settings.OBSCODE = "AAV1";
  settings.ExportDelimiter = '|';
  settings.DefaultLocationHeight = 250;
  settings.Dscope_cm = 20;
  settings.StartupDir = "/images";
  settings.cfgfilename = "old.cfg";
  ASSERT_TRUE(options.ReadOptions());
  EXPECT_EQ(settings.ElectronsPerCount, 2.0);
  EXPECT_EQ(settings.DefaultROIsize, 9);
  EXPECT_EQ(settings.CurveFileExt, ".prn");
  EXPECT_EQ(settings.AutocurveRefreshSec, 30);
  EXPECT_EQ(settings.JDprecision, 7);
  EXPECT_EQ(settings.BAVOBS, "BAV1");
  EXPECT_EQ(settings.OBSCODE, "AAV1");
  EXPECT_EQ(settings.ExportDelimiter, '|');
  EXPECT_EQ(settings.DefaultLocationHeight, 250);
  EXPECT_EQ(settings.Dscope_cm, 20);
  EXPECT_EQ(settings.StartupDir, "/images");
  EXPECT_EQ(settings.cfgfilename, "");
}

TEST_F(ConfigReadTest, CreationSetsTheDefaultOptions) {
  settings.StartupDir = "/x";
  settings.cfgfilename = "x.cfg";
  settings.AutocurveRefreshSec = 99;
  settings.JDprecision = 8;
  settings.DefaultLocationHeight = 300;
  settings.Dscope_cm = 25;
  settings.InstmagCorr = false;
  settings.TrackingRange = 77;  // not one of the defaults set at creation
  TConfigOptions options(settings, iniPath);
  EXPECT_EQ(settings.StartupDir, "");
  EXPECT_EQ(settings.cfgfilename, "");
  EXPECT_EQ(settings.AutocurveRefreshSec, 10);
  EXPECT_EQ(settings.JDprecision, 5);
  EXPECT_EQ(settings.DefaultLocationHeight, -1);
  EXPECT_EQ(settings.Dscope_cm, 0);
  EXPECT_TRUE(settings.InstmagCorr);
  EXPECT_EQ(settings.TrackingRange, 77);
}

TEST_F(ConfigReadTest, CameraTextThatDoesNotParseHasItsOwnFallback) {
  readFile(
      "[Mag]\r\nElectronsPerCount=abc\r\nReadnoiseElectrons=abc\r\nDarkElectronsPerSec=abc\r\n"
      "ArcsecPerPixel=abc\r\n");
  EXPECT_EQ(settings.ElectronsPerCount, 2.0);
  EXPECT_EQ(settings.ReadnoiseElectrons, 10.0);
  EXPECT_EQ(settings.DarkElectronsPerSec, 1.0);
  EXPECT_EQ(settings.ArcsecPerPixel, 0.0);
}

TEST_F(ConfigReadTest, MissingCameraKeysTakeTheDefaultsNotTheFallbacks) {
  readFile("[Mag]\r\nArcsecPerPixel=1.25\r\n");
  EXPECT_EQ(settings.ReadnoiseElectrons, 15.0);
  EXPECT_EQ(settings.DarkElectronsPerSec, 0.5);
  EXPECT_EQ(settings.ArcsecPerPixel, 1.25);
}

TEST_F(ConfigReadTest, CameraValuesWithACommaDoNotParse) {
  readFile("[Mag]\r\nReadnoiseElectrons=8,5\r\nElectronsPerCount=1.5\r\nDarkElectronsPerSec=\r\n");
  EXPECT_EQ(settings.ReadnoiseElectrons, 10.0);
  EXPECT_EQ(settings.ElectronsPerCount, 1.5);
  EXPECT_EQ(settings.DarkElectronsPerSec, 1.0);
}

TEST_F(ConfigReadTest, EmptyObservationTypeBecomesCcd) {
  readFile("[Export]\r\nOBSTYPE=\r\n");
  EXPECT_EQ(settings.OBSTYPE, "CCD");
  readFile("[Export]\r\nOBSTYPE=DSLR\r\n");
  EXPECT_EQ(settings.OBSTYPE, "DSLR");
}

TEST_F(ConfigReadTest, ExportDelimiterTakesTheFirstCharacterOfAChoice) {
  readFile("[Export]\r\nExportDelimiter=|\r\n");
  EXPECT_EQ(settings.ExportDelimiter, '|');
  readFile("[Export]\r\nExportDelimiter=,;\r\n");
  EXPECT_EQ(settings.ExportDelimiter, ',');
  // Empty, missing or not one of the dialog's choices: the previous one stays.
  readFile("[Export]\r\nExportDelimiter=\r\n");
  EXPECT_EQ(settings.ExportDelimiter, ',');
  readFile("[Export]\r\nOBSCODE=X\r\n");
  EXPECT_EQ(settings.ExportDelimiter, ',');
  readFile("[Export]\r\nExportDelimiter=x\r\n");
  EXPECT_EQ(settings.ExportDelimiter, ',');
}

TEST_F(ConfigReadTest, NoDelimiterYetAndNoneStoredGivesSemicolon) {
  settings.ExportDelimiter = '\0';
  readFile("[Export]\r\nExportDelimiter=\r\n");
  EXPECT_EQ(settings.ExportDelimiter, ';');
}

TEST_F(ConfigReadTest, ZoomOfAListEntryIsKeptAndSelectsIt) {
  readFile("[Image]\r\nZoomfactor=0.7\r\n");
  EXPECT_EQ(settings.DefaultZoomfactor, 0.7);
  EXPECT_EQ(settings.ZoomFactor, 0.7);
  EXPECT_EQ(zoomEntryIndex(settings.ZoomFactor), 2);
  readFile("[Image]\r\nZoomfactor=0.25\r\n");
  EXPECT_EQ(settings.ZoomFactor, 0.25);
}

TEST_F(ConfigReadTest, ZoomThatNoEntryShowsBecomesOneHundredPercent) {
  readFile("[Image]\r\nZoomfactor=0.8\r\n");
  EXPECT_EQ(settings.DefaultZoomfactor, 1.0);
  EXPECT_EQ(settings.ZoomFactor, 1.0);
  readFile("[Image]\r\nZoomfactor=-3\r\n");
  EXPECT_EQ(settings.ZoomFactor, 1.0);
  readFile("[Image]\r\nZoomfactor=1e300\r\n");
  EXPECT_EQ(settings.ZoomFactor, 1.0);
}

TEST_F(ConfigReadTest, ZoomCloseToAnEntryTakesTheEntrysFactor) {
  readFile("[Image]\r\nZoomfactor=0.3504\r\n");
  EXPECT_EQ(settings.ZoomFactor, 0.35);
}

TEST_F(ConfigReadTest, SpinBoxValuesAreBroughtIntoTheirRanges) {
  readFile(
      "[Image]\r\nImgBinning=7\r\n"
      "[Mag]\r\nDefaultROIsize=256\r\nDefaultBGinnerSize=200\r\nDefaultBGouterSize=2\r\n"
      "[Tracking]\r\nTrackingRange=5\r\n"
      "[Time]\r\nUToffset=20\r\n"
      "[Curve]\r\nAutocurveRefreshSec=0\r\nJDprecision=12\r\n"
      "[Window]\r\nwindowwidth=0\r\nwindowheight=100000\r\n");
  EXPECT_EQ(settings.imgBinning, 3);
  EXPECT_EQ(settings.DefaultROIsize, 99);
  EXPECT_EQ(settings.DefaultBGinnerSize, 99);
  EXPECT_EQ(settings.DefaultBGoutersize, 7);
  EXPECT_EQ(settings.TrackingRange, 10);
  EXPECT_EQ(settings.UToffset, 12);
  EXPECT_EQ(settings.AutocurveRefreshSec, 1);
  EXPECT_EQ(settings.JDprecision, 8);
  EXPECT_EQ(settings.WindowWidth, 100);
  EXPECT_EQ(settings.WindowHeight, 16384);
}

TEST_F(ConfigReadTest, SpinBoxValuesBelowTheirRangesAreRaised) {
  readFile(
      "[Image]\r\nImgBinning=-300\r\n"
      "[Mag]\r\nDefaultROIsize=3\r\nDefaultBGinnerSize=-1\r\nDefaultBGouterSize=500\r\n"
      "[Tracking]\r\nTrackingRange=5000\r\n"
      "[Time]\r\nUToffset=-20\r\n"
      "[Curve]\r\nAutocurveRefreshSec=100000\r\nJDprecision=2\r\n");
  EXPECT_EQ(settings.imgBinning, 1);
  EXPECT_EQ(settings.DefaultROIsize, 5);
  EXPECT_EQ(settings.DefaultBGinnerSize, 5);
  EXPECT_EQ(settings.DefaultBGoutersize, 150);
  EXPECT_EQ(settings.TrackingRange, 999);
  EXPECT_EQ(settings.UToffset, -12);
  EXPECT_EQ(settings.AutocurveRefreshSec, 9999);
  EXPECT_EQ(settings.JDprecision, 4);
}

TEST_F(ConfigReadTest, ValuesInsideTheRangesArePassedUnchanged) {
  readFile(
      "[Image]\r\nImgBinning=2\r\n[Mag]\r\nDefaultROIsize=15\r\nStandardfilter=8\r\n"
      "[Tracking]\r\nTrackingRange=120\r\n[Time]\r\nUToffset=-5\r\n"
      "[Curve]\r\nAutocurveRefreshSec=60\r\nJDprecision=6\r\n"
      "[Site]\r\nLocationHeight=-20\r\nDScope_cm=35\r\n");
  EXPECT_EQ(settings.imgBinning, 2);
  EXPECT_EQ(settings.DefaultROIsize, 15);
  EXPECT_EQ(settings.StandardFilter, 8);
  EXPECT_EQ(settings.TrackingRange, 120);
  EXPECT_EQ(settings.UToffset, -5);
  EXPECT_EQ(settings.AutocurveRefreshSec, 60);
  EXPECT_EQ(settings.JDprecision, 6);
  EXPECT_EQ(settings.DefaultLocationHeight, -20);
  EXPECT_EQ(settings.Dscope_cm, 35);
}

TEST_F(ConfigReadTest, ListChoicesOutsideTheListTakeTheirDefaults) {
  readFile("[Mag]\r\nStandardfilter=9\r\nROIcenterMode=2\r\n");
  EXPECT_EQ(settings.StandardFilter, 1);
  EXPECT_EQ(settings.ROIcenterMode, 0);  // any mode but 1 is the brightest pixel
  readFile("[Mag]\r\nStandardfilter=-1\r\nROIcenterMode=257\r\n");
  EXPECT_EQ(settings.StandardFilter, 1);
  EXPECT_EQ(settings.ROIcenterMode, 0);
  readFile("[Mag]\r\nStandardfilter=0\r\nROIcenterMode=0\r\n");
  EXPECT_EQ(settings.StandardFilter, 0);
  EXPECT_EQ(settings.ROIcenterMode, 0);
}

TEST_F(ConfigReadTest, NumbersThatDoNotParseTakeTheirDefaults) {
  TConfigOptions options(settings, iniPath);
  settings.AutocurveRefreshSec = 30;
  writeBytes(iniPath,
             "[Image]\r\nImgBinning=abc\r\nZoomfactor=\r\n"
             "[Tracking]\r\nTrackingRange=99999999999\r\n"
             "[Curve]\r\nJDcurveOffset=xyz\r\nAutocurveRefreshSec=1.5\r\n"
             "[Mag]\r\nTF_Tb=abc\r\nTF_Tv2=1e999\r\nTF_Tr=-0.05\r\n");
  ASSERT_TRUE(options.ReadOptions());
  EXPECT_EQ(settings.imgBinning, 1);
  EXPECT_EQ(settings.ZoomFactor, 1.0);
  EXPECT_EQ(settings.TrackingRange, 50);
  EXPECT_EQ(settings.JDCurveoffset, 2450000.0);
  EXPECT_EQ(settings.AutocurveRefreshSec, 30);
  EXPECT_EQ(settings.TF_Tb, 99.0);
  EXPECT_EQ(settings.TF_Tv2, 99.0);
  EXPECT_EQ(settings.TF_Tr, -0.05);
}

TEST_F(ConfigReadTest, TestFlagsAreRead) {
  readFile("[test]\r\ntestmode=1\r\nprivatemode=5\r\n");
  EXPECT_TRUE(settings.Testmode);
  EXPECT_TRUE(settings.PrivateMode);
  readFile("[Test]\r\nTestmode=0\r\n");
  EXPECT_FALSE(settings.Testmode);
  EXPECT_FALSE(settings.PrivateMode);
}

TEST_F(ConfigReadTest, GarbageLinesDoNotStopTheReading) {
  readFile(
      "garbage\r\n[[[\r\n=\r\n[Mag\r\nDefaultROIsize\r\n[Mag]\r\nDefaultROIsize==11\r\n"
      "ElectronsPerCount=2.5.5\r\n\x01\x02\x03\r\n[Test]\r\nPrivateMode=1\r\n");
  EXPECT_EQ(settings.DefaultROIsize, 9);
  EXPECT_EQ(settings.ElectronsPerCount, 2.0);
  EXPECT_TRUE(settings.PrivateMode);
}

TEST_F(ConfigReadTest, BinaryFileReadsToDefaults) {
  std::string bytes;
  for (int i = 0; i < 5000; ++i) bytes += static_cast<char>((i * 131 + 7) % 256);
  readFile(bytes);
  expectFileDefaults(settings);
}

TEST_F(ConfigReadTest, OversizedFileReadsToDefaultsAndIsReported) {
  std::string bytes = "[Mag]\r\nDefaultROIsize=15\r\n";
  bytes.resize(IniFile::kMaxFileBytes + 1, '#');
  writeBytes(iniPath, bytes);
  TConfigOptions options(settings, iniPath);
  EXPECT_FALSE(options.ReadOptions());
  EXPECT_FALSE(options.lastError().empty());
  expectFileDefaults(settings);
}

TEST_F(ConfigReadTest, EveryReadTakesTheFileFromDisk) {
  TConfigOptions options(settings, iniPath);
  writeBytes(iniPath, "[Tracking]\r\nTrackingRange=100\r\n");
  ASSERT_TRUE(options.ReadOptions());
  EXPECT_EQ(settings.TrackingRange, 100);
  writeBytes(iniPath, "[Tracking]\r\nTrackingRange=200\r\n");
  ASSERT_TRUE(options.ReadOptions());
  EXPECT_EQ(settings.TrackingRange, 200);
}

}  // namespace
}  // namespace vargaze
