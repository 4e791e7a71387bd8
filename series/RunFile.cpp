#include "series/RunFile.h"

#include <cmath>
#include <filesystem>

#include "base/Numbers.h"
#include "base/Strings.h"

namespace vargaze {

namespace {

// The offset as written in headers: whole days plainly, fractions with them.
std::string offsetText(double offset) {
  return offset == std::trunc(offset) ? formatFixed(offset, 0, 7) : formatGeneral(offset);
}

std::string frameLine(const std::string& name, const std::string& time,
                      const std::vector<float>& mags) {
  std::string line = "\"" + name + "\";" + time;
  for (float m : mags) line += ";" + formatFixed(m, 3, 6);
  return line;
}

}  // namespace

std::string runHeaderLine(double JDCurveoffset, std::size_t roiCount) {
  std::string line = "\"filename\";";
  line += JDCurveoffset <= 0.0 ? "\"JD\";" : "\"JD-" + offsetText(JDCurveoffset) + "\";";
  for (std::size_t n = 1; n <= roiCount; ++n) line += "\"ROI" + std::to_string(n) + "  mag\";";
  return line;
}

std::string runReferenceLine(const std::vector<TRoi1>& rois) {
  std::string line = "\"------\";0";
  for (const TRoi1& r : rois) line += r.ref ? ";" + formatFixed(r.rmag, 3, 6) : ";\"?\"";
  return line;
}

std::string runFrameLine(const std::string& name, double time, std::int32_t decimals,
                         const std::vector<float>& mags) {
  return frameLine(name, formatFixed(time, decimals, 15), mags);
}

std::string curveDataFrameLine(const std::string& name, double time,
                               const std::vector<float>& mags) {
  return frameLine(name, formatFixed(time, 5, 15), mags);
}

std::string curveFileName(const std::string& projectFilename, const Settings& settings) {
  std::string ext = StLoCase(settings.CurveFileExt);
  // The curve must never overwrite the project or its ROI file.
  if (ext.size() < 2 || ext[0] != '.' || ext == ".vgp" || ext == ".roi") ext = ".prn";
  else ext = settings.CurveFileExt;
  return std::filesystem::path(projectFilename).replace_extension(ext).string();
}

}  // namespace vargaze
