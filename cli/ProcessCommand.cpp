// vargaze-cli process: the image processing commands, headless.
#include <iostream>

#include "base/Numbers.h"

#include "cli/Session.h"
#include "photometry/RoiFile.h"
#include "processing/Background.h"
#include "processing/CrossCorrelation.h"
#include "processing/DcfCommand.h"
#include "processing/FlatCommand.h"
#include "processing/ImageSave.h"
#include "processing/JpegExport.h"
#include "processing/LineRemoval.h"
#include "processing/NumberedOutput.h"
#include "processing/RawToFits.h"

namespace vargaze::cli {

namespace {

int processBackground(const Args& rawArgs) {
  const ParsedArgs args = parseArgs(rawArgs, {"-o", "--config"}, {});
  if (args.positional.size() != 1 || !args.has("-o")) {
    throw UsageError(
        "usage: vargaze-cli process background PROJECT.vgp -o NAME.fit [--config INI]");
  }
  Session session(args.get("--config"));
  if (!session.openProject(args.positional[0])) return 1;
  return Backgroundsubtraction1Click(session.series, args.get("-o")) ? 0 : 1;
}

int processLines(const Args& rawArgs) {
  const ParsedArgs args = parseArgs(rawArgs, {"--roi", "-o", "--config"}, {});
  if (args.positional.size() != 1 || !args.has("--roi") || !args.has("-o")) {
    throw UsageError(
        "usage: vargaze-cli process lines IMAGE --roi F.roi -o OUT.fit [--config INI]");
  }
  const std::string image = args.positional[0];
  const std::string out = args.get("-o");
  if (outputThatIsAFrame({out}, {image})) return reportError(out + ": the output would replace the image");
  Session session(args.get("--config"));
  if (!session.openImage(image)) return 1;
  if (!LoadROI(session.window, args.get("--roi"), false) && session.window.count() == 0) {
    return reportError(args.get("--roi") + ": no ROI could be loaded");
  }
  // The ROIs are sky samples where the user placed them.
  session.window.AutocenterCheckBox = false;
  session.window.UpdateROItable(0);
  if (!EliminateLines(session.image(), session.window.ROIlist, session.ui)) return 1;
  std::string error;
  if (!session.image().Writefitsfile(out, error)) return reportError(out + ": " + error);
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

int processFlat(const Args& rawArgs) {
  const ParsedArgs args = parseArgs(rawArgs, {"--flat", "-o", "--config"}, {});
  if (args.positional.size() != 1 || !args.has("--flat") || !args.has("-o")) {
    throw UsageError(
        "usage: vargaze-cli process flat IMAGE --flat MASTER -o OUT.fit [--config INI]");
  }
  Session session(args.get("--config"));
  if (!session.app.openSeries({args.positional[0]})) return 1;
  if (session.app.flat.Flatkorrektur1Click(args.get("--flat")) != FlatResult::Applied) {
    return reportError(args.positional[0] + ": the flat correction was not applied");
  }
  return Saveimage1Click(session.series, args.get("-o")) ? 0 : 1;
}

int processRaw2fits(const Args& rawArgs) {
  const ParsedArgs args = parseArgs(rawArgs, {"--channel", "--config"}, {});
  if (args.positional.empty()) {
    throw UsageError(
        "usage: vargaze-cli process raw2fits [--channel R|G|B|RGB] [--config INI] FILES...");
  }
  const std::string name = args.get("--channel", "G");
  std::uint8_t channel = 0;
  if (name == "R") channel = 1;
  if (name == "G") channel = 2;
  if (name == "B") channel = 3;
  if (name == "RGB") channel = kRawChannelAll;
  if (channel == 0) throw UsageError("--channel takes R, G, B or RGB");
  Session session(args.get("--config"));
  const RawToFitsResult result =
      RawtoFitskonvertieren1Click(session.series, args.positional, [channel] { return channel; });
  for (const std::string& file : result.written) std::cout << file << '\n';
  return result.failed || result.cancelled || result.written.empty() ? 1 : 0;
}

int processJpeg(const Args& rawArgs) {
  const ParsedArgs args = parseArgs(rawArgs, {"-o", "--config"}, {});
  if (args.positional.size() != 1 || !args.has("-o")) {
    throw UsageError("usage: vargaze-cli process jpeg PROJECT.vgp -o BASE.jpg [--config INI]");
  }
  Session session(args.get("--config"));
  if (!session.openProject(args.positional[0])) return 1;
  const JpegExportResult result = JPGexport(session.series, args.get("-o"));
  std::cerr << result.written << " JPEG file(s) written\n";
  return result.saveFailed || result.skipped > 0 || result.written == 0 ? 1 : 0;
}

// "X,Y" as two 1-based pixel numbers.
void pixelOption(const ParsedArgs& args, const std::string& name, std::int32_t& x,
                 std::int32_t& y) {
  const std::string text = args.get(name);
  const auto comma = text.find(',');
  if (comma == std::string::npos || !tryParseInt32(text.substr(0, comma), x) ||
      !tryParseInt32(text.substr(comma + 1), y)) {
    throw UsageError(name + " takes X,Y (pixel column and row)");
  }
}

int processDcf(const Args& rawArgs) {
  const ParsedArgs args = parseArgs(rawArgs, {"-o", "--marker", "--sky", "--config"}, {});
  if (args.positional.size() != 1 || !args.has("-o")) {
    throw UsageError(
        "usage: vargaze-cli process dcf PROJECT.vgp -o RESULT.txt [--marker X,Y --sky X,Y] "
        "[--config INI]");
  }
  Session session(args.get("--config"));
  if (!session.openProject(args.positional[0])) return 1;
  // A ROI file keeps no position for a fixed marker, so it can be given here.
  if (args.has("--marker")) {
    std::int32_t lampX = 0, lampY = 0, skyX = 0, skyY = 0;
    pixelOption(args, "--marker", lampX, lampY);
    pixelOption(args, args.has("--sky") ? "--sky" : "--marker", skyX, skyY);
    placeDcfMarker(session.series, lampX, lampY, skyX, skyY);
  }
  return getDCFtime1Click(session.series, args.get("-o")) ? 0 : 1;
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
  if (args[0] == "flat") return processFlat(rest);
  if (args[0] == "raw2fits") return processRaw2fits(rest);
  if (args[0] == "jpeg") return processJpeg(rest);
  if (args[0] == "dcf") return processDcf(rest);
  throw UsageError("unknown process command '" + args[0] + "'");
}

}  // namespace vargaze::cli
