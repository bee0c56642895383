// Building the board's input look-up table from the curves of the curve set,
// and the predefined curves that the LUT page offers.
#pragma once

#include <cstddef>
#include <cstdint>

// One entry of the LUT page's combo box: its text and its nodes as packed
// pairs (x, y). Entry 0, "user defined", has no nodes and installs nothing.
struct PredefinedCurve {
  const char* text;
  uint8_t nodeCount;
  const uint8_t* pairs;
};

constexpr int PREDEFINED_CURVE_COUNT = 4;
extern const PredefinedCurve PREDEFINED_CURVES[PREDEFINED_CURVE_COUNT];

// Fills a 256-entry table with straight ramps between consecutive nodes of the
// curves of milInfo.curveSet and loads it into the digitizer. On a board
// without colour input the table has one band; if a colour channel is current
// there, the All curve is used. The table always comes from the curves: a
// stored LutType other than 0 names no table, and loading it installed the
// default curves. Returns 0 when the table was loaded, 1 when the board has
// no input LUT, no digitizer is allocated or no curve set exists.
uint16_t MilGenerateLut();

// Installs predefined curve 1, 2 or 3 into the current list only (with All
// current, into all four). Returns 0 when a curve was installed, 1 for index 0
// or an unknown index, or when no curve set exists. The caller regenerates the
// table afterwards.
int LoadPredefinedCurve(int index);
