#include "cli/RoiSupport.h"

#include <stdexcept>

#include "base/Numbers.h"
#include "series/ProjectFile.h"

namespace vargaze::cli {

bool openProjectForRois(Session& session, const std::string& projectFile) {
  if (!session.openProject(projectFile)) return false;
  if (session.window.count() == 0) session.window.FormShow();
  return true;
}

Point framePosition(const Session& session, const std::string& x, const std::string& y) {
  std::int32_t column = 0;
  std::int32_t row = 0;
  if (!tryParseInt32(x, column) || !tryParseInt32(y, row)) {
    throw UsageError("a position takes whole pixel numbers, not '" + x + "," + y + "'");
  }
  const Timgbuffer& image = *session.series.img;
  if (column < 1 || row < 1 || column > image.xsize || row > image.ysize) {
    throw std::runtime_error("the position " + x + "," + y + " lies outside the frame of " +
                             std::to_string(image.xsize) + " x " + std::to_string(image.ysize) +
                             " pixels");
  }
  return {column - 1, row - 1};
}

Point framePosition(const Session& session, const std::string& xy) {
  const std::size_t comma = xy.find(',');
  if (comma == std::string::npos) throw UsageError("a position takes X,Y, not '" + xy + "'");
  return framePosition(session, xy.substr(0, comma), xy.substr(comma + 1));
}

int saveProject(Session& session, const std::string& projectFile) {
  if (!SaveProject(session.series, projectFile)) {
    return reportError(projectFile + ": the project could not be saved");
  }
  return 0;
}

}  // namespace vargaze::cli
