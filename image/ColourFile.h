// What the BMP and PPM readers share: the marks of a colour plane and the
// frame time taken from the file's modification time.
#pragma once

#include "image/BinaryFile.h"
#include "image/Imgbuffer.h"

namespace vargaze {

// True for the channel codes 1 (red), 2 (green) and 3 (blue).
inline bool isColourChannel(int color) {
  return color >= 1 && color <= 3;
}

// Marks one plane of a colour camera's picture: "TR"/8, "TG"/7 or "TB"/6 as
// FilterName/FilterType and OBSTYPE "DSLR". color must be 1, 2 or 3.
void markColourPlane(Timgbuffer& img, int color);

// JDstart and Datetime from a file's modification time as the local clock
// of the file system shows it, to the millisecond. Cameras that write such
// files keep local time; shiftFrameTimeToUT makes it UT. A time that cannot
// be split gives JDstart 0 and "date?".
void setTimeFromFile(Timgbuffer& img, const FileTime& modified);

// Subtracts `UTcorrection` (days) from a frame's known time and rewrites
// Datetime and the header's date to match. A frame without time stays so.
void shiftFrameTimeToUT(Timgbuffer& img, double UTcorrection);

}  // namespace vargaze
