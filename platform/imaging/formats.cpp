// Camera formats, board families and pixel layouts of the simulated board.
#include <cstring>

#include "simulator.h"

namespace sim {
namespace {

// The 625-line formats have 768 x 576 pixels at 25 frames a second, the
// 525-line formats 640 x 480 at 30.
const CameraFormat kCameraFormats[] = {
    {"M_CCIR", 768, 576, 25, Signal::Monochrome},  {"M_RS170", 640, 480, 30, Signal::Monochrome},
    {"M_PAL", 768, 576, 25, Signal::Composite},    {"M_PAL_YC", 768, 576, 25, Signal::YC},
    {"M_PAL_RGB", 768, 576, 25, Signal::Rgb},      {"M_NTSC", 640, 480, 30, Signal::Composite},
    {"M_NTSC_YC", 640, 480, 30, Signal::YC},       {"M_NTSC_RGB", 640, 480, 30, Signal::Rgb},
};

// Colour mode words: grey through the decoder, composite colour, Y/C colour,
// RGB colour, and grey through the RGB converter of the multi-channel boards.
constexpr int32_t MODE_MONOCHROME = 0;
constexpr int32_t MODE_COMPOSITE = 1;
constexpr int32_t MODE_YC = 4137;
constexpr int32_t MODE_RGB = 8;
constexpr int32_t MODE_MONO_VIA_RGB = 1024;

// Packed layouts the simulator encodes, with the byte of red, green and blue
// in a pixel; the names read as the bytes lie in memory.
const PixelLayout kLayouts[] = {
    {0x0200, 1, {0, 0, 0}, false},  // M_MONO8
    {0x0800, 3, {0, 1, 2}, false},  // M_RGB24
    {0x0900, 4, {0, 1, 2}, false},  // M_RGB32: R G B X
    {0x0A00, 4, {1, 2, 3}, false},  // M_XRGB32: X R G B
    {0x0D00, 1, {0, 1, 2}, true},   // M_RGB3: three planes
    {0x1000, 3, {2, 1, 0}, false},  // M_BGR24
    {0x1100, 4, {2, 1, 0}, false},  // M_BGR32: B G R X
    {0x1200, 4, {3, 2, 1}, false},  // M_XBGR32: X B G R
};

struct LayoutName {
  const char* name;
  int32_t bits;
};

const LayoutName kLayoutNames[] = {
    {"M_MONO1", 0x0100},   {"M_MONO8", 0x0200},      {"M_MONO16", 0x0300},
    {"M_MONO32", 0x0400},  {"M_RGB15", 0x0600},      {"M_RGB16", 0x0700},
    {"M_RGB24", 0x0800},   {"M_RGB32", 0x0900},      {"M_XRGB32", 0x0A00},
    {"M_RGB48", 0x0B00},   {"M_RGB96", 0x0C00},      {"M_RGB3", 0x0D00},
    {"M_BGR15", 0x0E00},   {"M_BGR16", 0x0F00},      {"M_BGR24", 0x1000},
    {"M_BGR32", 0x1100},   {"M_XBGR32", 0x1200},     {"M_YUV9", 0x1500},
    {"M_YUV12", 0x1600},   {"M_YUV16", 0x1700},      {"M_YUV24", 0x1B00},
    {"M_YUV16_YUYV", 0x1C00}, {"M_YUV16_UYVY", 0x1D00}, {"M_YUV12_1394", 0x1F00},
};

}  // namespace

const CameraFormat* FindCameraFormat(const char* name) {
  if (name == nullptr) return nullptr;
  for (const CameraFormat& format : kCameraFormats) {
    if (std::strcmp(format.name, name) == 0) return &format;
  }
  return nullptr;
}

bool IsMultiChannelBoard(int32_t boardType) { return boardType == 24 || boardType == 536; }

int32_t ColourModeFor(int32_t boardType, Signal signal) {
  switch (signal) {
    case Signal::Monochrome:
      return IsMultiChannelBoard(boardType) ? MODE_MONO_VIA_RGB : MODE_MONOCHROME;
    case Signal::Composite:
      return MODE_COMPOSITE;
    case Signal::YC:
      return MODE_YC;
    case Signal::Rgb:
      return MODE_RGB;
  }
  return MODE_MONOCHROME;
}

int32_t BandsForColourMode(int32_t colourMode) {
  return colourMode == MODE_MONOCHROME || colourMode == MODE_MONO_VIA_RGB ? 1 : 3;
}

std::vector<std::string> DefaultFormats(int32_t boardType) {
  std::vector<std::string> formats;
  for (const CameraFormat& format : kCameraFormats) {
    if (format.signal != Signal::Rgb || IsMultiChannelBoard(boardType)) {
      formats.push_back(format.name);
    }
  }
  return formats;
}

const PixelLayout& LayoutFor(int32_t layoutBits, int32_t bands) {
  static const PixelLayout mono = kLayouts[0];
  // Layouts without an encoding here: M_BGR24 bytes, four bytes of room.
  static const PixelLayout unencoded = {0, 4, {2, 1, 0}, false};
  if (bands == 1) return mono;
  for (const PixelLayout& layout : kLayouts) {
    if (layout.bits == layoutBits && layout.bits != LAYOUT_MONO8) return layout;
  }
  return unencoded;
}

int32_t LayoutBitsFromName(const char* name) {
  for (const LayoutName& entry : kLayoutNames) {
    if (std::strcmp(entry.name, name) == 0) return entry.bits;
  }
  return -1;
}

}  // namespace sim
