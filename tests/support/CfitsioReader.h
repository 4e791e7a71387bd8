// CFITSIO as an independent reference: a FITS file's size, header card count,
// DATE-OBS and physical pixel values as CFITSIO reads them, and files it writes.
#pragma once

#include <fitsio.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vargaze::test {

struct CfitsioImage {
  long width = 0;
  long height = 0;
  int keys = 0;                // header cards before END
  std::string dateObs;         // empty when there is none
  std::vector<double> values;  // physical values, line after line
};

inline CfitsioImage readWithCfitsio(const std::string& path) {
  CfitsioImage image;
  fitsfile* f = nullptr;
  int status = 0;
  int more = 0;
  long axes[2] = {0, 0};
  char date[FLEN_VALUE] = "";
  fits_open_file(&f, path.c_str(), READONLY, &status);
  fits_get_hdrspace(f, &image.keys, &more, &status);
  if (status == 0 && fits_read_key(f, TSTRING, "DATE-OBS", date, nullptr, &status) == KEY_NO_EXIST)
    status = 0;
  image.dateObs = date;
  fits_get_img_size(f, 2, axes, &status);
  image.width = axes[0];
  image.height = axes[1];
  image.values.resize(static_cast<std::size_t>(axes[0] * axes[1]));
  int anynull = 0;
  fits_read_img(f, TDOUBLE, 1, axes[0] * axes[1], nullptr, image.values.data(), &anynull, &status);
  fits_close_file(f, &status);
  EXPECT_EQ(status, 0) << "CFITSIO status reading " << path;
  return image;
}

// Writes `values` (line after line) with CFITSIO as BITPIX `bitpix`, with BZERO when not 0.
inline void writeWithCfitsio(const std::string& path, int bitpix, long width, long height,
                             std::vector<double> values, double bzero = 0.0) {
  fitsfile* f = nullptr;
  int status = 0;
  long axes[2] = {width, height};
  fits_create_file(&f, ("!" + path).c_str(), &status);  // "!" replaces an existing file
  fits_create_img(f, bitpix, 2, axes, &status);
  if (bzero != 0.0) {
    fits_write_key(f, TDOUBLE, "BZERO", &bzero, "offset", &status);
    fits_set_bscale(f, 1.0, bzero, &status);
  }
  fits_write_img(f, TDOUBLE, 1, width * height, values.data(), &status);
  fits_close_file(f, &status);
  ASSERT_EQ(status, 0) << "CFITSIO status writing " << path;
}

}  // namespace vargaze::test
