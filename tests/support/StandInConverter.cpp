#include "support/StandInConverter.h"

#include <stdlib.h>

#include <filesystem>

#include "support/TempDir.h"

namespace vargaze::test {

namespace {

const char* const kScript =
    "#!/bin/sh\n"
    "case \"$1\" in\n"
    "  -i) printf 'Filename: %s\\nTimestamp: Sat Dec  5 13:33:08 2026\\nCamera: Test DSLR\\n"
    "ISO speed: 800\\nShutter: 1/250.0 sec\\n' \"$3\"; exit 0;;\n"
    "  -4) printf 'P6\\n1 2\\n65535\\n\\000\\001\\000\\002\\000\\003\\000\\004\\000\\005\\000\\006'"
    " > \"${4%.*}.ppm\"; exit 0;;\n"
    "esac\n"
    "exit 2\n";

}  // namespace

StandInConverter::StandInConverter(const std::string& home) {
  const std::string program = (std::filesystem::path(home) / "conv").string();
  writeBytes(program, kScript);
  std::filesystem::permissions(program, std::filesystem::perms::owner_exec,
                               std::filesystem::perm_options::add);
  setenv("VARGAZE_RAW_CONVERTER", program.c_str(), 1);
  setenv("VARGAZE_HOME", home.c_str(), 1);
}

StandInConverter::~StandInConverter() {
  unsetenv("VARGAZE_RAW_CONVERTER");
  unsetenv("VARGAZE_HOME");
}

}  // namespace vargaze::test
