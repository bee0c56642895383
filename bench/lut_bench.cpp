// Installing each predefined curve and generating the input table from it on
// a colour board with the All channel current, against the library calls
// that build and load the same table.
#include <cstdlib>
#include <string>

#include "comparisons.h"
#include "grabber/imaging_library.h"
#include "grabber/mil_constants.h"
#include "grabber/mil_info.h"
#include "lut/lut_curves.h"
#include "lut/lut_generation.h"

namespace {

class OpenColour : public Operation {
 public:
  OpenColour(BenchSource& source, int curve) : source_(source), curve_(curve) {
    ready_ = source.Open(BENCH_RGB24) && milInfo.curveSet != nullptr;
    if (ready_) milInfo.curveSet->SelectChannel(LUT_ALL);
  }
  ~OpenColour() override { source_.Close(); }
  bool Ready() const override { return ready_; }

 protected:
  BenchSource& source_;
  int curve_;
  bool ready_ = false;
};

class LutGeneration : public OpenColour {
 public:
  using OpenColour::OpenColour;
  void Run() override {
    if (LoadPredefinedCurve(curve_) != 0 || MilGenerateLut() != 0) abort();
  }
};

// The table of three planes, a ramp per pair of nodes over all of them, the
// load into the digitizer and the release.
class LutBaseline : public OpenColour {
 public:
  using OpenColour::OpenColour;
  void Run() override {
    const PredefinedCurve& curve = PREDEFINED_CURVES[curve_];
    MIL_ID table = imagingLibrary.MbufAllocColor(milInfo.MilSystem, 3, 256, 1, MIL_UNSIGNED_8,
                                                 MIL_LUT_ATTRIBUTE, nullptr);
    MIL_ID bands[3];
    for (MIL_INT band = 0; band < 3; ++band) {
      bands[band] = imagingLibrary.MbufChildColor(table, band, nullptr);
    }
    for (size_t node = 1; node < curve.nodeCount; ++node) {
      const uint8_t* pair = curve.pairs + 2 * node;
      imagingLibrary.MgenLutRamp(table, pair[-2], pair[-1], pair[0], pair[1]);
    }
    imagingLibrary.MdigLut(milInfo.MilDigitizer, table);
    for (MIL_ID band : bands) imagingLibrary.MbufFree(band);
    imagingLibrary.MbufFree(table);
  }
};

// The predefined curves by index, as benchmark names.
const char* const CURVE_NAMES[PREDEFINED_CURVE_COUNT] = {nullptr, "pos-linear", "neg-linear",
                                                         "pseudo-color"};

const bool registered = [] {
  for (int curve = 1; curve < PREDEFINED_CURVE_COUNT; ++curve) {
    RegisterComparison({std::string("lut/") + CURVE_NAMES[curve], Make<LutGeneration>(curve),
                        Make<LutBaseline>(curve), 0});
  }
  return true;
}();

}  // namespace
