// TIFF geometry through libtiff, its own messages kept quiet, or, on a
// toolchain without libtiff (the Windows cross build), read here from the
// first image file directory. The outcome is reported by the caller.
#include "tools/acquire/tiff_reader.h"

#include <cstdio>

#if defined(ACQUIRE_LIBTIFF)
#include <tiffio.h>
#else
#include <vector>
#endif

namespace {

#if defined(ACQUIRE_LIBTIFF)

bool ReadFirstDirectory(const std::string& path, TiffGeometry* geometry) {
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
  return read;
}

#else

// The file's bytes in its own byte order ("II" little-endian, "MM" big).
struct TiffBytes {
  std::vector<unsigned char> data;
  bool bigEndian = false;

  bool Has(size_t offset, size_t size) const {
    return offset <= data.size() && size <= data.size() - offset;
  }
  uint32_t Read(size_t offset, int size) const {
    uint32_t value = 0;
    for (int i = 0; i < size; ++i) {
      int byte = bigEndian ? i : size - 1 - i;
      value = (value << 8) | data[offset + byte];
    }
    return value;
  }
};

bool ReadFirstDirectory(const std::string& path, TiffGeometry* geometry) {
  constexpr uint16_t SHORT = 3, LONG = 4;
  TiffBytes file;
  std::FILE* in = std::fopen(path.c_str(), "rb");
  if (in == nullptr) return false;
  unsigned char chunk[65536];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, in)) > 0)
    file.data.insert(file.data.end(), chunk, chunk + got);
  std::fclose(in);
  if (!file.Has(0, 8) || file.data[0] != file.data[1] ||
      (file.data[0] != 'I' && file.data[0] != 'M')) {
    return false;
  }
  file.bigEndian = file.data[0] == 'M';
  if (file.Read(2, 2) != 42) return false;
  size_t directory = file.Read(4, 4);
  if (!file.Has(directory, 2)) return false;
  uint32_t entries = file.Read(directory, 2);
  if (!file.Has(directory + 2, static_cast<size_t>(entries) * 12)) return false;
  TiffGeometry found{0, 0, 1, 1};
  bool width = false, height = false;
  for (uint32_t i = 0; i < entries; ++i) {
    size_t entry = directory + 2 + static_cast<size_t>(i) * 12;
    uint32_t tag = file.Read(entry, 2), type = file.Read(entry + 2, 2);
    if (type != SHORT && type != LONG) continue;
    // The first value: in the entry when it fits, else at the offset given.
    size_t valueSize = type == SHORT ? 2 : 4;
    size_t value = entry + 8;
    if (file.Read(entry + 4, 4) * valueSize > 4) value = file.Read(entry + 8, 4);
    if (!file.Has(value, valueSize)) return false;
    uint32_t first = file.Read(value, static_cast<int>(valueSize));
    if (tag == 256) found.width = first, width = true;
    if (tag == 257) found.height = first, height = true;
    if (tag == 258) found.bitsPerSample = static_cast<uint16_t>(first);
    if (tag == 277) found.samples = static_cast<uint16_t>(first);
  }
  if (!width || !height) return false;
  *geometry = found;
  return true;
}

#endif

}  // namespace

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
  bool read = ReadFirstDirectory(path, geometry);
  if (!read) *error = path + " is not a readable TIFF file";
  return read;
}
