// Writes the DIB of a native transfer as a .bmp file: a BITMAPFILEHEADER,
// the BITMAPINFOHEADER, the colour table of paletted bitmaps, and the rows
// bottom-up, each padded to four bytes.
#include "tools/acquire/bmp_writer.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr uint32_t INFO_HEADER_SIZE = 40;
constexpr uint32_t FILE_HEADER_SIZE = 14;
constexpr uint32_t BI_RGB_COMPRESSION = 0;

uint32_t Read32(const unsigned char* at) {
  return uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24;
}
uint16_t Read16(const unsigned char* at) { return uint16_t(at[0] | at[1] << 8); }

void Put32(std::vector<unsigned char>* out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out->push_back((unsigned char)(value >> shift));
}
void Put16(std::vector<unsigned char>* out, uint16_t value) {
  out->push_back((unsigned char)value);
  out->push_back((unsigned char)(value >> 8));
}

bool Refuse(std::string* error, const std::string& reason) {
  *error = reason;
  return false;
}

}  // namespace

bool WriteBmpFromDib(const std::string& path, const unsigned char* dib, size_t size,
                     DibGeometry* geometry, std::string* error) {
  if (dib == nullptr || size < INFO_HEADER_SIZE)
    return Refuse(error, "the image block is too short for a BITMAPINFOHEADER");
  uint32_t headerSize = Read32(dib);
  int32_t width = int32_t(Read32(dib + 4));
  int32_t height = int32_t(Read32(dib + 8));
  uint16_t planes = Read16(dib + 12);
  uint16_t bitCount = Read16(dib + 14);
  uint32_t compression = Read32(dib + 16);
  uint32_t xPelsPerMeter = Read32(dib + 24);
  uint32_t yPelsPerMeter = Read32(dib + 28);
  uint32_t coloursUsed = Read32(dib + 32);

  if (headerSize < INFO_HEADER_SIZE || headerSize > size)
    return Refuse(error, "the bitmap header size is " + std::to_string(headerSize));
  if (width <= 0 || height == 0 || height == INT32_MIN || width > 0x100000 || height > 0x100000 ||
      height < -0x100000)
    return Refuse(error, "the bitmap is " + std::to_string(width) + " x " + std::to_string(height) +
                             " pixels");
  if (planes != 1) return Refuse(error, "the bitmap has " + std::to_string(planes) + " planes");
  if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32)
    return Refuse(error, "bitmaps of " + std::to_string(bitCount) + " bits are not supported");
  if (compression != BI_RGB_COMPRESSION)
    return Refuse(error, "compressed bitmaps (biCompression " + std::to_string(compression) +
                             ") are not supported");
  uint32_t paletteLimit = bitCount <= 8 ? (1u << bitCount) : 256;
  if (coloursUsed > paletteLimit)
    return Refuse(error, "the colour table has " + std::to_string(coloursUsed) + " entries");
  uint32_t tableEntries = bitCount <= 8 && coloursUsed == 0 ? paletteLimit : coloursUsed;

  size_t rows = size_t(height < 0 ? -int64_t(height) : height);
  size_t packedRow = (size_t(width) * bitCount + 7) / 8;
  size_t paddedRow = (size_t(width) * bitCount + 31) / 32 * 4;
  size_t pixelOffset = size_t(headerSize) + size_t(tableEntries) * 4;
  if (pixelOffset > size) return Refuse(error, "the image block ends inside the colour table");
  size_t available = size - pixelOffset;
  size_t sourceRow;
  if (available / rows >= paddedRow)
    sourceRow = paddedRow;
  else if (available / rows >= packedRow)
    sourceRow = packedRow;
  else
    return Refuse(error, "the image block holds " + std::to_string(available) +
                             " bytes of pixels, too few for " + std::to_string(rows) + " rows of " +
                             std::to_string(packedRow) + " bytes");

  uint32_t fileColours = bitCount <= 8 ? tableEntries : 0;
  uint32_t offBits = FILE_HEADER_SIZE + INFO_HEADER_SIZE + fileColours * 4;
  uint32_t imageSize = uint32_t(paddedRow * rows);
  std::vector<unsigned char> out;
  out.reserve(offBits + imageSize);
  out.push_back('B');
  out.push_back('M');
  Put32(&out, offBits + imageSize);
  Put32(&out, 0);
  Put32(&out, offBits);
  Put32(&out, INFO_HEADER_SIZE);
  Put32(&out, uint32_t(width));
  Put32(&out, uint32_t(rows));  // positive: bottom-up
  Put16(&out, 1);
  Put16(&out, bitCount);
  Put32(&out, BI_RGB_COMPRESSION);
  Put32(&out, imageSize);
  Put32(&out, xPelsPerMeter);
  Put32(&out, yPelsPerMeter);
  Put32(&out, fileColours);
  Put32(&out, 0);
  const unsigned char* table = dib + headerSize;
  out.insert(out.end(), table, table + size_t(fileColours) * 4);

  const unsigned char* pixels = dib + pixelOffset;
  bool topDown = height < 0;
  std::vector<unsigned char> padding(paddedRow - packedRow, 0);
  for (size_t row = 0; row < rows; ++row) {
    size_t sourceIndex = topDown ? rows - 1 - row : row;
    const unsigned char* line = pixels + sourceIndex * sourceRow;
    out.insert(out.end(), line, line + packedRow);
    out.insert(out.end(), padding.begin(), padding.end());
  }

  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return Refuse(error, "cannot create " + path);
  bool written = std::fwrite(out.data(), 1, out.size(), file) == out.size();
  written = std::fclose(file) == 0 && written;
  if (!written) return Refuse(error, "cannot write " + path);

  geometry->width = width;
  geometry->height = int32_t(rows);
  geometry->topDown = topDown;
  geometry->bitCount = bitCount;
  geometry->colours = fileColours;
  return true;
}
