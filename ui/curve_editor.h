// The curve area of the LUT page: painting the node curves over it and
// converting between mouse points and levels.
#pragma once

#include <cstdint>

#include "lut/lut_curves.h"
#include "platform/win32.h"

// Levels under a point of the page, clamped to 0..255; outside tells whether
// either level had to be clamped, that is whether the point lay outside the
// curve area.
struct LutPoint {
  int32_t x;
  int32_t y;
  bool outside;
};

LutPoint MapPointToLut(HWND page, POINT point);

// Whether a press at levels (x, y) hits the node: within six levels below
// and less than six above, in both directions.
bool NodeIsHit(const LutNode& node, int32_t x, int32_t y);

// Draws the curves on the page over its curve area: the All curve with the
// context's pen when All is current, otherwise red, green and blue in that
// order, each with its own pen; the current curve's nodes get squares.
void PaintCurves(HWND page, HDC dc, const LutCurveSet& curves);
