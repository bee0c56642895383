// The native image: a device-independent bitmap in one memory block
// (BITMAPINFOHEADER, colour table, rows) written as a .bmp file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct DibGeometry {
  int32_t width = 0;
  int32_t height = 0;    // rows, always positive
  bool topDown = false;  // the block's first row is the top row
  uint16_t bitCount = 0;
  uint32_t colours = 0;  // colour-table entries written to the file
};

// Reads the header of the DIB in `size` bytes and writes `path` as a
// bottom-up BI_RGB .bmp of 1, 4, 8, 24 or 32 bits. Rows of the block are
// taken at the padded DIB stride when the block holds them, else packed one
// after the other (some sources hand over unpadded rows). False with a
// reason when the block is no such bitmap or the file cannot be written.
bool WriteBmpFromDib(const std::string& path, const unsigned char* dib, size_t size,
                     DibGeometry* geometry, std::string* error);
