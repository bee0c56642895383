// GDI: device contexts of the screen and of windows, pens, brushes and stock
// objects, lines and rectangles recorded per window, bitmaps from resources.
//
// Differs from Windows: there is one screen, 1024 x 768 pixels of 32 bits at
// 96 dots an inch, and GetDeviceCaps answers it for every context; drawing is
// not rasterised but recorded in the window's list of calls (render.cpp draws
// that list), and BeginPaint starts the list afresh, as the whole window is
// repainted; drawing on the screen's context is dropped; there are no memory
// contexts, fonts or palettes beyond the stock handles; deleting an object
// that is still selected into a context fails and keeps it alive; LoadImageA
// loads bitmaps at their own size only.
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/host/win32_modules.h"
#include "platform/host/windowing.h"

namespace host {
namespace {

enum class ObjectKind { Pen, Brush, Bitmap, Font, Palette };

struct GdiObject {
  ObjectKind kind;
  bool stock = false;
  int penStyle = PS_SOLID;
  int penWidth = 0;
  COLORREF colour = 0;
  bool nullBrush = false;
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;  // bitmaps: packed RGB rows, top row first
};

struct DeviceContext {
  HWND window = nullptr;  // null for the screen
  HGDIOBJ pen = nullptr;
  HGDIOBJ brush = nullptr;
  HGDIOBJ font = nullptr;
  POINT position{0, 0};
  int rop2 = R2_COPYPEN;
};

constexpr int kStockObjects = DC_PEN + 1;

struct Gdi {
  std::map<uintptr_t, std::unique_ptr<GdiObject>> objects;
  std::map<uintptr_t, std::unique_ptr<DeviceContext>> contexts;
  uintptr_t nextHandle = 0x200000;
  HGDIOBJ stock[kStockObjects] = {};
  DeviceContext screen;

  Gdi() {
    struct StockEntry {
      int index;
      ObjectKind kind;
      COLORREF colour;
      int penStyle;
      bool nullBrush;
    };
    const StockEntry entries[] = {
        {WHITE_BRUSH, ObjectKind::Brush, RGB(255, 255, 255), 0, false},
        {LTGRAY_BRUSH, ObjectKind::Brush, RGB(192, 192, 192), 0, false},
        {GRAY_BRUSH, ObjectKind::Brush, RGB(128, 128, 128), 0, false},
        {DKGRAY_BRUSH, ObjectKind::Brush, RGB(64, 64, 64), 0, false},
        {BLACK_BRUSH, ObjectKind::Brush, RGB(0, 0, 0), 0, false},
        {NULL_BRUSH, ObjectKind::Brush, 0, 0, true},
        {WHITE_PEN, ObjectKind::Pen, RGB(255, 255, 255), PS_SOLID, false},
        {BLACK_PEN, ObjectKind::Pen, RGB(0, 0, 0), PS_SOLID, false},
        {NULL_PEN, ObjectKind::Pen, 0, PS_NULL, false},
        {OEM_FIXED_FONT, ObjectKind::Font, 0, 0, false},
        {ANSI_FIXED_FONT, ObjectKind::Font, 0, 0, false},
        {ANSI_VAR_FONT, ObjectKind::Font, 0, 0, false},
        {SYSTEM_FONT, ObjectKind::Font, 0, 0, false},
        {DEVICE_DEFAULT_FONT, ObjectKind::Font, 0, 0, false},
        {DEFAULT_PALETTE, ObjectKind::Palette, 0, 0, false},
        {SYSTEM_FIXED_FONT, ObjectKind::Font, 0, 0, false},
        {DEFAULT_GUI_FONT, ObjectKind::Font, 0, 0, false},
        {DC_BRUSH, ObjectKind::Brush, RGB(255, 255, 255), 0, false},
        {DC_PEN, ObjectKind::Pen, RGB(0, 0, 0), PS_SOLID, false},
    };
    for (const StockEntry& entry : entries) {
      auto object = std::make_unique<GdiObject>();
      object->kind = entry.kind;
      object->stock = true;
      object->colour = entry.colour;
      object->penStyle = entry.penStyle;
      object->nullBrush = entry.nullBrush;
      stock[entry.index] = Add(std::move(object));
    }
    Defaults(&screen);
  }

  HGDIOBJ Add(std::unique_ptr<GdiObject> object) {
    HGDIOBJ handle = reinterpret_cast<HGDIOBJ>(nextHandle);
    nextHandle += 0x10;
    objects.emplace(reinterpret_cast<uintptr_t>(handle), std::move(object));
    return handle;
  }

  void Defaults(DeviceContext* context) {
    context->pen = stock[BLACK_PEN];
    context->brush = stock[WHITE_BRUSH];
    context->font = stock[SYSTEM_FONT];
  }
};

// Guarded by WindowLock, like the windows the contexts draw on.
Gdi& TheGdi() {
  static Gdi* gdi = new Gdi;  // outlives every static destructor
  return *gdi;
}

GdiObject* ObjectOf(HGDIOBJ handle) {
  auto& objects = TheGdi().objects;
  auto it = objects.find(reinterpret_cast<uintptr_t>(handle));
  return it == objects.end() ? nullptr : it->second.get();
}

DeviceContext* ContextOf(HDC dc) {
  Gdi& gdi = TheGdi();
  if (dc == reinterpret_cast<HDC>(&gdi.screen)) return &gdi.screen;
  auto it = gdi.contexts.find(reinterpret_cast<uintptr_t>(dc));
  return it == gdi.contexts.end() ? nullptr : it->second.get();
}

HDC OpenContext(HWND window) {
  Gdi& gdi = TheGdi();
  auto context = std::make_unique<DeviceContext>();
  context->window = window;
  gdi.Defaults(context.get());
  HDC handle = reinterpret_cast<HDC>(gdi.nextHandle);
  gdi.nextHandle += 0x10;
  gdi.contexts.emplace(reinterpret_cast<uintptr_t>(handle), std::move(context));
  return handle;
}

bool IsSelected(HGDIOBJ object) {
  Gdi& gdi = TheGdi();
  if (gdi.screen.pen == object || gdi.screen.brush == object) return true;
  for (auto& entry : gdi.contexts) {
    if (entry.second->pen == object || entry.second->brush == object) return true;
  }
  return false;
}

// Appends a drawing call to the context's window; false for no context.
BOOL Record(HDC dc, int kind, int x1, int y1, int x2, int y2) {
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  DeviceContext* context = ContextOf(dc);
  if (context == nullptr) return FALSE;
  if (context->window == nullptr) return TRUE;  // the screen keeps nothing
  Window* window = PeekWindowRecord(context->window);
  if (window == nullptr) return FALSE;
  GdiObject* pen = ObjectOf(context->pen);
  GdiObject* brush = ObjectOf(context->brush);
  window->drawing.push_back(HostDrawRecord{kind, x1, y1, x2, y2, pen->penStyle, pen->penWidth, pen->colour,
                                           brush->nullBrush, brush->colour, context->rop2});
  return TRUE;
}

DWORD ReadDword(const BYTE* at) { return DWORD(at[0] | (at[1] << 8) | (at[2] << 16) | (DWORD(at[3]) << 24)); }
WORD ReadWord(const BYTE* at) { return WORD(at[0] | (at[1] << 8)); }

// A packed device-independent bitmap (header, colour table, bits) as RGB.
bool DecodeDib(const BYTE* data, size_t size, GdiObject* bitmap) {
  if (data == nullptr || size < 40) return false;
  DWORD headerSize = ReadDword(data);
  LONG width = LONG(ReadDword(data + 4)), height = LONG(ReadDword(data + 8));
  WORD planes = ReadWord(data + 12), bits = ReadWord(data + 14);
  DWORD compression = ReadDword(data + 16), used = ReadDword(data + 32);
  if (headerSize < 40 || headerSize > size || planes != 1 || compression != BI_RGB) return false;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return false;
  bool bottomUp = height > 0;
  long long rows = bottomUp ? height : -(long long)height;
  if (width <= 0 || rows <= 0 || (long long)width * rows > (1 << 26)) return false;
  size_t colours = bits <= 8 ? (used != 0 && used <= (1u << bits) ? used : (1u << bits)) : 0;
  size_t stride = ((size_t(width) * bits + 31) / 32) * 4;
  size_t bitsAt = headerSize + colours * 4;
  if (bitsAt > size || (size - bitsAt) / stride < size_t(rows)) return false;
  const BYTE* palette = data + headerSize;
  bitmap->width = int(width);
  bitmap->height = int(rows);
  bitmap->rgb.assign(size_t(width) * size_t(rows) * 3, 0);
  for (long long y = 0; y < rows; ++y) {
    const BYTE* row = data + bitsAt + stride * size_t(bottomUp ? rows - 1 - y : y);
    uint8_t* out = bitmap->rgb.data() + size_t(y) * size_t(width) * 3;
    for (LONG x = 0; x < width; ++x, out += 3) {
      if (bits <= 8) {
        size_t index = (row[size_t(x) * bits / 8] >> (8 - bits - (size_t(x) * bits) % 8)) & ((1u << bits) - 1);
        if (index >= colours) continue;
        out[0] = palette[index * 4 + 2];
        out[1] = palette[index * 4 + 1];
        out[2] = palette[index * 4];
      } else {
        const BYTE* pixel = row + size_t(x) * (bits / 8);
        out[0] = pixel[2];
        out[1] = pixel[1];
        out[2] = pixel[0];
      }
    }
  }
  return true;
}

HBITMAP AddBitmap(const BYTE* data, size_t size) {
  auto bitmap = std::make_unique<GdiObject>();
  bitmap->kind = ObjectKind::Bitmap;
  if (!DecodeDib(data, size, bitmap.get())) {
    SetLastError(ERROR_INVALID_DATA);
    return nullptr;
  }
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  return TheGdi().Add(std::move(bitmap));
}

}  // namespace

bool BitmapPixels(HGDIOBJ handle, int* width, int* height, const std::vector<uint8_t>** rgb) {
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  GdiObject* object = ObjectOf(handle);
  if (object == nullptr || object->kind != ObjectKind::Bitmap) return false;
  *width = object->width;
  *height = object->height;
  *rgb = &object->rgb;
  return true;
}

void ReleaseWindowContexts(HWND window) {
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  auto& contexts = TheGdi().contexts;
  for (auto it = contexts.begin(); it != contexts.end();)
    it = it->second->window == window ? contexts.erase(it) : std::next(it);
}

}  // namespace host

using namespace host;

HOSTAPI HDC WINAPI GetDC(HWND window) {
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  if (window == nullptr) return reinterpret_cast<HDC>(&TheGdi().screen);
  if (FindWindowRecord(window) == nullptr) return nullptr;
  return OpenContext(window);
}

HOSTAPI int WINAPI ReleaseDC(HWND window, HDC dc) {
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  Gdi& gdi = TheGdi();
  if (dc == reinterpret_cast<HDC>(&gdi.screen)) return 1;
  DeviceContext* context = ContextOf(dc);
  if (context == nullptr || context->window != window) return 0;
  gdi.contexts.erase(reinterpret_cast<uintptr_t>(dc));
  return 1;
}

HOSTAPI int WINAPI GetDeviceCaps(HDC dc, int index) {
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  if (ContextOf(dc) == nullptr) return 0;
  switch (index) {
    case DRIVERVERSION: return 0x4000;
    case HORZRES: return kScreenWidth;
    case VERTRES: return kScreenHeight;
    case BITSPIXEL: return 32;
    case PLANES: return 1;
    case NUMCOLORS: return -1;  // more than 256 colours
    case LOGPIXELSX:
    case LOGPIXELSY: return 96;
    case SIZEPALETTE: return 0;  // no palette device
    case VREFRESH: return 60;
    default: return 0;
  }
}

HOSTAPI HDC WINAPI BeginPaint(HWND window, LPPAINTSTRUCT paint) {
  Window* record = FindWindowRecord(window);
  if (record == nullptr || paint == nullptr) return nullptr;
  HDC dc;
  {
    std::lock_guard<std::recursive_mutex> lock(WindowLock());
    record->needsPaint = false;
    record->drawing.clear();
    dc = OpenContext(window);
  }
  memset(paint, 0, sizeof *paint);
  paint->hdc = dc;
  paint->fErase = SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) == 0;
  if ((record = PeekWindowRecord(window)) != nullptr)
    paint->rcPaint = RECT{0, 0, ClientWidth(*record), ClientHeight(*record)};
  return dc;
}

HOSTAPI BOOL WINAPI EndPaint(HWND window, const PAINTSTRUCT* paint) {
  if (paint == nullptr) return FALSE;
  ReleaseDC(window, paint->hdc);
  return TRUE;
}

HOSTAPI HPEN WINAPI CreatePen(int style, int width, COLORREF colour) {
  if (style < PS_SOLID || style > PS_INSIDEFRAME) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto pen = std::make_unique<GdiObject>();
  pen->kind = ObjectKind::Pen;
  pen->penStyle = style;
  pen->penWidth = width > 0 ? width : 0;
  pen->colour = colour & 0x00FFFFFF;
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  return TheGdi().Add(std::move(pen));
}

HOSTAPI HBRUSH WINAPI CreateSolidBrush(COLORREF colour) {
  auto brush = std::make_unique<GdiObject>();
  brush->kind = ObjectKind::Brush;
  brush->colour = colour & 0x00FFFFFF;
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  return TheGdi().Add(std::move(brush));
}

HOSTAPI HGDIOBJ WINAPI GetStockObject(int object) {
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  return object >= 0 && object < kStockObjects ? TheGdi().stock[object] : nullptr;
}

HOSTAPI HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ handle) {
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  DeviceContext* context = ContextOf(dc);
  GdiObject* object = ObjectOf(handle);
  if (context == nullptr || object == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  HGDIOBJ* slot = nullptr;
  switch (object->kind) {
    case ObjectKind::Pen: slot = &context->pen; break;
    case ObjectKind::Brush: slot = &context->brush; break;
    case ObjectKind::Font: slot = &context->font; break;
    case ObjectKind::Bitmap:  // only memory contexts take bitmaps
    case ObjectKind::Palette: return nullptr;
  }
  HGDIOBJ previous = *slot;
  *slot = handle;
  return previous;
}

HOSTAPI BOOL WINAPI DeleteObject(HGDIOBJ handle) {
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  GdiObject* object = ObjectOf(handle);
  if (object == nullptr) return FALSE;
  if (object->stock) return TRUE;
  if (IsSelected(handle)) {
    fprintf(stderr, "DeleteObject: object %p is still selected into a device context\n", handle);
    return FALSE;
  }
  TheGdi().objects.erase(reinterpret_cast<uintptr_t>(handle));
  return TRUE;
}

HOSTAPI int WINAPI GetObjectA(HANDLE handle, int size, LPVOID buffer) {
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  GdiObject* object = ObjectOf(static_cast<HGDIOBJ>(handle));
  if (object == nullptr || object->kind != ObjectKind::Bitmap) return 0;
  if (buffer == nullptr) return int(sizeof(BITMAP));
  if (size < int(sizeof(BITMAP))) return 0;
  BITMAP info{0, object->width, object->height, object->width * 4, 1, 32, nullptr};
  memcpy(buffer, &info, sizeof info);
  return int(sizeof(BITMAP));
}

HOSTAPI int WINAPI SetROP2(HDC dc, int mode) {
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  DeviceContext* context = ContextOf(dc);
  if (context == nullptr || mode < R2_BLACK || mode > R2_WHITE) return 0;
  int previous = context->rop2;
  context->rop2 = mode;
  return previous;
}

HOSTAPI int WINAPI GetROP2(HDC dc) {
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  DeviceContext* context = ContextOf(dc);
  return context == nullptr ? 0 : context->rop2;
}

HOSTAPI BOOL WINAPI MoveToEx(HDC dc, int x, int y, LPPOINT previous) {
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  DeviceContext* context = ContextOf(dc);
  if (context == nullptr) return FALSE;
  if (previous != nullptr) *previous = context->position;
  context->position = POINT{x, y};
  return Record(dc, HOST_DRAW_MOVETO, x, y, x, y);
}

HOSTAPI BOOL WINAPI LineTo(HDC dc, int x, int y) {
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  DeviceContext* context = ContextOf(dc);
  if (context == nullptr) return FALSE;
  POINT from = context->position;
  context->position = POINT{x, y};
  return Record(dc, HOST_DRAW_LINETO, from.x, from.y, x, y);
}

HOSTAPI BOOL WINAPI Rectangle(HDC dc, int left, int top, int right, int bottom) {
  return Record(dc, HOST_DRAW_RECTANGLE, left, top, right, bottom);
}

HOSTAPI HANDLE WINAPI LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int, int, UINT options) {
  if (type != IMAGE_BITMAP || name == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if ((options & LR_LOADFROMFILE) != 0) {
    // A .bmp file: the 14-byte file header, then the packed bitmap.
    FILE* file = fopen(name, "rb");
    if (file == nullptr) {
      SetLastError(ERROR_FILE_NOT_FOUND);
      return nullptr;
    }
    std::vector<BYTE> bytes;
    BYTE buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, file)) > 0;) bytes.insert(bytes.end(), buffer, buffer + n);
    fclose(file);
    if (bytes.size() < 14 || bytes[0] != 'B' || bytes[1] != 'M') {
      SetLastError(ERROR_INVALID_DATA);
      return nullptr;
    }
    return AddBitmap(bytes.data() + 14, bytes.size() - 14);
  }
  HRSRC resource = FindResourceA(instance, name, RT_BITMAP);
  if (resource == nullptr) return nullptr;
  const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(instance, resource)));
  return AddBitmap(data, SizeofResource(instance, resource));
}

HOSTAPI HBITMAP WINAPI LoadBitmapA(HINSTANCE instance, LPCSTR bitmapName) {
  return static_cast<HBITMAP>(LoadImageA(instance, bitmapName, IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
}

// Testing controls.

HOSTAPI size_t HostLiveGdiObjectCount(void) {
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  size_t count = 0;
  for (auto& entry : TheGdi().objects) count += entry.second->stock ? 0 : 1;
  return count;
}

HOSTAPI size_t HostOpenDeviceContextCount(void) {
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  return TheGdi().contexts.size();
}

HOSTAPI size_t HostDrawCallCount(HWND window) {
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  Window* record = PeekWindowRecord(window);
  return record == nullptr ? 0 : record->drawing.size();
}

HOSTAPI BOOL HostGetDrawCall(HWND window, size_t index, HostDrawRecord* call) {
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  Window* record = PeekWindowRecord(window);
  if (record == nullptr || call == nullptr || index >= record->drawing.size()) return FALSE;
  *call = record->drawing[index];
  return TRUE;
}

HOSTAPI void HostClearDrawing(HWND window) {
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  if (Window* record = PeekWindowRecord(window)) record->drawing.clear();
}
