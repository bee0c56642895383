// Painting a display's picture into a window: the one place where the
// simulator meets the platform's windowing. On the host the window manager
// keeps the picture (HostSetWindowPicture), so that a rendering of the window
// shows the live video; on Windows it is drawn into the window with GDI.
#include "simulator.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include "platform/host/display_bridge.h"
#endif

namespace sim {

#if defined(_WIN32)

void PaintWindowPicture(MIL_WINDOW_HANDLE window, const Picture& picture) {
  HWND handle = static_cast<HWND>(window);
  if (picture.pixels.empty()) {
    InvalidateRect(handle, nullptr, TRUE);
    return;
  }
  // A top-down 24-bit DIB: blue, green, red, rows padded to four bytes.
  size_t stride = (static_cast<size_t>(picture.width) * 3 + 3) & ~size_t(3);
  std::vector<uint8_t> rows(stride * picture.height);
  for (int32_t y = 0; y < picture.height; ++y) {
    for (int32_t x = 0; x < picture.width; ++x) {
      const uint8_t* in = &picture.pixels[(static_cast<size_t>(y) * picture.width + x) * picture.bands];
      uint8_t* out = &rows[y * stride + static_cast<size_t>(x) * 3];
      out[0] = in[picture.bands == 3 ? 2 : 0];
      out[1] = in[picture.bands == 3 ? 1 : 0];
      out[2] = in[0];
    }
  }
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = picture.width;
  info.bmiHeader.biHeight = -picture.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  HDC dc = GetDC(handle);
  if (dc == nullptr) return;
  SetDIBitsToDevice(dc, 0, 0, picture.width, picture.height, 0, 0, 0, picture.height, rows.data(),
                    &info, DIB_RGB_COLORS);
  ReleaseDC(handle, dc);
}

#else

void PaintWindowPicture(MIL_WINDOW_HANDLE window, const Picture& picture) {
  HWND handle = static_cast<HWND>(window);
  if (picture.pixels.empty()) {
    HostSetWindowPicture(handle, nullptr, 0, 0, 0, 0);
  } else {
    HostSetWindowPicture(handle, picture.pixels.data(), picture.width, picture.height, picture.bands,
                         picture.width * picture.bands);
  }
}

#endif

}  // namespace sim
