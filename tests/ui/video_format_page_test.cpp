// The video format page: its buttons from the stored format on each board,
// the eight format texts its choices compose, the new digitizer set-up they
// cause, and the sync choice that only switches the channel.
#include <cstring>

#include "dialog_fixture.h"
#include "grabber/mil_info.h"
#include "settings/grabber_settings.h"
#include "source/source_session.h"
#include "ui/resources/resource_ids.h"

namespace {

constexpr int FORMAT_TAB = 1;

class VideoFormatPageTest : public DialogTest {
 protected:
  void OpenPage(int32_t board, const char* format) {
    OpenAndEnable(board, format);
    if (HasFatalFailure()) return;
    ChooseTab(FORMAT_TAB);
  }

  // The buttons of the page that are checked, and those that are enabled,
  // among the format, input and sync buttons.
  std::vector<int> CheckedButtons() {
    std::vector<int> checked;
    for (int id : BUTTONS) {
      if (Checked(PageItem(id))) checked.push_back(id);
    }
    return checked;
  }
  std::vector<int> EnabledButtons() {
    std::vector<int> enabled;
    for (int id : BUTTONS) {
      if (Enabled(PageItem(id))) enabled.push_back(id);
    }
    return enabled;
  }

  static constexpr int BUTTONS[] = {
      IDC_FORMAT_CCIR, IDC_FORMAT_RS170, IDC_FORMAT_PAL, IDC_FORMAT_NTSC, IDC_INPUT_YC,
      IDC_INPUT_RGB,   IDC_INPUT_CVBS,   IDC_SYNC_GREEN, IDC_SYNC_EXTERN,
  };
};

constexpr int VideoFormatPageTest::BUTTONS[];

const std::vector<int> FORMATS = {IDC_FORMAT_CCIR, IDC_FORMAT_RS170, IDC_FORMAT_PAL,
                                  IDC_FORMAT_NTSC};

std::vector<int> Join(std::vector<int> a, const std::vector<int>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST_F(VideoFormatPageTest, ButtonsShowTheStoredFormat) {
  struct Case {
    int32_t board;
    const char* format;
    uint32_t channel;  // stored Channel
    std::vector<int> checked;
    std::vector<int> enabled;
    bool inputGroupEnabled;
  };
  const Case cases[] = {
      {STANDARD_BOARD, "M_NTSC_YC", CHANNEL_0, {IDC_FORMAT_NTSC, IDC_INPUT_YC},
       Join(FORMATS, {IDC_INPUT_YC, IDC_INPUT_CVBS}), true},
      {STANDARD_BOARD, "M_PAL", CHANNEL_0, {IDC_FORMAT_PAL, IDC_INPUT_CVBS},
       Join(FORMATS, {IDC_INPUT_YC, IDC_INPUT_CVBS}), true},
      {MULTI_CHANNEL_BOARD, "M_PAL_RGB", CHANNEL_0, {IDC_FORMAT_PAL, IDC_INPUT_RGB, IDC_SYNC_GREEN},
       Join(FORMATS, {IDC_INPUT_RGB, IDC_SYNC_GREEN, IDC_SYNC_EXTERN}), true},
      {MULTI_CHANNEL_BOARD, "M_PAL_RGB", CHANNEL_RGB,
       {IDC_FORMAT_PAL, IDC_INPUT_RGB, IDC_SYNC_EXTERN},
       Join(FORMATS, {IDC_INPUT_RGB, IDC_SYNC_GREEN, IDC_SYNC_EXTERN}), true},
      {STANDARD_BOARD, "M_CCIR", CHANNEL_0, {IDC_FORMAT_CCIR}, FORMATS, false},
      {MULTI_CHANNEL_BOARD, "M_CCIR", CHANNEL_0, {IDC_FORMAT_CCIR}, FORMATS, false},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(std::to_string(test.board) + " " + test.format);
    StoreSetting("Channel", test.channel);
    OpenPage(test.board, test.format);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(CheckedButtons(), test.checked);
    EXPECT_EQ(EnabledButtons(), test.enabled);
    EXPECT_EQ(Enabled(PageItem(IDC_INPUT_GROUP)), test.inputGroupEnabled);
    // Enabling the sync choice sends the channel; external sync stays, any
    // other channel becomes sync on green.
    std::vector<std::string> channels = Calls("MdigChannel");
    bool sync = Enabled(PageItem(IDC_SYNC_GREEN));
    ASSERT_EQ(channels.size(), sync ? 1u : 0u);
    if (sync) {
      uint32_t sent = test.channel == CHANNEL_RGB ? CHANNEL_RGB : CHANNEL_1;
      EXPECT_EQ(grabberSettings.Channel, sent);
    }
    EXPECT_TRUE(Calls("MdigAlloc").empty()) << "opening the page sets nothing up";
    Control(DAT_IDENTITY, MSG_CLOSEDS, &dataSource_);
  }
}

TEST_F(VideoFormatPageTest, UnknownStoredFormatChangesNoButton) {
  OpenAndEnable(STANDARD_BOARD);
  SetDigFormat("M_SECAM");
  ChooseTab(FORMAT_TAB);
  EXPECT_TRUE(CheckedButtons().empty());
  // The template's state: every button enabled.
  EXPECT_EQ(EnabledButtons(), std::vector<int>(std::begin(BUTTONS), std::end(BUTTONS)));
}

TEST_F(VideoFormatPageTest, ChoicesComposeTheEightFormatsAndSetTheDigitizerUp) {
  struct Case {
    int32_t board;
    const char* stored;
    std::vector<int> clicks;
    const char* format;
  };
  const Case cases[] = {
      {STANDARD_BOARD, "M_PAL", {IDC_FORMAT_CCIR}, "M_CCIR"},
      {STANDARD_BOARD, "M_CCIR", {IDC_FORMAT_RS170}, "M_RS170"},
      {STANDARD_BOARD, "M_CCIR", {IDC_FORMAT_PAL}, "M_PAL"},  // CVBS by default
      {STANDARD_BOARD, "M_PAL", {IDC_INPUT_YC}, "M_PAL_YC"},
      {STANDARD_BOARD, "M_PAL_YC", {IDC_FORMAT_NTSC}, "M_NTSC_YC"},
      {STANDARD_BOARD, "M_NTSC_YC", {IDC_INPUT_CVBS}, "M_NTSC"},
      // The multi-channel board's one input on this page is RGB, also when
      // coming from a greyscale format.
      {MULTI_CHANNEL_BOARD, "M_CCIR", {IDC_FORMAT_PAL}, "M_PAL_RGB"},
      {MULTI_CHANNEL_BOARD, "M_PAL_RGB", {IDC_FORMAT_NTSC}, "M_NTSC_RGB"},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(std::string(test.stored) + " to " + test.format);
    StoreSetting("Preview", 1);
    StoreSetting("DispZoom", 2);
    OpenPage(test.board, test.stored);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(DigitizerState().grabbing);
    ClearLogs();
    MIL_ID oldDigitizer = milInfo.MilDigitizer;
    for (int id : test.clicks) ClickOnPage(id);

    EXPECT_STREQ(grabberSettings.DigFormat, test.format);
    EXPECT_STREQ(DigitizerState().format, test.format);
    EXPECT_NE(milInfo.MilDigitizer, oldDigitizer);
    // The live grab is halted and the preview hidden before the old
    // digitizer goes; the new one gets default levels and the stored zoom.
    std::string log = CallLog();
    size_t halt = log.find("MdigHalt(");
    size_t deselect = log.find("MdispDeselect(");
    size_t free = log.find("MdigFree(" + std::to_string(oldDigitizer) + ")");
    ASSERT_NE(halt, std::string::npos);
    ASSERT_NE(free, std::string::npos);
    EXPECT_LT(halt, free);
    EXPECT_LT(deselect, free);
    EXPECT_EQ(milInfo.DisplaySelected, 0);
    EXPECT_EQ(grabberSettings.Preview, 0);
    EXPECT_EQ(Text(Item(IDC_PREVIEW_BUTTON)), "Show preview window >>");
    EXPECT_NE(log.find(Call("MdispZoom", {milInfo.MilDisplay, 2, 2})), std::string::npos);
    SimDigitizerState state = DigitizerState();
    EXPECT_EQ(state.brightness, 128);
    EXPECT_EQ(state.contrast, 128);
    EXPECT_EQ(state.blackRef[0], 0);
    EXPECT_EQ(state.whiteRef[0], 255);
    Control(DAT_IDENTITY, MSG_CLOSEDS, &dataSource_);
  }
}

TEST_F(VideoFormatPageTest, InputChoiceWithAGreyscaleFormatDoesNothing) {
  OpenPage(STANDARD_BOARD, "M_CCIR");
  ClearLogs();
  // The inputs are disabled; their command alone changes nothing.
  EXPECT_FALSE(HostClickControl(PageItem(IDC_INPUT_YC)));
  SendMessageA(Page(), WM_COMMAND, MAKEWPARAM(IDC_INPUT_YC, BN_CLICKED), 0);
  EXPECT_TRUE(Calls("MdigAlloc").empty());
  EXPECT_STREQ(grabberSettings.DigFormat, "M_CCIR");
}

TEST_F(VideoFormatPageTest, SyncChoiceSwitchesTheChannelOnly) {
  StoreSetting("Preview", 1);
  OpenPage(MULTI_CHANNEL_BOARD, "M_PAL_RGB");
  ClearLogs();
  ClickOnPage(IDC_SYNC_EXTERN);
  EXPECT_EQ(grabberSettings.Channel, CHANNEL_RGB);
  ClickOnPage(IDC_SYNC_GREEN);
  EXPECT_EQ(grabberSettings.Channel, CHANNEL_1);
  EXPECT_EQ(Calls("MdigChannel").size(), 2u);
  EXPECT_TRUE(Calls("MdigAlloc").empty());
  EXPECT_EQ(milInfo.DisplaySelected, 1) << "the preview stays";
}

// A format the board refuses falls back to M_CCIR; the page shows it.
TEST_F(VideoFormatPageTest, RefusedFormatShowsTheFallback) {
  sim.SetSupportedFormats("M_CCIR,M_PAL");
  OpenPage(STANDARD_BOARD, "M_PAL");
  ClickOnPage(IDC_INPUT_YC);
  EXPECT_STREQ(DigitizerState().format, "M_CCIR");
  EXPECT_STREQ(grabberSettings.DigFormat, "M_CCIR");
  EXPECT_EQ(CheckedButtons(), std::vector<int>{IDC_FORMAT_CCIR});
  EXPECT_FALSE(Enabled(PageItem(IDC_INPUT_YC)));
  EXPECT_EQ(HostMessageBoxCount(), 1u);
}

// The application was told of an image of the current format.
TEST_F(VideoFormatPageTest, FormatStaysWhileATransferIsPending) {
  OpenPage(STANDARD_BOARD, "M_CCIR");
  Click(IDC_TRANSFER);
  ASSERT_EQ(sourceSession.state, STATE_XFERREADY);
  ClearLogs();
  ClickOnPage(IDC_FORMAT_PAL);
  EXPECT_TRUE(Calls("MdigFree").empty());
  EXPECT_STREQ(DigitizerState().format, "M_CCIR");
  EXPECT_EQ(CheckedButtons(), std::vector<int>{IDC_FORMAT_CCIR});
}

}  // namespace
