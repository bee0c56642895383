// Writes an 8-bit grey or RGB image as a PNG file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// `samples` is 1 (grey) or 3 (red, green, blue); rows are `stride` bytes apart.
bool WritePng(const std::string& path, uint32_t width, uint32_t height, int samples,
              const unsigned char* pixels, size_t stride, std::string* error);
