// The process-wide record of the imaging-library objects and of what the
// source learnt about the board and the image.
#pragma once

#include <cstdint>

#include "platform/imaging/mil_api.h"
#include "platform/win32.h"

struct LutCurveSet;

// Room for the longest board name, the support address of the unknown board
// included.
constexpr size_t BOARD_NAME_SIZE = 96;

struct MilInfo {
  HMODULE MilLibrary;
  HMODULE BoardLibrary;
  MIL_ID MilApplication;
  MIL_ID MilSystem;
  MIL_ID MilDigitizer;
  MIL_ID MilDisplay;
  MIL_ID MilImage;
  uint32_t ImageWidth;
  uint32_t ImageHeight;
  uint32_t BitsPerBand;
  uint32_t BandCount;
  int32_t BufferFormat;
  int32_t FourBytePixels;
  int32_t BlueFirst;
  uint8_t* ImageData;
  int32_t ColourMode;
  uint8_t ColourInput;
  uint8_t RgbInput;
  uint8_t HasInputLut;
  int32_t BoardType;
  int32_t BoardRevision;
  char BoardName[BOARD_NAME_SIZE];
  uint32_t GrabMemoryKb;
  LutCurveSet* curveSet;  // owned; only while HasInputLut is 1 and a digitizer is set up
  int32_t LiveMode;
  int32_t DisplaySelected;
};

extern MilInfo milInfo;
