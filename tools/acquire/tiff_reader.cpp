// TIFF geometry through libtiff; libtiff's own messages are kept quiet and
// the outcome is reported by the caller.
#include "tools/acquire/tiff_reader.h"

#include <tiffio.h>

#include <cstdio>

bool ReadTiffGeometry(const std::string& path, TiffGeometry* geometry, std::string* error) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    *error = path + " does not exist";
    return false;
  }
  bool empty = std::fgetc(file) == EOF;
  std::fclose(file);
  if (empty) {
    *error = path + " is empty";
    return false;
  }
  TIFFErrorHandler previousError = TIFFSetErrorHandler(nullptr);
  TIFFErrorHandler previousWarning = TIFFSetWarningHandler(nullptr);
  TIFF* tiff = TIFFOpen(path.c_str(), "r");
  bool read = tiff != nullptr;
  if (read) {
    uint32_t width = 0, height = 0;
    uint16_t samples = 1, bits = 1;
    read = TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width) == 1 &&
           TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height) == 1;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFClose(tiff);
    *geometry = TiffGeometry{width, height, samples, bits};
  }
  TIFFSetErrorHandler(previousError);
  TIFFSetWarningHandler(previousWarning);
  if (!read) *error = path + " is not a readable TIFF file";
  return read;
}
