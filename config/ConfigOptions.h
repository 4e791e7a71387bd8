// Reading and writing the settings in the configuration file "vargaze1.ini",
// and saving and loading named copies of it (".cfg" files).
//
// The object works on the Settings it is given and on the INI path it is
// given; it shows nothing itself. A failed save or load leaves the message
// for the user in lastMessage() ("Save error", "Load error") and the reason
// in lastError().
#pragma once

#include <optional>
#include <string>

#include "config/IniFile.h"
#include "config/Settings.h"

namespace vargaze {

class TConfigOptions {
 public:
  // Calls SetDefaultOptions on `settings`, which must outlive the object. The
  // INI file is opened on the first ReadOptions or WriteOptions.
  TConfigOptions(Settings& settings, std::string iniPath);

  // StartupDir and cfgfilename empty, AutocurveRefreshSec 10, JDprecision 5,
  // DefaultLocationHeight -1, Dscope_cm 0, InstmagCorr true.
  void SetDefaultOptions();

  // Reads the file from disk again and fills every setting; missing keys and
  // values that do not parse take their defaults, values outside the ranges
  // of the setup dialog are brought into them (SettingLimits.h). Always
  // completes; false only when the file exists but could not be read (or is
  // too large), in which case every setting took its default.
  bool ReadOptions();

  // Writes every stored setting; "Testmode" and "PrivateMode" are never
  // written. False when a value could not be written.
  bool WriteOptions();

  // Sets cfgfilename to the file-name part of `FileName`, writes the
  // settings and copies the INI file to `FileName`.
  bool SaveOptions(const std::string& FileName);

  // Copies `FileName` over the INI file, reads it and sets cfgfilename to the
  // file-name part of `FileName`. On failure nothing is read.
  bool LoadOptions(const std::string& FileName);

  const std::string& iniPath() const { return iniPath_; }
  // The text to show after a failed SaveOptions or LoadOptions; else empty.
  const std::string& lastMessage() const { return lastMessage_; }
  // The reason of the last failure, naming the file; empty after success.
  const std::string& lastError() const { return lastError_; }

 private:
  IniFile& iniFile();

  Settings& settings_;
  std::string iniPath_;
  std::optional<IniFile> IniFile_;
  std::string lastMessage_;
  std::string lastError_;
};

}  // namespace vargaze
