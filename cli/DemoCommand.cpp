// vargaze-cli demo: a synthetic observing night with its truth, for trying
// the whole program and checking what it measures.
#include <iostream>

#include "base/Numbers.h"
#include "cli/CliSupport.h"
#include "demo/DemoWriter.h"

namespace vargaze::cli {

namespace {

constexpr const char* kUsage = "usage: vargaze-cli demo DIR [--frames N] [--size WxH]";

// "512x384" (or "512X384") into width and height; UsageError otherwise.
void parseSize(const std::string& text, int& width, int& height) {
  const std::size_t x = text.find_first_of("xX");
  std::int32_t w = 0;
  std::int32_t h = 0;
  if (x == std::string::npos || !tryParseInt32(std::string_view(text).substr(0, x), w) ||
      !tryParseInt32(std::string_view(text).substr(x + 1), h)) {
    throw UsageError("--size takes WIDTHxHEIGHT, for example 512x384, not '" + text + "'");
  }
  width = w;
  height = h;
}

}  // namespace

int demoCommand(const Args& rawArgs) {
  const ParsedArgs args = parseArgs(rawArgs, {"--frames", "--size"}, {});
  if (args.positional.size() != 1) throw UsageError(kUsage);
  demo::DemoOptions options;
  options.frames = intOption(args, "--frames", options.frames);
  if (args.has("--size")) parseSize(args.get("--size"), options.width, options.height);
  const std::string problem = demo::checkDemoOptions(options);
  if (!problem.empty()) return reportError(problem);
  for (const std::string& path : demo::writeDemoSeries(options, args.positional[0])) {
    std::cout << path << '\n';
  }
  return 0;
}

}  // namespace vargaze::cli
