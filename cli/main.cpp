// vargaze-cli: the engine's operations for batch use, scripts and tests.
#include <exception>
#include <iostream>
#include <string>

#include "cli/CliSupport.h"
#include "cli/Commands.h"

namespace {

constexpr const char* kUsage = R"(Usage: vargaze-cli COMMAND [ARGUMENTS]

Commands:
  info FILE [--color 1|2|3]   read a FITS file (with --color one plane of an
                              RGB cube or one channel of a raw Bayer frame:
                              1 red, 2 green, 3 blue) and print its image
                              data and header values as one JSON object
  convert IN OUT              read a FITS file and write it again as OUT
  sample OUT                  write a small synthetic 16-bit star frame
  table IMAGE --roi FILE.roi [--size D --inner G --outer O] [--no-center]
        [--filter N] [--color 1|2|3] [--config INI]
                              measure the ROIs of FILE.roi on IMAGE (with the
                              star information of a .vgp beside it) and print
                              the ROI table, cells separated by ";", then the
                              zero point (Magcal=) and sky brightness (Sky=);
                              colour-camera frames in the --color channel
                              (default 2, green)
  findstars IMAGE [--sensitivity 0|1|2] [--max COUNTS] [--minsn N]
        [--config INI] -o OUT.roi | --project PROJECT.vgp
                              mark stars automatically (sensitivity 0 low,
                              1 medium, 2 high; defaults: medium, the largest
                              pixel value, S/N 3) and save them as ROIs, or
                              add them to the project's ROIs (on frame 1)
  demo DIR [--frames N] [--size WxH]
                              write a synthetic series of N frames (default
                              40, 2..999) of W x H pixels (default 512x384,
                              128x128..4096x4096) into DIR: frames demo_001.fit
                              ..., truth.csv with the injected magnitudes, the
                              ROI set demo.roi and the project demo.vgp; prints
                              the paths written
  project new OUT.vgp FRAME... [--config INI]
                              a project over the frames, listed by name as a
                              project keeps them; prints the frames in order
  roi add PROJECT.vgp X Y [--name N] [--type var|comp|check] [--mag VALUE]
        [--size D --inner G --outer O] [--sky X,Y] [--config INI]
                              mark the star at pixel X Y (1-based) of frame 1
                              as the image window's clicks do: centred on the
                              star, a background ring or, with --sky, a sky
                              box there; --mag is the catalogue magnitude in
                              the frames' filter (a check star needs one); the
                              sizes change every ROI, as the ROI window's
                              fields do; saves the project, prints the ROI
  roi list PROJECT.vgp [--config INI]
                              one line per ROI: number, name, type, position,
                              catalogue B, V, R, I (blank when unknown)
  roi remove PROJECT.vgp N [--config INI]
                              erase ROI N; the ROIs after it move up
  track PROJECT.vgp X Y [--config INI]
                              the track star: the star near pixel X Y of
                              frame 1; prints its centre (saving ROIs looks
                              for a track star anew: set it after them)
  measure PROJECT.vgp [--save] [--color 1|2|3] [--config INI]
                              open the project and measure the light curve of
                              all its frames: writes the run file (the project
                              name with the curve extension); --save also
                              saves the project, its ROI file and the curve
                              data file; prints one line per ROI: number,
                              name, type, points, mean magnitude, deviation;
                              colour-camera frames in the --color channel
                              (default: the project's, else green)
  colorindex PROJECT.vgp [--config INI]
                              write and print the colour-index table
  watch PROJECT.vgp [--interval S] [--cycles N] [--config INI]
                              follow the series' folder: every S seconds new
                              frames are measured and appended to the curve;
                              stops after N cycles or on Ctrl-C
  export aavso PROJECT.vgp -o FILE [--var N] [--check N] [--delimiter , ; or |]
        [--jdcorr SECONDS] [--obstype CCD|DSLR] [--standardized] [--transform]
        [--obscode CODE] [--strict] [--config INI]
                              the AAVSO/BAV extended-format report of the
                              project's frames (--obscode: the AAVSO observer
                              code instead of the configured one); the report
                              check's findings are printed, --strict makes
                              them fatal
  export full PROJECT.vgp -o FILE [--roi N] [--delimiter , ; or |] [--decimal . or ,]
        [--config INI]
                              the full results: all ROIs of frame 1 (N = 0)
                              or ROI N over every frame
  export short PROJECT.vgp -o FILE [--roi1 N] [--roi2 M] [--airmass]
        [--decimal . or ,] [--delimiter , ; or |] [--config INI]
                              measures the light curve, then writes time,
                              magnitudes and airmass per frame
  process background PROJECT.vgp -o NAME.fit [--config INI]
                              subtract the fitted sky plane from every frame,
                              written as NAME001.fit, NAME002.fit, ...
  process lines IMAGE --roi F.roi -o OUT.fit [--config INI]
                              remove line artefacts, the ROIs marking sky
  process crosscorr IMAGE1 IMAGE2
                              the shift between two frames by cross-correlation
  process flat IMAGE --flat MASTER -o OUT.fit [--config INI]
                              flat-correct IMAGE with the master flat
  process raw2fits [--channel R|G|B|RGB] [--config INI] FILES...
                              convert camera raw files to FITS, one plane or all
  process jpeg PROJECT.vgp -o BASE.jpg [--config INI]
                              the frames as JPEG pictures (quality 90) as shown
  process dcf PROJECT.vgp -o RESULT.txt [--marker X,Y --sky X,Y]
        [--config INI]
                              evaluate the DCF77 lamp recorded in the frames
  --help                      show this text

--config INI reads the settings from INI instead of the program's own
"vargaze1.ini" (never writing it); every command that measures or writes
results takes it.

Exit code 0 on success, 1 when the command failed (the reason is on stderr).
)";

}  // namespace

int main(int argc, char** argv) {
  using namespace vargaze::cli;
  if (argc < 2) {
    std::cerr << kUsage;
    return 1;
  }
  const std::string command = argv[1];
  const Args args(argv + 2, argv + argc);
  try {
    if (command == "--help" || command == "-h" || command == "help") {
      std::cout << kUsage;
      return 0;
    }
    if (command == "info") return infoCommand(args);
    if (command == "convert") return convertCommand(args);
    if (command == "sample") return sampleCommand(args);
    if (command == "table") return tableCommand(args);
    if (command == "findstars") return findstarsCommand(args);
    if (command == "measure") return measureCommand(args);
    if (command == "colorindex") return colorindexCommand(args);
    if (command == "watch") return watchCommand(args);
    if (command == "export") return exportCommand(args);
    if (command == "process") return processCommand(args);
    if (command == "demo") return demoCommand(args);
    if (command == "project") return projectCommand(args);
    if (command == "roi") return roiCommand(args);
    if (command == "track") return trackCommand(args);
  } catch (const UsageError& e) {
    return reportError(e.what());
  } catch (const std::exception& e) {
    return reportError(e.what());
  }
  std::cerr << "vargaze-cli: unknown command '" << command << "'\n" << kUsage;
  return 1;
}
