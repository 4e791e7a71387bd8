// Reads the input as the configuration file: every key the program knows
// through TConfigOptions::ReadOptions, and a few reads of each kind straight
// from IniFile.
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "base/Errors.h"
#include "config/ConfigOptions.h"
#include "config/IniFile.h"
#include "config/Settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = vargaze::fuzz::writeInput("vargaze1.ini", data, size);
  try {
    vargaze::Settings settings;
    vargaze::TConfigOptions options(settings, path);
    options.ReadOptions();
  } catch (const vargaze::Error&) {
  }
  try {
    const vargaze::IniFile ini(path);
    (void)ini.ReadString("File", "StartupDir", "");
    (void)ini.ReadInteger("Mag", "StandardFilter", 1);
    (void)ini.ReadBool("Mag", "AutoReadFilter", true);
    (void)ini.ReadFloat("Mag", "ElectronsPerCount", 2.0);
  } catch (const vargaze::Error&) {
  }
  return 0;
}
