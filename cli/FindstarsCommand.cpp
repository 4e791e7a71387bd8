// vargaze-cli findstars: automatic star marking, saved as a ROI file or
// added to a project's ROIs.
#include "cli/CliSupport.h"
#include "cli/RoiSupport.h"
#include "cli/Session.h"
#include "photometry/RoiFile.h"
#include "photometry/RoiWindow.h"
#include "photometry/StarFinder.h"

namespace vargaze::cli {

namespace {

constexpr const char* kUsage =
    "usage: vargaze-cli findstars IMAGE [--sensitivity 0|1|2] [--max COUNTS] [--minsn N] "
    "[--config INI] -o OUT.roi | --project PROJECT.vgp";

}  // namespace

int findstarsCommand(const Args& rawArgs) {
  const ParsedArgs args =
      parseArgs(rawArgs, {"--sensitivity", "--max", "--minsn", "--config", "-o", "--project"}, {});
  const bool intoProject = args.has("--project");
  if (args.positional.size() != (intoProject ? 0u : 1u) || args.has("-o") == intoProject) {
    throw UsageError(kUsage);
  }
  const std::string source = intoProject ? args.get("--project") : args.positional[0];
  Session session(args.get("--config"));
  if (!(intoProject ? openProjectForRois(session, source) : session.openImage(source))) return 1;
  RoiWindow& window = session.window;

  StarfindDialog dialog;
  if (!prepareFindstars(window, dialog)) return 1;
  const std::int32_t sensitivity = intOption(args, "--sensitivity", dialog.sensitivity);
  if (sensitivity < 0 || sensitivity > 2) throw UsageError("--sensitivity takes 0, 1 or 2");
  dialog.sensitivity = sensitivity;
  dialog.MaxcountEdit.set(intOption(args, "--max", dialog.MaxcountEdit.value));
  dialog.MinSNEdit.set(intOption(args, "--minsn", dialog.MinSNEdit.value));
  // The project's stars keep their ROIs: only new ones count.
  if (findstars(window, dialog) == 0) return reportError(source + ": no star found");
  if (intoProject) return saveProject(session, source);
  return SaveROI(window, args.get("-o")) ? 0 : 1;
}

}  // namespace vargaze::cli
