// vargaze-cli project new and track: a project over a set of frames, and its
// track star chosen by position.
#include <filesystem>
#include <iostream>

#include "app/ProjectCreation.h"
#include "base/Numbers.h"
#include "cli/RoiSupport.h"

namespace vargaze::cli {

namespace {

int projectNew(const Args& rawArgs) {
  const ParsedArgs args = parseArgs(rawArgs, {"--config"}, {});
  if (args.positional.size() < 2) {
    throw UsageError("usage: vargaze-cli project new OUT.vgp FRAME... [--config INI]");
  }
  const std::string& project = args.positional[0];
  // The project lists its frames by full path, so it opens from any folder.
  std::vector<std::string> frames;
  for (auto it = args.positional.begin() + 1; it != args.positional.end(); ++it) {
    frames.push_back(std::filesystem::absolute(*it).lexically_normal().string());
  }
  Session session(args.get("--config"));
  if (!newProject(session.app, frames, project)) {
    return reportError(project + ": the project was not made");
  }
  for (const std::string& frame : session.series.filelist1) std::cout << frame << '\n';
  return 0;
}

}  // namespace

int projectCommand(const Args& args) {
  if (args.empty() || args[0] != "new") {
    throw UsageError("usage: vargaze-cli project new OUT.vgp FRAME... [--config INI]");
  }
  return projectNew(Args(args.begin() + 1, args.end()));
}

int trackCommand(const Args& rawArgs) {
  const ParsedArgs args = parseArgs(rawArgs, {"--config"}, {});
  if (args.positional.size() != 3) {
    throw UsageError("usage: vargaze-cli track PROJECT.vgp X Y [--config INI]");
  }
  const std::string& project = args.positional[0];
  Session session(args.get("--config"));
  if (!session.openProject(project)) return 1;
  const Point near = framePosition(session, args.positional[1], args.positional[2]);
  if (!chooseTrackstar(session.app, near.x + 1, near.y + 1)) {
    return reportError(project + ": no track star found within " +
                       std::to_string(session.settings.TrackingRange) + " pixels of " +
                       args.positional[1] + "," + args.positional[2]);
  }
  if (!writeProjectFile(session.series, project)) {
    return reportError(project + ": the project could not be saved");
  }
  const ImageWindowState& state = session.app.imageWindow;
  std::cout << formatFixed(state.TrackstarX, 2) << ';' << formatFixed(state.TrackstarY, 2) << '\n';
  return 0;
}

}  // namespace vargaze::cli
