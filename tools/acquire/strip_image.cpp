// Assembles the strips of a memory transfer: each strip's rows, BytesPerRow
// apart in the application's buffer, go to row YOffset onwards of the image.
#include "tools/acquire/strip_image.h"

#include <cstring>

namespace {

// How far an image of unknown length may grow with its strips.
constexpr uint64_t MAX_GROWN_BYTES = uint64_t(1) << 30;

bool Refuse(std::string* error, const std::string& reason) {
  *error = reason;
  return false;
}

// Bytes of one row without padding; 0 for a geometry that makes no image.
size_t PackedRowBytes(TW_INT32 width, TW_INT16 bitsPerPixel) {
  if (width <= 0 || bitsPerPixel <= 0) return 0;
  return (size_t(width) * size_t(bitsPerPixel) + 7) / 8;
}

}  // namespace

StripImage::StripImage(TW_INT32 width, TW_INT32 length, TW_INT16 samplesPerPixel,
                       TW_INT16 bitsPerPixel)
    : width_(width > 0 ? width : 0),
      growing_(length < 0),
      samples_(samplesPerPixel),
      rowBytes_(PackedRowBytes(width, bitsPerPixel)) {
  size_t rows = length > 0 ? size_t(length) : 0;
  pixels_.assign(rows * rowBytes_, 0);
  coverage_.assign(rows, false);
}

bool StripImage::AddStrip(const TW_IMAGEMEMXFER& strip, std::string* error) {
  if (strip.Compression != TWCP_NONE)
    return Refuse(error, "compressed strips (compression " + std::to_string(strip.Compression) +
                             ") are not supported");
  if (strip.XOffset != 0 || strip.Columns != TW_UINT32(width_))
    return Refuse(error, "the strip covers columns " + std::to_string(strip.XOffset) + " to " +
                             std::to_string(strip.XOffset + strip.Columns) +
                             ", not the whole width of " + std::to_string(width_));
  if (strip.BytesPerRow < rowBytes_)
    return Refuse(error, "the strip has " + std::to_string(strip.BytesPerRow) +
                             " bytes per row; a row needs " + std::to_string(rowBytes_));
  if (strip.BytesWritten > strip.Memory.Length ||
      uint64_t(strip.Rows) * strip.BytesPerRow >
          strip.BytesWritten + uint64_t(strip.BytesPerRow) - rowBytes_)
    return Refuse(error, "the strip reports " + std::to_string(strip.Rows) + " rows in " +
                             std::to_string(strip.BytesWritten) + " bytes written to a buffer of " +
                             std::to_string(strip.Memory.Length));
  if (strip.Rows > 0 && strip.Memory.TheMem == nullptr)
    return Refuse(error, "the strip has no buffer");
  uint64_t end = uint64_t(strip.YOffset) + strip.Rows;
  if (end > coverage_.size()) {
    if (!growing_)
      return Refuse(error, "the strip's rows " + std::to_string(strip.YOffset) + " to " +
                               std::to_string(end - 1) + " lie outside the image's " +
                               std::to_string(coverage_.size()) + " rows");
    if (end * rowBytes_ > MAX_GROWN_BYTES)
      return Refuse(error, "the image of unknown length grows beyond " +
                               std::to_string(MAX_GROWN_BYTES) + " bytes");
    pixels_.resize(size_t(end) * rowBytes_, 0);
    coverage_.resize(size_t(end), false);
  }
  const unsigned char* buffer = static_cast<const unsigned char*>(strip.Memory.TheMem);
  for (TW_UINT32 row = 0; row < strip.Rows; ++row) {
    size_t target = size_t(strip.YOffset) + row;
    std::memcpy(&pixels_[target * rowBytes_], buffer + size_t(row) * strip.BytesPerRow, rowBytes_);
    if (!coverage_[target]) {
      coverage_[target] = true;
      ++rowsReceived_;
    }
  }
  return true;
}

bool StripImage::Complete() const {
  return !coverage_.empty() && rowsReceived_ == coverage_.size();
}
