// A stand-in for the raw converter: a shell script that prints the five
// labelled report lines and writes a portrait 1 x 2 16-bit PPM beside the raw
// file, with the samples (R, G, B) = (1, 2, 3) on top and (4, 5, 6) below.
// While it lives it is the converter (VARGAZE_RAW_CONVERTER) and `home` is the
// program folder (VARGAZE_HOME), where the report goes.
#pragma once

#include <filesystem>
#include <string>

#include "support/EnvGuard.h"
#include "support/TempDir.h"

namespace vargaze::test {

class StandInConverter {
 public:
  explicit StandInConverter(const std::string& home)
      : program_((std::filesystem::path(home) / "conv").string()), home_("VARGAZE_HOME", home) {
    writeBytes(program_,
               "#!/bin/sh\n"
               "case \"$1\" in\n"
               "  -i) printf 'Filename: %s\\nTimestamp: Sat Dec  5 13:33:08 2026\\n"
               "Camera: Test DSLR\\nISO speed: 800\\nShutter: 1/250.0 sec\\n' \"$3\"; exit 0;;\n"
               "  -4) printf 'P6\\n1 2\\n65535\\n\\000\\001\\000\\002\\000\\003\\000\\004\\000"
               "\\005\\000\\006' > \"${4%.*}.ppm\"; exit 0;;\n"
               "esac\n"
               "exit 2\n");
    std::filesystem::permissions(program_, std::filesystem::perms::owner_exec,
                                 std::filesystem::perm_options::add);
    converter_.set(program_);
  }

 private:
  std::string program_;
  EnvGuard home_;
  EnvGuard converter_{"VARGAZE_RAW_CONVERTER"};
};

}  // namespace vargaze::test
