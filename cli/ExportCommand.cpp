// vargaze-cli export: the AAVSO/BAV extended format (with its report check),
// the full results export and the short export of a project.
#include <iostream>

#include "base/Numbers.h"
#include "cli/Session.h"
#include "export/AavsoExport.h"
#include "export/FullExport.h"
#include "export/FullExportFormat.h"
#include "export/ReportCheck.h"
#include "export/ShortExport.h"
#include "series/LightCurveRun.h"

namespace vargaze::cli {

namespace {

constexpr const char* kAavsoUsage =
    "usage: vargaze-cli export aavso PROJECT.vgp -o FILE [--var N] [--check N] "
    "[--delimiter , ; or |] [--jdcorr SECONDS] [--obstype CCD|DSLR] [--standardized] "
    "[--transform] [--obscode CODE] [--strict] [--config INI]";

char delimiterOption(const ParsedArgs& args, char fallback) {
  if (!args.has("--delimiter")) return fallback;
  const std::string text = args.get("--delimiter");
  if (text.size() != 1 || delimiterIndexOf(text[0]) < 0) {
    throw UsageError("--delimiter takes , ; or |");
  }
  return text[0];
}

int exportAavso(const Args& rawArgs) {
  const ParsedArgs args = parseArgs(
      rawArgs,
      {"-o", "--var", "--check", "--delimiter", "--jdcorr", "--obstype", "--obscode", "--config"},
      {"--standardized", "--transform", "--strict"});
  if (args.positional.size() != 1 || !args.has("-o")) throw UsageError(kAavsoUsage);
  Session session(args.get("--config"));
  if (!session.openProject(args.positional[0])) return 1;
  // For this report only: the configuration is never written.
  if (args.has("--obscode")) session.settings.OBSCODE = args.get("--obscode");

  ExportForm2& form = session.app.exportWindow();
  if (!form.BAVAAVSODatenexport1Click()) return 1;
  form.ROIEdit1 = intOption(args, "--var", form.ROIEdit1);
  form.ROIEdit2 = intOption(args, "--check", form.ROIEdit2);
  form.DelimiterGroupClick(delimiterIndexOf(delimiterOption(args, form.delimiter)));
  if (args.has("--jdcorr")) {
    double seconds = 0.0;
    if (!tryParseDouble(args.get("--jdcorr"), seconds)) throw UsageError("--jdcorr takes seconds");
    form.JDcorrEdit = args.get("--jdcorr");
  }
  if (args.has("--obstype")) {
    const std::string type = args.get("--obstype");
    if (type != "CCD" && type != "DSLR") throw UsageError("--obstype takes CCD or DSLR");
    form.OBSTYPEselectChange(type);
  }
  if (args.has("--standardized")) form.Comp_check_mags = CompCheckMags::Standardized;

  if (form.FillButtonClick() != FillResult::Completed) {
    return reportError(args.positional[0] + ": the export table was not filled");
  }
  if (args.has("--transform") &&
      form.TransformButtonClick() != TransformResult::Inserted) {
    return reportError(args.positional[0] + ": the transformation was not applied");
  }
  const std::vector<Finding> findings = form.checkReport();
  for (const Finding& f : findings) std::cerr << describeFinding(f) << '\n';
  if (args.has("--strict") && !findings.empty()) {
    return reportError(std::to_string(findings.size()) +
                       " finding(s) in the report; nothing saved (--strict)");
  }
  if (!form.SaveButtonClick(args.get("-o"))) return 1;
  std::cerr << "saved " << form.rows.size() << " observation(s) to " << args.get("-o") << '\n';
  return 0;
}

// "--delimiter , ; or |" and "--decimal . or ," as the windows' radio items.
std::int32_t delimiterItem(const ParsedArgs& args) {
  const std::int32_t item = exportfmt::delimiterItemFor(delimiterOption(args, ','));
  if (item < 0) throw UsageError("--delimiter takes , ; or |");
  return item;
}

std::int32_t decimalItem(const ParsedArgs& args) {
  const std::string text = args.get("--decimal", ".");
  const std::int32_t item = text.size() == 1 ? exportfmt::decimalItemFor(text[0]) : -1;
  if (item < 0) throw UsageError("--decimal takes . or ,");
  return item;
}

int exportFull(const Args& rawArgs) {
  const ParsedArgs args =
      parseArgs(rawArgs, {"-o", "--roi", "--delimiter", "--decimal", "--config"}, {});
  if (args.positional.size() != 1 || !args.has("-o")) {
    throw UsageError(
        "usage: vargaze-cli export full PROJECT.vgp -o FILE [--roi N] [--delimiter , ; or |] "
        "[--decimal . or ,] [--config INI]");
  }
  Session session(args.get("--config"));
  if (!session.openProject(args.positional[0])) return 1;
  FullExportFields fields;
  fields.FilenameEdit = args.get("-o");
  fields.ROInumEdit = intOption(args, "--roi", 0);
  fields.DelimiterGroup = delimiterItem(args);
  fields.DecimalGroup = decimalItem(args);
  return FullExportSave(session.series, fields) ? 0 : 1;
}

int exportShort(const Args& rawArgs) {
  const ParsedArgs args = parseArgs(
      rawArgs, {"-o", "--roi1", "--roi2", "--delimiter", "--decimal", "--config"}, {"--airmass"});
  if (args.positional.size() != 1 || !args.has("-o")) {
    throw UsageError(
        "usage: vargaze-cli export short PROJECT.vgp -o FILE [--roi1 N] [--roi2 M] [--airmass] "
        "[--decimal . or ,] [--delimiter , ; or |] [--config INI]");
  }
  Session session(args.get("--config"));
  if (!session.openProject(args.positional[0])) return 1;
  ShortExportFields fields;
  fields.FilenameEdit = args.get("-o");
  fields.ROIEdit1 = intOption(args, "--roi1", 1);
  fields.ROIEdit2 = intOption(args, "--roi2", 0);
  fields.AirmassCheck = args.has("--airmass");
  fields.DelimiterGroup = delimiterItem(args);
  fields.DecimalGroup = decimalItem(args);
  // The short export reads the light curve: measure it first.
  if (Analyse1Click(session.series) != RunResult::Completed) {
    return reportError(args.positional[0] + ": the light curve was not completed");
  }
  return ShortExport(session.series, fields) ? 0 : 1;
}

}  // namespace

int exportCommand(const Args& args) {
  if (args.empty()) throw UsageError("usage: vargaze-cli export aavso|full|short PROJECT.vgp ...");
  const Args rest(args.begin() + 1, args.end());
  if (args[0] == "aavso") return exportAavso(rest);
  if (args[0] == "full") return exportFull(rest);
  if (args[0] == "short") return exportShort(rest);
  throw UsageError("unknown export '" + args[0] + "' (aavso, full or short)");
}

}  // namespace vargaze::cli
