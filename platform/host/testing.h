// Testing controls of the host layer: used by tests and tools, never by the source.
#pragma once

#include <cstddef>

#include "win32_types.h"

// Global memory.
HOSTAPI size_t HostLiveGlobalBlocks(void);    // blocks allocated and not yet freed
HOSTAPI size_t HostLockedGlobalBlocks(void);  // live blocks with a lock count above 0
HOSTAPI size_t HostGlobalAllocCount(void);    // GlobalAlloc calls so far
// Makes the nth GlobalAlloc from now fail (1 = the next one); 0 switches it off.
HOSTAPI void HostFailGlobalAlloc(size_t nth);
// Lock count of a live movable block (0 for fixed or unknown blocks).
HOSTAPI unsigned HostGlobalLockCount(HGLOBAL memory);
// Whether a handle is a live block of GlobalAlloc.
HOSTAPI BOOL HostIsGlobalBlock(HGLOBAL memory);
// Drops a block from the accounting after its owner released it with free().
HOSTAPI void HostForgetGlobalBlock(HGLOBAL memory);

// Registry: a private, empty, in-memory HKEY_CURRENT_USER that is never saved.
HOSTAPI void HostUseMemoryRegistry(void);
// Registry: back to the file-backed HKEY_CURRENT_USER, read again from the
// file at its next use; path null = the usual place (TWAIN_HOST_REGISTRY, else
// $XDG_CONFIG_HOME or ~/.config, then frame-grabber-twain/registry).
HOSTAPI void HostUseFileRegistry(const char* path);
// The file the registry is saved to; empty for the in-memory registry.
HOSTAPI const char* HostRegistryFile(void);

// Debugger output (OutputDebugStringA) captured since the last clear.
HOSTAPI const char* HostDebugOutput(void);
HOSTAPI void HostClearDebugOutput(void);

// Message boxes shown since the last clear; each one was answered IDOK.
HOSTAPI size_t HostMessageBoxCount(void);
HOSTAPI const char* HostMessageBoxText(size_t index);
HOSTAPI const char* HostMessageBoxCaption(size_t index);
HOSTAPI void HostClearMessageBoxes(void);

// Modules: LoadLibraryA fails for a hidden module name (compared without case,
// on the file name alone); GetProcAddress fails for a hidden export of a module.
HOSTAPI void HostHideModule(const char* fileName);
HOSTAPI void HostHideExport(const char* fileName, const char* exportName);
HOSTAPI void HostClearHidden(void);
// Modules loaded by LoadLibraryA and not yet freed, and one module's count.
HOSTAPI size_t HostLoadedModuleCount(void);
HOSTAPI unsigned HostModuleReferences(HMODULE module);

// Windows: what is alive. Handles are never reused, so a stale one stays invalid.
HOSTAPI size_t HostLiveWindowCount(void);      // every window, controls included
HOSTAPI size_t HostTopLevelWindowCount(void);  // dialogs without a parent window
HOSTAPI HWND HostTopLevelWindow(size_t index);  // in creation order
HOSTAPI size_t HostDestroyAllWindows(void);     // destroys every top-level tree; how many died

// Windows: finding them, depth first under root (root null: every window).
HOSTAPI HWND HostFindControl(HWND root, int controlId);
HOSTAPI HWND HostFindWindowByText(HWND root, const char* text);
HOSTAPI HWND HostFindWindowByClass(HWND root, const char* className, size_t index);
HOSTAPI const char* HostWindowClassName(HWND window);  // "Button", "#32770", ...
// The window's text (a drop-down list's: its selected item); valid until it changes.
HOSTAPI const char* HostWindowText(HWND window);
// One line per window of the tree: class, id, text, state, rectangle in pixels.
HOSTAPI const char* HostDescribeWindow(HWND root);
// Whether EndDialog ended a dialog, and its result.
HOSTAPI BOOL HostDialogEnded(HWND dialog, INT_PTR* result);

// A user's actions; each fails (FALSE) on a hidden or disabled control, as a
// user cannot reach it, and delivers its messages at once.
// A click on a push button, check box or radio button.
HOSTAPI BOOL HostClickControl(HWND control);
// A choice in a drop-down list: CBN_DROPDOWN, CBN_SELCHANGE, CBN_CLOSEUP, CBN_SELENDOK.
HOSTAPI BOOL HostChooseComboItem(HWND combo, int index);
HOSTAPI BOOL HostChooseComboText(HWND combo, const char* text);
// A click on a tab: TCN_SELCHANGING, then TCN_SELCHANGE unless refused;
// nothing for the current tab.
HOSTAPI BOOL HostChooseTab(HWND tab, int index);
// A drag of a slider's thumb through positions (clamped to its range): one
// TB_THUMBTRACK per change of position, then TB_THUMBPOSITION and TB_ENDTRACK,
// as WM_HSCROLL (WM_VSCROLL for TBS_VERT) to its parent.
HOSTAPI BOOL HostDragSlider(HWND trackbar, const int* positions, size_t count);
HOSTAPI BOOL HostMoveSlider(HWND trackbar, int position);
// The left mouse button at a point of a window's client area: the message goes
// to the deepest window under the point that takes the mouse (statics without
// SS_NOTIFY and group boxes pass it to their parent), or to the window that
// captured the mouse, in that window's client coordinates.
HOSTAPI BOOL HostMouseDown(HWND window, int x, int y);
HOSTAPI BOOL HostMouseMove(HWND window, int x, int y);
HOSTAPI BOOL HostMouseUp(HWND window, int x, int y);
HOSTAPI BOOL HostRightClick(HWND window, int x, int y);

// Messages: sends WM_PAINT to every window that needs painting, as an idle
// message loop would; how many messages are posted and not yet taken.
HOSTAPI void HostPaintWindows(void);
HOSTAPI size_t HostPostedMessageCount(void);

// GDI: objects created and not deleted (stock objects excluded), and device
// contexts of windows (GetDC, BeginPaint) not yet released.
HOSTAPI size_t HostLiveGdiObjectCount(void);
HOSTAPI size_t HostOpenDeviceContextCount(void);

// GDI: the drawing calls of a window since its last BeginPaint, in order.
#define HOST_DRAW_MOVETO 1
#define HOST_DRAW_LINETO 2
#define HOST_DRAW_RECTANGLE 3
struct HostDrawRecord {
  int kind;        // HOST_DRAW_*
  int x1, y1;      // MoveToEx: the point; LineTo: from; Rectangle: left, top
  int x2, y2;      // LineTo: to; Rectangle: right, bottom
  int penStyle;    // PS_*
  int penWidth;
  DWORD penColour;  // COLORREF
  BOOL brushNull;
  DWORD brushColour;
  int rop2;        // R2_*
};
HOSTAPI size_t HostDrawCallCount(HWND window);
HOSTAPI BOOL HostGetDrawCall(HWND window, size_t index, HostDrawRecord* call);
HOSTAPI void HostClearDrawing(HWND window);

// Rendering: a window and everything in it as an RGB PNG file, after pending
// painting; FALSE (with a line on stderr) when it cannot be written.
HOSTAPI BOOL HostRenderWindowToPng(HWND window, const char* path);
