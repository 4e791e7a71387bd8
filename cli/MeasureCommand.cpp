// vargaze-cli measure and colorindex: the light-curve run and the colour-index
// table of a project.
#include <iostream>

#include "base/TextFile.h"
#include "cli/CliSupport.h"
#include "cli/Session.h"
#include "series/ColorIndex.h"
#include "series/LightCurveRun.h"
#include "series/ProjectFile.h"
#include "series/RunFile.h"

namespace vargaze::cli {

int measureCommand(const Args& rawArgs) {
  const ParsedArgs args = parseArgs(rawArgs, {"--color", "--config"}, {"--save"});
  if (args.positional.size() != 1) {
    throw UsageError(
        "usage: vargaze-cli measure PROJECT.vgp [--save] [--color 1|2|3] [--config INI]");
  }
  Session session(args.get("--config"));
  // Without --color the project's plane, which is green unless it keeps another.
  const std::uint8_t colour = args.has("--color") ? colourOption(args, 2) : 0;
  if (!session.openProject(args.positional[0], colour)) return 1;
  if (Analyse1Click(session.series) != RunResult::Completed) {
    return reportError(args.positional[0] + ": the light curve was not completed");
  }
  std::cerr << "run file: " << curveFileName(session.series.ProjectFilename, session.settings)
            << '\n';
  if (args.has("--save") && !SaveProject(session.series, session.series.ProjectFilename)) {
    return reportError(args.positional[0] + ": the project could not be saved");
  }
  session.printSummary();
  return 0;
}

int colorindexCommand(const Args& rawArgs) {
  const ParsedArgs args = parseArgs(rawArgs, {"--config"}, {});
  if (args.positional.size() != 1) {
    throw UsageError("usage: vargaze-cli colorindex PROJECT.vgp [--config INI]");
  }
  Session session(args.get("--config"));
  if (!session.openProject(args.positional[0])) return 1;
  if (!BVRIanalyseClick(session.series)) {
    return reportError(args.positional[0] + ": no colour-index table was written");
  }
  const std::string table = curveFileName(session.series.ProjectFilename, session.settings);
  std::vector<std::string> lines;
  std::string error;
  if (!readTextLines(table, lines, error)) return reportError(error);
  std::cerr << "table: " << table << '\n';
  for (const std::string& line : lines) std::cout << line << '\n';
  return 0;
}

}  // namespace vargaze::cli
