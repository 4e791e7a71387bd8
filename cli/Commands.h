// The commands of vargaze-cli. Each takes its arguments (without the command
// name), writes its result to stdout and its messages to stderr, and returns
// the process exit code.
#pragma once

#include <string>
#include <vector>

namespace vargaze::cli {

using Args = std::vector<std::string>;

int infoCommand(const Args& args);
int convertCommand(const Args& args);
int sampleCommand(const Args& args);
int tableCommand(const Args& args);
int findstarsCommand(const Args& args);
int measureCommand(const Args& args);
int colorindexCommand(const Args& args);
int watchCommand(const Args& args);
int exportCommand(const Args& args);
int processCommand(const Args& args);
int demoCommand(const Args& args);
int projectCommand(const Args& args);
int roiCommand(const Args& args);
int trackCommand(const Args& args);

// "vargaze-cli: <text>" on stderr; returns 1 for use as an exit code.
int reportError(const std::string& text);

}  // namespace vargaze::cli
