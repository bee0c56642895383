// The digitizer's analogue adjustments: black and white references per input
// channel on an RGB-input digitizer, the decoder's brightness, contrast, hue
// and saturation on a composite one; the input channel and the display zoom.
#pragma once

#include <cstdint>

// Levels run from 0 to 255; a setter applies any level above 255, compared as
// an unsigned number (so a negative one too), as 255. Channel bits select
// input channel 0, 1, 2 or all (MIL_ALL_CHANNELS).
void MilSetBlackRef(int32_t level, uint32_t channelBits);
void MilSetWhiteRef(int32_t level, uint32_t channelBits);
void MilSetBrightness(int32_t level);
void MilSetContrast(int32_t level);
// Only a digitizer with colour input has hue and saturation; otherwise these
// do nothing and the getters give 0.
void MilSetSaturation(int32_t level);
void MilSetHue(int32_t level);

int32_t MilGetBlackRef(uint32_t channelBits);
int32_t MilGetWhiteRef(uint32_t channelBits);
int32_t MilGetBrightness();
int32_t MilGetContrast();
int32_t MilGetHue();
int32_t MilGetSaturation();

// Stores the channel word in the settings and switches the digitizer's input.
void MilSetChannel(uint32_t channel);
// Stores the zoom factor in the settings and applies it to the display.
void MilSetZoom(int32_t factor);

// Pushes the stored references or decoder adjustments, the channel and the
// stored LUT curves into a freshly set-up digitizer.
void MilApplySettings();
// References 0 and 255 on every channel, or all decoder adjustments 128. The
// settings record is not changed.
void MilDefaultAdjustments();
