// The image of a memory transfer, assembled from the source's strips.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/twain.h"

class StripImage {
 public:
  // The geometry DAT_IMAGEINFO announced; a length of -1 (unknown) lets the
  // image grow with the strips.
  StripImage(TW_INT32 width, TW_INT32 length, TW_INT16 samplesPerPixel, TW_INT16 bitsPerPixel);

  // Copies the rows of one strip to their place. False with a reason when
  // the strip does not fit the image or the buffer it came in.
  bool AddStrip(const TW_IMAGEMEMXFER& strip, std::string* error);

  // Whether every row of the image has arrived.
  bool Complete() const;
  size_t RowsReceived() const { return rowsReceived_; }

  uint32_t Width() const { return uint32_t(width_); }
  uint32_t Rows() const { return uint32_t(coverage_.size()); }
  int Samples() const { return samples_; }
  size_t RowBytes() const { return rowBytes_; }  // packed rows, no padding
  const unsigned char* Pixels() const { return pixels_.data(); }

 private:
  TW_INT32 width_;
  bool growing_;
  int samples_;
  size_t rowBytes_;
  std::vector<unsigned char> pixels_;
  std::vector<bool> coverage_;
  size_t rowsReceived_ = 0;
};
