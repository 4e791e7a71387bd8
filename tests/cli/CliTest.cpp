// vargaze-cli as a user runs it: refusals, and for each group of commands an
// end-to-end run checked against what the test wrote or the demo's truth.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <set>

#include "support/CliRunner.h"
#include "support/FitsBuilder.h"
#include "support/Lines.h"
#include "support/RoiRecord.h"
#include "support/SyntheticFrame.h"

namespace vargaze::test {
namespace {

using Rows = std::vector<std::vector<std::string>>;

// The lines of `text` split at `delimiter`.
Rows cellsOf(const std::string& text, char delimiter) {
  Rows rows;
  for (const std::string& line : splitLines(text)) {
    rows.emplace_back();
    for (std::size_t start = 0, end = 0; end != std::string::npos; start = end + 1) {
      end = line.find(delimiter, start);
      rows.back().push_back(line.substr(start, end - start));
    }
  }
  return rows;
}

double number(std::string text) {
  std::replace(text.begin(), text.end(), ',', '.');  // a decimal comma
  return std::stod(text);
}

// The shared 100 x 80 frame with stars (x, y, net counts): single pixels, or
// Gaussian profiles (sigma 1.5) of that total when `spread`.
std::string frameBytes(const std::vector<std::array<int, 3>>& stars, bool spread = false) {
  FrameContent frame{{}, "", "2023-10-05T21:13:45", 10.0};  // no FILTER card
  for (const auto& [x, y, net] : stars)
    frame.stars.push_back({x, y, spread ? net / (2 * M_PI * 2.25) : net, spread ? 1.5 : 0.0});
  return test::frameBytes(frame);
}

class CliTest : public ::testing::Test {
 protected:
  std::string at(std::string text) const {  // "@" stands for this test's folder
    for (std::size_t p; (p = text.find('@')) != std::string::npos;) text.replace(p, 1, dir.path().string() + "/");
    return text;
  }
  CliResult run(const std::string& arguments) const { return runCli(at(arguments), dir); }
  CliResult ok(const std::string& arguments) const {  // a command that must succeed
    const CliResult r = run(arguments);
    EXPECT_EQ(r.exitCode, 0) << arguments << ": " << r.err;
    return r;
  }
  nlohmann::json info(const std::string& file) const { return nlohmann::json::parse(ok("info " + file).out); }
  Rows rowsOf(const std::string& file, char delimiter) const { return cellsOf(readBytes(at(file)), delimiter); }
  TempDir dir;
};

// Exit code 1, the file and the reason on stderr's last line, stdout empty, nothing
// written but the export header template. (Engine refusals are tested with the engine.)
TEST_F(CliTest, RefusalsNameTheFileAndReasonAndWriteNothing) {
  ok("demo @n --frames 3 --size 256x192");
  writeBytes(at("@plain"), "x");
  const std::string frame = "@n/demo_001.fit", project = "@n/demo.vgp";
  const std::pair<std::string, std::string> cases[] = {
      {"info @missing.fit", "@missing.fit: file not found"},
      {"info " + frame + " --color 4", "--color takes 1, 2 or 3"},
      {"demo @out --size 127x300", "the frame size must be 128x128 to 4096x4096, not 127x300"},
      {"demo @out --size 300", "--size takes WIDTHxHEIGHT"},
      {"demo @out @out", "usage: vargaze-cli demo DIR"},
      {"demo @plain/night --frames 2", "@plain/night: cannot create the folder"},
      {"table " + frame + " --roi @x.roi", "@x.roi: no ROI could be loaded"},
      {"table " + frame + " --roi @n/demo.roi --size x", "--size takes a whole number, not 'x'"},
      {"findstars " + frame + " --max 1 -o @f.roi", frame + ": no star found"},
      {"findstars " + frame + " --sensitivity 3 -o @f.roi", "--sensitivity takes 0, 1 or 2"},
      {"measure @nothing.vgp", "@nothing.vgp: the project could not be opened"},
      {"measure " + project + " --config @n/vargaze.ini", "@n/vargaze.ini: no such configuration file"},
      {"watch " + project + " --interval 0", "--interval takes 1..9999 seconds"},
      {"export aavso " + project + " -o @r.txt --strict", "2 finding(s) in the report; nothing saved"},
      {"export aavso " + project + " -o @r.txt --var 9", project + ": the export table was not filled"},
      {"export aavso " + project + " -o @r.txt --delimiter :", "--delimiter takes , ; or |"},
      {"process lines " + frame + " --roi @n/demo.roi -o " + frame, frame + ": the output would replace the image"},
      {"process raw2fits --channel X a.CR2", "--channel takes R, G, B or RGB"},
      {"roi add " + project + " 9 9 --type star", "--type takes var, comp or check, not 'star'"},
      {"roi remove " + project + " 6", project + ": there is no ROI 6 (the project has 5)"},
      {"roi add " + project + " 257 9", "the position 257,9 lies outside the frame of 256 x 192 pixels"},
      {"track " + project + " 9 0", "the position 9,0 lies outside the frame of 256 x 192 pixels"},
      {"roi list @nothing.vgp", "@nothing.vgp: the project could not be opened"},
  };
  const auto tree = [&] {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path())) names.insert(entry.path());
    return names;
  };
  const std::set<std::string> before = tree();
  const std::string frameBefore = readBytes(at(frame)), projectBefore = readBytes(at(project));
  for (const auto& [arguments, reason] : cases) {
    SCOPED_TRACE(arguments);
    const CliResult r = run(arguments);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    ASSERT_TRUE(r.err.ends_with('\n')) << r.err;
    EXPECT_NE(splitLines(r.err).back().find(at(reason)), std::string::npos) << r.err;
    for (const std::string& name : tree()) {
      EXPECT_TRUE(before.count(name) || name == at("@exportfileheader.txt")) << name;
    }
    EXPECT_EQ(readBytes(at(frame)), frameBefore);
    EXPECT_EQ(readBytes(at(project)), projectBefore);
  }
  const CliResult unknown = run("no-such-command");
  EXPECT_TRUE(unknown.exitCode == 1 && unknown.err.starts_with("vargaze-cli: unknown command 'no-such-command'\n"));
  EXPECT_NE(ok("--help").out.find("demo DIR [--frames N] [--size WxH]"), std::string::npos);
  // Every command that measures or writes results tells that it takes a configuration.
  for (const char* command : {"table", "findstars", "measure", "colorindex", "watch", "export aavso",
                              "export full", "export short", "process background", "process lines",
                              "process flat", "process raw2fits", "process jpeg", "process dcf"}) {
    EXPECT_NE(run(command).err.find("[--config INI]"), std::string::npos) << command;
  }
}

// The JSON fields against a frame the test wrote (BZERO 32768 shifts the
// stored -32768..32767 to 0..65535; the Julian Date keeps 8 decimals) and each
// plane of a colour cube. The sample star field reads the same after convert.
TEST_F(CliTest, InfoAndConvertShowWhatTheFrameHolds) {
  writeBytes(at("@frame.fit"), FitsBuilder(16, 3, 2).card("BZERO", "32768").card("DATE-OBS", "'2000-01-01T12:00:00'")
                                   .card("EXPTIME", "30").card("FILTER", "'V'").card("AIRMASS", "1.25")
                                   .card("XBINNING", "2").card("YBINNING", "3").pixels({-32768, -32000, 0, 100, 200, 32767}).bytes());
  const std::string text = ok("info @frame.fit").out;
  const auto j = nlohmann::json::parse(text);
  const std::pair<const char*, nlohmann::json> fields[] = {
      {"xsize", 3},       {"ysize", 2},        {"bitpix", 16},     {"bufferMin", 0},  {"bufferMax", 65535},
      {"Exposure", 30.0}, {"FilterName", "V"}, {"FilterType", 3},  {"Airmass", 1.25}, {"Xbinning", 2},
      {"Ybinning", 3},    {"JDstart", 2451545.0}, {"Datetime", "2000-01-01T12:00:00.000"}};
  for (const auto& [key, value] : fields) EXPECT_EQ(j[key], value) << key;
  EXPECT_NE(text.find("\"JDstart\": 2451545.00000000,"), std::string::npos) << text;
  writeBytes(at("@rgb.fit"), FitsBuilder(8, 2, 1, 3).card("CSPACE", "'RGB'").pixels({1, 2, 30, 40, 150, 160}).bytes());
  for (const auto& [colour, brightest] : {std::pair{"1", 2}, {"2", 40}, {"3", 160}}) {
    const auto plane = info("@rgb.fit --color " + std::string(colour));
    EXPECT_TRUE(plane["xsize"] == 2 && plane["bufferMax"] == brightest) << colour << ": " << plane;
  }
  ok("sample @sample.fit");
  ok("convert @sample.fit @copy.fit");
  const auto sample = info("@sample.fit"), copy = info("@copy.fit");
  EXPECT_GT(sample["bufferMax"].get<int>(), 5000);
  for (const char* key : {"xsize", "ysize", "bufferMin", "bufferMax", "Offset1", "JDstart", "Datetime", "Exposure", "Airmass"}) {
    EXPECT_TRUE(sample.contains(key) && sample[key] == copy[key]) << key;
  }
}

// The ROI table of single-pixel stars against pixel sums by hand, with the
// apertures of the options, the configuration or the ROI file, and the star
// information of a project beside the ROI file; findstars and crosscorr on
// stars the test placed.
TEST_F(CliTest, TableCellsAreThePixelSumsAndFindstarsFindsTheStars) {
  writeBytes(at("@frame.fit"), frameBytes({{30, 30, 10000}, {70, 40, 1000}, {35, 30, 1760}}));
  writeBytes(at("@field.roi"), roiRecord(30, 30, 30, 30, 5, true, 10.0f) + roiRecord(70, 40, 70, 40, 5, false, 0.0f));
  const std::string ring = "[Mag]\r\nDefaultROIsize=7\r\nDefaultBGinnerSize=9\r\nDefaultBGouterSize=15\r\nInstmagCorr=0\r\n";
  const std::string stars = "[ROIfile]\r\n2\r\nComp A\r\nV1234 Cyg\r\n[BVRI]\r\n10,6;10,0;9,7;99\r\n99;99;99;99\r\n[End]\r\n";
  const struct {
    std::string ini, project, options;
    std::vector<std::tuple<std::size_t, std::size_t, std::string>> cells;  // row, column, text
  } cases[] = {
      // 5 x 5 box: 25 x 100 sky + 10000; the 7 / 9 ring holds sky only. Counts
      // per second by default: zero point 10 + 2.5 log10(10000 / 10) = 17.5.
      {"", "", "--size 5 --inner 7 --outer 9",
       {{0, 5, "Mag"}, {0, 7, "S/N (error)"}, {1, 1, "12500"}, {1, 2, "2500"}, {1, 3, "10000"}, {1, 4, "10100"},
        {1, 5, "10.000*"}, {2, 3, "1000"}, {2, 5, "12.500"}, {3, 0, "Magcal=17.50"}, {4, 0, "Sky="}}},
      // The ROI file's size 5 wins over the configured 7; the 15 / 7 ring of 176
      // pixels holds the faint one: 25 / 176 * (176 * 100 + 1760) = 2750.
      // Without the time correction: 10 + 2.5 log10(9750).
      {ring, "", "", {{1, 1, "12500"}, {1, 2, "2750"}, {3, 0, "Magcal=19.97"}}},
      // Filter R: the comparison's R value as its magnitude.
      {"", stars, "--filter 4", {{1, 5, "9.700*"}, {1, 8, "0.600"}, {1, 9, "10.000"}, {1, 10, "9.700"}, {1, 11, ""}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.options + c.ini + c.project);
    writeBytes(at("@vargaze1.ini"), c.ini);
    writeBytes(at("@field.vgp"), c.project);
    const Rows rows = cellsOf(ok("table @frame.fit --roi @field.roi --no-center " + c.options).out, ';');
    ASSERT_EQ(rows.size(), 5u);
    for (const auto& [row, column, text] : c.cells) EXPECT_EQ(rows[row].at(column), text) << row << "," << column;
  }
  // A damaged ROI file: its whole record is measured, and the exit code says so.
  writeBytes(at("@field.roi"), roiRecord(30, 30, 30, 30, 5, true, 10.0f) + std::string(13, '\x7f'));
  const CliResult damaged = run("table @frame.fit --roi @field.roi");
  EXPECT_TRUE(damaged.exitCode == 1 && cellsOf(damaged.out, ';').size() == 4u) << damaged.out;  // 1 ROI
  // findstars on Gaussian stars, bright enough for the medium sensitivity, none
  // on a column or row that two search windows of the default size 9 share
  // (40, 49, ...); crosscorr against the same stars 4 columns right, 3 rows up.
  writeBytes(at("@frame.fit"), frameBytes({{25, 20, 60000}, {60, 30, 45000}, {42, 60, 50000}}, true));
  EXPECT_NE(ok("findstars @frame.fit --max 65000 -o @found.roi").err.find("3 Sterne gefunden"), std::string::npos);
  const std::string bytes = readBytes(at("@found.roi"));
  ASSERT_EQ(bytes.size(), 3u * 28);
  for (const auto& [x, y] : {std::pair{25, 20}, {60, 30}, {42, 60}}) {  // x, y, x, y: ring mode on the star
    const std::size_t found = bytes.find(roiRecord(x, y, x, y, 5, false, 0.0f).substr(0, 16));
    EXPECT_TRUE(found != std::string::npos && found % 28 == 0) << x << "," << y;
  }
  writeBytes(at("@moved.fit"), frameBytes({{29, 17, 60000}, {64, 27, 45000}, {46, 57, 50000}}, true));
  EXPECT_EQ(ok("process crosscorr @frame.fit @moved.fit").out, "dx=4 dy=-3\n");
}

// A raw Bayer frame (RGGB) with a star in cell (10, 10): red +1000, each green
// +2000, blue +3000 over a sky of 100. info shows a --color channel, table
// measures one, green by default; measure --color keeps it in the project.
TEST_F(CliTest, ColourChannelsOfARawBayerFrame) {
  std::vector<double> stored;
  for (int i = 0; i < 40 * 40; ++i) stored.push_back(100 + (i % 40 / 2 == 9 && i / 80 == 9 ? 1000 * (1 + i % 2 + i / 40 % 2) : 0));
  for (const char* name : {"@b1.fit", "@b2.fit"}) writeBytes(at(name), FitsBuilder(16, 40, 40).card("BAYERPAT", "'RGGB'").pixels(stored).bytes());
  writeBytes(at("@p.roi"), roiRecord(10, 10, 10, 10, 5));
  EXPECT_EQ(info("@b1.fit")["bayerPattern"], "RGGB");
  EXPECT_EQ(info("@b1.fit --color 3")["bufferMax"], 3100);
  for (const auto& [colour, net] : {std::pair{"", "4000"}, {" --color 1", "1000"}, {" --color 3", "3000"}})
    EXPECT_EQ(cellsOf(ok("table @b1.fit --roi @p.roi --size 5 --inner 7 --outer 9 --no-center" + std::string(colour)).out, ';').at(1).at(3), net);
  writeBytes(at("@p.vgp"), at("[files]\r\n@b1.fit\r\n@b2.fit\r\n[ROIfile]\r\n1\r\n\r\n[end]\r\n"));
  ok("measure @p.vgp --color 3 --save");
  EXPECT_NE(readBytes(at("@p.vgp")).find("ImgBinning=1\r\nRGBcolornumber=3\r\n"), std::string::npos);
}

// The demo against its truth.csv: the paths demo prints; measure of the moved
// folder (each star's name, type, points, mean, deviation; --save names the new
// place); each export per frame in its delimiter and decimal mark (the AAVSO
// report at mid-exposure when so configured); processing outputs keeping the
// frames' dates; watch taking a frame new in the folder; colorindex of the last frame.
TEST_F(CliTest, EveryCommandGroupOnTheDemo) {
  const std::vector<std::string> printed = splitLines(ok("demo @new/night --frames 3 --size 160x130").out);
  ASSERT_EQ(printed.size(), 3u + 3u);  // the frames, truth.csv, demo.roi, demo.vgp
  EXPECT_TRUE(printed.front() == at("@new/night/demo_001.fit") && printed.back() == at("@new/night/demo.vgp"));
  const auto frame = info("@new/night/demo_003.fit");
  EXPECT_TRUE(frame["xsize"] == 160 && frame["ysize"] == 130) << frame;
  std::filesystem::rename(at("@new/night"), at("@n"));
  const Rows truth = rowsOf("@n/truth.csv", ',');
  const Rows summary = cellsOf(ok("measure @n/demo.vgp --save").out, ';');
  ASSERT_EQ(summary.size(), 6u);
  const char* types[] = {"Var", "Comp", "Comp", "Comp", "Check"};
  for (std::size_t n = 1; n <= 5; ++n) {
    double mean = 0.0, squares = 0.0;
    for (std::size_t f = 1; f <= 3; ++f) mean += number(truth[f][2 + n]) / 3;
    for (std::size_t f = 1; f <= 3; ++f) squares += std::pow(number(truth[f][2 + n]) - mean, 2);
    const std::vector<std::string>& line = summary[n];
    ASSERT_EQ(line.size(), 6u);
    EXPECT_EQ(std::vector<std::string>(line.begin(), line.begin() + 4),
              (std::vector<std::string>{std::to_string(n), truth[0][2 + n], types[n - 1], "3"}));
    EXPECT_NEAR(number(line[4]), mean, 0.02) << line[1];
    EXPECT_NEAR(number(line[5]), std::sqrt(squares / 2), 0.01) << line[1];
  }
  EXPECT_EQ(splitLines(readBytes(at("@n/demo.prn"))).size(), 2u + 3u);
  std::string project = readBytes(at("@n/demo.vgp"));
  EXPECT_NE(project.find(at("@n/demo_001.fit\r\n")), std::string::npos);
  EXPECT_EQ(project.find(at("@new/")), std::string::npos);

  writeBytes(at("@aavso.ini"), "[Time]\r\nMiddletimeCorrection=1\r\n");
  // Arguments, lines before the data, delimiter, columns, JD and magnitude columns, truth's JD.
  const std::tuple<std::string, std::size_t, char, std::size_t, std::size_t, std::size_t, std::size_t> exports[] = {
      {"aavso @n/demo.vgp --config @aavso.ini --obscode XYZ --strict", 9, ',', 15, 1, 2, 2},
      {"aavso @n/demo.vgp", 9, ',', 15, 1, 2, 1},  // saved with its findings: no observer code, the starts
      {"short @n/demo.vgp --roi2 5 --airmass --decimal , --delimiter ';'", 0, ';', 4, 0, 1, 1},
      {"full @n/demo.vgp --roi 1", 2, ',', 10, 0, 6, 1},
  };
  for (const auto& [arguments, skip, delimiter, columns, jd, mag, truthJd] : exports) {
    ok("export " + arguments + " -o @out.txt");
    const Rows rows = rowsOf("@out.txt", delimiter);
    ASSERT_EQ(rows.size(), skip + 3) << arguments;
    for (std::size_t f = 1; f <= 3; ++f) {
      const std::vector<std::string>& row = rows[skip + f - 1];
      ASSERT_EQ(row.size(), columns) << arguments;
      EXPECT_NEAR(number(row[jd]), number(truth[f][truthJd]), 1e-5) << arguments;
      EXPECT_NEAR(number(row[mag]), number(truth[f][3]), 0.03) << arguments;
    }
  }
  const std::pair<std::string, std::vector<std::string>> processing[] = {  // outputs of frame 1, 2, 3
      {"background @n/demo.vgp -o @b.fit", {"b001.fit", "b002.fit", "b003.fit"}},
      {"flat @n/demo_002.fit --flat @n/demo_003.fit -o @c.fit", {"", "c.fit"}},
      {"lines @n/demo_003.fit --roi @n/demo.roi -o @l.fit", {"", "", "l.fit"}},
      {"jpeg @n/demo.vgp -o @p.jpg", {"p001.JPG", "p002.JPG", "p003.JPG"}},
  };
  for (const auto& [arguments, outputs] : processing) {
    ok("process " + arguments);
    for (std::size_t i = 0; i < outputs.size(); ++i) {
      if (outputs[i].ends_with(".JPG")) {
        EXPECT_EQ(readBytes(at("@" + outputs[i])).substr(0, 2), "\xFF\xD8") << outputs[i];
      } else if (!outputs[i].empty()) {
        EXPECT_EQ(info("@" + outputs[i])["Datetime"], info("@n/demo_00" + std::to_string(i + 1) + ".fit")["Datetime"]);
      }
    }
  }
  const std::string last = at("@n/demo_003.fit\r\n");
  writeBytes(at("@n/demo.vgp"), std::string(project).erase(project.find(last), last.size()));
  const CliResult watch = ok("watch @n/demo.vgp --interval 1 --cycles 3");
  EXPECT_EQ(cellsOf(watch.out, ';').at(2).at(3), "3") << watch.err;
  writeBytes(at("@n/demo.vgp"), project.replace(project.find("BVRImode=0"), 10, "BVRImode=1"));
  const Rows table = cellsOf(ok("colorindex @n/demo.vgp").out, ';');
  ASSERT_EQ(table.size(), 6u);
  EXPECT_EQ(table[0], (std::vector<std::string>{"Filt", "V", ""}));  // the demo frames are all V
  for (std::size_t n = 1; n <= 5; ++n) EXPECT_NEAR(number(table[n][1]), number(truth[3][2 + n]), 0.03) << n;
}

// The README's six commands, as written there, from the demo frames to an
// AAVSO report that passes the check with --strict: the variable follows
// truth.csv, the ROIs sit where the demo's own ROIs sit on the same stars,
// the track star stays in the project. A project lists its frames by name,
// each once; findstars --project marks no star twice.
TEST_F(CliTest, ReadmeWorkflowFromFramesToAStrictAavsoReport) {
  std::vector<std::string> commands;  // the block after the workflow's heading
  const std::string readme = readBytes(testDataDir() + "/../../README.md");
  const std::size_t block = readme.find("```\n", readme.find("### From frames to an AAVSO report"));
  for (const std::string& line : splitLines(readme.substr(block + 4, readme.find("```", block + 4) - block - 4)))
    commands.push_back(line.substr(std::string("vargaze-cli ").size()));
  ASSERT_EQ(commands.size(), 7u);  // six commands, roi add thrice
  ok("demo @night --frames 5");
  writeBytes(at("@vargaze1.ini"), "[Time]\r\nMiddletimeCorrection=1\r\n");
  const std::filesystem::path testFolder = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  std::string trackStar;
  for (const std::string& command : commands) {
    const CliResult r = ok(command);
    if (command.starts_with("track ")) trackStar = r.out;
  }
  std::filesystem::current_path(testFolder);
  EXPECT_NE(readBytes(at("@night.vgp")).find("[Tracking]\r\n" + splitLines(trackStar).at(0) + "\r\n"), std::string::npos);

  const Rows demo = cellsOf(ok("roi list @night/demo.vgp").out, ';'), rois = cellsOf(ok("roi list @night.vgp").out, ';');
  ASSERT_EQ(rois.size(), 4u);
  const std::vector<std::vector<std::string>> given = {  // name, type, B, V, R, I
      {"V Demo", "var", "", "", "", ""}, {"C1", "comp", "", "11.740", "", ""}, {"K", "check", "", "12.410", "", ""}};
  for (std::size_t n = 1; n <= 3; ++n) {
    const std::vector<std::string>& row = rois[n];
    EXPECT_EQ(std::vector<std::string>({row[1], row[2], row[5], row[6], row[7], row[8]}), given[n - 1]);
    const auto same = std::find_if(demo.begin(), demo.end(), [&](const auto& d) { return d[1] == row[1]; });
    ASSERT_NE(same, demo.end()) << row[1];
    EXPECT_TRUE((*same)[3] == row[3] && (*same)[4] == row[4]) << row[1];
  }
  const Rows truth = rowsOf("@night/truth.csv", ','), report = rowsOf("@night.txt", ',');
  ASSERT_EQ(report.size(), 9u + 5u);
  for (std::size_t f = 1; f <= 5; ++f) {
    const std::vector<std::string>& row = report[8 + f];
    EXPECT_TRUE(row[0] == "V Demo" && row[7] == "C1" && row[9] == "K") << f;
    EXPECT_NEAR(number(row[1]), number(truth[f][2]), 1e-5);
    EXPECT_NEAR(number(row[2]), number(truth[f][3]), 0.03);
  }

  const std::string frames[] = {at("@night/demo_001.fit"), at("@night/demo_002.fit"), at("@night/demo_003.fit")};
  EXPECT_EQ(ok("project new @p.vgp " + frames[2] + " " + frames[0] + " " + frames[1] + " " + frames[0]).out,
            frames[0] + "\n" + frames[1] + "\n" + frames[2] + "\n");
  ok("findstars --project @night.vgp");
  const Rows found = cellsOf(ok("roi list @night.vgp").out, ';');
  ASSERT_GT(found.size(), 4u + 20u);  // the demo field has a few dozen stars
  EXPECT_EQ(Rows(found.begin(), found.begin() + 4), rois);
  for (std::size_t a = 1; a < found.size(); ++a)
    for (std::size_t b = a + 1; b < found.size(); ++b)
      EXPECT_GT(std::hypot(number(found[a][3]) - number(found[b][3]), number(found[a][4]) - number(found[b][4])), 3.0) << a << "," << b;
}

}  // namespace
}  // namespace vargaze::test
