#include "ui/curve_editor.h"

#include "ui/resources/resource_ids.h"

namespace {

constexpr int32_t LEVELS = 256;
constexpr int32_t MAX_LEVEL = 255;
constexpr int32_t HIT_DISTANCE = 6;
constexpr int NODE_SQUARE_HALF = 4;

// The curve area's size and its left and bottom edges relative to the page,
// measured at each use.
struct CurveArea {
  LONG left;
  LONG bottom;
  LONG width;
  LONG height;
};

CurveArea MeasureCurveArea(HWND page) {
  RECT pageRect{};
  RECT areaRect{};
  GetWindowRect(page, &pageRect);
  GetWindowRect(GetDlgItem(page, IDC_CURVE_AREA), &areaRect);
  return CurveArea{areaRect.left - pageRect.left, areaRect.bottom - pageRect.top,
                   areaRect.right - areaRect.left, areaRect.bottom - areaRect.top};
}

POINT LevelToPage(const CurveArea& area, const LutNode& node) {
  return POINT{area.left + 1 + area.width * node.x / LEVELS,
               area.bottom - 1 - area.height * node.y / LEVELS};
}

int32_t ClampLevel(int32_t level, bool* clamped) {
  if (level < 0) {
    *clamped = true;
    return 0;
  }
  if (level > MAX_LEVEL) {
    *clamped = true;
    return MAX_LEVEL;
  }
  return level;
}

void DrawCurve(HDC dc, const CurveArea& area, const LutNodeList& list, bool withSquares) {
  bool first = true;
  for (const LutNode& node : list) {
    POINT at = LevelToPage(area, node);
    if (withSquares) {
      Rectangle(dc, at.x - NODE_SQUARE_HALF, at.y - NODE_SQUARE_HALF, at.x + NODE_SQUARE_HALF,
                at.y + NODE_SQUARE_HALF);
    }
    if (first) {
      MoveToEx(dc, at.x, at.y, nullptr);
      first = false;
    } else {
      LineTo(dc, at.x, at.y);
    }
  }
}

struct ChannelPen {
  LutChannel channel;
  COLORREF colour;
};
const ChannelPen CHANNEL_PENS[] = {
    {LUT_RED, RGB(255, 0, 0)},
    {LUT_GREEN, RGB(0, 255, 0)},
    {LUT_BLUE, RGB(0, 0, 255)},
};

}  // namespace

LutPoint MapPointToLut(HWND page, POINT point) {
  RECT area{};
  GetWindowRect(GetDlgItem(page, IDC_CURVE_AREA), &area);
  LONG width = area.right - area.left;
  LONG height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return LutPoint{0, 0, true};
  ClientToScreen(page, &point);
  bool clamped = false;
  int32_t x = ClampLevel(LEVELS * (point.x - area.left) / width, &clamped);
  int32_t y = ClampLevel(LEVELS * (area.bottom - point.y) / height, &clamped);
  return LutPoint{x, y, clamped};
}

bool NodeIsHit(const LutNode& node, int32_t x, int32_t y) {
  return node.x - HIT_DISTANCE <= x && x < node.x + HIT_DISTANCE && node.y - HIT_DISTANCE <= y &&
         y < node.y + HIT_DISTANCE;
}

void PaintCurves(HWND page, HDC dc, const LutCurveSet& curves) {
  CurveArea area = MeasureCurveArea(page);
  if (curves.channel == LUT_ALL) {
    DrawCurve(dc, area, curves.lists[LUT_ALL], true);
    return;
  }
  // Blue last, so that it lies on top.
  for (const ChannelPen& pen : CHANNEL_PENS) {
    HPEN channelPen = CreatePen(PS_SOLID, 0, pen.colour);
    HGDIOBJ previous = SelectObject(dc, channelPen);
    DrawCurve(dc, area, curves.lists[pen.channel], pen.channel == curves.channel);
    SelectObject(dc, previous);
    DeleteObject(channelPen);
  }
}
