// The progress window of long commands: a caption, a bar and an optional
// cancel button. The command polls `wmaborted` after letting window events
// run; the window itself only records the click.
#pragma once

#include <cstdint>
#include <string>

namespace vargaze {

class ProgressWindow {
 public:
  static constexpr const char* kDefaultCaption = "Processing Status";
  static constexpr const char* kDefaultCancelCaption = "Cancel";

  // Shows the window for `count` steps. The bar runs to count + 1 and starts
  // one step in, so that it is visibly moving before the first step ends.
  void start(const std::string& newCaption, std::int32_t count);
  // One step on, never past the end; nothing while the window is hidden.
  void stepit();
  // Hides the window and puts the bar and the cancel button back.
  void stop();
  // Shows or hides the cancel button; an empty caption keeps the old one.
  void EnableCancelbutton(bool enable, const std::string& newCaption);
  void cancelClick() { wmaborted = true; }

  // What a command asks for in one go: the cancel button (none when
  // `cancelText` is empty), then the start.
  void startTask(std::int32_t count, const std::string& newCaption, const std::string& cancelText);

  std::string caption = kDefaultCaption;
  bool shown = false;
  std::int32_t position = 0;
  std::int32_t maximum = 100;  // the bar's own default before any start
  bool cancelVisible = false;
  bool cancelEnabled = false;
  std::string cancelCaption = kDefaultCancelCaption;
  bool wmaborted = false;  // cancel was pressed since the last start
  bool wmrunning = false;  // a command is running
};

}  // namespace vargaze
