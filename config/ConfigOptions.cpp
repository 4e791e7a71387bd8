#include "config/ConfigOptions.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "base/Numbers.h"
#include "base/Strings.h"
#include "config/SettingLimits.h"

namespace vargaze {

namespace {

constexpr std::string_view kFile = "File";
constexpr std::string_view kMag = "Mag";
constexpr std::string_view kTracking = "Tracking";
constexpr std::string_view kCurve = "Curve";
constexpr std::string_view kExport = "Export";
constexpr std::string_view kTime = "Time";
constexpr std::string_view kImage = "Image";
constexpr std::string_view kSite = "Site";
constexpr std::string_view kWindow = "Window";
constexpr std::string_view kTest = "Test";

// The values a missing key gives, where the default is not the current value.
const Settings kDefaults{};

std::int32_t readInRange(const IniFile& ini, std::string_view section, std::string_view key,
                         std::int32_t defaultValue, IntRange range) {
  return range.clamp(ini.ReadInteger(section, key, defaultValue));
}

std::uint8_t readByteInRange(const IniFile& ini, std::string_view section, std::string_view key,
                             std::uint8_t defaultValue, IntRange range) {
  return static_cast<std::uint8_t>(readInRange(ini, section, key, defaultValue, range));
}

double parsedOr(const std::string& text, double fallback) {
  double value = fallback;
  return tryParseDouble(text, value) ? value : fallback;
}

// Everything after the last "/".
std::string fileNamePart(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool isSameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  return std::filesystem::equivalent(a, b, ec) && !ec;
}

}  // namespace

TConfigOptions::TConfigOptions(Settings& settings, std::string iniPath)
    : settings_(settings), iniPath_(std::move(iniPath)) {
  SetDefaultOptions();
}

void TConfigOptions::SetDefaultOptions() {
  settings_.StartupDir.clear();
  settings_.AutocurveRefreshSec = 10;
  settings_.JDprecision = 5;
  settings_.cfgfilename.clear();
  settings_.DefaultLocationHeight = -1;
  settings_.Dscope_cm = 0;
  settings_.InstmagCorr = true;
}

IniFile& TConfigOptions::iniFile() {
  if (!IniFile_) IniFile_.emplace(iniPath_);
  return *IniFile_;
}

bool TConfigOptions::ReadOptions() {
  lastMessage_.clear();
  lastError_.clear();
  IniFile& ini = iniFile();
  const bool fileRead = ini.Reload();
  if (!fileRead) lastError_ = ini.lastError();
  Settings& s = settings_;
  namespace lim = settingLimits;

  s.StartupDir = ini.ReadString(kFile, "StartupDir", s.StartupDir);
  s.ProjectDir = ini.ReadString(kFile, "ProjectDir", s.ProjectDir);
  s.RoiDir = ini.ReadString(kFile, "RoiDir", s.RoiDir);
  s.cfgfilename = ini.ReadString(kFile, "Cfgfilename", "");

  // The camera texts are converted last; text that does not parse has
  // fallbacks of its own, which differ from the defaults of a missing key.
  const std::string electronsText =
      ini.ReadString(kMag, "ElectronsPerCount", formatGeneral(kDefaults.ElectronsPerCount));
  const std::string readnoiseText =
      ini.ReadString(kMag, "ReadnoiseElectrons", formatGeneral(kDefaults.ReadnoiseElectrons));
  const std::string darkText =
      ini.ReadString(kMag, "DarkElectronsPerSec", formatGeneral(kDefaults.DarkElectronsPerSec));
  const std::string arcsecText =
      ini.ReadString(kMag, "ArcsecPerPixel", formatGeneral(kDefaults.ArcsecPerPixel));

  s.imgBinning = readByteInRange(ini, kImage, "ImgBinning", kDefaults.imgBinning, lim::imgBinning);
  s.DefaultZoomfactor =
      usableZoomFactor(ini.ReadFloat(kImage, "Zoomfactor", kDefaults.DefaultZoomfactor));
  s.ZoomFactor = s.DefaultZoomfactor;

  s.StandardFilter = ini.ReadInteger(kMag, "Standardfilter", kDefaults.StandardFilter);
  if (!lim::StandardFilter.contains(s.StandardFilter)) s.StandardFilter = kDefaults.StandardFilter;
  s.DefaultROIsize =
      readByteInRange(ini, kMag, "DefaultROIsize", kDefaults.DefaultROIsize, lim::DefaultROIsize);
  s.DefaultBGinnerSize = readInRange(ini, kMag, "DefaultBGinnerSize", kDefaults.DefaultBGinnerSize,
                                     lim::DefaultBGinnerSize);
  s.DefaultBGoutersize = readInRange(ini, kMag, "DefaultBGouterSize", kDefaults.DefaultBGoutersize,
                                     lim::DefaultBGoutersize);
  const std::int32_t centerMode = ini.ReadInteger(kMag, "ROIcenterMode", kDefaults.ROIcenterMode);
  s.ROIcenterMode = centerMode == lim::CentroidMode ? lim::CentroidMode : std::uint8_t{0};
  s.AutoReadFilter = ini.ReadBool(kMag, "AutoReadFilter", kDefaults.AutoReadFilter);
  s.InstmagCorr = ini.ReadBool(kMag, "InstmagCorr", kDefaults.InstmagCorr);
  s.TF_Tb = ini.ReadFloat(kMag, "TF_Tb", kDefaults.TF_Tb);
  s.TF_Tbv = ini.ReadFloat(kMag, "TF_Tbv", kDefaults.TF_Tbv);
  s.TF_Tv = ini.ReadFloat(kMag, "TF_Tv", kDefaults.TF_Tv);
  s.TF_Tr = ini.ReadFloat(kMag, "TF_Tr", kDefaults.TF_Tr);
  s.TF_Tvr = ini.ReadFloat(kMag, "TF_Tvr", kDefaults.TF_Tvr);
  s.TF_Tv2 = ini.ReadFloat(kMag, "TF_Tv2", kDefaults.TF_Tv2);

  s.TrackingRange =
      readInRange(ini, kTracking, "TrackingRange", kDefaults.TrackingRange, lim::TrackingRange);
  s.ShowTrackstar = ini.ReadBool(kTracking, "ShowTrackstar", kDefaults.ShowTrackstar);
  s.TrackingEnabled = ini.ReadBool(kTracking, "TrackingEnabled", kDefaults.TrackingEnabled);

  s.UToffset = readInRange(ini, kTime, "UToffset", kDefaults.UToffset, lim::UToffset);
  s.MiddletimeCorrection =
      ini.ReadBool(kTime, "MiddletimeCorrection", kDefaults.MiddletimeCorrection);

  s.AutocurveRefreshSec = readInRange(ini, kCurve, "AutocurveRefreshSec", s.AutocurveRefreshSec,
                                      lim::AutocurveRefreshSec);
  s.JDCurveoffset = ini.ReadFloat(kCurve, "JDcurveOffset", kDefaults.JDCurveoffset);
  s.JDprecision = readInRange(ini, kCurve, "JDprecision", s.JDprecision, lim::JDprecision);
  s.CurveFileExt = ini.ReadString(kCurve, "CurveFileExt", kDefaults.CurveFileExt);

  s.BAVOBS = ini.ReadString(kExport, "BAVOBS", s.BAVOBS);
  s.OBSCODE = ini.ReadString(kExport, "OBSCODE", s.OBSCODE);
  s.OBSTYPE = ini.ReadString(kExport, "OBSTYPE", kDefaults.OBSTYPE);
  if (s.OBSTYPE.empty()) s.OBSTYPE = kDefaults.OBSTYPE;
  // No delimiter yet: the setup dialog's default choice.
  const char delimiter =
      isExportDelimiterChoice(s.ExportDelimiter) ? s.ExportDelimiter : kDefaults.ExportDelimiter;
  const std::string delimiterText =
      ini.ReadString(kExport, "ExportDelimiter", std::string(1, delimiter));
  s.ExportDelimiter = !delimiterText.empty() && isExportDelimiterChoice(delimiterText.front())
                          ? delimiterText.front()
                          : delimiter;

  s.WindowWidth = readInRange(ini, kWindow, "windowwidth", kDefaults.WindowWidth, lim::WindowSize);
  s.WindowHeight =
      readInRange(ini, kWindow, "windowheight", kDefaults.WindowHeight, lim::WindowSize);
  s.WindowLeft = readInRange(ini, kWindow, "windowleft", kDefaults.WindowLeft, lim::WindowPosition);
  s.WindowTop = readInRange(ini, kWindow, "windowtop", kDefaults.WindowTop, lim::WindowPosition);
  s.WindowMaximized = ini.ReadBool(kWindow, "windowmaximized", kDefaults.WindowMaximized);

  s.DefaultLocationHeight = ini.ReadInteger(kSite, "LocationHeight", s.DefaultLocationHeight);
  s.Dscope_cm = ini.ReadInteger(kSite, "DScope_cm", s.Dscope_cm);

  s.Testmode = ini.ReadBool(kTest, "Testmode", false);
  s.PrivateMode = ini.ReadBool(kTest, "PrivateMode", false);

  s.ElectronsPerCount = parsedOr(electronsText, 2.0);
  s.ReadnoiseElectrons = parsedOr(readnoiseText, 10.0);
  s.DarkElectronsPerSec = parsedOr(darkText, 1.0);
  s.ArcsecPerPixel = parsedOr(arcsecText, 0.0);
  return fileRead;
}

bool TConfigOptions::WriteOptions() {
  lastMessage_.clear();
  lastError_.clear();
  IniFile& ini = iniFile();
  const Settings& s = settings_;
  // Every key is tried even after a failure; the first reason is kept.
  auto keep = [&](bool written) {
    if (!written && lastError_.empty()) lastError_ = ini.lastError();
  };

  keep(ini.WriteString(kFile, "StartupDir", s.StartupDir));
  keep(ini.WriteString(kFile, "Cfgfilename", s.cfgfilename));
  keep(ini.WriteString(kFile, "ProjectDir", s.ProjectDir));
  keep(ini.WriteString(kFile, "RoiDir", s.RoiDir));

  keep(ini.WriteString(kMag, "ElectronsPerCount", formatGeneral(s.ElectronsPerCount)));
  keep(ini.WriteString(kMag, "ReadnoiseElectrons", formatGeneral(s.ReadnoiseElectrons)));
  keep(ini.WriteString(kMag, "DarkElectronsPerSec", formatGeneral(s.DarkElectronsPerSec)));
  keep(ini.WriteString(kMag, "ArcsecPerPixel", formatGeneral(s.ArcsecPerPixel)));
  keep(ini.WriteInteger(kMag, "Standardfilter", s.StandardFilter));
  keep(ini.WriteInteger(kMag, "DefaultROIsize", s.DefaultROIsize));
  keep(ini.WriteInteger(kMag, "DefaultBGinnerSize", s.DefaultBGinnerSize));
  keep(ini.WriteInteger(kMag, "DefaultBGouterSize", s.DefaultBGoutersize));
  keep(ini.WriteInteger(kMag, "ROIcenterMode", s.ROIcenterMode));
  keep(ini.WriteBool(kMag, "AutoReadFilter", s.AutoReadFilter));
  keep(ini.WriteBool(kMag, "InstmagCorr", s.InstmagCorr));
  keep(ini.WriteFloat(kMag, "TF_Tb", s.TF_Tb));
  keep(ini.WriteFloat(kMag, "TF_Tbv", s.TF_Tbv));
  keep(ini.WriteFloat(kMag, "TF_Tv", s.TF_Tv));
  keep(ini.WriteFloat(kMag, "TF_Tr", s.TF_Tr));
  keep(ini.WriteFloat(kMag, "TF_Tvr", s.TF_Tvr));
  keep(ini.WriteFloat(kMag, "TF_Tv2", s.TF_Tv2));

  keep(ini.WriteInteger(kTracking, "TrackingRange", s.TrackingRange));
  keep(ini.WriteBool(kTracking, "ShowTrackstar", s.ShowTrackstar));
  keep(ini.WriteBool(kTracking, "TrackingEnabled", s.TrackingEnabled));

  keep(ini.WriteInteger(kCurve, "AutocurveRefreshSec", s.AutocurveRefreshSec));
  keep(ini.WriteFloat(kCurve, "JDcurveOffset", s.JDCurveoffset));
  keep(ini.WriteInteger(kCurve, "JDprecision", s.JDprecision));
  keep(ini.WriteString(kCurve, "CurveFileExt", s.CurveFileExt));

  keep(ini.WriteString(kExport, "BAVOBS", s.BAVOBS));
  keep(ini.WriteString(kExport, "OBSCODE", s.OBSCODE));
  keep(ini.WriteString(kExport, "OBSTYPE", s.OBSTYPE));
  keep(ini.WriteString(kExport, "ExportDelimiter",
                       s.ExportDelimiter == '\0' ? std::string() : std::string(1, s.ExportDelimiter)));

  keep(ini.WriteInteger(kTime, "UToffset", s.UToffset));
  keep(ini.WriteBool(kTime, "MiddletimeCorrection", s.MiddletimeCorrection));

  keep(ini.WriteInteger(kImage, "ImgBinning", s.imgBinning));
  keep(ini.WriteFloat(kImage, "Zoomfactor", s.DefaultZoomfactor));

  keep(ini.WriteInteger(kSite, "LocationHeight", s.DefaultLocationHeight));
  keep(ini.WriteInteger(kSite, "DScope_cm", s.Dscope_cm));

  keep(ini.WriteInteger(kWindow, "windowwidth", s.WindowWidth));
  keep(ini.WriteInteger(kWindow, "windowheight", s.WindowHeight));
  keep(ini.WriteInteger(kWindow, "windowleft", s.WindowLeft));
  keep(ini.WriteInteger(kWindow, "windowtop", s.WindowTop));
  keep(ini.WriteBool(kWindow, "windowmaximized", s.WindowMaximized));
  return lastError_.empty();
}

bool TConfigOptions::SaveOptions(const std::string& FileName) {
  settings_.cfgfilename = fileNamePart(FileName);
  // A copy of a working file that does not hold the current settings would
  // be a save in name only.
  if (!WriteOptions()) {
    lastMessage_ = "Save error";
    return false;
  }
  if (isSameFile(FileName, iniPath_)) return true;
  std::string error;
  if (FileCopy(iniPath_, FileName, error) != 0) {
    lastMessage_ = "Save error";
    lastError_ = error;
    return false;
  }
  return true;
}

bool TConfigOptions::LoadOptions(const std::string& FileName) {
  lastMessage_.clear();
  lastError_.clear();
  // Loading the working file itself only reads it again; copying a file onto
  // itself is the classic way to empty it.
  if (!isSameFile(FileName, iniPath_)) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(FileName, ec);
    std::string error;
    if (ec) {
      error = "cannot read " + FileName + ": " + ec.message();
    } else if (size > IniFile::kMaxFileBytes) {
      error = FileName + " is too large to be a configuration file";
    } else if (FileCopy(FileName, iniPath_, error) != 0 && error.empty()) {
      error = "cannot copy " + FileName;
    }
    if (!error.empty()) {
      lastMessage_ = "Load error";
      lastError_ = error;
      return false;
    }
  }
  ReadOptions();
  settings_.cfgfilename = fileNamePart(FileName);
  return true;
}

}  // namespace vargaze
