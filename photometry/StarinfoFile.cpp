// Reading the star information sections of a project file.
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "base/Numbers.h"
#include "base/Strings.h"
#include "base/TextFile.h"
#include "photometry/RoiFile.h"
#include "photometry/RoiWindow.h"
#include "photometry/StarInfo.h"

namespace vargaze {

namespace {

// A field that should be a number and is not; it ends the reading.
class ConversionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

bool startsWith(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

// Field n (1-based) of a line split at every ";" and "|"; two adjacent
// separators enclose an empty field, and a field beyond the last is the last.
std::string field(std::string_view line, std::size_t n) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= line.size(); ++i) {
    if (i == line.size() || line[i] == ';' || line[i] == '|') {
      fields.push_back(line.substr(start, i - start));
      start = i + 1;
    }
  }
  return std::string(fields[std::min(n, fields.size()) - 1]);
}

double toDouble(const std::string& text) {
  double v = 0.0;
  if (!tryParseDouble(Trim(text), v)) {
    throw ConversionError("'" + text + "' ist kein gültiger Gleitkommawert");
  }
  return v;
}

float toFloat(const std::string& text) {
  const double v = toDouble(text);
  if (!(std::fabs(v) <= FLT_MAX)) {
    throw ConversionError("'" + text + "' ist kein gültiger Gleitkommawert");
  }
  return static_cast<float>(v);
}

std::int32_t toInt(const std::string& text) {
  std::int32_t v = 0;
  if (!tryParseInt32(Trim(text), v)) {
    throw ConversionError("'" + text + "' ist kein gültiger Integerwert");
  }
  return v;
}

enum class Section { Idle, Active, Done };

// The sections are read once each, in whatever order they come; a section
// becomes active at its header line and handles the lines after it.
class StarinfoReader {
 public:
  StarinfoReader(RoiWindow& win, const std::vector<std::string>& lines, CompTypeState* compType)
      : win_(win),
        lines_(lines),
        compType_(compType),
        inner_(win.BGinnerEdit.value),
        outer_(win.BGsizeEdit.value) {}

  void run() {
    while (pos_ < lines_.size()) {
      std::string line = lines_[pos_++];
      if (names_ == Section::Active) {
        readNames(line);
        names_ = Section::Done;
      }
      if (bvri_ == Section::Active) {
        readBvri(line);
        bvri_ = Section::Done;
      }
      if (chart_ == Section::Active && startsWith(line, "AAVSOchartID=")) {
        win_.AAVSOchartEdit = line.substr(13);
        chart_ = Section::Done;
      }
      if (centre_ == Section::Active) readCentre(line);
      header(line);
    }
  }

 private:
  // The line after the current one; empty past the end of the file.
  std::string nextLine() { return pos_ < lines_.size() ? lines_[pos_++] : std::string(); }

  void header(const std::string& line) {
    if (line == "[ROIfile]" && names_ == Section::Idle) {
      names_ = Section::Active;
    } else if (line == "[BVRI]" && bvri_ == Section::Idle) {
      bvri_ = Section::Active;
    } else if (line == "[compstars]" && chart_ == Section::Idle) {
      chart_ = Section::Active;
    } else if (line == "[ROIcenter]" && centre_ == Section::Idle) {
      centre_ = Section::Active;
    } else if (line == "[Tracking]" && !trackingDone_) {
      trackingDone_ = true;
      readTracking();
    }
  }

  // The ROI count, then one name per ROI.
  void readNames(std::string& line) {
    if (toInt(line) <= 0) return;
    for (std::int32_t i = 1; i <= win_.count(); ++i) {
      if (startsWith(line, "[")) break;
      line = nextLine();
      TRoi1& r = win_.roi(i);
      if (r.ref && r.rmag != 0.0f && compType_ != nullptr) compType_->ItemIndex = 1;
      if (!line.empty() && line[0] != '[') r.Name = roiNameFrom(line);
    }
  }

  // One line of B;V;R;I per ROI, the first being the current line.
  void readBvri(std::string& line) {
    for (std::int32_t i = 1; i <= win_.count(); ++i) {
      if (startsWith(line, "[")) break;
      if (i > 1) line = nextLine();
      std::replace(line.begin(), line.end(), ',', '.');
      if (line.empty() || line[0] == '[') continue;
      BVRIRec& c = win_.bvri(i);
      c.Bmag = toFloat(field(line, 1));
      c.Vmag = toFloat(field(line, 2));
      c.Rmag = toFloat(field(line, 3));
      c.Imag = toFloat(field(line, 4));
    }
  }

  // Ring sizes; they apply at the line that starts the next section.
  void readCentre(const std::string& line) {
    if (startsWith(line, "ROID2=")) {
      inner_ = toInt(line.substr(6));
    } else if (startsWith(line, "ROID3=")) {
      outer_ = toInt(line.substr(6));
    } else if (startsWith(line, "[")) {
      centre_ = Section::Done;
      if (win_.count() == 0) return;
      win_.setInnerSize(inner_);
      win_.setOuterSize(outer_);
      for (TRoi1& r : win_.ROIlist) {
        r.d2 = win_.BGinnerEdit.value;
        r.d3 = win_.BGsizeEdit.value;
      }
    }
  }

  void readTracking() {
    std::string line = nextLine();
    std::replace(line.begin(), line.end(), ',', '.');
    if (line.empty() || line[0] == '[') return;
    win_.imageWindow().TrackstarX = toDouble(field(line, 1));
    win_.imageWindow().TrackstarY = toDouble(field(line, 2));
  }

  RoiWindow& win_;
  const std::vector<std::string>& lines_;
  CompTypeState* compType_;
  std::size_t pos_ = 0;
  Section names_ = Section::Idle;
  Section bvri_ = Section::Idle;
  Section chart_ = Section::Idle;
  Section centre_ = Section::Idle;
  bool trackingDone_ = false;
  std::int32_t inner_;
  std::int32_t outer_;
};

}  // namespace

bool LoadStarinfos(RoiWindow& win, const std::string& projectfilename, CompTypeState* compType) {
  std::vector<std::string> lines;
  std::string error;
  if (!readTextLines(projectfilename, lines, error)) return false;
  win.AAVSOchartEdit.clear();
  try {
    StarinfoReader(win, lines, compType).run();
  } catch (const ConversionError& e) {
    win.ui().showMessage(e.what());
    return false;
  }
  return true;
}

}  // namespace vargaze
