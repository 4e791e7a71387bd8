#include "app/ProgressWindow.h"

#include <algorithm>

namespace vargaze {

void ProgressWindow::start(const std::string& newCaption, std::int32_t count) {
  shown = true;
  wmaborted = false;
  caption = newCaption;
  position = 0;
  maximum = std::max(count, 0) + 1;
  stepit();
  wmrunning = true;
}

void ProgressWindow::stepit() {
  if (shown) position = std::min(position + 1, maximum);
}

void ProgressWindow::stop() {
  wmrunning = false;
  shown = false;
  position = 0;
  EnableCancelbutton(false, kDefaultCancelCaption);
}

void ProgressWindow::EnableCancelbutton(bool enable, const std::string& newCaption) {
  cancelVisible = enable;
  cancelEnabled = enable;
  if (!newCaption.empty()) cancelCaption = newCaption;
}

void ProgressWindow::startTask(std::int32_t count, const std::string& newCaption,
                               const std::string& cancelText) {
  EnableCancelbutton(!cancelText.empty(), cancelText);
  start(newCaption, count);
}

}  // namespace vargaze
