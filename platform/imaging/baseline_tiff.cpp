// The file: header, one image file directory with its out-of-line values,
// then the pixels as a single strip.
#include "baseline_tiff.h"

#include <cstdio>
#include <vector>

namespace sim {

namespace {

// Field types of a directory entry.
constexpr uint16_t TIFF_SHORT = 3;
constexpr uint16_t TIFF_LONG = 4;
constexpr uint16_t TIFF_RATIONAL = 5;

void PutShort(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

void PutLong(std::vector<uint8_t>& out, uint32_t value) {
  PutShort(out, value & 0xFFFF);
  PutShort(out, value >> 16);
}

// One directory entry; a SHORT value that fits lies in the entry itself.
void PutEntry(std::vector<uint8_t>& out, uint16_t tag, uint16_t type, uint32_t count,
              uint32_t value) {
  PutShort(out, tag);
  PutShort(out, type);
  PutLong(out, count);
  if (type == TIFF_SHORT && count == 1) {
    PutShort(out, value);
    PutShort(out, 0);
  } else {
    PutLong(out, value);
  }
}

}  // namespace

bool SaveBaselineTiff(const char* fileName, const Buffer& buffer) {
  const uint32_t samples = static_cast<uint32_t>(buffer.bands);
  const uint64_t rowBytes = static_cast<uint64_t>(buffer.width) * samples;
  const uint64_t imageBytes = rowBytes * static_cast<uint64_t>(buffer.height);
  constexpr uint16_t ENTRIES = 13;
  // Header, directory, then bits per sample (three SHORTs), two resolutions.
  constexpr uint32_t DIRECTORY = 8;
  constexpr uint32_t BITS = DIRECTORY + 2 + ENTRIES * 12 + 4;
  constexpr uint32_t X_RESOLUTION = BITS + 6 + 2;
  constexpr uint32_t Y_RESOLUTION = X_RESOLUTION + 8;
  constexpr uint32_t PIXELS = Y_RESOLUTION + 8;
  if (imageBytes == 0 || imageBytes > 0xFFFFFFFFull - PIXELS) return false;

  std::vector<uint8_t> head;
  head.insert(head.end(), {'I', 'I', 42, 0});
  PutLong(head, DIRECTORY);
  PutShort(head, ENTRIES);
  PutEntry(head, 256, TIFF_LONG, 1, static_cast<uint32_t>(buffer.width));   // ImageWidth
  PutEntry(head, 257, TIFF_LONG, 1, static_cast<uint32_t>(buffer.height));  // ImageLength
  PutEntry(head, 258, TIFF_SHORT, samples, samples == 1 ? 8 : BITS);        // BitsPerSample
  PutEntry(head, 259, TIFF_SHORT, 1, 1);                                    // no compression
  PutEntry(head, 262, TIFF_SHORT, 1, samples == 1 ? 1 : 2);                 // black is zero, or RGB
  PutEntry(head, 273, TIFF_LONG, 1, PIXELS);                                // StripOffsets
  PutEntry(head, 274, TIFF_SHORT, 1, 1);                                    // Orientation: top left
  PutEntry(head, 277, TIFF_SHORT, 1, samples);                              // SamplesPerPixel
  PutEntry(head, 278, TIFF_LONG, 1, static_cast<uint32_t>(buffer.height));  // RowsPerStrip
  PutEntry(head, 279, TIFF_LONG, 1, static_cast<uint32_t>(imageBytes));     // StripByteCounts
  PutEntry(head, 282, TIFF_RATIONAL, 1, X_RESOLUTION);
  PutEntry(head, 283, TIFF_RATIONAL, 1, Y_RESOLUTION);
  PutEntry(head, 284, TIFF_SHORT, 1, 1);  // PlanarConfiguration: contiguous
  PutLong(head, 0);                       // no further directory
  for (int band = 0; band < 3; ++band) PutShort(head, 8);
  PutShort(head, 0);  // keeps the rationals on a word boundary
  for (int axis = 0; axis < 2; ++axis) {
    PutLong(head, 72);  // 72 pixels per inch: no real resolution
    PutLong(head, 1);
  }
  // ResolutionUnit is left at its default, inches.

  std::FILE* file = std::fopen(fileName, "wb");
  if (file == nullptr) return false;
  bool written = std::fwrite(head.data(), 1, head.size(), file) == head.size();
  std::vector<uint8_t> row(static_cast<size_t>(rowBytes));
  for (int32_t y = 0; y < buffer.height && written; ++y) {
    for (int32_t x = 0; x < buffer.width; ++x) {
      for (int32_t band = 0; band < buffer.bands; ++band) {
        row[static_cast<size_t>(x) * samples + band] = ReadBand(buffer, x, y, band);
      }
    }
    written = std::fwrite(row.data(), 1, row.size(), file) == row.size();
  }
  return std::fclose(file) == 0 && written;
}

}  // namespace sim
