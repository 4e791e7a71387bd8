#include "cli/CliSupport.h"

#include <algorithm>

#include "base/Numbers.h"

namespace vargaze::cli {

ParsedArgs parseArgs(const Args& args, const std::vector<std::string>& valueOptions,
                     const std::vector<std::string>& flags) {
  ParsedArgs parsed;
  const auto listed = [](const std::vector<std::string>& list, const std::string& name) {
    return std::find(list.begin(), list.end(), name) != list.end();
  };
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.size() < 2 || a[0] != '-') {
      parsed.positional.push_back(a);
    } else if (listed(flags, a)) {
      parsed.options[a] = "";
    } else if (listed(valueOptions, a)) {
      if (i + 1 >= args.size()) throw UsageError(a + " needs a value");
      parsed.options[a] = args[++i];
    } else {
      throw UsageError("unknown option " + a);
    }
  }
  return parsed;
}

std::int32_t intOption(const ParsedArgs& args, const std::string& name, std::int32_t fallback) {
  if (!args.has(name)) return fallback;
  std::int32_t value = 0;
  if (!tryParseInt32(args.get(name), value)) {
    throw UsageError(name + " takes a whole number, not '" + args.get(name) + "'");
  }
  return value;
}

std::uint8_t colourOption(const ParsedArgs& args, std::uint8_t fallback) {
  const std::int32_t colour = intOption(args, "--color", fallback);
  if (colour < 1 || colour > 3) throw UsageError("--color takes 1, 2 or 3");
  return static_cast<std::uint8_t>(colour);
}

}  // namespace vargaze::cli
