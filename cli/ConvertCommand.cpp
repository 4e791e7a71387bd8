// vargaze-cli convert: read a FITS file and write it back with our writer.
#include <iostream>

#include "cli/Commands.h"
#include "image/Imgbuffer.h"

namespace vargaze::cli {

int convertCommand(const Args& args) {
  if (args.size() != 2) return reportError("usage: vargaze-cli convert IN OUT");
  Timgbuffer img;
  if (!img.Readfitsfile(args[0])) return reportError(args[0] + ": " + img.readError);
  if (img.xsize == 0) {
    return reportError(args[0] + ": colour image; its planes are converted one at a time");
  }
  std::string error;
  if (!img.Writefitsfile(args[1], error)) return reportError(args[1] + ": " + error);
  return 0;
}

}  // namespace vargaze::cli
