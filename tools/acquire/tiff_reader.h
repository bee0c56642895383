// Reads back the file of a file transfer to check that it holds an image.
#pragma once

#include <cstdint>
#include <string>

struct TiffGeometry {
  uint32_t width = 0;
  uint32_t height = 0;
  uint16_t samples = 0;
  uint16_t bitsPerSample = 0;
};

// The first image of a TIFF file; false with a reason when the file is
// missing, empty or no readable TIFF.
bool ReadTiffGeometry(const std::string& path, TiffGeometry* geometry, std::string* error);
