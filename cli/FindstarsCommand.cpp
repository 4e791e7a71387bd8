// vargaze-cli findstars: automatic star marking, saved as a ROI file.
#include "cli/CliSupport.h"
#include "cli/Session.h"
#include "photometry/RoiFile.h"
#include "photometry/RoiWindow.h"
#include "photometry/StarFinder.h"

namespace vargaze::cli {

namespace {

constexpr const char* kUsage =
    "usage: vargaze-cli findstars IMAGE [--sensitivity 0|1|2] [--max COUNTS] [--minsn N] "
    "[--config INI] -o OUT.roi";

}  // namespace

int findstarsCommand(const Args& rawArgs) {
  const ParsedArgs args =
      parseArgs(rawArgs, {"--sensitivity", "--max", "--minsn", "--config", "-o"}, {});
  if (args.positional.size() != 1 || !args.has("-o")) throw UsageError(kUsage);
  Session session(args.get("--config"));
  if (!session.openImage(args.positional[0])) return 1;
  RoiWindow& window = session.window;

  StarfindDialog dialog;
  if (!prepareFindstars(window, dialog)) return 1;
  const std::int32_t sensitivity = intOption(args, "--sensitivity", dialog.sensitivity);
  if (sensitivity < 0 || sensitivity > 2) throw UsageError("--sensitivity takes 0, 1 or 2");
  dialog.sensitivity = sensitivity;
  dialog.MaxcountEdit.set(intOption(args, "--max", dialog.MaxcountEdit.value));
  dialog.MinSNEdit.set(intOption(args, "--minsn", dialog.MinSNEdit.value));
  findstars(window, dialog);
  if (window.count() == 0) return reportError(args.positional[0] + ": no star found");
  return SaveROI(window, args.get("-o")) ? 0 : 1;
}

}  // namespace vargaze::cli
