// One raw file converted for all three colour channels.
#pragma once

#include <string>
#include <vector>

#include "series/Series.h"

namespace vargaze {

enum class RawChannelsOutcome { Done, Cancelled, Failed };

// Runs the converter once per channel, writes NAME_R/_G/_B.fit and appends
// them to `written`. Checks the cancel flag after each channel. On failure
// `failedFile` names the file that could not be loaded or written and
// `saveFailed` tells which. The converted picture is removed at every exit
// unless it existed before.
RawChannelsOutcome convertRawChannels(Series& series, const std::string& rawfile,
                                      std::vector<std::string>& written, std::string& failedFile,
                                      bool& saveFailed);

}  // namespace vargaze
