// vargaze-cli table: the ROI table of a ROI set measured on one frame.
#include <iostream>

#include "cli/CliSupport.h"
#include "cli/Session.h"
#include "photometry/RoiFile.h"
#include "photometry/RoiWindow.h"

namespace vargaze::cli {

namespace {

constexpr const char* kUsage =
    "usage: vargaze-cli table IMAGE --roi FILE.roi [--size D --inner G --outer O] "
    "[--no-center] [--filter N] [--color 1|2|3] [--config INI]";

std::string joinRow(const RoiTableRow& row) {
  std::string line;
  for (std::size_t c = 0; c < row.size(); ++c) {
    if (c > 0) line += ';';
    line += row[c];
  }
  return line;
}

}  // namespace

int tableCommand(const Args& rawArgs) {
  const ParsedArgs args = parseArgs(rawArgs, {"--roi", "--size", "--inner", "--outer", "--filter",
                                              "--color", "--config"},
                                    {"--no-center"});
  if (args.positional.size() != 1 || !args.has("--roi")) throw UsageError(kUsage);
  Session session(args.get("--config"));
  if (!session.openImage(args.positional[0], colourOption(args, 2))) return 1;
  RoiWindow& window = session.window;
  const Timgbuffer& img = session.image();
  // A damaged ROI file loads its whole records; the table shows them, and the
  // exit code still says that the file was not read completely.
  const bool roisComplete = LoadROI(window, args.get("--roi"), false);
  if (!roisComplete && window.count() == 0) {
    return reportError(args.get("--roi") + ": no ROI could be loaded");
  }
  window.setStarSize(intOption(args, "--size", window.ROIsizeEdit.value));
  window.setInnerSize(intOption(args, "--inner", window.BGinnerEdit.value));
  window.setOuterSize(intOption(args, "--outer", window.BGsizeEdit.value));
  if (args.has("--no-center")) window.AutocenterCheckBox = false;
  if (args.has("--filter")) {
    const std::int32_t filter = intOption(args, "--filter", 0);
    if (filter < 0 || filter >= kFilterCount) throw UsageError("--filter takes 0..8");
    window.FilterComboboxChange(filter);
  } else if (session.settings.AutoReadFilter && img.FilterType >= 0 &&
             img.FilterType < kFilterCount) {
    window.FilterComboboxChange(img.FilterType);
  }
  window.startCommand();
  window.UpdateROItable(0);

  std::cout << joinRow(roiTableHeader()) << '\n';
  for (std::int32_t i = 1; i <= window.count(); ++i) {
    std::cout << joinRow(window.table1.row(i)) << '\n';
  }
  std::cout << "Magcal=" << window.MagCalEdit << '\n' << "Sky=" << window.SkymagEdit << '\n';
  return roisComplete ? 0 : 1;
}

}  // namespace vargaze::cli
