// Painting a display's picture into a window: the one place where the
// simulator meets the platform's windowing. On the host the window manager
// keeps the picture (HostSetWindowPicture), so that a rendering of the window
// shows the live video; on Windows the window paints it with GDI (StretchDIBits)
// at every WM_PAINT.
#include "simulator.h"

#if defined(_WIN32)
#include <windows.h>

#include <map>
#include <mutex>
#else
#include "platform/host/display_bridge.h"
#endif

namespace sim {

#if defined(_WIN32)

namespace {

// A window's newest picture as a top-down 24-bit DIB (blue, green, red, rows
// padded to four bytes), and the window procedure it had before the picture.
struct WindowPicture {
  WNDPROC previous = nullptr;
  BITMAPINFO info = {};
  std::vector<uint8_t> rows;
};

// The pictures by window. Grab threads store frames here while the window's
// own thread paints them, so the map has a lock of its own, never held while
// a window procedure runs.
std::mutex picturesLock;
std::map<HWND, WindowPicture> pictures;

LRESULT CALLBACK PictureWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  WNDPROC previous = DefWindowProcA;
  {
    std::lock_guard<std::mutex> lock(picturesLock);
    auto found = pictures.find(window);
    if (found != pictures.end()) previous = found->second.previous;
    if (found != pictures.end() && message == WM_NCDESTROY) {
      SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
      pictures.erase(found);
    }
  }
  if (message != WM_PAINT) return CallWindowProcA(previous, window, message, wParam, lParam);
  // BeginPaint may send WM_ERASEBKGND through this procedure: no lock here.
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  {
    std::lock_guard<std::mutex> lock(picturesLock);
    auto found = pictures.find(window);
    if (dc != nullptr && found != pictures.end()) {
      const BITMAPINFOHEADER& header = found->second.info.bmiHeader;
      int32_t width = header.biWidth;
      int32_t height = -header.biHeight;
      StretchDIBits(dc, 0, 0, width, height, 0, 0, width, height, found->second.rows.data(),
                    &found->second.info, DIB_RGB_COLORS, SRCCOPY);
    }
  }
  EndPaint(window, &paint);
  return 0;
}

// The picture as the DIB that WM_PAINT draws.
void StoreDib(const Picture& picture, WindowPicture& stored) {
  size_t stride = (static_cast<size_t>(picture.width) * 3 + 3) & ~size_t(3);
  stored.rows.assign(stride * picture.height, 0);
  for (int32_t y = 0; y < picture.height; ++y) {
    for (int32_t x = 0; x < picture.width; ++x) {
      const uint8_t* in =
          &picture.pixels[(static_cast<size_t>(y) * picture.width + x) * picture.bands];
      uint8_t* out = &stored.rows[y * stride + static_cast<size_t>(x) * 3];
      out[0] = in[picture.bands == 3 ? 2 : 0];
      out[1] = in[picture.bands == 3 ? 1 : 0];
      out[2] = in[0];
    }
  }
  BITMAPINFOHEADER& header = stored.info.bmiHeader;
  header.biSize = sizeof(BITMAPINFOHEADER);
  header.biWidth = picture.width;
  header.biHeight = -picture.height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
}

}  // namespace

// The window is subclassed while it shows a picture, and its WM_PAINT draws
// the newest one; a new frame only invalidates the window, so the drawing
// happens on the window's own thread, in the application's message loop, and
// a window that is uncovered or moved shows the picture again. Only the
// window's own thread (selecting, zooming, deselecting) subclasses it or
// restores it: a grab thread's frame for a window without a picture, which a
// deselection overtook, is dropped.
void PaintWindowPicture(MIL_WINDOW_HANDLE window, const Picture& picture) {
  HWND handle = static_cast<HWND>(window);
  bool ownThread = GetWindowThreadProcessId(handle, nullptr) == GetCurrentThreadId();
  // The background is erased when the picture goes or changes its size.
  bool erase = true;
  {
    std::lock_guard<std::mutex> lock(picturesLock);
    auto found = pictures.find(handle);
    if (picture.pixels.empty()) {
      if (found == pictures.end()) return;
      if (GetWindowLongPtrA(handle, GWLP_WNDPROC) ==
          reinterpret_cast<LONG_PTR>(PictureWindowProc)) {
        SetWindowLongPtrA(handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(found->second.previous));
      }
      pictures.erase(found);
    } else if (found != pictures.end()) {
      const BITMAPINFOHEADER& header = found->second.info.bmiHeader;
      erase = header.biWidth != picture.width || -header.biHeight != picture.height;
      StoreDib(picture, found->second);
    } else {
      if (!ownThread || !IsWindow(handle)) return;
      WindowPicture& stored = pictures[handle];
      StoreDib(picture, stored);
      stored.previous = reinterpret_cast<WNDPROC>(
          SetWindowLongPtrA(handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PictureWindowProc)));
    }
  }
  InvalidateRect(handle, nullptr, erase ? TRUE : FALSE);
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
