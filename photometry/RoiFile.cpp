// Saving and loading ROI files, and the results text file.
#include "photometry/RoiFile.h"

#include <bit>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <utility>
#include <vector>

#include "base/AtomicFile.h"
#include "base/Numbers.h"
#include "base/TextFile.h"
#include "photometry/RoiWindow.h"

namespace vargaze {

namespace {

struct RoiRecord {
  std::int32_t x0a = 0;
  std::int32_t y0a = 0;
  std::int32_t x0b = 0;
  std::int32_t y0b = 0;
  std::int32_t d = 0;
  bool ref = false;
  float rmag = 0.0f;
};

void putUint32(std::string& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) {
    out.push_back(static_cast<char>((value >> shift) & 0xFFu));
  }
}

std::uint32_t getUint32(const std::string& bytes, std::size_t offset) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    value |= std::uint32_t{static_cast<unsigned char>(bytes[offset + i])} << (8 * i);
  }
  return value;
}

void putRecord(std::string& out, const TRoi1& r) {
  for (const std::int32_t v : {r.x0a, r.y0a, r.x0b, r.y0b, r.d}) {
    putUint32(out, static_cast<std::uint32_t>(v));
  }
  out.push_back(r.ref ? '\1' : '\0');
  out.append(3, '\0');
  putUint32(out, std::bit_cast<std::uint32_t>(r.rmag));
}

RoiRecord getRecord(const std::string& bytes, std::size_t offset) {
  RoiRecord rec;
  const auto field = [&](std::size_t at) {
    return static_cast<std::int32_t>(getUint32(bytes, offset + at));
  };
  rec.x0a = field(0);
  rec.y0a = field(4);
  rec.x0b = field(8);
  rec.y0b = field(12);
  rec.d = field(16);
  rec.ref = bytes[offset + 20] != '\0';
  rec.rmag = std::bit_cast<float>(getUint32(bytes, offset + 24));
  return rec;
}

// No image is wider or taller than the buffer's pixel limit; a record beyond
// it, or without a finite magnitude, is damage and not a ROI.
bool plausible(const RoiRecord& rec) {
  const auto inRange = [](std::int32_t v) { return v >= -kMaxPixels && v <= kMaxPixels; };
  return inRange(rec.x0a) && inRange(rec.y0a) && inRange(rec.x0b) && inRange(rec.y0b) &&
         std::isfinite(rec.rmag);
}

bool readRoiFile(UiPort& ui, const std::string& filename, std::string& bytes) {
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(filename, ec);
  if (ec) {
    ui.showMessage("Fehler beim Laden der Datei " + filename);
    return false;
  }
  if (size > static_cast<std::uintmax_t>(kMaxRoiFileRecords * kRoiRecordSize)) {
    ui.showMessage("Datei " + filename + " ist keine ROI-Datei (zu groß)");
    return false;
  }
  bytes.resize(static_cast<std::size_t>(size));
  std::ifstream in(filename, std::ios::binary);
  if (!in || !in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) {
    ui.showMessage("Fehler beim Laden der Datei " + filename);
    return false;
  }
  return true;
}

// A ROI from its record, with the star size the size control holds.
TRoi1 roiFrom(const RoiWindow& win, std::int32_t number, const RoiRecord& rec) {
  TRoi1 r;
  r.num = number;
  r.ref = rec.ref;
  r.xa = r.x0a = rec.x0a;
  r.ya = r.y0a = rec.y0a;
  r.xb = r.x0b = rec.x0b;
  r.yb = r.y0b = rec.y0b;
  r.rmag = rec.rmag;
  r.d = win.ROIsizeEdit.value;
  r.mag = kNoMagnitude;
  return r;
}

}  // namespace

bool SaveROI(RoiWindow& win, const std::string& filename) {
  if (win.count() == 0) {
    win.ui().showMessage("Keine ROI definiert");
    return false;
  }
  if (filename.empty()) return false;
  std::string bytes;
  for (const TRoi1& r : win.ROIlist) putRecord(bytes, r);
  std::string error;
  const bool saved = saveFileAtomically(
      filename, [&](AtomicFileOutput& out, std::string&) { return out.write(bytes); }, error);
  if (!saved) win.ui().showMessage("Fehler beim Speichern der Datei " + filename);
  return saved;
}

bool LoadROI(RoiWindow& win, const std::string& filename, bool askFirst,
             CompTypeState* compType) {
  UiPort& ui = win.ui();
  if (filename.empty()) return false;
  if (askFirst && win.count() > 0 &&
      ui.askYesNoCancel("Vorhandene ROIs werden gelöscht; sind Sie sicher?") !=
          UiPort::Answer::Yes) {
    return false;
  }
  std::string bytes;
  if (!readRoiFile(ui, filename, bytes)) return false;

  const std::size_t whole = bytes.size() / kRoiRecordSize;
  const std::size_t rest = bytes.size() % kRoiRecordSize;
  std::vector<RoiRecord> records;
  bool damaged = false;
  for (std::size_t k = 0; k < whole; ++k) {
    const RoiRecord rec = getRecord(bytes, k * kRoiRecordSize);
    if (!plausible(rec)) {
      damaged = true;
      break;
    }
    records.push_back(rec);
  }

  // The star-size control takes each record's size within its limits; a
  // change applies the size to the ROIs loaded before it. Only the last
  // change leaves its mark on those, so the controls follow record by record
  // while the list is empty, and the size is applied to the list once: a
  // file of many records with changing sizes would otherwise cost the square
  // of their number in measurements.
  win.ClearROIs();
  std::vector<TRoi1> rois;
  rois.reserve(records.size());
  std::size_t sizedByLastChange = 0;
  for (std::size_t k = 0; k < records.size(); ++k) {
    const std::int32_t sizeBefore = win.ROIsizeEdit.value;
    win.setStarSize(records[k].d);
    if (win.ROIsizeEdit.value != sizeBefore) sizedByLastChange = k;
    rois.push_back(roiFrom(win, static_cast<std::int32_t>(k + 1), records[k]));
  }
  win.ROIlist = std::move(rois);
  win.BVRIlist.assign(win.ROIlist.size(), BVRIRec{});
  for (std::size_t k = 0; k < sizedByLastChange; ++k) {
    TRoi1& r = win.ROIlist[k];
    r.d = win.ROIsizeEdit.value;
    r.d2 = win.BGinnerEdit.value;
    r.d3 = win.BGsizeEdit.value;
    win.GetROICounts(r);
  }
  win.ROIindex = win.count();
  win.imageWindow().TrackstarX = -1.0;
  win.imageWindow().TrackstarY = -1.0;

  if (damaged) {
    ui.showMessage("ROI-Datei " + filename + " ist beschädigt: ROI " +
                   std::to_string(records.size() + 1) + " ist ungültig; " +
                   std::to_string(records.size()) + " ROIs geladen");
  } else if (rest != 0) {
    ui.showMessage("ROI-Datei " + filename + " ist unvollständig: die letzten " +
                   std::to_string(rest) + " Byte sind keine ganze ROI und wurden nicht geladen");
  }

  std::filesystem::path project(filename);
  project.replace_extension(".vgp");
  std::error_code ec;
  if (std::filesystem::is_regular_file(project, ec)) {
    LoadStarinfos(win, project.string(), compType);
  }
  return !damaged && rest == 0;
}

bool SaveROITable(RoiWindow& win, const std::string& filename) {
  if (filename.empty()) return false;
  std::vector<std::string> lines;
  lines.push_back("Vargaze results for " + win.imageWindow().title);
  lines.push_back("N; Counts; PixelMax; Mag; S/N; Refmag; Filter");
  const std::string filter = filterItemName(win.FilterType);
  for (std::int32_t i = 1; i <= win.count(); ++i) {
    TRoi1& r = win.roi(i);
    std::int32_t refstarerror = 0;
    const float mag = win.getmag(r, refstarerror);
    const std::string magText = mag < kNoMagnitude && r.SN >= 3 ? formatFixed(mag, 3, 6) : " ";
    const std::string refText = r.rmag != 0.0f ? formatFixed(r.rmag, 3, 6) : "";
    lines.push_back(std::to_string(i) + ";" + std::to_string(r.net()) + ";" +
                    std::to_string(r.amaxcounts) + ";" + magText + ";" + std::to_string(r.SN) +
                    ";" + refText + ";" + filter);
  }
  std::string error;
  if (!saveTextFile(filename, lines, error)) {
    win.ui().showMessage("Fehler beim Speichern der Datei " + filename);
    return false;
  }
  return true;
}

}  // namespace vargaze
