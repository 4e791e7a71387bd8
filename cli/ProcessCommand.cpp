// vargaze-cli process: the image processing commands, headless.
#include <iostream>

#include "cli/FrameSession.h"
#include "cli/ProjectSession.h"
#include "photometry/RoiFile.h"
#include "processing/Background.h"
#include "processing/CrossCorrelation.h"
#include "processing/LineRemoval.h"
#include "processing/NumberedOutput.h"

namespace vargaze::cli {

namespace {

int processBackground(const Args& rawArgs) {
  const ParsedArgs args = parseArgs(rawArgs, {"-o", "--config"}, {});
  if (args.positional.size() != 1 || !args.has("-o")) {
    throw UsageError("usage: vargaze-cli process background PROJECT.vgp -o NAME.fit");
  }
  ProjectSession session(args.get("--config"));
  if (!session.open(args.positional[0])) return 1;
  return Backgroundsubtraction1Click(session.series, args.get("-o")) ? 0 : 1;
}

int processLines(const Args& rawArgs) {
  const ParsedArgs args = parseArgs(rawArgs, {"--roi", "-o", "--config"}, {});
  if (args.positional.size() != 1 || !args.has("--roi") || !args.has("-o")) {
    throw UsageError("usage: vargaze-cli process lines IMAGE --roi F.roi -o OUT.fit");
  }
  const std::string image = args.positional[0];
  const std::string out = args.get("-o");
  if (outputThatIsAFrame({out}, {image})) return reportError(out + ": the output would replace the image");
  FrameSession session(args.get("--config"));
  if (!session.open(image)) return 1;
  if (!LoadROI(session.window, args.get("--roi"), false) && session.window.count() == 0) {
    return reportError(args.get("--roi") + ": no ROI could be loaded");
  }
  // The ROIs are sky samples where the user placed them.
  session.window.AutocenterCheckBox = false;
  session.window.UpdateROItable(0);
  if (!EliminateLines(*session.img, session.window.ROIlist, session.ui)) return 1;
  std::string error;
  if (!session.img->Writefitsfile(out, error)) return reportError(out + ": " + error);
  return 0;
}

int processCrosscorr(const Args& rawArgs) {
  const ParsedArgs args = parseArgs(rawArgs, {}, {});
  if (args.positional.size() != 2) {
    throw UsageError("usage: vargaze-cli process crosscorr IMAGE1 IMAGE2");
  }
  StderrUi ui;
  const auto shift = crossCorrelateFiles(args.positional[0], args.positional[1], ui);
  if (!shift) return 1;
  std::cout << "dx=" << shift->dx << " dy=" << shift->dy << '\n';
  return 0;
}

}  // namespace

int processCommand(const Args& args) {
  if (args.empty()) {
    throw UsageError("usage: vargaze-cli process background|lines|crosscorr|flat|raw2fits|jpeg|dcf ...");
  }
  const Args rest(args.begin() + 1, args.end());
  if (args[0] == "background") return processBackground(rest);
  if (args[0] == "lines") return processLines(rest);
  if (args[0] == "crosscorr") return processCrosscorr(rest);
  throw UsageError("unknown process command '" + args[0] + "'");
}

}  // namespace vargaze::cli
