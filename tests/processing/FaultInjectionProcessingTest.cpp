// Every save of the processing commands under injected failures: the
// target's folder is missing, a target name is a folder, the disk fills up
// during the write. Each is told with the file's name, ends the command and
// leaves earlier files of that name byte for byte, with no temporary file.
#include <filesystem>
#include <functional>

#include "processing/Background.h"
#include "processing/ImageSave.h"
#include "processing/JpegExport.h"
#include "processing/ProcessingRig.h"
#include "processing/RawToFits.h"
#include "support/FaultInjection.h"

namespace vargaze {
namespace {

namespace fs = std::filesystem;
using Rig = test::ProcessingRig;

struct SaveKind {
  const char* name;
  std::function<void(Rig&)> setup;
  // True when every file was written; raw-to-FITS names its files itself.
  std::function<bool(Rig&, const std::string& chosen)> save;
  const char* chosen;         // the name the save is given
  // The file reported when the folder is missing; nullptr for raw-to-FITS,
  // which writes beside the raw file, in a folder that exists.
  const char* missingFolder;
  const char* folderTarget;   // a file of the save that is made a folder
  const char* fullDisk;       // the file the full disk hits, with an earlier version of it
  std::int64_t room;          // bytes the disk has left
  std::function<void(Rig&)> change = [](Rig&) {};  // before the full disk: what differs now
};

void rawFile(Rig& t) {
  t.frames = {t.rawFile("A.CR2")};
  t.series.RGBcolornumber = 3;  // to be given back
}
bool converted(Rig& t, std::uint8_t channel) {
  const RawToFitsResult r = t.convert({"A.CR2"}, channel);
  return !r.failed && r.written.size() == (channel == kRawChannelAll ? 3u : 1u);
}
void threeFrames(Rig& t) { t.open({"a.fit", "b.fit", "c.fit"}); }

void PrintTo(const SaveKind& c, std::ostream* os) { *os << c.name; }

// Raw-to-FITS: room for the converter's picture, not for a FITS file.
const SaveKind kKinds[] = {
    {"ImageSave", [](Rig& t) { t.open({"a.fit"}); },
     [](Rig& t, const std::string& path) { return Saveimage1Click(t.series, path); }, "saved.fit",
     "no-such-folder/saved.fit", "saved.fit", "saved.fit", 6000,
     [](Rig& t) { t.series.img->putpixel(5, 5, 4321); }},
    {"BackgroundSeries", [](Rig& t) { threeFrames(t); t.cornerRois(); },
     [](Rig& t, const std::string& path) { return Backgroundsubtraction1Click(t.series, path); },
     "sky.fit", "no-such-folder/sky001.fit", "sky002.fit", "sky001.fit", 5000},
    {"JpegExport", threeFrames,
     [](Rig& t, const std::string& path) {
       const JpegExportResult r = JPGexport(t.series, path);
       return !r.saveFailed && r.written == 3;
     },
     "m.jpg", "no-such-folder/m001.JPG", "m002.JPG", "m001.JPG", 200,
     [](Rig& t) { t.series.controls.InvertCheckBox = true; }},
    {"RawToFitsOneChannel", rawFile, [](Rig& t, const std::string&) { return converted(t, 1); },
     "A_R.fit", nullptr, "A_R.fit", "A_R.fit", 1000},
    {"RawToFitsAllChannels", rawFile,
     [](Rig& t, const std::string&) { return converted(t, kRawChannelAll); }, "A_R.fit", nullptr,
     "A_R.fit", "A_R.fit", 1000},
    {"DcfResult", [](Rig& t) { t.openDcf({true, false, true}); },
     [](Rig& t, const std::string& path) { return getDCFtime1Click(t.series, path).has_value(); },
     "dcf.prn", "no-such-folder/dcf.prn", "dcf.prn", "dcf.prn", 20},
};

class FaultInjectionProcessingTest : public Rig, public ::testing::WithParamInterface<SaveKind> {
 protected:
  test::SaveAction action() {
    return [this](const std::string& path, std::string& message) {
      ui.messages.clear();
      const bool saved = GetParam().save(*this, path);
      message = lastMessage();
      return saved;
    };
  }
  std::vector<std::string> failed(const std::string& name) const {
    return {"Fehler beim Speichern der Datei " + dir.file(name)};
  }
};

TEST_P(FaultInjectionProcessingTest, FailuresAreToldAndKeepEarlierFiles) {
  const SaveKind& k = GetParam();
  k.setup(*this);
  const std::uint8_t channel = series.RGBcolornumber;
  if (k.missingFolder != nullptr) {
    test::expectMissingFolderReported(dir, k.chosen, action());
    EXPECT_EQ(ui.messages, failed(k.missingFolder));
  }
  {
    SCOPED_TRACE("a target name is a folder");
    const std::string folder = dir.file(k.folderTarget);
    fs::create_directory(folder);
    test::writeBytes(folder + "/keep.txt", "keep");
    std::string message;
    EXPECT_FALSE(action()(dir.file(k.chosen), message));
    EXPECT_EQ(ui.messages, failed(k.folderTarget));
    EXPECT_EQ(test::readBytes(folder + "/keep.txt"), "keep");
    fs::remove_all(folder);
  }
  EXPECT_EQ(series.RGBcolornumber, channel);

  std::string message;
  ASSERT_TRUE(action()(dir.file(k.chosen), message)) << message;
  k.change(*this);
  const std::string earlier = test::readBytes(dir.file(k.fullDisk));
  ASSERT_FALSE(earlier.empty());
  EXPECT_EQ(std::vector{test::expectFullDiskKeepsFile(dir.file(k.chosen), k.room, action())},
            failed(k.fullDisk));
  EXPECT_EQ(test::readBytes(dir.file(k.fullDisk)), earlier);
}

INSTANTIATE_TEST_SUITE_P(Processing, FaultInjectionProcessingTest, ::testing::ValuesIn(kKinds),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace vargaze
