// PNG output through libpng's simplified writing interface or, on a
// toolchain without libpng (the Windows cross build), written here with
// zlib: the signature, IHDR, one IDAT of unfiltered rows, IEND.
#include "tools/acquire/png_writer.h"

#if defined(ACQUIRE_LIBPNG)
#include <png.h>
#else
#include <zlib.h>

#include <cstdio>
#include <vector>
#endif

namespace {

#if defined(ACQUIRE_LIBPNG)

bool WritePngFile(const std::string& path, uint32_t width, uint32_t height, int samples,
                  const unsigned char* pixels, size_t stride, std::string* error) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = width;
  image.height = height;
  image.format = samples == 1 ? PNG_FORMAT_GRAY : PNG_FORMAT_RGB;
  if (!png_image_write_to_file(&image, path.c_str(), 0, pixels, png_int_32(stride), nullptr)) {
    *error = "cannot write " + path + ": " + image.message;
    png_image_free(&image);
    return false;
  }
  return true;
}

#else

void PutWord(std::vector<unsigned char>& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8)
    out.push_back(static_cast<unsigned char>(value >> shift));
}

// A chunk: length, type, data, and the CRC of type and data.
void PutChunk(std::vector<unsigned char>& out, const char type[4], const unsigned char* data,
              size_t size) {
  PutWord(out, static_cast<uint32_t>(size));
  size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data, data + size);
  PutWord(out, static_cast<uint32_t>(crc32(0, &out[start], static_cast<uInt>(size + 4))));
}

bool WritePngFile(const std::string& path, uint32_t width, uint32_t height, int samples,
                  const unsigned char* pixels, size_t stride, std::string* error) {
  const size_t rowBytes = static_cast<size_t>(width) * samples;
  // Every row starts with its filter type, 0 (none).
  std::vector<unsigned char> raw;
  raw.reserve((rowBytes + 1) * height);
  for (uint32_t y = 0; y < height; ++y) {
    raw.push_back(0);
    raw.insert(raw.end(), pixels + y * stride, pixels + y * stride + rowBytes);
  }
  uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
  std::vector<unsigned char> packed(packedSize);
  if (raw.size() > 0xFFFFFFFFu ||
      compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()),
                Z_DEFAULT_COMPRESSION) != Z_OK) {
    *error = "cannot compress the image for " + path;
    return false;
  }
  std::vector<unsigned char> header;
  PutWord(header, width);
  PutWord(header, height);
  header.push_back(8);                     // bits a sample
  header.push_back(samples == 1 ? 0 : 2);  // grey or RGB
  header.insert(header.end(), {0, 0, 0});  // deflate, adaptive filtering, no interlace
  std::vector<unsigned char> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  PutChunk(file, "IHDR", header.data(), header.size());
  PutChunk(file, "IDAT", packed.data(), packedSize);
  PutChunk(file, "IEND", nullptr, 0);
  std::FILE* out = std::fopen(path.c_str(), "wb");
  bool written = out != nullptr && std::fwrite(file.data(), 1, file.size(), out) == file.size();
  if (out != nullptr && std::fclose(out) != 0) written = false;
  if (!written) *error = "cannot write " + path;
  return written;
}

#endif

}  // namespace

bool WritePng(const std::string& path, uint32_t width, uint32_t height, int samples,
              const unsigned char* pixels, size_t stride, std::string* error) {
  if (samples != 1 && samples != 3) {
    *error = "PNG output takes 1 or 3 samples of 8 bits, not " + std::to_string(samples);
    return false;
  }
  if (width == 0 || height == 0) {
    *error = "the image is empty";
    return false;
  }
  return WritePngFile(path, width, height, samples, pixels, stride, error);
}
