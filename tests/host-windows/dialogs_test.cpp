// Dialogs from templates: the layout in pixels, WM_INITDIALOG, child pages,
// refused templates, the dialog procedure's results, EndDialog and
// destruction.
#include <cstring>

#include "windows_fixture.h"

namespace {

RECT WindowRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

TEST_F(WindowsTest, ExtendedTemplateBecomesDialogInPixelsCentredOnTheScreen) {
  HWND dialog = CreateMainDialog(42);
  ASSERT_NE(dialog, nullptr) << GetLastError();

  // 200 x 160 dialog units at base units 6 x 13; a 3-pixel border and a
  // 19-pixel caption around the client area; centred on 1024 x 768.
  RECT client;
  ASSERT_TRUE(GetClientRect(dialog, &client));
  EXPECT_EQ(client.right, 300);
  EXPECT_EQ(client.bottom, 260);
  RECT outer = WindowRect(dialog);
  EXPECT_EQ(outer.right - outer.left, 306);
  EXPECT_EQ(outer.bottom - outer.top, 285);
  EXPECT_EQ(outer.left, (1024 - 306) / 2);
  EXPECT_EQ(outer.top, (768 - 285) / 2);
  char title[32];
  EXPECT_EQ(GetWindowTextA(dialog, title, sizeof title), 11);
  EXPECT_STREQ(title, "Test Dialog");
  EXPECT_STREQ(HostWindowClassName(dialog), "#32770");
  EXPECT_FALSE(IsWindowVisible(dialog)) << "the template is not WS_VISIBLE";

  // OK at 140, 10, 50 x 14 dialog units, each measure rounded on its own.
  HWND ok = Item(dialog, IDOK);
  POINT origin{0, 0};
  ClientToScreen(dialog, &origin);
  RECT okRect = WindowRect(ok);
  EXPECT_EQ(okRect.left - origin.x, 210);
  EXPECT_EQ(okRect.top - origin.y, 16);
  EXPECT_EQ(okRect.right - okRect.left, 75);
  EXPECT_EQ(okRect.bottom - okRect.top, 23);
  EXPECT_EQ(GetParent(ok), dialog);
  EXPECT_EQ(GetDlgCtrlID(ok), IDOK);
  EXPECT_STREQ(HostWindowClassName(ok), "Button");
  EXPECT_STREQ(HostWindowClassName(Item(dialog, ID_TAB)), "SysTabControl32");
  EXPECT_STREQ(HostWindowClassName(Item(dialog, ID_SLIDER)), "msctls_trackbar32");

  // A closed drop-down list is one line high; a bitmap static takes its
  // bitmap's size; an edit with WS_BORDER has a 1-pixel frame.
  EXPECT_EQ(WindowRect(Item(dialog, ID_COMBO)).bottom - WindowRect(Item(dialog, ID_COMBO)).top, 21);
  RECT ramp = WindowRect(Item(dialog, ID_RAMP));
  EXPECT_EQ(ramp.right - ramp.left, 16);
  EXPECT_EQ(ramp.bottom - ramp.top, 4);
  RECT valueClient;
  GetClientRect(Item(dialog, ID_VALUE), &valueClient);
  EXPECT_EQ(valueClient.right, 45 - 2);

  RECT units{4, 8, 10, 16};
  ASSERT_TRUE(MapDialogRect(dialog, &units));
  EXPECT_EQ(units.left, 6);
  EXPECT_EQ(units.top, 13);
  EXPECT_EQ(units.right, 15);
  EXPECT_EQ(units.bottom, 26);

  // WM_INITDIALOG came once, after the controls, with the parameter and the
  // first tab stop; the procedure returned FALSE, so nothing took the focus.
  auto init = ReceivedOf(WM_INITDIALOG);
  ASSERT_EQ(init.size(), 1u);
  EXPECT_EQ(init[0].lParam, 42);
  EXPECT_EQ(reinterpret_cast<HWND>(init[0].wParam), ok);
  EXPECT_NE(GetFocus(), ok);

  EXPECT_FALSE(ShowWindow(dialog, SW_SHOW));
  EXPECT_TRUE(IsWindowVisible(dialog));
  EXPECT_TRUE(IsWindowVisible(ok));
  EXPECT_TRUE(DestroyWindow(dialog));
}

TEST_F(WindowsTest, InitDialogReturningTrueFocusesTheFirstTabStop) {
  handler_ = [](HWND, UINT message, WPARAM, LPARAM) -> INT_PTR { return message == WM_INITDIALOG; };
  HWND dialog = CreateMainDialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(GetFocus(), Item(dialog, IDOK));
  DestroyWindow(dialog);
  EXPECT_EQ(GetFocus(), nullptr);
}

TEST_F(WindowsTest, ClassicChildTemplateBecomesPageInsideItsParent) {
  HWND dialog = CreateMainDialog();
  HWND page = CreateDialogParamA(nullptr, MAKEINTRESOURCEA(IDD_PAGE), dialog, RecordingProc, 7);
  ASSERT_NE(page, nullptr) << GetLastError();
  EXPECT_EQ(GetParent(page), dialog);
  EXPECT_TRUE(IsWindowVisible(page) == FALSE) << "its parent is hidden";
  ShowWindow(dialog, SW_SHOW);
  EXPECT_TRUE(IsWindowVisible(page)) << "the template is WS_VISIBLE";

  // A child without frame: its window and client rectangles agree, at its
  // parent's client origin.
  RECT pageRect = WindowRect(page);
  POINT origin{0, 0};
  ClientToScreen(dialog, &origin);
  EXPECT_EQ(pageRect.left, origin.x);
  EXPECT_EQ(pageRect.top, origin.y);
  EXPECT_EQ(pageRect.right - pageRect.left, 150);
  EXPECT_EQ(pageRect.bottom - pageRect.top, 65);
  char text[32];
  EXPECT_EQ(GetDlgItemTextA(page, ID_PAGE_TEXT, text, sizeof text), 9u);
  EXPECT_STREQ(text, "Page text");
  EXPECT_EQ(GetDlgItem(dialog, ID_PAGE_BUTTON), nullptr) << "GetDlgItem looks at direct children only";
  EXPECT_EQ(GetLastError(), DWORD(ERROR_CONTROL_ID_NOT_FOUND));
  EXPECT_EQ(HostFindControl(dialog, ID_PAGE_BUTTON), GetDlgItem(page, ID_PAGE_BUTTON));

  // The page moves in its parent's client coordinates.
  ASSERT_TRUE(SetWindowPos(page, nullptr, 20, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER));
  pageRect = WindowRect(page);
  EXPECT_EQ(pageRect.left, origin.x + 20);
  EXPECT_EQ(pageRect.top, origin.y + 30);
  EXPECT_EQ(pageRect.right - pageRect.left, 150);

  // Destroying the dialog destroys the page: WM_DESTROY to the dialog first,
  // then to the page, and every handle dies.
  HWND pageButton = GetDlgItem(page, ID_PAGE_BUTTON);
  received_.clear();
  ASSERT_TRUE(DestroyWindow(dialog));
  auto destroyed = ReceivedOf(WM_DESTROY);
  ASSERT_EQ(destroyed.size(), 2u);
  EXPECT_EQ(destroyed[0].window, dialog);
  EXPECT_EQ(destroyed[1].window, page);
  EXPECT_FALSE(IsWindow(page));
  EXPECT_FALSE(IsWindow(pageButton));
  EXPECT_EQ(HostLiveWindowCount(), 0u);
}

TEST_F(WindowsTest, RefusedTemplatesLeaveNoWindow) {
  EXPECT_EQ(CreateDialogParamA(nullptr, MAKEINTRESOURCEA(IDD_UNKNOWN_CLASS), nullptr, RecordingProc, 0), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_CANNOT_FIND_WND_CLASS));
  EXPECT_EQ(CreateDialogParamA(nullptr, MAKEINTRESOURCEA(999), nullptr, RecordingProc, 0), nullptr);
  EXPECT_NE(GetLastError(), DWORD(ERROR_SUCCESS));
  // A child template needs a parent window.
  EXPECT_EQ(CreateDialogParamA(nullptr, MAKEINTRESOURCEA(IDD_PAGE), nullptr, RecordingProc, 0), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_TLW_WITH_WSCHILD));
  EXPECT_TRUE(ReceivedOf(WM_INITDIALOG).empty());
  EXPECT_EQ(HostLiveWindowCount(), 0u);
}

// A classic template built in memory: the header, no menu, no class, a title,
// then one DWORD-aligned item of the predefined class Static.
TEST_F(WindowsTest, InMemoryClassicTemplate) {
  alignas(4) WORD words[64] = {};
  DLGTEMPLATE header{WS_POPUP | WS_VISIBLE, 0, 1, 10, 20, 40, 16};
  memcpy(words, &header, sizeof header);
  size_t at = sizeof header / 2;
  words[at++] = 0;  // no menu
  words[at++] = 0;  // the dialog class
  for (char c : std::string("Hi")) words[at++] = WORD(c);
  words[at++] = 0;
  at = (at + 1) & ~size_t(1);  // DWORD alignment
  DLGITEMTEMPLATE item{WS_CHILD | WS_VISIBLE | SS_CENTER, 0, 2, 3, 20, 8, 77};
  memcpy(&words[at], &item, sizeof item);
  at += sizeof item / 2;
  words[at++] = 0xFFFF;
  words[at++] = 0x0082;  // Static
  for (char c : std::string("text")) words[at++] = WORD(c);
  words[at++] = 0;
  words[at++] = 0;  // no creation data

  HWND dialog = CreateDialogIndirectParamA(nullptr, reinterpret_cast<LPCDLGTEMPLATEA>(words), nullptr,
                                           RecordingProc, 5);
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(IsWindowVisible(dialog));
  EXPECT_EQ(WindowRect(dialog).left, 15);  // no owner: screen coordinates
  EXPECT_EQ(WindowRect(dialog).top, 33);
  HWND text = GetDlgItem(dialog, 77);
  ASSERT_NE(text, nullptr);
  EXPECT_STREQ(HostWindowText(text), "text");
  EXPECT_STREQ(HostWindowText(dialog), "Hi");
  EXPECT_EQ(ReceivedOf(WM_INITDIALOG).at(0).lParam, 5);
  DestroyWindow(dialog);
}

TEST_F(WindowsTest, DialogProcedureResultsAndWindowData) {
  handler_ = [](HWND window, UINT message, WPARAM, LPARAM) -> INT_PTR {
    if (message != WM_USER + 5) return FALSE;
    SetWindowLongPtrA(window, DWLP_MSGRESULT, 77);
    return TRUE;
  };
  HWND dialog = CreateMainDialog();
  EXPECT_EQ(SendMessageA(dialog, WM_USER + 5, 0, 0), 77) << "a handled message answers DWLP_MSGRESULT";
  EXPECT_EQ(SendMessageA(dialog, WM_USER + 6, 0, 0), 0) << "an unhandled one the default";

  EXPECT_EQ(SetWindowLongPtrA(dialog, GWLP_USERDATA, 1234), 0);
  EXPECT_EQ(GetWindowLongPtrA(dialog, GWLP_USERDATA), 1234);
  int record = 0;
  SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&record));
  EXPECT_EQ(GetWindowLongPtrA(dialog, DWLP_USER), reinterpret_cast<LONG_PTR>(&record));
  EXPECT_EQ(GetWindowLongPtrA(dialog, DWLP_DLGPROC), reinterpret_cast<LONG_PTR>(&RecordingProc));
  EXPECT_EQ(GetWindowLongPtrA(Item(dialog, IDOK), GWLP_ID), IDOK);
  EXPECT_NE(GetWindowLongPtrA(Item(dialog, IDOK), GWL_STYLE) & WS_TABSTOP, 0);
  EXPECT_EQ(GetWindowLongPtrA(Item(dialog, IDOK), DWLP_USER), 0) << "controls have no dialog data";
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_INDEX));
  DestroyWindow(dialog);
}

TEST_F(WindowsTest, EndDialogHidesAModelessDialogAndDestroyWindowEndsIt) {
  HWND dialog = CreateMainDialog();
  ShowWindow(dialog, SW_SHOW);
  INT_PTR result = 0;
  EXPECT_FALSE(HostDialogEnded(dialog, &result));
  ASSERT_TRUE(EndDialog(dialog, 1));
  EXPECT_TRUE(IsWindow(dialog));
  EXPECT_FALSE(IsWindowVisible(dialog));
  EXPECT_TRUE(HostDialogEnded(dialog, &result));
  EXPECT_EQ(result, 1);

  HWND ok = Item(dialog, IDOK);
  ASSERT_TRUE(DestroyWindow(dialog));
  EXPECT_EQ(ReceivedOf(WM_DESTROY).size(), 1u);
  // Every call on a dead handle fails as for no window.
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_FALSE(DestroyWindow(dialog));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_FALSE(ShowWindow(ok, SW_SHOW));
  EXPECT_EQ(GetDlgItem(dialog, IDOK), nullptr);
  EXPECT_EQ(SendMessageA(ok, BM_GETCHECK, 0, 0), 0);
  EXPECT_FALSE(SetDlgItemTextA(dialog, IDOK, "x"));
  EXPECT_EQ(HostLiveWindowCount(), 0u);
}

TEST_F(WindowsTest, CloseBoxAndOwnedDialogs) {
  HWND dialog = CreateMainDialog();
  // Unhandled, the caption's close box asks for IDCANCEL, later.
  SendMessageA(dialog, WM_CLOSE, 0, 0);
  EXPECT_TRUE(ReceivedOf(WM_COMMAND).empty());
  MSG message;
  ASSERT_TRUE(PeekMessageA(&message, dialog, 0, 0, PM_REMOVE));
  DispatchMessageA(&message);
  ASSERT_EQ(ReceivedOf(WM_COMMAND).size(), 1u);
  EXPECT_EQ(ReceivedOf(WM_COMMAND)[0].wParam, MAKEWPARAM(IDCANCEL, BN_CLICKED));
  EXPECT_TRUE(IsWindow(dialog));

  // A popup created with a parent is owned by it and destroyed with it.
  HWND owned = CreateDialogParamA(nullptr, MAKEINTRESOURCEA(IDD_MAIN), dialog, RecordingProc, 0);
  ASSERT_NE(owned, nullptr);
  EXPECT_EQ(GetParent(owned), dialog);
  EXPECT_EQ(HostTopLevelWindowCount(), 2u);
  DestroyWindow(dialog);
  EXPECT_FALSE(IsWindow(owned));
  EXPECT_EQ(ReceivedOf(WM_DESTROY).size(), 2u);
}

WNDPROC previousButtonProc = nullptr;
int subclassedMessages = 0;

LRESULT CALLBACK CountingButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  ++subclassedMessages;
  return CallWindowProcA(previousButtonProc, window, message, wParam, lParam);
}

TEST_F(WindowsTest, SubclassedControlKeepsItsBehaviour) {
  HWND dialog = CreateMainDialog();
  ShowWindow(dialog, SW_SHOW);
  HWND check = Item(dialog, ID_CHECK);
  previousButtonProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(check, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountingButtonProc)));
  ASSERT_NE(previousButtonProc, nullptr);
  subclassedMessages = 0;
  ASSERT_TRUE(HostClickControl(check));
  EXPECT_GE(subclassedMessages, 2) << "the press and the release";
  EXPECT_EQ(IsDlgButtonChecked(dialog, ID_CHECK), UINT(BST_CHECKED));
  EXPECT_EQ(ReceivedOf(WM_COMMAND).size(), 1u);
  EXPECT_EQ(SetWindowLongPtrA(check, GWLP_WNDPROC, 0), 0) << "a null procedure is refused";
  DestroyWindow(dialog);
}

}  // namespace
