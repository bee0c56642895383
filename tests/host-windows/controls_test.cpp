// Controls as a user and as the dialog code use them: radio groups, check
// boxes, the tab control, trackbars, the drop-down list, texts and numbers.
#include <string>

#include "windows_fixture.h"

namespace {

std::vector<int> CommandIds(const std::vector<Received>& commands) {
  std::vector<int> ids;
  for (const Received& command : commands) ids.push_back(LOWORD(command.wParam));
  return ids;
}

TEST_F(WindowsTest, AutomaticRadioButtonsCheckWithinTheirGroup) {
  HWND dialog = CreateMainDialog();
  ShowWindow(dialog, SW_SHOW);
  CheckRadioButton(dialog, ID_RADIO_ONE, ID_RADIO_THREE, ID_RADIO_ONE);
  CheckDlgButton(dialog, ID_RADIO_ALPHA, BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(dialog, ID_RADIO_ONE), UINT(BST_CHECKED));

  ASSERT_TRUE(HostClickControl(Item(dialog, ID_RADIO_TWO)));
  EXPECT_EQ(IsDlgButtonChecked(dialog, ID_RADIO_ONE), UINT(BST_UNCHECKED));
  EXPECT_EQ(IsDlgButtonChecked(dialog, ID_RADIO_TWO), UINT(BST_CHECKED));
  EXPECT_EQ(IsDlgButtonChecked(dialog, ID_RADIO_THREE), UINT(BST_UNCHECKED));
  EXPECT_EQ(IsDlgButtonChecked(dialog, ID_RADIO_ALPHA), UINT(BST_CHECKED)) << "another group";
  auto commands = ReceivedOf(WM_COMMAND);
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(LOWORD(commands[0].wParam), ID_RADIO_TWO);
  EXPECT_EQ(HIWORD(commands[0].wParam), BN_CLICKED);
  EXPECT_EQ(reinterpret_cast<HWND>(commands[0].lParam), Item(dialog, ID_RADIO_TWO));

  // The second group starts at the WS_GROUP button Alpha.
  ASSERT_TRUE(HostClickControl(Item(dialog, ID_RADIO_BETA)));
  EXPECT_EQ(IsDlgButtonChecked(dialog, ID_RADIO_ALPHA), UINT(BST_UNCHECKED));
  EXPECT_EQ(IsDlgButtonChecked(dialog, ID_RADIO_TWO), UINT(BST_CHECKED));
  // A click on the checked button keeps it checked and still notifies.
  ASSERT_TRUE(HostClickControl(Item(dialog, ID_RADIO_BETA)));
  EXPECT_EQ(IsDlgButtonChecked(dialog, ID_RADIO_BETA), UINT(BST_CHECKED));
  EXPECT_EQ(CommandIds(ReceivedOf(WM_COMMAND)), (std::vector<int>{ID_RADIO_TWO, ID_RADIO_BETA, ID_RADIO_BETA}));

  // A user cannot click a disabled or hidden button.
  EnableWindow(Item(dialog, ID_RADIO_ONE), FALSE);
  EXPECT_FALSE(HostClickControl(Item(dialog, ID_RADIO_ONE)));
  ShowWindow(Item(dialog, ID_RADIO_THREE), SW_HIDE);
  EXPECT_FALSE(HostClickControl(Item(dialog, ID_RADIO_THREE)));
  EnableWindow(dialog, FALSE);
  EXPECT_FALSE(HostClickControl(Item(dialog, ID_RADIO_TWO))) << "nor one in a disabled dialog";
  EnableWindow(dialog, TRUE);
  EXPECT_EQ(ReceivedOf(WM_COMMAND).size(), 3u);
  EXPECT_EQ(IsDlgButtonChecked(dialog, ID_RADIO_TWO), UINT(BST_CHECKED));

  // CheckRadioButton sets the range by id from code, without notifications.
  CheckRadioButton(dialog, ID_RADIO_ONE, ID_RADIO_THREE, ID_RADIO_THREE);
  EXPECT_EQ(IsDlgButtonChecked(dialog, ID_RADIO_TWO), UINT(BST_UNCHECKED));
  EXPECT_EQ(IsDlgButtonChecked(dialog, ID_RADIO_THREE), UINT(BST_CHECKED));
  EXPECT_EQ(ReceivedOf(WM_COMMAND).size(), 3u);
  DestroyWindow(dialog);
}

TEST_F(WindowsTest, CheckBoxTogglesOnEachClickAndPushButtonsOnlyNotify) {
  HWND dialog = CreateMainDialog();
  ShowWindow(dialog, SW_SHOW);
  HWND check = Item(dialog, ID_CHECK);
  ASSERT_TRUE(HostClickControl(check));
  EXPECT_EQ(IsDlgButtonChecked(dialog, ID_CHECK), UINT(BST_CHECKED));
  ASSERT_TRUE(HostClickControl(check));
  EXPECT_EQ(IsDlgButtonChecked(dialog, ID_CHECK), UINT(BST_UNCHECKED));
  CheckDlgButton(dialog, ID_CHECK, BST_INDETERMINATE);
  EXPECT_EQ(IsDlgButtonChecked(dialog, ID_CHECK), UINT(BST_CHECKED)) << "a two-state box has no third state";

  ASSERT_TRUE(HostClickControl(Item(dialog, IDOK)));
  EXPECT_EQ(IsDlgButtonChecked(dialog, IDOK), UINT(BST_UNCHECKED));
  SendDlgItemMessageA(dialog, IDCANCEL, BM_CLICK, 0, 0);
  EXPECT_EQ(CommandIds(ReceivedOf(WM_COMMAND)), (std::vector<int>{ID_CHECK, ID_CHECK, IDOK, IDCANCEL}));
  EXPECT_FALSE(HostClickControl(HostFindWindowByText(dialog, "Options"))) << "a group box is no button";
  DestroyWindow(dialog);
}

TEST_F(WindowsTest, TabControlItemsSelectionAndNotifications) {
  HWND dialog = CreateMainDialog();
  ShowWindow(dialog, SW_SHOW);
  HWND tab = Item(dialog, ID_TAB);
  EXPECT_EQ(SendMessageA(tab, TCM_GETCURSEL, 0, 0), -1);
  const char* names[] = {"A/D Setting", "Video Norm", "LUT Setting"};
  for (int i = 0; i < 3; ++i) {
    TCITEMA item{};
    item.mask = TCIF_TEXT | TCIF_IMAGE;
    item.pszText = const_cast<char*>(names[i]);
    item.iImage = -1;
    EXPECT_EQ(SendMessageA(tab, TCM_INSERTITEMA, WPARAM(i), reinterpret_cast<LPARAM>(&item)), i);
  }
  EXPECT_EQ(SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0), 3);
  EXPECT_EQ(SendMessageA(tab, TCM_GETCURSEL, 0, 0), 0) << "the first tab inserted is selected";
  char text[32];
  TCITEMA query{};
  query.mask = TCIF_TEXT;
  query.pszText = text;
  query.cchTextMax = sizeof text;
  ASSERT_TRUE(SendMessageA(tab, TCM_GETITEMA, 1, reinterpret_cast<LPARAM>(&query)));
  EXPECT_STREQ(text, "Video Norm");

  // A user's choice: TCN_SELCHANGING then TCN_SELCHANGE from the control.
  ASSERT_TRUE(HostChooseTab(tab, 2));
  auto notes = ReceivedOf(WM_NOTIFY);
  ASSERT_EQ(notes.size(), 2u);
  EXPECT_EQ(notes[0].notify.code, TCN_SELCHANGING);
  EXPECT_EQ(notes[1].notify.code, TCN_SELCHANGE);
  EXPECT_EQ(int(notes[1].notify.code), -551);
  EXPECT_EQ(notes[1].notify.idFrom, UINT_PTR(ID_TAB));
  EXPECT_EQ(notes[1].notify.hwndFrom, tab);
  EXPECT_EQ(notes[1].wParam, WPARAM(ID_TAB));
  EXPECT_EQ(SendMessageA(tab, TCM_GETCURSEL, 0, 0), 2);

  // Choosing the current tab or selecting from code notifies nothing.
  ASSERT_TRUE(HostChooseTab(tab, 2));
  EXPECT_EQ(SendMessageA(tab, TCM_SETCURSEL, 0, 0), 2);
  EXPECT_EQ(SendMessageA(tab, TCM_SETCURSEL, 7, 0), -1);
  EXPECT_EQ(ReceivedOf(WM_NOTIFY).size(), 2u);
  EXPECT_FALSE(HostChooseTab(tab, 3));

  // A click on a label selects it; a parent answering TRUE to
  // TCN_SELCHANGING keeps the selection.
  RECT label{};
  ASSERT_TRUE(SendMessageA(tab, TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&label)));
  POINT point{(label.left + label.right) / 2, (label.top + label.bottom) / 2};
  MapWindowPoints(tab, dialog, &point, 1);
  ASSERT_TRUE(HostMouseDown(dialog, point.x, point.y));
  HostMouseUp(dialog, point.x, point.y);
  EXPECT_EQ(SendMessageA(tab, TCM_GETCURSEL, 0, 0), 1);
  handler_ = [](HWND window, UINT message, WPARAM, LPARAM lParam) -> INT_PTR {
    if (message != WM_NOTIFY || reinterpret_cast<NMHDR*>(lParam)->code != TCN_SELCHANGING) return FALSE;
    SetWindowLongPtrA(window, DWLP_MSGRESULT, TRUE);
    return TRUE;
  };
  received_.clear();
  EXPECT_FALSE(HostChooseTab(tab, 0));
  EXPECT_EQ(SendMessageA(tab, TCM_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(ReceivedOf(WM_NOTIFY).size(), 1u);

  EXPECT_TRUE(SendMessageA(tab, TCM_DELETEALLITEMS, 0, 0));
  EXPECT_EQ(SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0), 0);
  EXPECT_EQ(SendMessageA(tab, TCM_GETCURSEL, 0, 0), -1);
  DestroyWindow(dialog);
}

TEST_F(WindowsTest, TrackbarRangePositionAndDragNotifications) {
  HWND dialog = CreateMainDialog();
  ShowWindow(dialog, SW_SHOW);
  HWND slider = Item(dialog, ID_SLIDER);
  EXPECT_EQ(SendMessageA(slider, TBM_GETRANGEMAX, 0, 0), 100) << "the default range is 0..100";
  SendMessageA(slider, TBM_SETRANGE, TRUE, MAKELONG(0, 255));
  SendMessageA(slider, TBM_SETTICFREQ, 16, 0);
  SendMessageA(slider, TBM_SETPOS, TRUE, 300);
  EXPECT_EQ(SendMessageA(slider, TBM_GETPOS, 0, 0), 255) << "positions are clamped to the range";
  SendMessageA(slider, TBM_SETRANGEMAX, TRUE, 200);
  EXPECT_EQ(SendMessageA(slider, TBM_GETPOS, 0, 0), 200);
  SendMessageA(slider, TBM_SETRANGEMIN, TRUE, 10);
  SendMessageA(slider, TBM_SETPOS, TRUE, 0);
  EXPECT_EQ(SendMessageA(slider, TBM_GETPOS, 0, 0), 10);
  SendMessageA(slider, TBM_SETRANGE, TRUE, MAKELONG(0, 255));
  EXPECT_TRUE(ReceivedOf(WM_HSCROLL).empty()) << "setting from code notifies nothing";

  // Every change of position while dragging, then the end of the drag.
  const int path[] = {20, 40, 40, 300};
  ASSERT_TRUE(HostDragSlider(slider, path, 4));
  auto scrolls = ReceivedOf(WM_HSCROLL);
  struct Expected {
    WORD code;
    WORD position;
  } expected[] = {{TB_THUMBTRACK, 20}, {TB_THUMBTRACK, 40}, {TB_THUMBTRACK, 255}, {TB_THUMBPOSITION, 255}, {TB_ENDTRACK, 0}};
  ASSERT_EQ(scrolls.size(), 5u);
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(LOWORD(scrolls[i].wParam), expected[i].code) << i;
    EXPECT_EQ(HIWORD(scrolls[i].wParam), expected[i].position) << i;
    EXPECT_EQ(reinterpret_cast<HWND>(scrolls[i].lParam), slider);
  }

  // A vertical trackbar reports through WM_VSCROLL; a disabled one refuses.
  ASSERT_TRUE(HostMoveSlider(Item(dialog, ID_VERTICAL_SLIDER), 30));
  EXPECT_EQ(ReceivedOf(WM_VSCROLL).size(), 3u);
  EXPECT_EQ(ReceivedOf(WM_HSCROLL).size(), 5u);
  EnableWindow(slider, FALSE);
  EXPECT_FALSE(HostMoveSlider(slider, 5));
  DestroyWindow(dialog);
}

TEST_F(WindowsTest, TrackbarFollowsTheMouseDraggingItsThumb) {
  HWND dialog = CreateMainDialog();
  ShowWindow(dialog, SW_SHOW);
  HWND slider = Item(dialog, ID_SLIDER);
  SendMessageA(slider, TBM_SETRANGE, TRUE, MAKELONG(0, 255));
  RECT client;
  GetClientRect(slider, &client);
  // The thumb of position 0 is at the left end; drag it past the right end.
  POINT start{5, client.bottom / 2}, end{client.right + 40, client.bottom / 2};
  MapWindowPoints(slider, dialog, &start, 1);
  MapWindowPoints(slider, dialog, &end, 1);
  ASSERT_TRUE(HostMouseDown(dialog, start.x, start.y));
  ASSERT_TRUE(HostMouseMove(dialog, end.x, end.y)) << "the slider holds the mouse while dragging";
  ASSERT_TRUE(HostMouseUp(dialog, end.x, end.y));
  EXPECT_EQ(SendMessageA(slider, TBM_GETPOS, 0, 0), 255);
  auto scrolls = ReceivedOf(WM_HSCROLL);
  ASSERT_EQ(scrolls.size(), 3u);
  EXPECT_EQ(scrolls[0].wParam, MAKEWPARAM(TB_THUMBTRACK, 255));
  EXPECT_EQ(scrolls[1].wParam, MAKEWPARAM(TB_THUMBPOSITION, 255));
  EXPECT_EQ(scrolls[2].wParam, MAKEWPARAM(TB_ENDTRACK, 0));
  EXPECT_TRUE(ReceivedOf(WM_LBUTTONDOWN).empty()) << "the press went to the slider";
  DestroyWindow(dialog);
}

TEST_F(WindowsTest, DropDownListItemsSelectionAndUserChoice) {
  HWND dialog = CreateMainDialog();
  ShowWindow(dialog, SW_SHOW);
  HWND combo = Item(dialog, ID_COMBO);
  for (const char* item : {"user defined", "pos. linear", "neg. linear", "pseudo color"})
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 4);
  EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), CB_ERR);
  EXPECT_EQ(SendMessageA(combo, CB_SETCURSEL, 0, 0), 0);
  EXPECT_STREQ(HostWindowText(combo), "user defined");
  char text[32];
  EXPECT_EQ(SendMessageA(combo, CB_GETLBTEXT, 2, reinterpret_cast<LPARAM>(text)), 11);
  EXPECT_STREQ(text, "neg. linear");
  EXPECT_EQ(SendMessageA(combo, CB_GETLBTEXT, 4, reinterpret_cast<LPARAM>(text)), CB_ERR);
  EXPECT_EQ(SendMessageA(combo, CB_SETCURSEL, 9, 0), CB_ERR);
  EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), CB_ERR) << "a bad index clears the selection";
  EXPECT_TRUE(ReceivedOf(WM_COMMAND).empty());

  // A user's choice notifies CBN_SELCHANGE with the new selection in place,
  // also when the item chosen is the one already selected.
  int selectionAtChange = -2;
  handler_ = [&](HWND window, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
    if (message == WM_COMMAND && HIWORD(wParam) == CBN_SELCHANGE)
      selectionAtChange = int(SendDlgItemMessageA(window, ID_COMBO, CB_GETCURSEL, 0, 0));
    return FALSE;
  };
  ASSERT_TRUE(HostChooseComboText(combo, "pseudo color"));
  EXPECT_EQ(selectionAtChange, 3);
  ASSERT_TRUE(HostChooseComboItem(combo, 3));
  int changes = 0;
  for (const Received& command : ReceivedOf(WM_COMMAND)) {
    EXPECT_EQ(LOWORD(command.wParam), ID_COMBO);
    changes += HIWORD(command.wParam) == CBN_SELCHANGE;
  }
  EXPECT_EQ(changes, 2);
  EXPECT_FALSE(HostChooseComboItem(combo, 4));
  EXPECT_FALSE(HostChooseComboText(combo, "nothing"));

  EXPECT_EQ(SendMessageA(combo, CB_RESETCONTENT, 0, 0), CB_OKAY);
  EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), CB_ERR);
  EXPECT_STREQ(HostWindowText(combo), "");
  DestroyWindow(dialog);
}

TEST_F(WindowsTest, TextsAndNumbersOfControls) {
  HWND dialog = CreateMainDialog();
  ASSERT_TRUE(SetDlgItemInt(dialog, ID_VALUE, UINT(-5), TRUE));
  char text[8];
  EXPECT_EQ(GetDlgItemTextA(dialog, ID_VALUE, text, sizeof text), 2u);
  EXPECT_STREQ(text, "-5");
  auto commands = ReceivedOf(WM_COMMAND);
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0].wParam, MAKEWPARAM(ID_VALUE, EN_CHANGE)) << "an edit reports a new text";
  SetDlgItemInt(dialog, ID_VALUE, 4000000000u, FALSE);
  EXPECT_STREQ(HostWindowText(Item(dialog, ID_VALUE)), "4000000000");

  // A short buffer gets the start of the text, terminated.
  SetDlgItemTextA(dialog, ID_VALUE, "a long value");
  EXPECT_EQ(GetDlgItemTextA(dialog, ID_VALUE, text, 5), 4u);
  EXPECT_STREQ(text, "a lo");
  EXPECT_EQ(GetWindowTextLengthA(Item(dialog, ID_VALUE)), 12);

  struct Case {
    const char* text;
    BOOL isSigned;
    BOOL translated;
    UINT value;
  } cases[] = {
      {"123", FALSE, TRUE, 123},     {" 42 ", FALSE, TRUE, 42},       {"-7", TRUE, TRUE, UINT(-7)},
      {"-7", FALSE, FALSE, 0},       {"12a", FALSE, FALSE, 0},        {"", FALSE, FALSE, 0},
      {"4294967295", FALSE, TRUE, 4294967295u}, {"4294967296", FALSE, FALSE, 0}, {"2147483648", TRUE, FALSE, 0},
      {"-2147483648", TRUE, TRUE, 0x80000000u},
  };
  for (const Case& c : cases) {
    SetDlgItemTextA(dialog, ID_VALUE, c.text);
    BOOL translated = 2;
    EXPECT_EQ(GetDlgItemInt(dialog, ID_VALUE, &translated, c.isSigned), c.value) << c.text;
    EXPECT_EQ(translated, c.translated) << c.text;
  }
  BOOL translated = TRUE;
  EXPECT_EQ(GetDlgItemInt(dialog, 4242, &translated, FALSE), 0u);
  EXPECT_FALSE(translated);

  EnableWindow(Item(dialog, ID_VALUE), FALSE);
  EXPECT_FALSE(IsWindowEnabled(Item(dialog, ID_VALUE)));
  EXPECT_TRUE(EnableWindow(Item(dialog, ID_VALUE), TRUE)) << "it answers that the window was disabled";
  EXPECT_TRUE(IsWindowEnabled(Item(dialog, ID_VALUE)));
  DestroyWindow(dialog);
}

}  // namespace
