// A display that shows a buffer in a window hands each frame to the host's
// window manager, so that a rendering of the window shows the live video.
#include <png.h>

#include <cstdio>
#include <vector>

#include "simulator_fixture.h"

namespace {

INT_PTR CALLBACK PlainDialog(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// A visible pop-up dialog without controls, built as a DLGTEMPLATEEX.
HWND CreatePlainWindow() {
  const DWORD style = WS_POPUP | WS_VISIBLE;
  static const WORD dialog[] = {1, 0xFFFF, 0, 0, 0, 0, LOWORD(style), HIWORD(style),
                                0, 0, 0, 120, 60, 0, 0, 0};
  return CreateDialogIndirectParamA(nullptr, reinterpret_cast<LPCDLGTEMPLATEA>(dialog), nullptr,
                                    PlainDialog, 0);
}

struct Rendering {
  Rendering(HWND window, const std::string& path) {
    if (!HostRenderWindowToPng(window, path.c_str())) return;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return;
    image.format = PNG_FORMAT_RGB;
    pixels.resize(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) width = int(image.width);
    std::remove(path.c_str());
    // Where the client area starts within the rendering.
    RECT frame{};
    POINT client{0, 0};
    GetWindowRect(window, &frame);
    ClientToScreen(window, &client);
    left = client.x - frame.left;
    top = client.y - frame.top;
  }
  std::vector<int> At(int x, int y) const {
    const png_byte* p = &pixels[(size_t(top + y) * size_t(width) + size_t(left + x)) * 3];
    return {p[0], p[1], p[2]};
  }
  int width = 0, left = 0, top = 0;
  std::vector<png_byte> pixels;
};

TEST_F(SimulatorTest, DisplayedFramesReachTheWindow) {
  HWND window = CreatePlainWindow();
  ASSERT_NE(window, nullptr);
  std::string path = testing::TempDir() + "imaging_window.png";
  MIL_ID digitizer = AllocDigitizer(24, "M_PAL_RGB");
  MIL_ID image = AllocImage(digitizer);
  MIL_ID display = mil.MdispAlloc(system_, M_DEFAULT_FLAG, "M_DEFAULT", M_DEFAULT_FLAG, nullptr);
  mil.MdigGrab(digitizer, image);
  mil.MdispSelectWindow(display, image, window);
  Rendering selected(window, path);
  ASSERT_GT(selected.width, 0);
  EXPECT_EQ(selected.At(10, 5), (std::vector<int>{10, 5, 15})) << "the frame grabbed before";

  mil.MdigGrab(digitizer, image);
  EXPECT_EQ(Rendering(window, path).At(10, 5), (std::vector<int>{11, 6, 16})) << "each new frame";

  mil.MdispZoom(display, 2, 2);
  EXPECT_EQ(Rendering(window, path).At(21, 11), (std::vector<int>{11, 6, 16})) << "zoomed by 2";
  mil.MdispZoom(display, -2, -2);
  EXPECT_EQ(Rendering(window, path).At(5, 3), (std::vector<int>{11, 7, 17})) << "every second pixel";

  // A continuous grab keeps the window current; a halt leaves the last frame.
  mil.MdigGrabContinuous(digitizer, image);
  while (sim.FrameCount(digitizer) < 6) mil.MdigInquire(digitizer, 1002, nullptr);
  mil.MdigHalt(digitizer);
  int last = static_cast<int>(sim.FrameCount(digitizer)) - 1;
  EXPECT_EQ(Rendering(window, path).At(0, 0), (std::vector<int>{last, last, last}));

  mil.MdispDeselect(display, image);
  EXPECT_NE(Rendering(window, path).At(0, 0), (std::vector<int>{last, last, last}))
      << "deselecting takes the picture away";
  mil.MdispSelectWindow(display, image, window);
  mil.MbufFree(image);
  EXPECT_NE(Rendering(window, path).At(0, 0), (std::vector<int>{last, last, last}))
      << "so does freeing the buffer";
  DestroyWindow(window);
}

}  // namespace
