// Reading the lines of a project file into ProjectData.
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <string_view>

#include "base/Numbers.h"
#include "base/Strings.h"
#include "series/ProjectData.h"

namespace vargaze {

namespace {

enum class Section {
  None, Files, Roifile, Curvefile, Levels, Bvri, Filter, Image, Compstars, Roicenter, Tracking
};

struct Header {
  const char* text;
  Section section;
};

constexpr Header kHeaders[] = {
    {"[files]", Section::Files},         {"[ROIfile]", Section::Roifile},
    {"[Curvefile]", Section::Curvefile}, {"[levels]", Section::Levels},
    {"[BVRI]", Section::Bvri},           {"[Filter]", Section::Filter},
    {"[image]", Section::Image},         {"[compstars]", Section::Compstars},
    {"[ROIcenter]", Section::Roicenter}, {"[Tracking]", Section::Tracking},
};

bool startsWith(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

std::optional<double> number(std::string text) {
  std::replace(text.begin(), text.end(), ',', '.');
  double value = 0.0;
  if (!tryParseDouble(Trim(text), value) || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<std::int32_t> integer(std::string_view text) {
  std::int32_t value = 0;
  if (!tryParseInt32(Trim(text), value)) return std::nullopt;
  return value;
}

// The fields of a line split at every ";" and "|".
std::vector<std::string> fields(std::string_view line) {
  std::vector<std::string> out;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= line.size(); ++i) {
    if (i == line.size() || line[i] == ';' || line[i] == '|') {
      out.emplace_back(line.substr(start, i - start));
      start = i + 1;
    }
  }
  return out;
}

// A catalogue magnitude; what is missing or not a number stays unknown.
float magnitude(const std::vector<std::string>& f, std::size_t index) {
  if (index >= f.size()) return kNoMagnitude;
  const std::optional<double> v = number(f[index]);
  return v && std::fabs(*v) <= FLT_MAX ? static_cast<float>(*v) : kNoMagnitude;
}

class ProjectParser {
 public:
  ProjectData run(const std::vector<std::string>& lines) {
    for (const std::string& raw : lines) {
      if (startsWith(raw, "[")) {
        header(Trim(raw));
      } else {
        line(raw);
        ++index_;
      }
    }
    return std::move(data_);
  }

 private:
  // Every section is read once; a repeated header starts nothing.
  void header(const std::string& text) {
    if (section_ == Section::Roicenter) data_.ringSizesApply = true;
    section_ = Section::None;
    index_ = 0;
    for (const Header& h : kHeaders) {
      if (text != h.text) continue;
      const auto bit = 1u << static_cast<unsigned>(h.section);
      if ((seen_ & bit) == 0) section_ = h.section;
      seen_ |= bit;
    }
    if (section_ == Section::Roifile) data_.roiSection = true;
  }

  void line(const std::string& text) {
    switch (section_) {
      case Section::Files:
        if (!Trim(text).empty()) data_.files.push_back(text);
        break;
      case Section::Roifile: roifile(text); break;
      case Section::Curvefile:
        if (index_ == 1) data_.curveTitle = text;
        break;
      case Section::Levels: levels(text); break;
      case Section::Bvri: bvri(text); break;
      case Section::Filter: filter(text); break;
      case Section::Image: image(Trim(text)); break;
      case Section::Compstars:
        if (startsWith(text, "AAVSOchartID=")) {
          data_.chartId = text.substr(13);
          section_ = Section::None;
        }
        break;
      case Section::Roicenter: roicenter(Trim(text)); break;
      case Section::Tracking: tracking(text); break;
      case Section::None: break;
    }
  }

  void roifile(const std::string& text) {
    if (index_ == 0) {
      data_.roiCount = integer(text).value_or(-1);
    } else if (data_.roiCount < 0 || data_.names.size() < static_cast<std::size_t>(data_.roiCount)) {
      data_.names.push_back(text);
    }
  }

  void levels(const std::string& text) {
    const std::optional<double> v = number(text);
    if (!v) return;
    if (index_ == 0 && *v != 0.0) data_.upperLevel = *v;
    if (index_ == 1) data_.lowerLevel = *v;
  }

  void bvri(const std::string& text) {
    BVRIRec rec;
    const std::vector<std::string> f = fields(text);
    if (!Trim(text).empty()) {
      rec.Bmag = magnitude(f, 0);
      rec.Vmag = magnitude(f, 1);
      rec.Rmag = magnitude(f, 2);
      rec.Imag = magnitude(f, 3);
    }
    data_.bvri.push_back(rec);
  }

  void filter(const std::string& text) {
    if (index_ == 0) data_.filterType = integer(text);
    if (index_ == 1) data_.BVRImode = Trim(text) == "BVRImode=1";
  }

  void image(const std::string& text) {
    if (text == "flipvertical=1" || text == "flipvertical=0") {
      data_.flipvertical = text.back() == '1';
    } else if (text == "rotate180=1" || text == "rotate180=0") {
      data_.rotate180 = text.back() == '1';
    } else if (startsWith(text, "ImgBinning=")) {
      const std::optional<std::int32_t> v = integer(text.substr(11));
      if (v && *v >= 0 && *v <= 255) data_.imgBinning = static_cast<std::uint8_t>(*v);
    } else if (startsWith(text, "RGBcolornumber=")) {
      const std::optional<std::int32_t> v = integer(text.substr(15));
      if (v && *v >= 1 && *v <= 3) data_.RGBcolornumber = static_cast<std::uint8_t>(*v);
    }
  }

  void roicenter(const std::string& text) {
    if (text == "AutocenterROI=0" || text == "AutocenterROI=1") {
      data_.autocenter = text.back() == '1';
    } else if (startsWith(text, "ROID2=")) {
      if (const auto v = integer(text.substr(6))) data_.ringInner = v;
    } else if (startsWith(text, "ROID3=")) {
      if (const auto v = integer(text.substr(6))) data_.ringOuter = v;
    }
  }

  void tracking(const std::string& text) {
    if (index_ != 0) return;
    const std::vector<std::string> f = fields(text);
    if (f.size() < 2) return;
    const std::optional<double> x = number(f[0]);
    const std::optional<double> y = number(f[1]);
    if (!x || !y) return;
    data_.trackstarX = *x;
    data_.trackstarY = *y;
  }

  ProjectData data_;
  Section section_ = Section::None;
  std::size_t index_ = 0;  // line number within the current section
  unsigned seen_ = 0;      // one bit per section header met
};

}  // namespace

ProjectData parseProject(const std::vector<std::string>& lines) {
  return ProjectParser().run(lines);
}

}  // namespace vargaze
