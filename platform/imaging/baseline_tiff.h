// An uncompressed baseline TIFF writer for toolchains without libtiff (the
// Windows cross build): one strip, 8 bits a sample, grey or RGB, rows
// top-down, little-endian.
#pragma once

#include "simulator.h"

namespace sim {

// Writes the buffer; false when the file cannot be created or written, or
// the image does not fit in one strip of a TIFF file.
bool SaveBaselineTiff(const char* fileName, const Buffer& buffer);

}  // namespace sim
