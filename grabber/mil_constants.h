// The values the source passes to the imaging library: control, inquiry and
// reference types, allocation attributes and the fixed texts.
#pragma once

#include <cstdint>

#include "platform/imaging/mil_api.h"

// Allocation and control.
constexpr MIL_INT MIL_DEFAULT_FLAG = 0x10000000;     // default initialisation
constexpr MIL_INT MIL_ERROR_REPORTS = 0x40000000;    // MappControl: library error reports
constexpr MIL_INT MIL_REPORTS_OFF = 0;
constexpr MIL_INT MIL_REPORTS_ON = 1;
constexpr char MIL_SYSTEM_DESCRIPTOR[] = "\\\\.\\M_SYSTEM_METEOR_II";
constexpr char MIL_DISPLAY_FORMAT[] = "M_DEFAULT";
constexpr char MIL_FALLBACK_FORMAT[] = "M_CCIR";

// System inquiries.
constexpr MIL_INT MIL_BOARD_TYPE = 2014;
constexpr MIL_INT MIL_BOARD_REVISION = 2015;

// Digitizer and buffer inquiries.
constexpr MIL_INT MIL_SIZE_X = 1002;
constexpr MIL_INT MIL_SIZE_Y = 1003;
constexpr MIL_INT MIL_SIZE_BAND = 1005;
constexpr MIL_INT MIL_SIZE_BIT = 1007;
constexpr MIL_INT MIL_BUFFER_FORMAT = 1010;
constexpr MIL_INT MIL_COLOUR_MODE = 1018;
constexpr MIL_INT MIL_HOST_ADDRESS = static_cast<MIL_INT>(0x80000000u);

// Buffers: 8 bits per band, and what a buffer is for.
constexpr MIL_INT MIL_UNSIGNED_8 = 8;
constexpr MIL_INT MIL_IMAGE_ATTRIBUTE = 44;
constexpr MIL_INT MIL_GRAB_PROBE_ATTRIBUTE = 12;
constexpr MIL_INT MIL_LUT_ATTRIBUTE = 256;

// Buffer format word: the bits that name the pixel layout.
constexpr int32_t MIL_LAYOUT_MASK = 0x3F00;

// Reference types of MdigReference and MdigInquire.
constexpr uint32_t MIL_BLACK_REF = 4003;
constexpr uint32_t MIL_WHITE_REF = 4005;
constexpr uint32_t MIL_HUE_REF = 4006;
constexpr uint32_t MIL_SATURATION_REF = 4007;
constexpr uint32_t MIL_BRIGHTNESS_REF = 4008;
constexpr uint32_t MIL_CONTRAST_REF = 4009;
constexpr uint32_t MIL_ALL_CHANNELS = 0xEF200000;

// MdigChannel takes the channel word plus this.
constexpr uint32_t MIL_CHANNEL_OFFSET = 0x400000;

// Display controls that prepare the library's own preview window.
constexpr MIL_INT MIL_WINDOW_TITLE = 3119;
constexpr double MIL_WINDOW_OPTION_OFF = -9999;
