// The process-wide record of what the user chose and what persists between
// openings of the source: camera format, references and decoder adjustments,
// input channel, preview options and the stored input-LUT curves. Each field
// but LutNodeData carries the name of its registry value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Room for the camera-format text: at most 79 characters and the zero.
constexpr size_t DIG_FORMAT_SIZE = 80;

// The input channel words of an RGB-input digitizer.
constexpr uint32_t CHANNEL_0 = 0x20000000;
constexpr uint32_t CHANNEL_1 = 0x40000000;
constexpr uint32_t CHANNEL_2 = 0x80000000;
constexpr uint32_t CHANNEL_RGB = 0x01000000;

struct GrabberSettings {
  char DigFormat[DIG_FORMAT_SIZE];  // always zero-terminated
  int32_t WhiteRef0;
  int32_t WhiteRef1;
  int32_t WhiteRef2;
  int32_t BlackRef0;
  int32_t BlackRef1;
  int32_t BlackRef2;
  int32_t Brightness;
  int32_t Contrast;
  int32_t Hue;
  int32_t Saturation;
  uint32_t Channel;
  int32_t DispZoom;  // 1, 2, 4, or -2, -4 to reduce
  int32_t ExtWindow;
  int32_t Preview;
  int32_t LutType;                   // 0: the input LUT is built from the node curves
  uint32_t LutValues;                // count word of LutNodeData; 0 when none is loaded
  std::vector<uint8_t> LutNodeData;  // two bytes (input, output) a node
};

extern GrabberSettings grabberSettings;

// Copies DigFormat with its terminating zero into a caller's buffer of at
// least DIG_FORMAT_SIZE characters and returns the buffer.
char* GetDigFormat(char* buffer);

// Stores a camera-format text into DigFormat, cut to 79 characters.
void SetDigFormat(const char* format);

uint32_t GetChannel();
int32_t GetDispZoom();
int32_t GetExtWindow();
void SetExtWindow(int32_t value);

// With -1 returns Preview unchanged; with any other value stores it and
// returns 0.
int32_t PreviewState(int32_t value);

// Drops the stored node data and sets LutValues to 0; every other field keeps
// its value.
void FreeLutNodeData();

// Returns the record to its load state: zero, empty text, no node data.
void ResetGrabberSettings();
