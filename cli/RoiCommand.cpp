// vargaze-cli roi: adding, listing and removing the ROIs of a project, as
// the image window's clicks, the star information dialog and the ROI
// window's "Erase" do.
#include <iostream>

#include "app/RoiPlacement.h"
#include "app/RoiWindowCommands.h"
#include "base/Numbers.h"
#include "cli/RoiSupport.h"

namespace vargaze::cli {

namespace {

constexpr const char* kAddUsage =
    "usage: vargaze-cli roi add PROJECT.vgp X Y [--name N] [--type var|comp|check] "
    "[--mag VALUE] [--size D --inner G --outer O] [--sky X,Y] [--config INI]";

// The star types by the names the command line uses for them.
constexpr std::pair<const char*, StarType> kTypes[] = {
    {"var", kStarVar}, {"comp", kStarComp}, {"check", kStarCheck}};

std::int32_t typeOption(const ParsedArgs& args) {
  const std::string text = args.get("--type", "var");
  for (const auto& [name, type] : kTypes) {
    if (text == name) return type;
  }
  throw UsageError("--type takes var, comp or check, not '" + text + "'");
}

std::string typeName(const TRoi1& roi) {
  if (roi.isFixed()) return "fixed";
  return kTypes[roi.starType()].first;
}

// Catalogue values as the star information shows them: blank when unknown.
std::string catalogueText(float value) {
  return value <= 90.0f ? formatFixed(value, 3, 6) : std::string();
}

void printRoi(const RoiWindow& window, std::int32_t number) {
  const TRoi1& r = window.roi(number);
  const BVRIRec& c = window.bvri(number);
  std::cout << number << ';' << r.Name << ';' << typeName(r) << ';' << r.xa << ';' << r.ya << ';'
            << catalogueText(c.Bmag) << ';' << catalogueText(c.Vmag) << ';'
            << catalogueText(c.Rmag) << ';' << catalogueText(c.Imag) << '\n';
}

int roiAdd(const Args& rawArgs) {
  const ParsedArgs args = parseArgs(
      rawArgs, {"--name", "--type", "--mag", "--size", "--inner", "--outer", "--sky", "--config"},
      {});
  if (args.positional.size() != 3) throw UsageError(kAddUsage);
  const std::int32_t type = typeOption(args);
  // A check star is told from a variable by its magnitude alone.
  if (type == kStarCheck && !args.has("--mag")) throw UsageError("--type check needs --mag");
  const std::string& project = args.positional[0];
  Session session(args.get("--config"));
  if (!openProjectForRois(session, project)) return 1;
  const Point star = framePosition(session, args.positional[1], args.positional[2]);
  const Point background = args.has("--sky") ? framePosition(session, args.get("--sky")) : star;
  RoiWindow& window = session.window;
  // The ROI window's size fields: they apply to every ROI.
  window.setStarSize(intOption(args, "--size", window.ROIsizeEdit.value));
  window.setInnerSize(intOption(args, "--inner", window.BGinnerEdit.value));
  window.setOuterSize(intOption(args, "--outer", window.BGsizeEdit.value));

  const std::int32_t number = placeRoi(session.app, star, background);
  if (!describeRoi(session.app, number, {args.get("--name"), type, args.get("--mag")})) {
    return reportError(project + ": ROI " + std::to_string(number) +
                       " did not take the star information; nothing saved");
  }
  if (saveProject(session, project) != 0) return 1;
  printRoi(window, number);
  return 0;
}

int roiList(const Args& rawArgs) {
  const ParsedArgs args = parseArgs(rawArgs, {"--config"}, {});
  if (args.positional.size() != 1) {
    throw UsageError("usage: vargaze-cli roi list PROJECT.vgp [--config INI]");
  }
  Session session(args.get("--config"));
  if (!session.openProject(args.positional[0])) return 1;
  std::cout << "N;Name;Type;X;Y;B;V;R;I\n";
  for (std::int32_t n = 1; n <= session.window.count(); ++n) printRoi(session.window, n);
  return 0;
}

int roiRemove(const Args& rawArgs) {
  const ParsedArgs args = parseArgs(rawArgs, {"--config"}, {});
  if (args.positional.size() != 2) {
    throw UsageError("usage: vargaze-cli roi remove PROJECT.vgp N [--config INI]");
  }
  const std::string& project = args.positional[0];
  std::int32_t number = 0;
  if (!tryParseInt32(args.positional[1], number)) {
    throw UsageError("N takes a ROI number, not '" + args.positional[1] + "'");
  }
  Session session(args.get("--config"));
  if (!session.openProject(project)) return 1;
  const std::int32_t count = session.window.count();
  if (number < 1 || number > count) {
    return reportError(project + ": there is no ROI " + std::to_string(number) + " (the project has " +
                       std::to_string(count) + ")");
  }
  session.window.RefstarEdit = number;
  RoiWindowCommands commands(session.app);
  if (!commands.ROIclearBtnClick()) {
    return reportError(project + ": ROI " + std::to_string(number) + " was not removed");
  }
  return saveProject(session, project);
}

}  // namespace

int roiCommand(const Args& args) {
  if (args.empty()) throw UsageError("usage: vargaze-cli roi add|list|remove PROJECT.vgp ...");
  const Args rest(args.begin() + 1, args.end());
  if (args[0] == "add") return roiAdd(rest);
  if (args[0] == "list") return roiList(rest);
  if (args[0] == "remove") return roiRemove(rest);
  throw UsageError("unknown roi command '" + args[0] + "' (add, list or remove)");
}

}  // namespace vargaze::cli
