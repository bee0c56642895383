// MbufSave: a buffer as an uncompressed TIFF file, 8 bits a sample, grey
// for one band and RGB (in red, green, blue order, whatever the buffer's own
// layout) for three. Where the toolchain has no libtiff (the Windows cross
// build) the baseline writer of baseline_tiff.cpp writes the same file.
#include "exports.h"
#include "simulator.h"

using namespace sim;

#if defined(MILSIM_LIBTIFF)
#include <tiffio.h>

#include <vector>

namespace {

// Writes the file; returns false when it could not be created or written.
bool SaveTiff(const char* fileName, const Buffer& buffer) {
  TIFF* file = TIFFOpen(fileName, "w");
  if (file == nullptr) return false;
  const uint16_t samples = static_cast<uint16_t>(buffer.bands);
  TIFFSetField(file, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(buffer.width));
  TIFFSetField(file, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(buffer.height));
  TIFFSetField(file, TIFFTAG_SAMPLESPERPIXEL, samples);
  TIFFSetField(file, TIFFTAG_BITSPERSAMPLE, static_cast<uint16_t>(8));
  TIFFSetField(file, TIFFTAG_PHOTOMETRIC, samples == 1 ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB);
  TIFFSetField(file, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(file, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
  TIFFSetField(file, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
  TIFFSetField(file, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(file, 0));
  std::vector<uint8_t> row(static_cast<size_t>(buffer.width) * samples);
  bool written = true;
  for (int32_t y = 0; y < buffer.height && written; ++y) {
    for (int32_t x = 0; x < buffer.width; ++x) {
      for (int32_t band = 0; band < buffer.bands; ++band) {
        row[static_cast<size_t>(x) * samples + band] = ReadBand(buffer, x, y, band);
      }
    }
    written = TIFFWriteScanline(file, row.data(), static_cast<uint32_t>(y), 0) == 1;
  }
  TIFFClose(file);
  return written;
}

}  // namespace
#else
#include "baseline_tiff.h"

namespace {

bool SaveTiff(const char* fileName, const Buffer& buffer) {
  return SaveBaselineTiff(fileName, buffer);
}

}  // namespace
#endif

MILAPI void MFTYPE MbufSave(const char* fileName, MIL_ID bufferId) {
  Simulator& sim = State();
  Lock lock(sim.mutex);
  CallRecord call(sim, "MbufSave", fileName, bufferId);
  Buffer* buffer = FindOrReport(call, sim.buffers, bufferId, "buffer");
  if (buffer == nullptr) return;
  if (fileName == nullptr || *fileName == '\0') {
    call.Error("no file name");
    return;
  }
  if (!SaveTiff(fileName, *buffer)) call.Error("the file could not be written");
}
