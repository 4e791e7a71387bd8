// What several vargaze-cli commands share: engine messages on stderr and
// option parsing.
#pragma once

#include <iostream>
#include <map>
#include <string>

#include "base/UiPort.h"
#include "cli/Commands.h"

namespace vargaze::cli {

// Engine messages go to stderr; questions get their default answer, yes.
class StderrUi : public UiPort {
 public:
  void showMessage(const std::string& text) override { std::cerr << text << '\n'; }
  bool askYesNo(const std::string& text) override {
    std::cerr << text << " -> yes\n";
    return true;
  }
  Answer askYesNoCancel(const std::string& text) override {
    std::cerr << text << " -> yes\n";
    return Answer::Yes;
  }
};

// Parsed command line: positional arguments and "--name value" options.
// Flags (options without a value) are listed in `flags` when parsing.
struct ParsedArgs {
  std::vector<std::string> positional;
  std::map<std::string, std::string> options;

  bool has(const std::string& name) const { return options.count(name) > 0; }
  std::string get(const std::string& name, const std::string& fallback = "") const {
    const auto it = options.find(name);
    return it == options.end() ? fallback : it->second;
  }
};
// Throws UsageError for an unknown option or a missing value.
ParsedArgs parseArgs(const Args& args, const std::vector<std::string>& valueOptions,
                     const std::vector<std::string>& flags);

// A wrong command line: reported with the command's usage.
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// An integer option; throws UsageError when it is not a number.
std::int32_t intOption(const ParsedArgs& args, const std::string& name, std::int32_t fallback);

// The colour plane of "--color 1|2|3" (red, green, blue), `fallback` without
// the option; throws UsageError for any other value.
std::uint8_t colourOption(const ParsedArgs& args, std::uint8_t fallback);

}  // namespace vargaze::cli
