// GDI recording per window, objects and contexts, bitmaps from resources,
// and rendering a dialog to PNG, read back with libpng.
#include <png.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "platform/host/display_bridge.h"
#include "windows_fixture.h"

namespace {

// Paints a red line, a hollow square and an XOR line on the dialog.
INT_PTR PaintFigure(HWND window, UINT message, WPARAM, LPARAM) {
  if (message != WM_PAINT) return FALSE;
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  HPEN red = CreatePen(PS_SOLID, 0, RGB(255, 0, 0));
  HGDIOBJ oldPen = SelectObject(dc, red);
  MoveToEx(dc, 200, 150, nullptr);
  LineTo(dc, 250, 150);
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
  Rectangle(dc, 10, 10, 20, 20);
  SetROP2(dc, R2_XORPEN);
  LineTo(dc, 250, 160);
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  DeleteObject(red);
  EndPaint(window, &paint);
  return TRUE;
}

struct Png {
  explicit Png(const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return;
    image.format = PNG_FORMAT_RGB;
    pixels.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return;
    width = int(image.width);
    height = int(image.height);
  }
  COLORREF At(int x, int y) const {
    const png_byte* p = &pixels[(size_t(y) * size_t(width) + size_t(x)) * 3];
    return RGB(p[0], p[1], p[2]);
  }
  int width = 0, height = 0;
  std::vector<png_byte> pixels;
};

std::string TempPng(const char* name) { return testing::TempDir() + name; }

TEST_F(WindowsTest, DrawingCallsAreRecordedPerWindowWithTheirPens) {
  handler_ = PaintFigure;
  HWND dialog = CreateMainDialog();
  ShowWindow(dialog, SW_SHOW);
  UpdateWindow(dialog);
  ASSERT_EQ(HostDrawCallCount(dialog), 4u);
  HostDrawRecord calls[4];
  for (size_t i = 0; i < 4; ++i) ASSERT_TRUE(HostGetDrawCall(dialog, i, &calls[i]));
  EXPECT_EQ(calls[0].kind, HOST_DRAW_MOVETO);
  EXPECT_EQ(calls[0].x1, 200);
  EXPECT_EQ(calls[0].penColour, DWORD(RGB(255, 0, 0)));
  EXPECT_EQ(calls[1].kind, HOST_DRAW_LINETO);
  EXPECT_EQ((std::vector<int>{calls[1].x1, calls[1].y1, calls[1].x2, calls[1].y2}),
            (std::vector<int>{200, 150, 250, 150}));
  EXPECT_EQ(calls[1].penStyle, PS_SOLID);
  EXPECT_EQ(calls[1].penWidth, 0);
  EXPECT_EQ(calls[1].rop2, R2_COPYPEN);
  EXPECT_EQ(calls[2].kind, HOST_DRAW_RECTANGLE);
  EXPECT_TRUE(calls[2].brushNull);
  EXPECT_EQ((std::vector<int>{calls[2].x1, calls[2].y1, calls[2].x2, calls[2].y2}),
            (std::vector<int>{10, 10, 20, 20}));
  EXPECT_EQ(calls[3].rop2, R2_XORPEN);
  EXPECT_EQ(calls[3].y1, 150) << "LineTo starts where the last one ended";
  EXPECT_EQ(HostDrawCallCount(Item(dialog, IDOK)), 0u);

  // A new paint replaces the picture.
  InvalidateRect(dialog, nullptr, TRUE);
  UpdateWindow(dialog);
  EXPECT_EQ(HostDrawCallCount(dialog), 4u);
  EXPECT_EQ(HostLiveGdiObjectCount(), 1u) << "the ramp bitmap of the static";
  DestroyWindow(dialog);
  EXPECT_EQ(HostLiveGdiObjectCount(), 0u);
}

TEST_F(WindowsTest, GdiObjectsAndContextsLiveUntilReleased) {
  HWND dialog = CreateMainDialog();
  HDC dc = GetDC(dialog);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 1024);
  EXPECT_EQ(HostOpenDeviceContextCount(), 1u);
  size_t objects = HostLiveGdiObjectCount();
  HPEN pen = CreatePen(PS_DOT, 2, RGB(1, 2, 3));
  HGDIOBJ previous = SelectObject(dc, pen);
  EXPECT_EQ(previous, GetStockObject(BLACK_PEN)) << "a context starts with the black pen";
  EXPECT_FALSE(DeleteObject(pen)) << "a selected pen cannot be deleted";
  EXPECT_EQ(HostLiveGdiObjectCount(), objects + 1);
  EXPECT_EQ(SelectObject(dc, previous), pen);
  EXPECT_TRUE(DeleteObject(pen));
  EXPECT_FALSE(DeleteObject(pen)) << "twice";
  EXPECT_EQ(HostLiveGdiObjectCount(), objects);
  EXPECT_TRUE(DeleteObject(GetStockObject(WHITE_BRUSH)));
  EXPECT_NE(SelectObject(dc, GetStockObject(WHITE_BRUSH)), nullptr) << "stock objects stay";
  EXPECT_EQ(GetStockObject(9), nullptr);
  EXPECT_EQ(CreatePen(42, 1, 0), nullptr);
  EXPECT_EQ(SetROP2(dc, 0), 0);
  EXPECT_EQ(SetROP2(dc, R2_NOT), R2_COPYPEN);
  EXPECT_EQ(ReleaseDC(Item(dialog, IDOK), dc), 0) << "released by another window";
  EXPECT_EQ(ReleaseDC(dialog, dc), 1);
  EXPECT_FALSE(LineTo(dc, 1, 1)) << "a released context draws nothing";
  EXPECT_EQ(HostOpenDeviceContextCount(), 0u);
  EXPECT_EQ(GetDeviceCaps(GetDC(nullptr), BITSPIXEL), 32) << "the screen's context";

  // The static loaded its bitmap and owns it; LoadBitmapA gives another.
  HBITMAP ramp = LoadBitmapA(nullptr, MAKEINTRESOURCEA(IDB_RAMP));
  ASSERT_NE(ramp, nullptr);
  BITMAP info{};
  ASSERT_EQ(GetObjectA(ramp, sizeof info, &info), int(sizeof info));
  EXPECT_EQ(info.bmWidth, 16);
  EXPECT_EQ(info.bmHeight, 4);
  EXPECT_NE(SendDlgItemMessageA(dialog, ID_RAMP, STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
  EXPECT_EQ(LoadBitmapA(nullptr, MAKEINTRESOURCEA(4321)), nullptr);
  EXPECT_TRUE(DeleteObject(ramp));
  DestroyWindow(dialog);
}

TEST_F(WindowsTest, RenderedDialogShowsControlsBitmapsDrawingAndThePicture) {
  handler_ = PaintFigure;
  HWND dialog = CreateMainDialog();
  ShowWindow(dialog, SW_SHOW);
  std::string path = TempPng("dialog.png");
  ASSERT_TRUE(HostRenderWindowToPng(dialog, path.c_str()));
  Png unchecked(path);
  ASSERT_EQ(unchecked.width, 306);
  ASSERT_EQ(unchecked.height, 285);
  // The client area starts at (3, 22) of the window.
  EXPECT_EQ(unchecked.At(250, 5), RGB(0, 0, 128)) << "the caption";
  EXPECT_EQ(unchecked.At(3 + 290, 22 + 250), RGB(192, 192, 192)) << "the dialog's face";
  EXPECT_EQ(unchecked.At(3 + 15, 22 + 211), RGB(0, 0, 0)) << "the corner of the black frame";
  EXPECT_EQ(unchecked.At(3 + 120 + 5, 22 + 215 + 1), RGB(80, 80, 80)) << "column 5 of the ramp";
  EXPECT_EQ(unchecked.At(3 + 210, 22 + 150), RGB(255, 0, 0)) << "the recorded red line";
  EXPECT_EQ(unchecked.At(3 + 213, 22 + 87), RGB(255, 255, 255)) << "inside the unchecked box";

  // The check mark, and a picture handed over for the frame.
  CheckDlgButton(dialog, ID_CHECK, BST_CHECKED);
  const unsigned char picture[2 * 6] = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120};
  ASSERT_TRUE(HostSetWindowPicture(Item(dialog, ID_AREA), picture, 2, 2, 3, 6));
  EXPECT_FALSE(HostSetWindowPicture(Item(dialog, ID_AREA), picture, 2, 2, 2, 6)) << "two bands";
  EXPECT_FALSE(HostSetWindowPicture(Item(dialog, ID_AREA), picture, 3, 2, 3, 6)) << "rows too short";
  ASSERT_TRUE(HostRenderWindowToPng(dialog, path.c_str()));
  Png checked(path);
  EXPECT_EQ(checked.At(3 + 213, 22 + 87), RGB(0, 0, 0)) << "the check mark";
  EXPECT_EQ(checked.At(3 + 16, 22 + 212), RGB(100, 110, 120)) << "the picture's last pixel";
  ASSERT_TRUE(HostSetWindowPicture(Item(dialog, ID_AREA), nullptr, 0, 0, 0, 0));
  ASSERT_TRUE(HostRenderWindowToPng(dialog, path.c_str()));
  EXPECT_NE(Png(path).At(3 + 16, 22 + 212), RGB(100, 110, 120)) << "the picture was taken away";

  EXPECT_FALSE(HostRenderWindowToPng(dialog, "/nonexistent-folder/x.png"));
  remove(path.c_str());
  DestroyWindow(dialog);
}

TEST_F(WindowsTest, BitmapFilesAreReadOrRefusedWhole) {
  std::string good = std::string(TWAIN_SOURCE_DIR) + "/tests/host-windows/fixtures/ramp.bmp";
  HANDLE bitmap = LoadImageA(nullptr, good.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
  ASSERT_NE(bitmap, nullptr);
  BITMAP info{};
  GetObjectA(bitmap, sizeof info, &info);
  EXPECT_EQ(info.bmWidth, 16);
  DeleteObject(static_cast<HGDIOBJ>(bitmap));

  // The same file cut short, and with a bad signature.
  std::string bytes = ReadFileText(good);
  std::string cut = testing::TempDir() + "cut.bmp";
  for (const std::string& content : {bytes.substr(0, bytes.size() - 10), "XX" + bytes.substr(2), bytes.substr(0, 20)}) {
    FILE* file = fopen(cut.c_str(), "wb");
    fwrite(content.data(), 1, content.size(), file);
    fclose(file);
    SetLastError(0);
    EXPECT_EQ(LoadImageA(nullptr, cut.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_DATA));
  }
  remove(cut.c_str());
  EXPECT_EQ(LoadImageA(nullptr, "/nonexistent.bmp", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE), nullptr);
  EXPECT_EQ(LoadImageA(nullptr, MAKEINTRESOURCEA(IDB_RAMP), IMAGE_ICON, 0, 0, 0), nullptr);
}

// The display hands pictures over from its own thread while the dialog is
// rendered and destroyed; it learns of the window's end by the refusal.
TEST_F(WindowsTest, PicturesFromAnotherThreadWhileTheWindowDies) {
  HWND dialog = CreateMainDialog();
  ShowWindow(dialog, SW_SHOW);
  HWND area = Item(dialog, ID_AREA);
  std::atomic<int> frames{0};
  std::thread display([&] {
    std::vector<unsigned char> frame(64 * 48, 0);
    for (unsigned char level = 0; HostSetWindowPicture(area, frame.data(), 64, 48, 1, 64); ++level) {
      frame.assign(frame.size(), level);
      ++frames;
    }
  });
  while (frames < 20) std::this_thread::yield();
  std::string path = TempPng("live.png");
  ASSERT_TRUE(HostRenderWindowToPng(dialog, path.c_str()));
  COLORREF pixel = Png(path).At(3 + 15 + 10, 22 + 211 + 10);
  EXPECT_EQ(GetRValue(pixel), GetGValue(pixel)) << "a grey picture";
  DestroyWindow(dialog);
  display.join();
  EXPECT_GE(frames.load(), 20);
  remove(path.c_str());
}

}  // namespace
