// Rendering: a window tree drawn into an RGB picture and written as PNG with
// libpng, in the classic grey dialog look: frames and captions, texts in a
// built-in 5 x 7 font, buttons with their check and radio states, group boxes,
// statics with frames and bitmaps, edits, combo boxes, tab labels, trackbar
// thumbs, the live picture the imaging display handed over, and each window's
// recorded GDI calls over its children.
//
// Differs from Windows: texts use the built-in font (lines of 9 pixels) and
// are clipped, not wrapped; children are drawn in creation order; there is no focus rectangle; a pen wider than one
// pixel is drawn as a square brush; ROP2 modes other than copy, not-copy, XOR,
// NOT, merge, mask, black, white and no-op draw as copy.
#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/host/display_bridge.h"
#include "platform/host/windowing.h"

namespace host {
namespace {

// The built-in font: printable ASCII from ' ' on, seven rows of five pixels
// each, the top row first and the leftmost pixel in bit 4.
constexpr uint8_t kFont[95][7] = {
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, {0x04, 0x04, 0x04, 0x04, 0x04, 0x00, 0x04},  //   !
    {0x0A, 0x0A, 0x00, 0x00, 0x00, 0x00, 0x00}, {0x0A, 0x1F, 0x0A, 0x0A, 0x1F, 0x0A, 0x00},  // " #
    {0x04, 0x0F, 0x14, 0x0E, 0x05, 0x1E, 0x04}, {0x19, 0x1A, 0x02, 0x04, 0x0B, 0x13, 0x00},  // $ %
    {0x0C, 0x12, 0x14, 0x08, 0x15, 0x12, 0x0D}, {0x04, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00},  // & '
    {0x02, 0x04, 0x08, 0x08, 0x08, 0x04, 0x02}, {0x08, 0x04, 0x02, 0x02, 0x02, 0x04, 0x08},  // ( )
    {0x00, 0x0A, 0x04, 0x1F, 0x04, 0x0A, 0x00}, {0x00, 0x04, 0x04, 0x1F, 0x04, 0x04, 0x00},  // * +
    {0x00, 0x00, 0x00, 0x00, 0x06, 0x02, 0x04}, {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00},  // , -
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x06, 0x06}, {0x01, 0x01, 0x02, 0x04, 0x08, 0x10, 0x10},  // . /
    {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}, {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E},  // 0 1
    {0x0E, 0x11, 0x01, 0x06, 0x08, 0x10, 0x1F}, {0x1F, 0x01, 0x02, 0x06, 0x01, 0x11, 0x0E},  // 2 3
    {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}, {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E},  // 4 5
    {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}, {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08},  // 6 7
    {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}, {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C},  // 8 9
    {0x00, 0x06, 0x06, 0x00, 0x06, 0x06, 0x00}, {0x00, 0x06, 0x06, 0x00, 0x06, 0x02, 0x04},  // : ;
    {0x02, 0x04, 0x08, 0x10, 0x08, 0x04, 0x02}, {0x00, 0x00, 0x1F, 0x00, 0x1F, 0x00, 0x00},  // < =
    {0x08, 0x04, 0x02, 0x01, 0x02, 0x04, 0x08}, {0x0E, 0x11, 0x01, 0x02, 0x04, 0x00, 0x04},  // > ?
    {0x0E, 0x11, 0x17, 0x15, 0x17, 0x10, 0x0E}, {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11},  // @ A
    {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E}, {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E},  // B C
    {0x1C, 0x12, 0x11, 0x11, 0x11, 0x12, 0x1C}, {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F},  // D E
    {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}, {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F},  // F G
    {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}, {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E},  // H I
    {0x07, 0x02, 0x02, 0x02, 0x02, 0x12, 0x0C}, {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11},  // J K
    {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}, {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11},  // L M
    {0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11}, {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E},  // N O
    {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}, {0x0E, 0x11, 0x11, 0x11, 0x15, 0x12, 0x0D},  // P Q
    {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}, {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E},  // R S
    {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}, {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E},  // T U
    {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}, {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0A},  // V W
    {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11}, {0x11, 0x11, 0x11, 0x0A, 0x04, 0x04, 0x04},  // X Y
    {0x1F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F}, {0x0E, 0x08, 0x08, 0x08, 0x08, 0x08, 0x0E},  // Z [
    {0x10, 0x10, 0x08, 0x04, 0x02, 0x01, 0x01}, {0x0E, 0x02, 0x02, 0x02, 0x02, 0x02, 0x0E},  // \ ]
    {0x04, 0x0A, 0x11, 0x00, 0x00, 0x00, 0x00}, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x1F},  // ^ _
    {0x08, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00}, {0x00, 0x00, 0x0E, 0x01, 0x0F, 0x11, 0x0F},  // ` a
    {0x10, 0x10, 0x16, 0x19, 0x11, 0x11, 0x1E}, {0x00, 0x00, 0x0E, 0x10, 0x10, 0x11, 0x0E},  // b c
    {0x01, 0x01, 0x0D, 0x13, 0x11, 0x11, 0x0F}, {0x00, 0x00, 0x0E, 0x11, 0x1F, 0x10, 0x0E},  // d e
    {0x06, 0x09, 0x08, 0x1C, 0x08, 0x08, 0x08}, {0x00, 0x0F, 0x11, 0x11, 0x0F, 0x01, 0x0E},  // f g
    {0x10, 0x10, 0x16, 0x19, 0x11, 0x11, 0x11}, {0x04, 0x00, 0x0C, 0x04, 0x04, 0x04, 0x0E},  // h i
    {0x02, 0x00, 0x06, 0x02, 0x02, 0x12, 0x0C}, {0x10, 0x10, 0x12, 0x14, 0x18, 0x14, 0x12},  // j k
    {0x0C, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}, {0x00, 0x00, 0x1A, 0x15, 0x15, 0x11, 0x11},  // l m
    {0x00, 0x00, 0x16, 0x19, 0x11, 0x11, 0x11}, {0x00, 0x00, 0x0E, 0x11, 0x11, 0x11, 0x0E},  // n o
    {0x00, 0x00, 0x1E, 0x11, 0x1E, 0x10, 0x10}, {0x00, 0x00, 0x0D, 0x13, 0x0F, 0x01, 0x01},  // p q
    {0x00, 0x00, 0x16, 0x19, 0x10, 0x10, 0x10}, {0x00, 0x00, 0x0E, 0x10, 0x0E, 0x01, 0x1E},  // r s
    {0x08, 0x08, 0x1C, 0x08, 0x08, 0x09, 0x06}, {0x00, 0x00, 0x11, 0x11, 0x11, 0x13, 0x0D},  // t u
    {0x00, 0x00, 0x11, 0x11, 0x11, 0x0A, 0x04}, {0x00, 0x00, 0x11, 0x11, 0x15, 0x15, 0x0A},  // v w
    {0x00, 0x00, 0x11, 0x0A, 0x04, 0x0A, 0x11}, {0x00, 0x00, 0x11, 0x11, 0x0F, 0x01, 0x0E},  // x y
    {0x00, 0x00, 0x1F, 0x02, 0x04, 0x08, 0x1F}, {0x02, 0x04, 0x04, 0x08, 0x04, 0x04, 0x02},  // z {
    {0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}, {0x08, 0x04, 0x04, 0x02, 0x04, 0x04, 0x08},  // | }
    {0x00, 0x00, 0x08, 0x15, 0x02, 0x00, 0x00},                                              // ~
};
constexpr uint8_t kUnknownGlyph[7] = {0x1F, 0x11, 0x11, 0x11, 0x11, 0x11, 0x1F};

const uint8_t* GlyphOf(unsigned char c) { return c >= 32 && c < 127 ? kFont[c - 32] : kUnknownGlyph; }

// The columns a glyph uses, from its leftmost to its rightmost; drawn one
// pixel apart, so narrow letters take less room. A space is three pixels.
void GlyphSpan(unsigned char c, int* left, int* width) {
  const uint8_t* glyph = GlyphOf(c);
  uint8_t columns = 0;
  for (int row = 0; row < 7; ++row) columns |= glyph[row];
  *left = 0;
  *width = 2;
  if (columns == 0) return;
  int first = 0, last = 4;
  while ((columns & (0x10 >> first)) == 0) ++first;
  while ((columns & (0x10 >> last)) == 0) --last;
  *left = first;
  *width = last - first + 1;
}

int Advance(unsigned char c) {
  int left, width;
  GlyphSpan(c, &left, &width);
  return width + 1;
}

constexpr COLORREF kFace = RGB(192, 192, 192);
constexpr COLORREF kShadow = RGB(128, 128, 128);
constexpr COLORREF kHighlight = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kCaption = RGB(0, 0, 128);
constexpr COLORREF kGrayText = RGB(128, 128, 128);

RECT Intersect(const RECT& a, const RECT& b) {
  return RECT{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
              std::min(a.bottom, b.bottom)};
}

RECT Offset(RECT r, int dx, int dy) { return RECT{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy}; }

// The picture being drawn, in screen coordinates shifted by origin.
class Canvas {
 public:
  Canvas(int width, int height, POINT origin)
      : width_(width), height_(height), origin_(origin), rgb_(size_t(width) * size_t(height) * 3, 255) {
    clip_ = RECT{origin.x, origin.y, origin.x + width, origin.y + height};
  }
  const std::vector<uint8_t>& rgb() const { return rgb_; }
  int width() const { return width_; }
  int height() const { return height_; }
  RECT clip() const { return clip_; }
  void SetClip(const RECT& clip) { clip_ = clip; }

  void Pixel(int x, int y, COLORREF colour, int rop = R2_COPYPEN) {
    if (x < clip_.left || x >= clip_.right || y < clip_.top || y >= clip_.bottom) return;
    x -= origin_.x;
    y -= origin_.y;
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    uint8_t* p = &rgb_[(size_t(y) * size_t(width_) + size_t(x)) * 3];
    uint8_t c[3] = {GetRValue(colour), GetGValue(colour), GetBValue(colour)};
    for (int i = 0; i < 3; ++i) {
      switch (rop) {
        case R2_BLACK: p[i] = 0; break;
        case R2_WHITE: p[i] = 255; break;
        case R2_NOP: break;
        case R2_NOT: p[i] = uint8_t(~p[i]); break;
        case R2_NOTCOPYPEN: p[i] = uint8_t(~c[i]); break;
        case R2_XORPEN: p[i] = uint8_t(p[i] ^ c[i]); break;
        case R2_MERGEPEN: p[i] = uint8_t(p[i] | c[i]); break;
        case R2_MASKPEN: p[i] = uint8_t(p[i] & c[i]); break;
        default: p[i] = c[i]; break;
      }
    }
  }
  void Fill(const RECT& r, COLORREF colour) {
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) Pixel(x, y, colour);
  }
  void Frame(const RECT& r, COLORREF colour) {
    if (r.right <= r.left || r.bottom <= r.top) return;
    Fill(RECT{r.left, r.top, r.right, r.top + 1}, colour);
    Fill(RECT{r.left, r.bottom - 1, r.right, r.bottom}, colour);
    Fill(RECT{r.left, r.top, r.left + 1, r.bottom}, colour);
    Fill(RECT{r.right - 1, r.top, r.right, r.bottom}, colour);
  }
  // A two-colour edge: light on the top and left, dark on the bottom and right.
  void Edge(const RECT& r, COLORREF light, COLORREF dark) {
    if (r.right <= r.left || r.bottom <= r.top) return;
    Fill(RECT{r.left, r.top, r.right, r.top + 1}, light);
    Fill(RECT{r.left, r.top, r.left + 1, r.bottom}, light);
    Fill(RECT{r.left, r.bottom - 1, r.right, r.bottom}, dark);
    Fill(RECT{r.right - 1, r.top, r.right, r.bottom}, dark);
  }
  void Raised(const RECT& r) {
    Edge(r, kHighlight, kBlack);
    Edge(RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}, kFace, kShadow);
  }
  void Sunken(const RECT& r) {
    Edge(r, kShadow, kHighlight);
    Edge(RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}, kBlack, kFace);
  }
  // A line from one point to another, the last point left out, as LineTo draws.
  void Line(int x1, int y1, int x2, int y2, COLORREF colour, int width, int rop) {
    int dx = std::abs(x2 - x1), dy = -std::abs(y2 - y1);
    int sx = x1 < x2 ? 1 : -1, sy = y1 < y2 ? 1 : -1;
    int error = dx + dy;
    while (x1 != x2 || y1 != y2) {
      Dot(x1, y1, colour, width, rop);
      int twice = 2 * error;
      if (twice >= dy) {
        error += dy;
        x1 += sx;
      }
      if (twice <= dx) {
        error += dx;
        y1 += sy;
      }
    }
  }
  void Dot(int x, int y, COLORREF colour, int width, int rop) {
    if (width <= 1) return Pixel(x, y, colour, rop);
    for (int j = -width / 2; j < width - width / 2; ++j)
      for (int i = -width / 2; i < width - width / 2; ++i) Pixel(x + i, y + j, colour, rop);
  }
  // Text in the built-in font; '&' marks a mnemonic and is not drawn ("&&" is).
  void Text(int x, int y, const std::string& text, COLORREF colour) {
    for (size_t i = 0; i < text.size(); ++i) {
      unsigned char c = (unsigned char)text[i];
      if (c == '&' && i + 1 < text.size() && text[++i] != '&') c = (unsigned char)text[i];
      const uint8_t* glyph = GlyphOf(c);
      int left, width;
      GlyphSpan(c, &left, &width);
      for (int row = 0; row < 7; ++row)
        for (int column = 0; column < 5; ++column)
          if ((glyph[row] >> (4 - column)) & 1) Pixel(x + column - left, y + 1 + row, colour);
      x += width + 1;
    }
  }
  void Image(int x, int y, int width, int height, const uint8_t* rgb) {
    for (int j = 0; j < height; ++j)
      for (int i = 0; i < width; ++i) {
        const uint8_t* p = rgb + (size_t(j) * size_t(width) + size_t(i)) * 3;
        Pixel(x + i, y + j, RGB(p[0], p[1], p[2]));
      }
  }

 private:
  int width_, height_;
  POINT origin_;
  std::vector<uint8_t> rgb_;
  RECT clip_;
};

// Text placed in a rectangle: horizontally by align (0 left, 1 centre, 2
// right), vertically centred or at the top.
void PlaceText(Canvas& canvas, const RECT& r, const std::string& text, int align, bool middle, COLORREF colour) {
  int width = TextWidth(text);
  int x = align == 1 ? (r.left + r.right - width) / 2 : align == 2 ? r.right - width : r.left;
  int y = middle ? (r.top + r.bottom - kCharHeight) / 2 : r.top;
  canvas.Text(x, y, text, colour);
}

void DrawCheckMark(Canvas& canvas, int x, int y) {
  for (int i = 0; i < 3; ++i) {
    canvas.Line(x + 3, y + 5 + i, x + 5, y + 7 + i, kBlack, 1, R2_COPYPEN);
    canvas.Line(x + 5, y + 7 + i, x + 10, y + 2 + i, kBlack, 1, R2_COPYPEN);
  }
}

void DrawButton(Canvas& canvas, const Window& button, const RECT& client, bool enabled) {
  COLORREF text = enabled ? kBlack : kGrayText;
  UINT type = button.style & BS_TYPEMASK;
  bool leftText = (button.style & BS_LEFTTEXT) != 0;
  if (type == BS_GROUPBOX) {
    RECT frame{client.left, client.top + kCharHeight / 2, client.right, client.bottom};
    canvas.Frame(Offset(frame, 1, 1), kHighlight);
    canvas.Frame(RECT{frame.left, frame.top, frame.right - 1, frame.bottom - 1}, kShadow);
    if (!button.text.empty()) {
      RECT label{client.left + 6, client.top, client.left + 10 + TextWidth(button.text), client.top + kCharHeight};
      canvas.Fill(label, kFace);
      canvas.Text(label.left + 2, label.top, button.text, text);
    }
    return;
  }
  bool check = type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE || type == BS_AUTO3STATE;
  bool radio = type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
  if (!check && !radio) {
    RECT face = client;
    if (type == BS_DEFPUSHBUTTON) {
      canvas.Frame(face, kBlack);
      face = RECT{face.left + 1, face.top + 1, face.right - 1, face.bottom - 1};
    }
    canvas.Fill(face, kFace);
    if (button.pushed)
      canvas.Frame(face, kShadow);
    else
      canvas.Raised(face);
    PlaceText(canvas, button.pushed ? Offset(face, 1, 1) : face, button.text, 1, true, text);
    return;
  }
  constexpr int kBox = 13;
  int boxY = (client.top + client.bottom - kBox) / 2;
  int boxX = leftText ? client.right - kBox : client.left;
  RECT box{boxX, boxY, boxX + kBox, boxY + kBox};
  if (check) {
    canvas.Fill(box, enabled ? kWhite : kFace);
    canvas.Sunken(box);
    if (button.check == BST_CHECKED) DrawCheckMark(canvas, box.left, box.top);
    if (button.check == BST_INDETERMINATE) canvas.Fill(RECT{box.left + 3, box.top + 3, box.right - 3, box.bottom - 3}, kShadow);
  } else {
    // A round button: a disc of radius 6 with a dot when checked.
    int cx = box.left + 6, cy = box.top + 6;
    for (int y = -6; y <= 6; ++y)
      for (int x = -6; x <= 6; ++x) {
        int d = x * x + y * y;
        COLORREF ring = d >= 26 ? (x + y < 0 ? kShadow : kHighlight) : d >= 17 ? (x + y < 0 ? kBlack : kFace)
                                                                                : enabled ? kWhite : kFace;
        if (d <= 36) canvas.Pixel(cx + x, cy + y, ring);
        if (button.check == BST_CHECKED && d <= 5) canvas.Pixel(cx + x, cy + y, kBlack);
      }
  }
  RECT label = leftText ? RECT{client.left, client.top, box.left - 3, client.bottom}
                        : RECT{box.right + 4, client.top, client.right, client.bottom};
  PlaceText(canvas, label, button.text, 0, true, text);
}

void DrawStatic(Canvas& canvas, const Window& control, const RECT& client, bool enabled) {
  DWORD type = control.style & SS_TYPEMASK;
  switch (type) {
    case SS_BLACKRECT: canvas.Fill(client, kBlack); return;
    case SS_GRAYRECT: canvas.Fill(client, kShadow); return;
    case SS_WHITERECT: canvas.Fill(client, kWhite); return;
    case SS_BLACKFRAME: canvas.Frame(client, kBlack); return;
    case SS_GRAYFRAME: canvas.Frame(client, kShadow); return;
    case SS_WHITEFRAME: canvas.Frame(client, kWhite); return;
    case SS_ETCHEDFRAME:
      canvas.Frame(Offset(client, 1, 1), kHighlight);
      canvas.Frame(client, kShadow);
      return;
    case SS_BITMAP: {
      int width, height;
      const std::vector<uint8_t>* rgb;
      if (BitmapPixels(control.image, &width, &height, &rgb)) {
        int x = client.left, y = client.top;
        if ((control.style & SS_CENTERIMAGE) != 0) {
          x = (client.left + client.right - width) / 2;
          y = (client.top + client.bottom - height) / 2;
        }
        canvas.Image(x, y, width, height, rgb->data());
      }
      return;
    }
    default: {
      int align = type == SS_CENTER ? 1 : type == SS_RIGHT ? 2 : 0;
      PlaceText(canvas, client, control.text, align, (control.style & SS_CENTERIMAGE) != 0,
                enabled ? kBlack : kGrayText);
      return;
    }
  }
}

void DrawDropArrow(Canvas& canvas, const RECT& r) {
  canvas.Fill(r, kFace);
  canvas.Raised(r);
  int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2 - 1;
  for (int i = 0; i < 4; ++i) canvas.Fill(RECT{cx - 3 + i, cy + i, cx + 4 - i, cy + i + 1}, kBlack);
}

void DrawTab(Canvas& canvas, const Window& tab, const RECT& client, bool enabled) {
  std::vector<RECT> labels = TabLabelRects(tab);
  int bodyTop = client.top + (labels.empty() ? 0 : labels[0].bottom);
  RECT body{client.left, bodyTop, client.right, client.bottom};
  canvas.Fill(body, kFace);
  canvas.Raised(body);
  for (size_t i = 0; i < labels.size(); ++i) {
    bool selected = int(i) == tab.selection;
    RECT r = Offset(labels[i], client.left, client.top);
    if (selected) r = RECT{r.left - 2, r.top - 2, r.right + 2, r.bottom + 1};
    canvas.Fill(r, kFace);
    canvas.Fill(RECT{r.left, r.top, r.right, r.top + 1}, kHighlight);
    canvas.Fill(RECT{r.left, r.top, r.left + 1, r.bottom}, kHighlight);
    canvas.Fill(RECT{r.right - 1, r.top, r.right, r.bottom}, kBlack);
    canvas.Fill(RECT{r.right - 2, r.top + 1, r.right - 1, r.bottom}, kShadow);
    PlaceText(canvas, r, tab.tabs[i].text, 1, true, enabled ? kBlack : kGrayText);
  }
}

void DrawTrackbar(Canvas& canvas, const Window& trackbar, const RECT& client, bool enabled) {
  bool vertical = (trackbar.style & TBS_VERT) != 0;
  RECT channel = vertical ? RECT{(client.left + client.right) / 2 - 2, client.top + 5, (client.left + client.right) / 2 + 2, client.bottom - 5}
                          : RECT{client.left + 5, (client.top + client.bottom) / 2 - 2, client.right - 5, (client.top + client.bottom) / 2 + 2};
  canvas.Fill(channel, kWhite);
  canvas.Sunken(channel);
  if ((trackbar.style & TBS_AUTOTICKS) != 0 && (trackbar.style & TBS_NOTICKS) == 0 && trackbar.ticFrequency > 0) {
    int range = trackbar.rangeMax - trackbar.rangeMin;
    for (int value = 0; range > 0 && value <= range; value += trackbar.ticFrequency) {
      Window at = trackbar;
      at.position = trackbar.rangeMin + value;
      RECT thumb = Offset(TrackbarThumbRect(at), client.left, client.top);
      if (vertical)
        canvas.Fill(RECT{client.right - 3, (thumb.top + thumb.bottom) / 2, client.right - 1, (thumb.top + thumb.bottom) / 2 + 1}, kBlack);
      else
        canvas.Fill(RECT{(thumb.left + thumb.right) / 2, client.bottom - 3, (thumb.left + thumb.right) / 2 + 1, client.bottom - 1}, kBlack);
    }
  }
  if ((trackbar.style & TBS_NOTHUMB) != 0) return;
  RECT thumb = Offset(TrackbarThumbRect(trackbar), client.left, client.top);
  canvas.Fill(thumb, enabled ? kFace : kShadow);
  canvas.Raised(thumb);
}

void DrawWindow(Canvas& canvas, HWND handle, const RECT& parentClip);

void DrawControl(Canvas& canvas, const Window& window, const RECT& outer, const RECT& client) {
  bool enabled = (window.style & WS_DISABLED) == 0;
  switch (window.kind) {
    case WindowClass::Dialog: {
      canvas.Fill(outer, kFace);
      RECT frame = FrameInsets(window);
      if (frame.left >= 2) canvas.Raised(outer);
      if ((window.style & WS_CAPTION) == WS_CAPTION) {
        RECT caption{client.left, outer.top + frame.left, client.right, client.top - 1};
        canvas.Fill(caption, kCaption);
        PlaceText(canvas, RECT{caption.left + 4, caption.top, caption.right, caption.bottom}, window.text, 0, true, kWhite);
      }
      return;
    }
    case WindowClass::Button: DrawButton(canvas, window, client, enabled); return;
    case WindowClass::Static: DrawStatic(canvas, window, client, enabled); return;
    case WindowClass::Edit:
      canvas.Fill(client, enabled && (window.style & ES_READONLY) == 0 ? kWhite : kFace);
      PlaceText(canvas, RECT{client.left + 2, client.top, client.right - 2, client.bottom}, window.text,
                (window.style & ES_CENTER) != 0 ? 1 : (window.style & ES_RIGHT) != 0 ? 2 : 0, true,
                enabled ? kBlack : kGrayText);
      return;
    case WindowClass::ComboBox: {
      canvas.Fill(client, enabled ? kWhite : kFace);
      canvas.Sunken(client);
      RECT arrow{client.right - 18, client.top + 2, client.right - 2, client.bottom - 2};
      DrawDropArrow(canvas, arrow);
      PlaceText(canvas, RECT{client.left + 4, client.top, arrow.left, client.bottom}, window.text, 0, true,
                enabled ? kBlack : kGrayText);
      return;
    }
    case WindowClass::Tab: DrawTab(canvas, window, client, enabled); return;
    case WindowClass::Trackbar: DrawTrackbar(canvas, window, client, enabled); return;
    case WindowClass::ListBox:
    case WindowClass::ScrollBar:
      canvas.Fill(client, kWhite);
      canvas.Sunken(client);
      return;
  }
}

void DrawBorder(Canvas& canvas, const Window& window, const RECT& outer) {
  if (window.kind == WindowClass::Dialog) return;
  RECT r = outer;
  if ((window.exStyle & WS_EX_CLIENTEDGE) != 0) {
    canvas.Sunken(r);
    r = RECT{r.left + 2, r.top + 2, r.right - 2, r.bottom - 2};
  }
  if ((window.exStyle & WS_EX_STATICEDGE) != 0) {
    canvas.Edge(r, kShadow, kHighlight);
    r = RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
  }
  if ((window.style & WS_BORDER) != 0) canvas.Frame(r, kBlack);
}

void DrawRecorded(Canvas& canvas, const Window& window, const RECT& client) {
  for (const HostDrawRecord& call : window.drawing) {
    int x1 = call.x1 + client.left, y1 = call.y1 + client.top;
    int x2 = call.x2 + client.left, y2 = call.y2 + client.top;
    bool pen = call.penStyle != PS_NULL;
    int width = std::max(1, call.penWidth);
    if (call.kind == HOST_DRAW_LINETO && pen) canvas.Line(x1, y1, x2, y2, call.penColour, width, call.rop2);
    if (call.kind != HOST_DRAW_RECTANGLE) continue;
    if (!call.brushNull) {
      for (int y = y1 + 1; y < y2 - 1; ++y)
        for (int x = x1 + 1; x < x2 - 1; ++x) canvas.Pixel(x, y, call.brushColour, call.rop2);
    }
    if (pen) {
      canvas.Line(x1, y1, x2 - 1, y1, call.penColour, width, call.rop2);
      canvas.Line(x2 - 1, y1, x2 - 1, y2 - 1, call.penColour, width, call.rop2);
      canvas.Line(x2 - 1, y2 - 1, x1, y2 - 1, call.penColour, width, call.rop2);
      canvas.Line(x1, y2 - 1, x1, y1, call.penColour, width, call.rop2);
    }
  }
}

void DrawWindow(Canvas& canvas, HWND handle, const RECT& parentClip) {
  Window* window = PeekWindowRecord(handle);
  if (window == nullptr || (window->style & WS_VISIBLE) == 0) return;
  RECT outer;
  GetWindowRect(handle, &outer);
  POINT origin = ClientOriginOnScreen(*window);
  RECT client{origin.x, origin.y, origin.x + ClientWidth(*window), origin.y + ClientHeight(*window)};
  RECT outerClip = Intersect(parentClip, outer);
  if (outerClip.left >= outerClip.right || outerClip.top >= outerClip.bottom) return;
  canvas.SetClip(outerClip);
  DrawBorder(canvas, *window, outer);
  DrawControl(canvas, *window, outer, client);
  RECT clientClip = Intersect(outerClip, client);
  canvas.SetClip(clientClip);
  if (!window->picture.empty())
    canvas.Image(client.left, client.top, window->pictureWidth, window->pictureHeight, window->picture.data());
  // Children paint in creation order, each over the ones before it (a page
  // created after its tab control shows over the control's display area).
  std::vector<HWND> children = window->children;
  for (HWND child : children) DrawWindow(canvas, child, clientClip);
  canvas.SetClip(clientClip);
  DrawRecorded(canvas, *window, client);
}

bool WritePng(const char* path, const Canvas& canvas) {
  FILE* file = fopen(path, "wb");
  if (file == nullptr) {
    fprintf(stderr, "HostRenderWindowToPng: cannot create %s\n", path);
    return false;
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  if (info == nullptr || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    fclose(file);
    fprintf(stderr, "HostRenderWindowToPng: cannot write %s\n", path);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, png_uint_32(canvas.width()), png_uint_32(canvas.height()), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < canvas.height(); ++y)
    png_write_row(png, canvas.rgb().data() + size_t(y) * size_t(canvas.width()) * 3);
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return fclose(file) == 0;
}

}  // namespace

int TextWidth(const std::string& text) {
  int width = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char c = (unsigned char)text[i];
    if (c == '&' && i + 1 < text.size() && text[++i] != '&') c = (unsigned char)text[i];
    width += Advance(c);
  }
  return width;
}

}  // namespace host

using namespace host;

HOSTAPI BOOL HostRenderWindowToPng(HWND handle, const char* path) {
  if (path == nullptr || FindWindowRecord(handle) == nullptr) return FALSE;
  PaintTree(handle);
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  RECT outer;
  GetWindowRect(handle, &outer);
  int width = outer.right - outer.left, height = outer.bottom - outer.top;
  if (width <= 0 || height <= 0) {
    fprintf(stderr, "HostRenderWindowToPng: the window has no area\n");
    return FALSE;
  }
  Canvas canvas(width, height, POINT{outer.left, outer.top});
  // The window is drawn as if it and its parents were visible.
  Window* window = PeekWindowRecord(handle);
  DWORD style = window->style;
  window->style |= WS_VISIBLE;
  DrawWindow(canvas, handle, canvas.clip());
  window->style = style;
  return WritePng(path, canvas) ? TRUE : FALSE;
}

HOSTAPI BOOL HostSetWindowPicture(HWND handle, const void* pixels, int width, int height, int bands,
                                  int bytesPerRow) {
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  Window* window = FindWindowRecord(handle);
  if (window == nullptr) return FALSE;
  if (pixels == nullptr || width <= 0 || height <= 0) {
    window->picture.clear();
    window->pictureWidth = window->pictureHeight = 0;
    MarkForPaint(*window);
    return TRUE;
  }
  if ((bands != 1 && bands != 3) || bytesPerRow < width * bands || (long long)width * height > (1 << 26)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  window->picture.resize(size_t(width) * size_t(height) * 3);
  const uint8_t* source = static_cast<const uint8_t*>(pixels);
  uint8_t* out = window->picture.data();
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = source + size_t(y) * size_t(bytesPerRow);
    for (int x = 0; x < width; ++x, out += 3) {
      const uint8_t* p = row + size_t(x) * size_t(bands);
      out[0] = p[0];
      out[1] = bands == 3 ? p[1] : p[0];
      out[2] = bands == 3 ? p[2] : p[0];
    }
  }
  window->pictureWidth = width;
  window->pictureHeight = height;
  MarkForPaint(*window);
  return TRUE;
}
