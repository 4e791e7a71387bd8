// Writing the settings: keys, order, formats, round trips and what is never written.
#include <gtest/gtest.h>

#include <string>

#include "config/ConfigOptions.h"
#include "support/TempDir.h"

namespace vargaze {
namespace {

using test::readBytes;
using test::TempDir;
using test::writeBytes;

class ConfigWriteTest : public ::testing::Test {
 protected:
  TempDir dir;
  std::string iniPath = dir.file("vargaze1.ini");
  Settings settings;
};

// Every key in the order of the documented file layout, with the defaults.
const char* const kDefaultFile =
    "[File]\r\nStartupDir=\r\nCfgfilename=\r\n"
    "[Mag]\r\nElectronsPerCount=2\r\nReadnoiseElectrons=15\r\nDarkElectronsPerSec=0.5\r\n"
    "ArcsecPerPixel=0\r\nStandardfilter=1\r\nDefaultROIsize=9\r\nDefaultBGinnerSize=11\r\n"
    "DefaultBGouterSize=13\r\nROIcenterMode=1\r\nAutoReadFilter=1\r\nInstmagCorr=1\r\n"
    "TF_Tb=99\r\nTF_Tbv=99\r\nTF_Tv=99\r\nTF_Tr=99\r\nTF_Tvr=99\r\nTF_Tv2=99\r\n"
    "[Tracking]\r\nTrackingRange=50\r\nShowTrackstar=0\r\nTrackingEnabled=1\r\n"
    "[Curve]\r\nAutocurveRefreshSec=10\r\nJDcurveOffset=2450000\r\nJDprecision=5\r\n"
    "CurveFileExt=.prn\r\n"
    "[Export]\r\nBAVOBS=\r\nOBSCODE=\r\nOBSTYPE=CCD\r\nExportDelimiter=;\r\n"
    "[Time]\r\nUToffset=0\r\nMiddletimeCorrection=0\r\n"
    "[Image]\r\nImgBinning=1\r\nZoomfactor=1\r\n"
    "[Site]\r\nLocationHeight=-1\r\nDScope_cm=0\r\n"
    "[Window]\r\nwindowwidth=805\r\nwindowheight=509\r\n";

TEST_F(ConfigWriteTest, DefaultsAreWrittenUnderTheirKeysInOrder) {
  TConfigOptions options(settings, iniPath);
  ASSERT_TRUE(options.WriteOptions()) << options.lastError();
  EXPECT_EQ(readBytes(iniPath), kDefaultFile);
}

Settings unusualSettings() {
  Settings s;
  s.StartupDir = "/data/Bilder/M\xC3\xBCnchen";
  s.cfgfilename = "night.cfg";
  s.ElectronsPerCount = 1.37;
  s.ReadnoiseElectrons = 8.25;
  s.DarkElectronsPerSec = 0.015;
  s.ArcsecPerPixel = 2.3456789012345;
  s.StandardFilter = 3;
  s.AutoReadFilter = false;
  s.TF_Tb = 0.125;
  s.TF_Tbv = -1.0e-7;
  s.TF_Tv = 0.0625;
  s.TF_Tr = 99;
  s.TF_Tvr = 1.5e20;
  s.TF_Tv2 = -0.06;
  s.DefaultROIsize = 13;
  s.DefaultBGinnerSize = 15;
  s.DefaultBGoutersize = 21;
  s.ROIcenterMode = 0;
  s.InstmagCorr = false;
  s.imgBinning = 2;
  s.DefaultZoomfactor = 0.35;
  s.ZoomFactor = 0.35;
  s.TrackingRange = 120;
  s.ShowTrackstar = true;
  s.TrackingEnabled = false;
  s.UToffset = -7;
  s.MiddletimeCorrection = true;
  s.AutocurveRefreshSec = 45;
  s.JDCurveoffset = 2459000.5;
  s.JDprecision = 6;
  s.CurveFileExt = ".csv";
  s.BAVOBS = "MUS";
  s.OBSCODE = "XMU";
  s.OBSTYPE = "DSLR";
  s.ExportDelimiter = '|';
  s.WindowWidth = 1280;
  s.WindowHeight = 1024;
  s.DefaultLocationHeight = 520;
  s.Dscope_cm = 28;
  return s;
}

void expectSameStoredSettings(const Settings& a, const Settings& b) {
  EXPECT_EQ(a.StartupDir, b.StartupDir);
  EXPECT_EQ(a.cfgfilename, b.cfgfilename);
  EXPECT_EQ(a.ElectronsPerCount, b.ElectronsPerCount);
  EXPECT_EQ(a.ReadnoiseElectrons, b.ReadnoiseElectrons);
  EXPECT_EQ(a.DarkElectronsPerSec, b.DarkElectronsPerSec);
  EXPECT_EQ(a.ArcsecPerPixel, b.ArcsecPerPixel);
  EXPECT_EQ(a.StandardFilter, b.StandardFilter);
  EXPECT_EQ(a.AutoReadFilter, b.AutoReadFilter);
  EXPECT_EQ(a.TF_Tb, b.TF_Tb);
  EXPECT_EQ(a.TF_Tbv, b.TF_Tbv);
  EXPECT_EQ(a.TF_Tv, b.TF_Tv);
  EXPECT_EQ(a.TF_Tr, b.TF_Tr);
  EXPECT_EQ(a.TF_Tvr, b.TF_Tvr);
  EXPECT_EQ(a.TF_Tv2, b.TF_Tv2);
  EXPECT_EQ(a.DefaultROIsize, b.DefaultROIsize);
  EXPECT_EQ(a.DefaultBGinnerSize, b.DefaultBGinnerSize);
  EXPECT_EQ(a.DefaultBGoutersize, b.DefaultBGoutersize);
  EXPECT_EQ(a.ROIcenterMode, b.ROIcenterMode);
  EXPECT_EQ(a.InstmagCorr, b.InstmagCorr);
  EXPECT_EQ(a.imgBinning, b.imgBinning);
  EXPECT_EQ(a.DefaultZoomfactor, b.DefaultZoomfactor);
  EXPECT_EQ(a.ZoomFactor, b.ZoomFactor);
  EXPECT_EQ(a.TrackingRange, b.TrackingRange);
  EXPECT_EQ(a.ShowTrackstar, b.ShowTrackstar);
  EXPECT_EQ(a.TrackingEnabled, b.TrackingEnabled);
  EXPECT_EQ(a.UToffset, b.UToffset);
  EXPECT_EQ(a.MiddletimeCorrection, b.MiddletimeCorrection);
  EXPECT_EQ(a.AutocurveRefreshSec, b.AutocurveRefreshSec);
  EXPECT_EQ(a.JDCurveoffset, b.JDCurveoffset);
  EXPECT_EQ(a.JDprecision, b.JDprecision);
  EXPECT_EQ(a.CurveFileExt, b.CurveFileExt);
  EXPECT_EQ(a.BAVOBS, b.BAVOBS);
  EXPECT_EQ(a.OBSCODE, b.OBSCODE);
  EXPECT_EQ(a.OBSTYPE, b.OBSTYPE);
  EXPECT_EQ(a.ExportDelimiter, b.ExportDelimiter);
  EXPECT_EQ(a.WindowWidth, b.WindowWidth);
  EXPECT_EQ(a.WindowHeight, b.WindowHeight);
  EXPECT_EQ(a.DefaultLocationHeight, b.DefaultLocationHeight);
  EXPECT_EQ(a.Dscope_cm, b.Dscope_cm);
}

TEST_F(ConfigWriteTest, EveryStoredSettingComesBackUnchanged) {
  TConfigOptions writer(settings, iniPath);
  settings = unusualSettings();
  ASSERT_TRUE(writer.WriteOptions()) << writer.lastError();

  Settings readBack;
  TConfigOptions reader(readBack, iniPath);
  ASSERT_TRUE(reader.ReadOptions());
  expectSameStoredSettings(readBack, unusualSettings());
}

TEST_F(ConfigWriteTest, FloatsUseTheGeneralFormat) {
  TConfigOptions options(settings, iniPath);
  settings = unusualSettings();
  settings.TF_Tv = 1.0 / 3.0;
  ASSERT_TRUE(options.WriteOptions());
  const std::string text = readBytes(iniPath);
  for (const char* line :
       {"ArcsecPerPixel=2.3456789012345\r\n", "TF_Tbv=-1E-7\r\n", "TF_Tv=0.333333333333333\r\n",
        "TF_Tvr=1.5E20\r\n", "JDcurveOffset=2459000.5\r\n", "Zoomfactor=0.35\r\n",
        "DarkElectronsPerSec=0.015\r\n", "ExportDelimiter=|\r\n", "UToffset=-7\r\n"}) {
    EXPECT_NE(text.find(line), std::string::npos) << line;
  }
  // 15 digits are all that is kept.
  ASSERT_TRUE(options.ReadOptions());
  EXPECT_EQ(settings.TF_Tv, 0.333333333333333);
}

TEST_F(ConfigWriteTest, TestFlagsAreNeverWritten) {
  TConfigOptions options(settings, iniPath);
  settings.Testmode = true;
  settings.PrivateMode = true;
  ASSERT_TRUE(options.WriteOptions());
  const std::string text = readBytes(iniPath);
  EXPECT_EQ(text.find("Testmode"), std::string::npos);
  EXPECT_EQ(text.find("PrivateMode"), std::string::npos);
  EXPECT_EQ(text.find("[Test]"), std::string::npos);
}

TEST_F(ConfigWriteTest, TestmodeInTheFileSurvivesRepeatedWrites) {
  writeBytes(iniPath, "[Test]\r\nTestmode=1\r\n");
  TConfigOptions options(settings, iniPath);
  ASSERT_TRUE(options.ReadOptions());
  settings.Testmode = false;  // what the program holds never reaches the file
  for (int i = 0; i < 3; ++i) {
    settings.TrackingRange = 60 + i;
    ASSERT_TRUE(options.WriteOptions());
  }
  EXPECT_EQ(readBytes(iniPath).rfind("[Test]\r\nTestmode=1\r\n", 0), 0u);
  ASSERT_TRUE(options.ReadOptions());
  EXPECT_TRUE(settings.Testmode);
}

TEST_F(ConfigWriteTest, UnknownKeysCommentsAndOrderAreKept) {
  writeBytes(iniPath,
             "; my settings\r\n[Window]\r\nwindowwidth=900\r\nmaximized=1\r\n\r\n"
             "[Plugins]\r\nfoo=bar\r\n\r\n[Mag]\r\n; gain from the data sheet\r\n"
             "ElectronsPerCount=1.5\r\n");
  TConfigOptions options(settings, iniPath);
  ASSERT_TRUE(options.ReadOptions());
  settings.WindowWidth = 1000;
  ASSERT_TRUE(options.WriteOptions());
  const std::string text = readBytes(iniPath);
  EXPECT_EQ(text.rfind(
                "; my settings\r\n[Window]\r\nwindowwidth=1000\r\nmaximized=1\r\n"
                "windowheight=509\r\n\r\n[Plugins]\r\nfoo=bar\r\n\r\n[Mag]\r\n"
                "; gain from the data sheet\r\nElectronsPerCount=1.5\r\nReadnoiseElectrons=15\r\n",
                0),
            0u)
      << text;
  // Sections the file lacked follow in the order of the layout.
  EXPECT_LT(text.find("[File]"), text.find("[Tracking]"));
  EXPECT_LT(text.find("[Image]"), text.find("[Site]"));
}

TEST_F(ConfigWriteTest, FailureToWriteIsReported) {
  TConfigOptions options(settings, dir.file("no-such-folder/vargaze1.ini"));
  EXPECT_FALSE(options.WriteOptions());
  EXPECT_NE(options.lastError().find("no-such-folder"), std::string::npos) << options.lastError();
}

}  // namespace
}  // namespace vargaze
