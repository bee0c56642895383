#include "lut/lut_generation.h"

#include <vector>

#include "grabber/imaging_library.h"
#include "grabber/mil_constants.h"
#include "grabber/mil_info.h"
#include "lut/lut_curves.h"
#include "source/diagnostic_log.h"

namespace {

// The input table: one entry per input level; one band per colour on a
// colour board.
constexpr MIL_INT LUT_ENTRIES = 256;
constexpr MIL_INT COLOUR_BANDS = 3;

const uint8_t POS_LINEAR[] = {0, 0, 255, 255};
const uint8_t NEG_LINEAR[] = {0, 255, 255, 0};
const uint8_t PSEUDO_COLOR[] = {0, 0, 64, 255, 128, 0, 192, 255, 255, 0};

// Where a curve's node count goes in the count word of the packed form, by
// the channel it is installed into.
const int COUNT_SHIFT[LUT_CHANNEL_COUNT] = {16, 8, 0, 24};

// One ramp per pair of consecutive nodes, in list order, so that of two nodes
// with the same input level the later one's output wins.
void WriteRamps(MIL_ID buffer, const std::vector<uint8_t>& pairs) {
  for (size_t i = 2; i + 1 < pairs.size(); i += 2) {
    imagingLibrary.MgenLutRamp(buffer, pairs[i - 2], pairs[i - 1], pairs[i], pairs[i + 1]);
  }
}

}  // namespace

const PredefinedCurve PREDEFINED_CURVES[PREDEFINED_CURVE_COUNT] = {
    {"user defined", 0, nullptr},
    {"pos. linear", sizeof POS_LINEAR / 2, POS_LINEAR},
    {"neg. linear", sizeof NEG_LINEAR / 2, NEG_LINEAR},
    {"pseudo color", sizeof PSEUDO_COLOR / 2, PSEUDO_COLOR},
};

uint16_t MilGenerateLut() {
  const LutCurveSet* curveSet = milInfo.curveSet;
  if (!milInfo.HasInputLut || milInfo.MilDigitizer == 0 || curveSet == nullptr) return 1;

  MIL_ID table = 0;
  MIL_ID bands[COLOUR_BANDS] = {0, 0, 0};
  if (milInfo.ColourInput) {
    table = imagingLibrary.MbufAllocColor(milInfo.MilSystem, COLOUR_BANDS, LUT_ENTRIES, 1,
                                          MIL_UNSIGNED_8, MIL_LUT_ATTRIBUTE, nullptr);
    for (MIL_INT band = 0; band < COLOUR_BANDS; ++band) {
      bands[band] = imagingLibrary.MbufChildColor(table, band, nullptr);
    }
  } else {
    table = imagingLibrary.MbufAlloc1d(milInfo.MilSystem, LUT_ENTRIES, MIL_UNSIGNED_8,
                                       MIL_LUT_ATTRIBUTE, nullptr);
  }

  // A single-band table has no colour bands to take the channel curves; it
  // takes the All curve, which stands for every channel.
  if (curveSet->channel != LUT_ALL && !milInfo.ColourInput) {
    DiagnosticLog log;
    log.Write(
        "Korvanta TWAIN DS: colour LUT curves are current on a board without colour "
        "input, loading the All curve \n");
  }
  if (curveSet->channel == LUT_ALL || !milInfo.ColourInput) {
    WriteRamps(table, curveSet->ListToBytes(LUT_ALL));
  } else {
    for (int band = LUT_RED; band <= LUT_BLUE; ++band) {
      WriteRamps(bands[band], curveSet->ListToBytes(static_cast<LutChannel>(band)));
    }
  }
  imagingLibrary.MdigLut(milInfo.MilDigitizer, table);

  if (milInfo.ColourInput) {
    for (MIL_ID band : bands) imagingLibrary.MbufFree(band);
  }
  imagingLibrary.MbufFree(table);
  return 0;
}

int LoadPredefinedCurve(int index) {
  LutCurveSet* curveSet = milInfo.curveSet;
  if (curveSet == nullptr || index <= 0 || index >= PREDEFINED_CURVE_COUNT) return 1;
  const PredefinedCurve& curve = PREDEFINED_CURVES[index];
  uint32_t countWord = static_cast<uint32_t>(curve.nodeCount) << COUNT_SHIFT[curveSet->channel];
  return curveSet->LoadPacked(countWord, curve.pairs, 2u * curve.nodeCount, 0);
}
