// Loading a 4096 x 4096 16-bit FITS frame (BZERO 32768, as cameras write it)
// from the page cache: our reader against CFITSIO's fits_read_img into
// unsigned 16-bit words, which does the same work (byte swap and zero point).
//
//   fits_read_bench [REPEATS]
#include <fitsio.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "image/Imgbuffer.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kSize = 4096;

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string writeFrame(const std::filesystem::path& dir) {
  vargaze::Timgbuffer img;
  img.init(kSize, kSize, vargaze::kPixel16);
  std::uint16_t* p = img.data16();
  std::uint32_t state = 12345;
  for (std::int64_t i = 0; i < img.pixelCount(); ++i) {
    state = state * 1664525u + 1013904223u;  // cheap noise so nothing compresses
    p[i] = static_cast<std::uint16_t>(1000 + (state >> 20));
  }
  img.Datetime = "2023-10-05T21:13:45.500";
  const std::string path = (dir / "bench-4096.fit").string();
  if (!img.Writefitsfile(path)) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    std::exit(1);
  }
  return path;
}

double readOurs(const std::string& path, std::uint64_t& checksum) {
  const auto start = Clock::now();
  vargaze::Timgbuffer img;
  if (!img.Readfitsfile(path)) {
    std::fprintf(stderr, "read failed: %s\n", img.readError.c_str());
    std::exit(1);
  }
  const double t = secondsSince(start);
  checksum += static_cast<std::uint64_t>(img.getpixel(100, 100));
  return t;
}

double readCfitsio(const std::string& path, std::uint64_t& checksum) {
  const auto start = Clock::now();
  fitsfile* f = nullptr;
  int status = 0;
  fits_open_file(&f, path.c_str(), READONLY, &status);
  std::vector<unsigned short> pixels(std::size_t(kSize) * kSize);
  int anynull = 0;
  fits_read_img(f, TUSHORT, 1, long(pixels.size()), nullptr, pixels.data(), &anynull, &status);
  fits_close_file(f, &status);
  const double t = secondsSince(start);
  if (status != 0) {
    std::fprintf(stderr, "CFITSIO status %d\n", status);
    std::exit(1);
  }
  checksum += pixels[99 * kSize + 99];
  return t;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
  const auto dir = std::filesystem::temp_directory_path() / "vargaze-bench";
  std::filesystem::create_directories(dir);
  const std::string path = writeFrame(dir);

  std::uint64_t checksum = 0;
  readOurs(path, checksum);  // warm the page cache
  readCfitsio(path, checksum);
  std::vector<double> ours, theirs;
  for (int i = 0; i < repeats; ++i) {  // interleaved, so drift hits both alike
    ours.push_back(readOurs(path, checksum));
    theirs.push_back(readCfitsio(path, checksum));
  }
  std::filesystem::remove_all(dir);

  const double a = median(ours);
  const double b = median(theirs);
  std::printf("4096 x 4096 16-bit FITS, median of %d loads from page cache\n", repeats);
  std::printf("  Readfitsfile:          %8.2f ms\n", a * 1e3);
  std::printf("  CFITSIO fits_read_img: %8.2f ms\n", b * 1e3);
  std::printf("  ratio ours/CFITSIO:    %8.2f  (goal: <= 1.20)\n", a / b);
  std::printf("  (checksum %llu)\n", static_cast<unsigned long long>(checksum));
  return 0;
}
