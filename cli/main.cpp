// vargaze-cli: the engine's operations for batch use, scripts and tests.
#include <exception>
#include <iostream>
#include <string>

#include "cli/Commands.h"

namespace {

constexpr const char* kUsage = R"(Usage: vargaze-cli COMMAND [ARGUMENTS]

Commands:
  info FILE [--color 1|2|3]   read a FITS file (one plane of an RGB cube with
                              --color: 1 red, 2 green, 3 blue) and print its
                              image data and header values as one JSON object
  convert IN OUT              read a FITS file and write it again as OUT
  sample OUT                  write a small synthetic 16-bit star frame
  --help                      show this text

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
  } catch (const std::exception& e) {
    return reportError(e.what());
  }
  std::cerr << "vargaze-cli: unknown command '" << command << "'\n" << kUsage;
  return 1;
}
