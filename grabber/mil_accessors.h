// Read-only views of what the frame-grabber layer learnt about the board and
// the image, for the dialog, the pages and the transfers.
#pragma once

#include <cstdint>

const char* GetBoardName();
uint32_t GetGrabMemoryKb();
uint16_t GetHasInputLut();
uint32_t GetImageWidth();
uint32_t GetImageHeight();
uint16_t GetColourInput();
uint32_t GetBandCount();
uint8_t GetRgbInput();
