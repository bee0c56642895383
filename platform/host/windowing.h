// The window manager's own records, shared by windows.cpp, dialogs.cpp,
// controls.cpp, messages.cpp, gdi.cpp and render.cpp; not part of the Win32
// subset and not exported.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "platform/host/testing.h"
#include "platform/host/win32_commctrl.h"
#include "platform/host/win32_gdi.h"
#include "platform/host/win32_windows.h"

namespace host {

// The control classes the dialog templates use, and the dialog class itself.
enum class WindowClass { Dialog, Button, Static, Edit, ComboBox, ListBox, ScrollBar, Tab, Trackbar };

struct TabItem {
  std::string text;
  int image;
  LPARAM param;
};

struct Window {
  HWND handle = nullptr;
  WindowClass kind = WindowClass::Dialog;
  WNDPROC proc = nullptr;
  DWORD style = 0;
  DWORD exStyle = 0;
  int id = 0;
  HINSTANCE instance = nullptr;
  HWND parent = nullptr;  // the parent of a child window, the owner of a popup
  std::vector<HWND> children;  // in creation order, which is the tab order
  RECT rect{};  // the window rectangle: parent's client coordinates, screen for popups
  std::string text;
  LONG_PTR userData = 0;
  bool destroying = false;

  // Dialogs.
  DLGPROC dialogProc = nullptr;
  LONG_PTR msgResult = 0;
  LONG_PTR dialogUser = 0;
  bool ended = false;
  INT_PTR endResult = 0;
  int defaultId = IDOK;

  // Buttons.
  UINT check = BST_UNCHECKED;
  bool pushed = false;

  // Combo boxes.
  std::vector<std::string> items;
  std::vector<LPARAM> itemData;
  int selection = -1;  // also the tab control's current tab
  bool dropped = false;
  int dropHeight = 0;  // the template's height, which the dropped list takes

  // Tab controls.
  std::vector<TabItem> tabs;

  // Trackbars.
  int rangeMin = 0;
  int rangeMax = 100;
  int position = 0;
  int ticFrequency = 1;
  int pageSize = 20;
  int lineSize = 1;
  bool tracking = false;

  // Statics and buttons with an image; ownImage when the control loaded it.
  HGDIOBJ image = nullptr;
  bool ownImage = false;

  // Painting: guarded by WindowLock, since another thread may invalidate.
  bool needsPaint = false;
  std::vector<HostDrawRecord> drawing;  // in the window's client coordinates

  // The live picture handed over by the imaging display (display_bridge.h),
  // as packed RGB rows; guarded by WindowLock.
  std::vector<uint8_t> picture;
  int pictureWidth = 0;
  int pictureHeight = 0;
};

// Guards the window table and the fields other threads touch (painting state,
// the live picture, the message queue). Windows are created, changed and
// destroyed only by the thread that runs the dialogs.
std::recursive_mutex& WindowLock();

// The live window of a handle, or null (last error ERROR_INVALID_WINDOW_HANDLE).
Window* FindWindowRecord(HWND handle);
// Without touching the last error.
Window* PeekWindowRecord(HWND handle);
// Creates a window record of a class with its place in parent coordinates
// (screen coordinates for a popup) and sends it WM_CREATE through its class.
Window* CreateWindowRecord(WindowClass kind, DWORD style, DWORD exStyle, int id, HWND parent,
                           HINSTANCE instance, const RECT& rect, const std::string& text);
// Every live window, top-level ones first, then depth first.
std::vector<HWND> AllWindows();
std::vector<HWND> TopLevelWindows();

// Geometry: the frame between a window's rectangle and its client area, and
// the screen position of a window's client origin.
RECT FrameInsets(const Window& window);
POINT ClientOriginOnScreen(const Window& window);
int ClientWidth(const Window& window);
int ClientHeight(const Window& window);
bool IsDescendant(HWND ancestor, HWND window);
// Whether a user can reach a window: it is visible and neither it nor a
// parent is disabled.
bool TakesUserInput(HWND window);

// Marks a window (not its children) for painting and wakes the message loop.
void MarkForPaint(Window& window);
// Sends WM_PAINT to every window of the tree that needs painting.
void PaintTree(HWND root);
// Wakes a thread waiting in GetMessageA.
void WakeMessageLoop();
// Drops posted messages of a window that is being destroyed.
void ForgetPostedMessages(HWND window);

// Sends WM_COMMAND with a notification code from a control to its parent.
void NotifyParent(const Window& control, WORD code);

// The window procedures of the classes (controls.cpp, dialogs.cpp).
LRESULT CALLBACK DialogWindowProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK ButtonProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK StaticProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK EditProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK ComboBoxProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK TabProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK TrackbarProc(HWND, UINT, WPARAM, LPARAM);

// The class name of a window as Win32 spells it.
const char* ClassNameOf(WindowClass kind);
// Whether a class name (compared without case) is one the manager knows.
bool ClassFromName(const std::string& name, WindowClass* kind);

// Whether mouse messages at a point of a window's client area pass to what
// lies below (statics without SS_NOTIFY, group boxes and a tab control's
// display area, as their hit test answers HTTRANSPARENT).
bool IsMouseTransparent(const Window& window, POINT point);

// Label rectangles of a tab control's tabs, in its client coordinates.
std::vector<RECT> TabLabelRects(const Window& tab);
// The thumb of a trackbar, in its client coordinates.
RECT TrackbarThumbRect(const Window& trackbar);

// GDI (gdi.cpp): a bitmap object's size and packed RGB pixels; false when the
// handle is no live bitmap.
bool BitmapPixels(HGDIOBJ bitmap, int* width, int* height, const std::vector<uint8_t>** rgb);
// Releases the device contexts still open on a window being destroyed.
void ReleaseWindowContexts(HWND window);

// Fixed dialog base units: those Windows gives "MS Sans Serif" 8 at 96 dpi.
constexpr int kDialogBaseX = 6;
constexpr int kDialogBaseY = 13;
// The frame of a popup dialog: a 3-pixel dialog border and a 19-pixel caption.
constexpr int kDialogBorder = 3;
constexpr int kCaptionHeight = 19;
// The screen.
constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;
// The built-in font (render.cpp): glyphs of up to 5 x 7 pixels, lines of 9,
// each glyph as wide as its pixels and one pixel apart.
constexpr int kCharHeight = 9;
int TextWidth(const std::string& text);
// The height of a closed combo box, which Windows gives "MS Sans Serif" 8.
constexpr int kComboHeight = 21;

}  // namespace host
