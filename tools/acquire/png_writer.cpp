// PNG output through libpng's simplified writing interface.
#include "tools/acquire/png_writer.h"

#include <png.h>

bool WritePng(const std::string& path, uint32_t width, uint32_t height, int samples,
              const unsigned char* pixels, size_t stride, std::string* error) {
  if (samples != 1 && samples != 3) {
    *error = "PNG output takes 1 or 3 samples of 8 bits, not " + std::to_string(samples);
    return false;
  }
  if (width == 0 || height == 0) {
    *error = "the image is empty";
    return false;
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = width;
  image.height = height;
  image.format = samples == 1 ? PNG_FORMAT_GRAY : PNG_FORMAT_RGB;
  if (!png_image_write_to_file(&image, path.c_str(), 0, pixels, png_int_32(stride), nullptr)) {
    *error = "cannot write " + path + ": " + image.message;
    png_image_free(&image);
    return false;
  }
  return true;
}
