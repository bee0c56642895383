// The message queue, IsDialogMessageA, painting and the mouse.
#include <atomic>
#include <thread>

#include "windows_fixture.h"

namespace {

MSG KeyDown(HWND window, WPARAM key) { return MSG{window, WM_KEYDOWN, key, 0, 0, POINT{0, 0}}; }

TEST_F(WindowsTest, PostedMessagesArePeekedInOrderAndDispatched) {
  HWND dialog = CreateMainDialog();
  HWND ok = Item(dialog, IDOK);
  ASSERT_TRUE(PostMessageA(dialog, WM_USER + 1, 1, 0));
  ASSERT_TRUE(PostMessageA(ok, WM_USER + 2, 2, 0));
  ASSERT_TRUE(PostMessageA(nullptr, WM_USER + 3, 3, 0));
  EXPECT_FALSE(PostMessageA(reinterpret_cast<HWND>(0x7), WM_USER, 0, 0));
  EXPECT_EQ(HostPostedMessageCount(), 3u);

  MSG message;
  ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_USER + 2, WM_USER + 3, PM_NOREMOVE));
  EXPECT_EQ(message.message, UINT(WM_USER + 2)) << "the filter skips the first";
  ASSERT_TRUE(PeekMessageA(&message, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, UINT(WM_USER + 3)) << "-1 takes thread messages only";
  ASSERT_TRUE(PeekMessageA(&message, dialog, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, UINT(WM_USER + 1));
  DispatchMessageA(&message);
  ASSERT_EQ(ReceivedOf(WM_USER + 1).size(), 1u);
  EXPECT_EQ(ReceivedOf(WM_USER + 1)[0].wParam, 1u);
  ASSERT_TRUE(PeekMessageA(&message, dialog, 0, 0, PM_REMOVE)) << "a child's message counts as the dialog's";
  EXPECT_EQ(message.hwnd, ok);

  // Messages of a destroyed window are dropped with it.
  PostMessageA(ok, WM_USER + 4, 0, 0);
  DestroyWindow(dialog);
  EXPECT_EQ(HostPostedMessageCount(), 0u);
}

TEST_F(WindowsTest, DialogMessagesAndTheKeyboard) {
  HWND dialog = CreateMainDialog();
  ShowWindow(dialog, SW_SHOW);
  MSG other = KeyDown(nullptr, VK_RETURN);
  EXPECT_FALSE(IsDialogMessageA(dialog, &other)) << "not aimed at the dialog";

  MSG custom{Item(dialog, ID_LABEL), WM_USER + 9, 0, 0, 0, POINT{0, 0}};
  EXPECT_TRUE(IsDialogMessageA(dialog, &custom));
  MSG toDialog{dialog, WM_USER + 9, 5, 0, 0, POINT{0, 0}};
  EXPECT_TRUE(IsDialogMessageA(dialog, &toDialog));
  ASSERT_EQ(ReceivedOf(WM_USER + 9).size(), 1u) << "dispatched to the dialog itself";

  // Return clicks the default button, Escape sends IDCANCEL.
  MSG enter = KeyDown(Item(dialog, ID_LABEL), VK_RETURN);
  EXPECT_TRUE(IsDialogMessageA(dialog, &enter));
  MSG escape = KeyDown(dialog, VK_ESCAPE);
  EXPECT_TRUE(IsDialogMessageA(dialog, &escape));
  std::vector<int> ids;
  for (const Received& command : ReceivedOf(WM_COMMAND)) ids.push_back(LOWORD(command.wParam));
  EXPECT_EQ(ids, (std::vector<int>{IDOK, IDCANCEL}));
  // A disabled default button is not pressed.
  EnableWindow(Item(dialog, IDOK), FALSE);
  EXPECT_TRUE(IsDialogMessageA(dialog, &enter));
  EXPECT_EQ(ReceivedOf(WM_COMMAND).size(), 2u);

  // Tab moves the focus through the enabled, visible tab stops.
  SetFocus(Item(dialog, IDCANCEL));
  MSG tab = KeyDown(dialog, VK_TAB);
  EXPECT_TRUE(IsDialogMessageA(dialog, &tab));
  EXPECT_EQ(GetFocus(), Item(dialog, ID_RADIO_ONE));
  DestroyWindow(dialog);
}

TEST_F(WindowsTest, InvalidWindowsGetOneWmPaintWhenTheQueueIsEmpty) {
  int paints = 0;
  handler_ = [&](HWND window, UINT message, WPARAM, LPARAM) -> INT_PTR {
    if (message != WM_PAINT) return FALSE;
    ++paints;
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    EndPaint(window, &paint);
    return TRUE;
  };
  HWND dialog = CreateMainDialog();
  ShowWindow(dialog, SW_SHOW);
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  EXPECT_EQ(paints, 1);
  EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));

  InvalidateRect(dialog, nullptr, TRUE);
  PostMessageA(dialog, WM_USER, 0, 0);
  ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, UINT(WM_USER)) << "posted messages come before WM_PAINT";
  ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, UINT(WM_PAINT));
  ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) << "WM_PAINT stays until painted";
  DispatchMessageA(&message);
  EXPECT_EQ(paints, 2);
  InvalidateRect(dialog, nullptr, FALSE);
  UpdateWindow(dialog);
  EXPECT_EQ(paints, 3);
  EXPECT_FALSE(PeekMessageA(&message, dialog, 0, 0, PM_REMOVE));
  DestroyWindow(dialog);
}

TEST_F(WindowsTest, AnotherThreadsInvalidationWakesGetMessage) {
  HWND dialog = CreateMainDialog();
  ShowWindow(dialog, SW_SHOW);
  HostPaintWindows();
  std::atomic<bool> started{false};
  std::thread display([&] {
    started = true;
    InvalidateRect(dialog, nullptr, FALSE);
  });
  MSG message;
  ASSERT_EQ(GetMessageA(&message, nullptr, 0, 0), TRUE);
  display.join();
  EXPECT_TRUE(started);
  EXPECT_EQ(message.message, UINT(WM_PAINT));
  EXPECT_EQ(message.hwnd, dialog);
  DispatchMessageA(&message);

  PostQuitMessage(3);
  ASSERT_EQ(GetMessageA(&message, nullptr, 0, 0), FALSE);
  EXPECT_EQ(message.message, UINT(WM_QUIT));
  EXPECT_EQ(message.wParam, 3u);
  DestroyWindow(dialog);
}

TEST_F(WindowsTest, MouseGoesThroughFramesAndGroupBoxesToTheDialog) {
  HWND dialog = CreateMainDialog();
  ShowWindow(dialog, SW_SHOW);
  // Inside the black frame ID_AREA (10, 130 dialog units): the frame does not
  // take the mouse, the dialog gets it in its client coordinates.
  ASSERT_TRUE(HostMouseDown(dialog, 20, 215));
  ASSERT_TRUE(HostMouseMove(dialog, 30, 216));
  ASSERT_TRUE(HostMouseUp(dialog, 30, 216));
  auto down = ReceivedOf(WM_LBUTTONDOWN), move = ReceivedOf(WM_MOUSEMOVE), up = ReceivedOf(WM_LBUTTONUP);
  ASSERT_EQ(down.size(), 1u);
  EXPECT_EQ(down[0].lParam, MAKELPARAM(20, 215));
  EXPECT_EQ(down[0].wParam, WPARAM(MK_LBUTTON));
  ASSERT_EQ(move.size(), 1u);
  EXPECT_EQ(move[0].wParam, WPARAM(MK_LBUTTON)) << "the button is held";
  ASSERT_EQ(up.size(), 1u);
  EXPECT_EQ(up[0].lParam, MAKELPARAM(30, 216));
  // Over a push button the button takes the press and clicks on release.
  received_.clear();
  POINT button{5, 5};
  MapWindowPoints(Item(dialog, IDCANCEL), dialog, &button, 1);
  HostMouseDown(dialog, button.x, button.y);
  HostMouseUp(dialog, button.x, button.y);
  EXPECT_TRUE(ReceivedOf(WM_LBUTTONDOWN).empty());
  ASSERT_EQ(ReceivedOf(WM_COMMAND).size(), 1u);
  EXPECT_EQ(LOWORD(ReceivedOf(WM_COMMAND)[0].wParam), IDCANCEL);
  // Released outside the button: no click.
  HostMouseDown(dialog, button.x, button.y);
  HostMouseUp(dialog, 20, 215);
  EXPECT_EQ(ReceivedOf(WM_COMMAND).size(), 1u);
  DestroyWindow(dialog);
}

}  // namespace

namespace {

// A page created after the tab control lies over the control's display area;
// the mouse reaches it there, and the tab labels still take theirs.
TEST_F(WindowsTest, MouseReachesAPageOverTheTabControlsDisplayArea) {
  HWND dialog = CreateMainDialog();
  ShowWindow(dialog, SW_SHOW);
  HWND tab = Item(dialog, ID_TAB);
  TCITEMA item{};
  item.mask = TCIF_TEXT;
  item.pszText = const_cast<char*>("First");
  SendMessageA(tab, TCM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  HWND page = CreateDialogParamA(nullptr, MAKEINTRESOURCEA(IDD_PAGE), dialog, RecordingProc, 0);
  ASSERT_NE(page, nullptr);
  SetWindowPos(page, nullptr, 12, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);

  POINT button{4, 4};
  MapWindowPoints(GetDlgItem(page, ID_PAGE_BUTTON), dialog, &button, 1);
  ASSERT_TRUE(HostMouseDown(dialog, button.x, button.y));
  ASSERT_TRUE(HostMouseUp(dialog, button.x, button.y));
  auto commands = ReceivedOf(WM_COMMAND);
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0].window, page);
  EXPECT_EQ(LOWORD(commands[0].wParam), ID_PAGE_BUTTON);

  // Return with the page's button focused clicks it, not the default button.
  SetFocus(GetDlgItem(page, ID_PAGE_BUTTON));
  MSG enter{page, WM_KEYDOWN, VK_RETURN, 0, 0, POINT{0, 0}};
  EXPECT_TRUE(IsDialogMessageA(dialog, &enter));
  ASSERT_EQ(ReceivedOf(WM_COMMAND).size(), 2u);
  EXPECT_EQ(ReceivedOf(WM_COMMAND)[1].window, page);
  DestroyWindow(dialog);
}

}  // namespace
