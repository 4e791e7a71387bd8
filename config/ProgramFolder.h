// The program folder `Progdir`: where "vargaze1.ini" and the other program
// data files ("exportfileheader.txt", "rawinfo.txt", configuration copies) live.
//
// In order of preference:
//   1. the folder named by the environment variable VARGAZE_HOME (created
//      when missing; tests and portable setups use it),
//   2. the folder of the running program, when the user may write there,
//   3. the per-user folder $XDG_CONFIG_HOME/vargaze, or ~/.config/vargaze
//      when XDG_CONFIG_HOME is unset, empty or relative (created when missing).
#pragma once

#include <string>

namespace vargaze {

inline constexpr const char* kIniFileName = "vargaze1.ini";

// What the choice depends on; empty strings stand for "not set" / "unknown".
struct ProgdirSources {
  std::string vargazeHome;       // VARGAZE_HOME
  std::string executableFolder;  // folder of the running program
  std::string xdgConfigHome;     // XDG_CONFIG_HOME
  std::string home;              // the user's home folder
};

// The sources of this process: its environment and /proc/self/exe.
ProgdirSources currentProgdirSources();

// The chosen folder, absolute, with a trailing "/". Creates it when it is
// VARGAZE_HOME or the per-user folder; a folder that cannot be created is
// still returned (writing the configuration then fails and says so).
std::string findProgdir(const ProgdirSources& sources);
std::string findProgdir();

// `progdir` + "vargaze1.ini", with a "/" between them when `progdir` lacks one.
std::string iniFilePath(const std::string& progdir);

}  // namespace vargaze
