// Levels, channel and zoom go straight to the digitizer and the display; while
// the source is open the digitizer, not the settings record, holds the
// current levels.
#include "grabber/adjustments.h"

#include "grabber/imaging_library.h"
#include "grabber/mil_constants.h"
#include "grabber/mil_info.h"
#include "lut/lut_curves.h"
#include "lut/lut_generation.h"
#include "settings/grabber_settings.h"

namespace {

constexpr uint32_t LEVEL_MAX = 255;
constexpr int32_t LEVEL_DEFAULT = 128;

// Without a digitizer there is nothing to adjust or to ask.
void SetReference(uint32_t referenceType, int32_t level) {
  if (milInfo.MilDigitizer == 0) return;
  uint32_t limited = static_cast<uint32_t>(level) > LEVEL_MAX ? LEVEL_MAX : level;
  imagingLibrary.MdigReference(milInfo.MilDigitizer, static_cast<MIL_INT>(referenceType),
                               static_cast<double>(limited));
}

int32_t GetReference(uint32_t referenceType) {
  if (milInfo.MilDigitizer == 0) return 0;
  return static_cast<int32_t>(imagingLibrary.MdigInquire(
      milInfo.MilDigitizer, static_cast<MIL_INT>(referenceType), nullptr));
}

}  // namespace

void MilSetBlackRef(int32_t level, uint32_t channelBits) {
  SetReference(channelBits | MIL_BLACK_REF, level);
}

void MilSetWhiteRef(int32_t level, uint32_t channelBits) {
  SetReference(channelBits | MIL_WHITE_REF, level);
}

void MilSetBrightness(int32_t level) { SetReference(MIL_BRIGHTNESS_REF, level); }

void MilSetContrast(int32_t level) { SetReference(MIL_CONTRAST_REF, level); }

void MilSetSaturation(int32_t level) {
  if (milInfo.ColourInput) SetReference(MIL_SATURATION_REF, level);
}

void MilSetHue(int32_t level) {
  if (milInfo.ColourInput) SetReference(MIL_HUE_REF, level);
}

int32_t MilGetBlackRef(uint32_t channelBits) { return GetReference(channelBits | MIL_BLACK_REF); }

int32_t MilGetWhiteRef(uint32_t channelBits) { return GetReference(channelBits | MIL_WHITE_REF); }

int32_t MilGetBrightness() { return GetReference(MIL_BRIGHTNESS_REF); }

int32_t MilGetContrast() { return GetReference(MIL_CONTRAST_REF); }

int32_t MilGetHue() { return milInfo.ColourInput ? GetReference(MIL_HUE_REF) : 0; }

int32_t MilGetSaturation() { return milInfo.ColourInput ? GetReference(MIL_SATURATION_REF) : 0; }

void MilSetChannel(uint32_t channel) {
  grabberSettings.Channel = channel;
  if (milInfo.MilDigitizer == 0) return;
  imagingLibrary.MdigChannel(milInfo.MilDigitizer,
                             static_cast<MIL_INT>(channel + MIL_CHANNEL_OFFSET));
}

void MilSetZoom(int32_t factor) {
  grabberSettings.DispZoom = factor;
  if (milInfo.MilDisplay == 0) return;
  imagingLibrary.MdispZoom(milInfo.MilDisplay, factor, factor);
}

void MilApplySettings() {
  if (milInfo.MilDigitizer == 0) return;
  const GrabberSettings& settings = grabberSettings;
  if (milInfo.RgbInput) {
    MilSetBlackRef(settings.BlackRef0, CHANNEL_0);
    if (milInfo.ColourInput) {
      MilSetBlackRef(settings.BlackRef1, CHANNEL_1);
      MilSetBlackRef(settings.BlackRef2, CHANNEL_2);
    }
    MilSetWhiteRef(settings.WhiteRef0, CHANNEL_0);
    if (milInfo.ColourInput) {
      MilSetWhiteRef(settings.WhiteRef1, CHANNEL_1);
      MilSetWhiteRef(settings.WhiteRef2, CHANNEL_2);
    }
    MilSetChannel(settings.Channel);
  } else {
    if (milInfo.ColourInput) {
      MilSetSaturation(settings.Saturation);
      MilSetHue(settings.Hue);
    }
    MilSetContrast(settings.Contrast);
    MilSetBrightness(settings.Brightness);
  }

  if (milInfo.HasInputLut && milInfo.curveSet != nullptr) {
    if (settings.LutValues != 0) {
      milInfo.curveSet->LoadPacked(settings.LutValues, settings.LutNodeData.data(),
                                   settings.LutNodeData.size(), settings.LutType);
    } else {
      milInfo.curveSet->SelectChannel(LUT_ALL);
    }
    MilGenerateLut();
  }
}

void MilDefaultAdjustments() {
  if (milInfo.RgbInput) {
    MilSetBlackRef(0, MIL_ALL_CHANNELS);
    MilSetWhiteRef(LEVEL_MAX, MIL_ALL_CHANNELS);
    return;
  }
  if (milInfo.ColourInput) {
    MilSetSaturation(LEVEL_DEFAULT);
    MilSetHue(LEVEL_DEFAULT);
  }
  MilSetContrast(LEVEL_DEFAULT);
  MilSetBrightness(LEVEL_DEFAULT);
}
