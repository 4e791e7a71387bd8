#include "processing/JpegExportEncoder.h"

// clang-format off
// jpeglib.h needs FILE and size_t declared first.
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
// clang-format on

namespace vargaze {

namespace {

// libjpeg's own error exit ends the process; this one jumps back instead.
struct JpegErrors {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void jumpOut(j_common_ptr cinfo) {
  auto* errors = reinterpret_cast<JpegErrors*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, errors->message);
  std::longjmp(errors->jump, 1);
}

// Between setjmp and the end only plain C objects live, so the jump skips no
// destructor. The output buffer belongs to the caller, also after a failure.
bool compress(const RgbPicture& picture, int quality, unsigned char** out, unsigned long* size,
              char* message) {
  jpeg_compress_struct cinfo;
  JpegErrors errors;
  errors.message[0] = '\0';
  cinfo.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = jumpOut;
  if (setjmp(errors.jump) != 0) {
    jpeg_destroy_compress(&cinfo);
    std::snprintf(message, JMSG_LENGTH_MAX, "%s", errors.message);
    return false;
  }
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, out, size);
  cinfo.image_width = static_cast<JDIMENSION>(picture.width);
  cinfo.image_height = static_cast<JDIMENSION>(picture.height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  const std::size_t rowBytes = static_cast<std::size_t>(picture.width) * 3;
  while (cinfo.next_scanline < cinfo.image_height) {
    // libjpeg takes rows as non-const pointers but only reads them.
    JSAMPROW row = const_cast<JSAMPLE*>(picture.rgb.data() + cinfo.next_scanline * rowBytes);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return true;
}

}  // namespace

bool encodeJpeg(const RgbPicture& picture, int quality, std::string& jpeg, std::string& error) {
  constexpr auto kLargestSide = static_cast<std::int32_t>(JPEG_MAX_DIMENSION);
  if (picture.width <= 0 || picture.height <= 0 || picture.width > kLargestSide ||
      picture.height > kLargestSide) {
    error = "a JPEG picture needs sides of 1 to " + std::to_string(kLargestSide) + " pixels";
    return false;
  }
  if (picture.rgb.size() !=
      static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height) * 3) {
    error = "the picture's pixels do not match its size";
    return false;
  }
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  char message[JMSG_LENGTH_MAX];
  const bool encoded = compress(picture, quality, &buffer, &size, message);
  if (encoded) jpeg.assign(reinterpret_cast<const char*>(buffer), size);
  std::free(buffer);
  if (!encoded) error = std::string("JPEG encoder: ") + message;
  return encoded;
}

}  // namespace vargaze
