// The date and time values collected while a FITS header is read, before they
// become the buffer's Julian Date and date text.
#pragma once

#include <string>

namespace vargaze {

struct FitsDateParts {
  int year = 0;
  int month = 0;
  int day = 0;  // 0: no date read
  int hour = 0;
  int minute = 0;
  float second = 0.0f;

  bool hasDay() const { return day != 0; }
};

}  // namespace vargaze
