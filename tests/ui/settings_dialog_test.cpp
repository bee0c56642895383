// The settings dialog: what it shows when it opens, its tabs and the page
// each tab gets on each board, and its buttons: Transfer, Cancel, the close
// box, the zoom choices, the external display and the preview button.
#include <cstring>

#include "dialog_fixture.h"
#include "grabber/mil_info.h"
#include "source/entry_point.h"
#include "settings/grabber_settings.h"
#include "source/source_session.h"
#include "ui/live_preview_area.h"
#include "ui/resources/resource_ids.h"

namespace {

class SettingsDialogTest : public DialogTest {
 protected:
  std::string TabText(int index) {
    char text[64] = {};
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(Item(IDC_SETTINGS_TAB), TCM_GETITEMA, index, reinterpret_cast<LPARAM>(&item));
    return text;
  }

  std::string StoredText(const char* name) {
    HKEY key = nullptr;
    char text[128] = {};
    DWORD size = sizeof text;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Korvanta\\Twain\\Meteor2", 0, KEY_READ,
                      &key) != ERROR_SUCCESS) {
      return "";
    }
    RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size);
    RegCloseKey(key);
    return text;
  }

  DWORD StoredNumber(const char* name) {
    HKEY key = nullptr;
    DWORD value = 0xDEADBEEF;
    DWORD size = sizeof value;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Korvanta\\Twain\\Meteor2", 0, KEY_READ,
                      &key) == ERROR_SUCCESS) {
      RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
      RegCloseKey(key);
    }
    return value;
  }

  // Back to 500 after Transfer, as an application that ends the transfer.
  void EndTransfers() {
    TW_PENDINGXFERS pending{0, 0};
    Control(DAT_PENDINGXFERS, MSG_RESET, &pending);
    ASSERT_EQ(sourceSession.state, STATE_ENABLED);
  }

  int CheckedZoomButton() {
    for (int id = IDC_ZOOM_4_1; id <= IDC_ZOOM_1_4; ++id) {
      if (Checked(Item(id))) return id;
    }
    return 0;
  }
};

TEST_F(SettingsDialogTest, OpensWithTheBoardFactsAndThreeTabs) {
  sim.Reset();
  sim.SetInstant(1);
  OpenAndEnable(MULTI_CHANNEL_BOARD);
  ASSERT_NE(Dialog(), nullptr);
  EXPECT_EQ(Text(Dialog()), "Frame Grabber Settings");
  EXPECT_TRUE(IsWindowVisible(Dialog()));
  EXPECT_EQ(GetParent(Dialog()), nullptr);
  EXPECT_EQ(Text(Item(IDC_BOARD_TYPE)), "Meteor2-MC");
  char memory[32];
  snprintf(memory, sizeof memory, "%u kB", static_cast<unsigned>(milInfo.GrabMemoryKb));
  EXPECT_EQ(Text(Item(IDC_GRAB_MEMORY)), memory);
  EXPECT_GT(milInfo.GrabMemoryKb, 999u) << "the number has no thousands separator to show";

  ASSERT_EQ(SendMessageA(Item(IDC_SETTINGS_TAB), TCM_GETITEMCOUNT, 0, 0), 3);
  EXPECT_EQ(TabText(0), "A/D Setting");
  EXPECT_EQ(TabText(1), "Video Norm");
  EXPECT_EQ(TabText(2), "LUT Setting");
  EXPECT_EQ(SendMessageA(Item(IDC_SETTINGS_TAB), TCM_GETCURSEL, 0, 0), 0);
  ASSERT_NE(Page(), nullptr);
  EXPECT_TRUE(IsWindowVisible(Page()));

  EXPECT_FALSE(Checked(Item(IDC_SAVE_SETTINGS)));
  EXPECT_TRUE(Enabled(Item(IDC_TRANSFER)));
  // Preview 0 is stored: the button offers the preview.
  EXPECT_EQ(Text(Item(IDC_PREVIEW_BUTTON)), "Show preview window >>");
  EXPECT_EQ(milInfo.DisplaySelected, 0);
}

TEST_F(SettingsDialogTest, PagesStandAtTheTabControl) {
  OpenAndEnable(STANDARD_BOARD);
  RECT dialog{};
  RECT tab{};
  GetWindowRect(Dialog(), &dialog);
  GetWindowRect(Item(IDC_SETTINGS_TAB), &tab);
  for (int index : {1, 2, 0}) {
    SCOPED_TRACE(index);
    ChooseTab(index);
    RECT page = Placement(Page());
    EXPECT_EQ(page.left, tab.left - dialog.left);
    EXPECT_EQ(page.top, tab.top - dialog.top + 8);
  }
}

TEST_F(SettingsDialogTest, StoredZoomChoosesItsButton) {
  struct Case {
    int32_t zoom;
    int button;  // 0: none
  };
  const Case cases[] = {
      {4, IDC_ZOOM_4_1}, {2, IDC_ZOOM_2_1}, {1, IDC_ZOOM_1_1}, {-2, IDC_ZOOM_1_2},
      {-4, IDC_ZOOM_1_4}, {3, 0},           {0, 0},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.zoom);
    StoreSetting("DispZoom", static_cast<uint32_t>(test.zoom));
    OpenSession(STANDARD_BOARD);
    sim.ClearCallLog();
    TW_USERINTERFACE userInterface{TWAIN_TRUE, TWAIN_FALSE, nullptr};
    ASSERT_EQ(Control(DAT_USERINTERFACE, MSG_ENABLEDS, &userInterface), TWCC_SUCCESS);
    EXPECT_EQ(CheckedZoomButton(), test.button);
    std::vector<std::string> zooms = Calls("MdispZoom");
    if (test.button != 0) {
      ASSERT_EQ(zooms.size(), 1u);
      EXPECT_EQ(zooms[0].rfind(Call("MdispZoom", {milInfo.MilDisplay, test.zoom, test.zoom}), 0),
                0u);
    } else {
      EXPECT_TRUE(zooms.empty());
    }
    Control(DAT_USERINTERFACE, MSG_DISABLEDS, &userInterface);
    Control(DAT_IDENTITY, MSG_CLOSEDS, &dataSource_);
  }
}

TEST_F(SettingsDialogTest, StoredPreviewOpensWithTheLivePicture) {
  StoreSetting("Preview", 1);
  OpenAndEnable(STANDARD_BOARD);
  EXPECT_EQ(milInfo.DisplaySelected, 1);
  SimDisplayState display = DisplayState();
  EXPECT_TRUE(display.selected);
  EXPECT_EQ(display.window, reinterpret_cast<MIL_WINDOW_HANDLE>(Item(IDC_PREVIEW_PICTURE)));
  EXPECT_TRUE(DigitizerState().grabbing);
  EXPECT_EQ(Text(Item(IDC_PREVIEW_BUTTON)), "Hide preview window <<");
  EXPECT_EQ(grabberSettings.Preview, 1);
}

TEST_F(SettingsDialogTest, ExternalWindowOpensCollapsedWithoutPreview) {
  StoreSetting("ExtWindow", 1);
  StoreSetting("Preview", 1);
  OpenAndEnable(STANDARD_BOARD);
  EXPECT_TRUE(Checked(Item(IDC_EXTERNAL_PREVIEW)));
  EXPECT_EQ(milInfo.DisplaySelected, 0);
  EXPECT_FALSE(DigitizerState().grabbing);
  EXPECT_EQ(grabberSettings.Preview, 0);
  EXPECT_EQ(Text(Item(IDC_PREVIEW_BUTTON)), "Show preview window >>");
  RECT marker{};
  RECT dialog{};
  GetWindowRect(Item(IDC_PREVIEW_MARKER), &marker);
  GetWindowRect(Dialog(), &dialog);
  EXPECT_EQ(dialog.bottom, marker.bottom);
}

TEST_F(SettingsDialogTest, TabsRecreatePagesChosenByTheBoard) {
  struct Case {
    int32_t board;
    const char* format;
    const char* adPage;   // a text only that page shows
    const char* lutPage;
  };
  const Case cases[] = {
      {STANDARD_BOARD, "M_CCIR", "Composit Data Path", "No LUT available for this board"},
      {MULTI_CHANNEL_BOARD, "M_CCIR", "RGB Data Path", "Pre-defined LUT's"},
      {MULTI_CHANNEL_BOARD, "M_PAL", "Composit Data Path", "Pre-defined LUT's"},
      {MULTI_CHANNEL_BOARD, "M_PAL_RGB", "RGB Data Path", "Pre-defined LUT's"},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(std::to_string(test.board) + " " + test.format);
    OpenAndEnable(test.board, test.format);
    ASSERT_FALSE(HasFatalFailure());
    HWND first = Page();
    EXPECT_NE(HostFindWindowByText(first, test.adPage), nullptr);

    ChooseTab(2);
    HWND lut = Page();
    EXPECT_FALSE(IsWindow(first)) << "the page of the tab left is destroyed";
    EXPECT_NE(HostFindWindowByText(lut, test.lutPage), nullptr);
    EXPECT_TRUE(IsWindowVisible(lut));

    ChooseTab(1);
    EXPECT_FALSE(IsWindow(lut));
    EXPECT_NE(HostFindWindowByText(Page(), "Video format"), nullptr);

    ChooseTab(0);
    EXPECT_NE(Page(), first) << "a new page each time";
    EXPECT_NE(HostFindWindowByText(Page(), test.adPage), nullptr);
    // One page at a time: the dialog itself is the first of its class.
    EXPECT_EQ(HostFindWindowByClass(Dialog(), "#32770", 1), Page());
    EXPECT_EQ(HostFindWindowByClass(Dialog(), "#32770", 2), nullptr);

    Control(DAT_IDENTITY, MSG_CLOSEDS, &dataSource_);
  }
}

TEST_F(SettingsDialogTest, TransferSavesOnceWhenAskedAndHaltsTheLiveGrab) {
  StoreSetting("Preview", 1);
  OpenAndEnable(STANDARD_BOARD);
  ASSERT_TRUE(DigitizerState().grabbing);

  Click(IDC_SAVE_SETTINGS);
  ASSERT_TRUE(Checked(Item(IDC_SAVE_SETTINGS)));
  grabberSettings.DispZoom = 2;  // what the user chose, not yet saved
  Click(IDC_TRANSFER);
  EXPECT_EQ(StoredNumber("DispZoom"), 2u);
  EXPECT_FALSE(Checked(Item(IDC_SAVE_SETTINGS)));
  EXPECT_FALSE(DigitizerState().grabbing) << "the live grab is halted before the transfer";
  ASSERT_EQ(NotificationCount(), 1u);
  EXPECT_EQ(Notification(0).MSG, MSG_XFERREADY);
  EXPECT_EQ(sourceSession.state, STATE_XFERREADY);

  EndTransfers();
  grabberSettings.DispZoom = 4;
  Click(IDC_TRANSFER);
  EXPECT_EQ(StoredNumber("DispZoom"), 2u) << "saved once only";
  EXPECT_EQ(NotificationCount(), 2u);
}

TEST_F(SettingsDialogTest, TransferSignalsOnceUntilTheTransfersEnd) {
  OpenAndEnable(STANDARD_BOARD);
  Click(IDC_TRANSFER);
  Click(IDC_TRANSFER);
  EXPECT_EQ(NotificationCount(), 1u);
  EXPECT_NE(Log().find("Transfer ignored, an image is already waiting\n"), std::string::npos);
  EXPECT_EQ(sourceSession.state, STATE_XFERREADY);
  // The preview stays off while the image waits: the transfer grabs it.
  Click(IDC_PREVIEW_BUTTON);
  EXPECT_EQ(milInfo.DisplaySelected, 0);
  EXPECT_TRUE(Calls("MdigGrabContinuous").empty());
  EndTransfers();
  Click(IDC_TRANSFER);
  EXPECT_EQ(NotificationCount(), 2u);
}

TEST_F(SettingsDialogTest, SettingsOnlyNeverSignalsTransferReady) {
  StoreFormat("M_CCIR");
  OpenSession(STANDARD_BOARD);
  Enable(MSG_ENABLEDSUIONLY);
  EXPECT_FALSE(Enabled(Item(IDC_TRANSFER)));
  EXPECT_FALSE(HostClickControl(Item(IDC_TRANSFER)));
  // Enter in the dialog reaches its default button's command all the same.
  SendMessageA(Dialog(), WM_COMMAND, MAKEWPARAM(IDC_TRANSFER, BN_CLICKED), 0);
  EXPECT_EQ(NotificationCount(), 0u);
  EXPECT_EQ(sourceSession.state, STATE_ENABLED);
}

TEST_F(SettingsDialogTest, CancelAsksToCloseAndHidesTheDialog) {
  StoreSetting("Preview", 1);
  OpenAndEnable(STANDARD_BOARD);
  Click(IDC_CANCEL);
  ASSERT_EQ(NotificationCount(), 1u);
  EXPECT_EQ(Notification(0).MSG, MSG_CLOSEDSREQ);
  EXPECT_FALSE(DigitizerState().grabbing);
  INT_PTR result = 0;
  EXPECT_TRUE(HostDialogEnded(Dialog(), &result));
  EXPECT_EQ(result, 1);
  EXPECT_FALSE(IsWindowVisible(Dialog()));
  EXPECT_TRUE(IsWindow(Dialog())) << "the session destroys it";
}

TEST_F(SettingsDialogTest, CloseBoxHidesThePreviewAndAsksToClose) {
  StoreSetting("Preview", 1);
  OpenAndEnable(STANDARD_BOARD);
  SendMessageA(Dialog(), WM_CLOSE, 0, 0);
  ASSERT_EQ(NotificationCount(), 1u);
  EXPECT_EQ(Notification(0).MSG, MSG_CLOSEDSREQ);
  EXPECT_EQ(milInfo.DisplaySelected, 0);
  EXPECT_EQ(grabberSettings.Preview, 0);
  EXPECT_TRUE(IsWindowVisible(Dialog()));
}

TEST_F(SettingsDialogTest, KeyboardMessagesReachTheDialogThroughProcessEvent) {
  OpenAndEnable(STANDARD_BOARD);
  MSG escape{Dialog(), WM_KEYDOWN, VK_ESCAPE, 0, 0, {0, 0}};
  TW_EVENT event{&escape, 0x1234};
  EXPECT_EQ(DS_Entry(&application_, DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event),
            TWRC_DSEVENT);
  EXPECT_EQ(event.TWMessage, MSG_NULL);
  // Escape is the dialog's Cancel.
  ASSERT_EQ(NotificationCount(), 1u);
  EXPECT_EQ(Notification(0).MSG, MSG_CLOSEDSREQ);
}

TEST_F(SettingsDialogTest, ZoomChoiceHidesThePreviewBeforeZooming) {
  StoreSetting("Preview", 1);
  OpenAndEnable(STANDARD_BOARD);
  Click(IDC_ZOOM_1_2);
  EXPECT_EQ(milInfo.DisplaySelected, 0);
  EXPECT_EQ(grabberSettings.DispZoom, -2);
  EXPECT_EQ(grabberSettings.Preview, 0);
  std::string log = CallLog();
  size_t deselect = log.find("MdispDeselect(");
  size_t zoom = log.find(Call("MdispZoom", {milInfo.MilDisplay, -2, -2}));
  ASSERT_NE(deselect, std::string::npos);
  ASSERT_NE(zoom, std::string::npos);
  EXPECT_LT(deselect, zoom);
  RECT marker{};
  RECT dialog{};
  GetWindowRect(Item(IDC_PREVIEW_MARKER), &marker);
  GetWindowRect(Dialog(), &dialog);
  EXPECT_EQ(dialog.bottom, marker.bottom) << "collapsed";

  // Shown again, the picture has the new zoom.
  Click(IDC_PREVIEW_BUTTON);
  EXPECT_EQ(Width(Item(IDC_PREVIEW_PICTURE)), LONG(milInfo.ImageWidth / 2));
}

TEST_F(SettingsDialogTest, ExternalDisplayShowsTheLibrarysWindow) {
  OpenAndEnable(STANDARD_BOARD);
  RECT collapsed{};
  GetWindowRect(Dialog(), &collapsed);
  Click(IDC_EXTERNAL_PREVIEW);
  EXPECT_EQ(grabberSettings.ExtWindow, 1);
  Click(IDC_PREVIEW_BUTTON);
  SimDisplayState display = DisplayState();
  EXPECT_TRUE(display.selected);
  EXPECT_EQ(display.window, nullptr) << "the library's own window";
  EXPECT_STREQ(display.title, "TWAIN source live preview");
  EXPECT_TRUE(DigitizerState().grabbing);
  RECT shown{};
  GetWindowRect(Dialog(), &shown);
  EXPECT_EQ(memcmp(&shown, &collapsed, sizeof shown), 0) << "the dialog keeps its size";

  // Back to the dialog's own picture: the external one is hidden first.
  Click(IDC_EXTERNAL_PREVIEW);
  EXPECT_EQ(grabberSettings.ExtWindow, 0);
  EXPECT_EQ(milInfo.DisplaySelected, 0);
  EXPECT_FALSE(DigitizerState().grabbing);
  Click(IDC_PREVIEW_BUTTON);
  EXPECT_EQ(DisplayState().window, reinterpret_cast<MIL_WINDOW_HANDLE>(Item(IDC_PREVIEW_PICTURE)));
}

// Disabled with the preview shown, then enabled without the dialog: the
// transfer's grab finds the digitizer free.
TEST_F(SettingsDialogTest, HidingTheDialogEndsTheLivePicture) {
  StoreSetting("Preview", 1);
  OpenAndEnable(STANDARD_BOARD);
  ASSERT_TRUE(DigitizerState().grabbing);
  TW_USERINTERFACE userInterface{TWAIN_FALSE, TWAIN_FALSE, nullptr};
  ASSERT_EQ(Control(DAT_USERINTERFACE, MSG_DISABLEDS, &userInterface), TWCC_SUCCESS);
  EXPECT_FALSE(IsWindowVisible(Dialog()));
  EXPECT_FALSE(DigitizerState().grabbing);
  EXPECT_EQ(milInfo.DisplaySelected, 0);
  EXPECT_EQ(grabberSettings.Preview, 1) << "the user's choice stays for the next dialog";

  ASSERT_EQ(Control(DAT_USERINTERFACE, MSG_ENABLEDS, &userInterface), TWCC_SUCCESS);
  ASSERT_EQ(sourceSession.state, STATE_XFERREADY);
  TW_HANDLE image = nullptr;
  EXPECT_EQ(DS_Entry(&application_, DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &image),
            TWRC_XFERDONE);
  EXPECT_EQ(CallLog().find(" error:"), std::string::npos) << CallLog();
  if (image != nullptr) GlobalFree(image);
}

TEST_F(SettingsDialogTest, ClosingWithThePreviewShownReleasesTheDisplay) {
  StoreSetting("Preview", 1);
  OpenAndEnable(STANDARD_BOARD);
  ASSERT_TRUE(DigitizerState().grabbing);
  EXPECT_EQ(Control(DAT_IDENTITY, MSG_CLOSEDS, &dataSource_), TWCC_SEQERROR);
  EXPECT_EQ(milInfo.DisplaySelected, 0);
  EXPECT_EQ(HostLiveWindowCount(), 0u);
  // The preview the user left on is kept for the next opening.
  EXPECT_EQ(grabberSettings.Preview, 1);

  // A new session shows the preview in its new dialog.
  OpenSession(STANDARD_BOARD);
  Enable();
  EXPECT_EQ(DisplayState().window, reinterpret_cast<MIL_WINDOW_HANDLE>(Item(IDC_PREVIEW_PICTURE)));
  EXPECT_TRUE(DigitizerState().grabbing);
}

}  // namespace
