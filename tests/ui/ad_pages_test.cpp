// The A/D pages: the composite page's decoder levels and the RGB page's
// references, read from the digitizer when the page opens or is reset, and
// sent to it at every position a slider passes; the RGB page's lock boxes.
#include <cstdlib>

#include "dialog_fixture.h"
#include "grabber/adjustments.h"
#include "grabber/mil_info.h"
#include "settings/grabber_settings.h"
#include "ui/resources/resource_ids.h"

namespace {

class AdPagesTest : public DialogTest {
 protected:
  void Drag(int slider, std::vector<int> positions) {
    ASSERT_TRUE(HostDragSlider(PageItem(slider), positions.data(), positions.size()));
  }
  int Position(int slider) {
    return static_cast<int>(SendMessageA(PageItem(slider), TBM_GETPOS, 0, 0));
  }
  // The levels sent with MdigReference of a type (brightness 4008, black
  // reference 4003 with channel bits, ...), in order.
  std::vector<long long> LevelsSent(long long type) {
    std::vector<long long> levels;
    std::string prefix = "MdigReference(" + std::to_string(milInfo.MilDigitizer) + ", " +
                         std::to_string(type) + ", ";
    for (const std::string& line : Calls("MdigReference")) {
      if (line.compare(0, prefix.size(), prefix) == 0) {
        levels.push_back(atoll(line.c_str() + prefix.size()));
      }
    }
    return levels;
  }
};

constexpr long long BRIGHTNESS = 4008;
constexpr long long BLACK_REFERENCE = 4003;
constexpr long long WHITE_REFERENCE = 4005;

TEST_F(AdPagesTest, CompositePageShowsTheDigitizerLevels) {
  struct Case {
    const char* format;
    bool colour;
  };
  for (const Case& test : {Case{"M_CCIR", false}, Case{"M_PAL_YC", true}}) {
    SCOPED_TRACE(test.format);
    StoreSetting("Brightness", 100);
    StoreSetting("Contrast", 90);
    StoreSetting("Saturation", 70);
    StoreSetting("Hue", 60);
    OpenAndEnable(STANDARD_BOARD, test.format);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_NE(HostFindWindowByText(Page(), "Composit Data Path"), nullptr);
    EXPECT_EQ(Text(PageItem(IDC_BRIGHTNESS_VALUE)), "100");
    EXPECT_EQ(Position(IDC_BRIGHTNESS_SLIDER), 100);
    EXPECT_EQ(Text(PageItem(IDC_CONTRAST_VALUE)), "90");
    EXPECT_EQ(Position(IDC_CONTRAST_SLIDER), 90);
    // A monochrome decoder has no saturation or hue.
    EXPECT_EQ(Text(PageItem(IDC_SATURATION_VALUE)), test.colour ? "70" : "0");
    EXPECT_EQ(Text(PageItem(IDC_HUE_VALUE)), test.colour ? "60" : "0");
    for (int id : {IDC_SATURATION_SLIDER, IDC_SATURATION_VALUE, IDC_HUE_SLIDER, IDC_HUE_VALUE}) {
      EXPECT_EQ(Enabled(PageItem(id)), test.colour) << id;
    }
    EXPECT_EQ(SendMessageA(PageItem(IDC_HUE_SLIDER), TBM_GETRANGEMAX, 0, 0), 255);

    ClickOnPage(IDC_COMPOSITE_DEFAULT);
    SimDigitizerState state = DigitizerState();
    EXPECT_EQ(state.brightness, 128);
    EXPECT_EQ(state.contrast, 128);
    EXPECT_EQ(Text(PageItem(IDC_BRIGHTNESS_VALUE)), "128");
    EXPECT_EQ(Text(PageItem(IDC_CONTRAST_VALUE)), "128");
    EXPECT_EQ(Text(PageItem(IDC_SATURATION_VALUE)), test.colour ? "128" : "0");
    EXPECT_EQ(Text(PageItem(IDC_HUE_VALUE)), test.colour ? "128" : "0");
    EXPECT_EQ(Position(IDC_BRIGHTNESS_SLIDER), 128);
    Control(DAT_IDENTITY, MSG_CLOSEDS, &dataSource_);
  }
}

TEST_F(AdPagesTest, SliderDragSendsEveryPosition) {
  OpenAndEnable(STANDARD_BOARD, "M_PAL");
  Drag(IDC_BRIGHTNESS_SLIDER, {130, 140, 155});
  std::vector<long long> sent = LevelsSent(BRIGHTNESS);
  ASSERT_GE(sent.size(), 3u);
  EXPECT_EQ(std::vector<long long>(sent.begin(), sent.begin() + 3),
            (std::vector<long long>{130, 140, 155}));
  EXPECT_EQ(sent.back(), 155);
  EXPECT_EQ(DigitizerState().brightness, 155);
  EXPECT_EQ(Text(PageItem(IDC_BRIGHTNESS_VALUE)), "155");

  // Each slider reaches its own level.
  ASSERT_TRUE(HostMoveSlider(PageItem(IDC_CONTRAST_SLIDER), 10));
  ASSERT_TRUE(HostMoveSlider(PageItem(IDC_SATURATION_SLIDER), 20));
  ASSERT_TRUE(HostMoveSlider(PageItem(IDC_HUE_SLIDER), 30));
  SimDigitizerState state = DigitizerState();
  EXPECT_EQ(state.contrast, 10);
  EXPECT_EQ(state.saturation, 20);
  EXPECT_EQ(state.hue, 30);
  EXPECT_EQ(state.brightness, 155);
  EXPECT_EQ(Text(PageItem(IDC_HUE_VALUE)), "30");
}

TEST_F(AdPagesTest, RgbPageReadsAndResetsTheReferences) {
  StoreSetting("BlackRef0", 10);
  StoreSetting("BlackRef1", 11);
  StoreSetting("BlackRef2", 12);
  StoreSetting("WhiteRef0", 200);
  StoreSetting("WhiteRef1", 201);
  StoreSetting("WhiteRef2", 202);
  OpenAndEnable(MULTI_CHANNEL_BOARD, "M_PAL_RGB");
  ASSERT_NE(HostFindWindowByText(Page(), "RGB Data Path"), nullptr);
  const int fields[] = {IDC_RED_LOWER_VALUE,  IDC_GREEN_LOWER_VALUE, IDC_BLUE_LOWER_VALUE,
                        IDC_RED_UPPER_VALUE,  IDC_GREEN_UPPER_VALUE, IDC_BLUE_UPPER_VALUE};
  const int sliders[] = {IDC_RED_LOWER_SLIDER, IDC_GREEN_LOWER_SLIDER, IDC_BLUE_LOWER_SLIDER,
                         IDC_RED_UPPER_SLIDER, IDC_GREEN_UPPER_SLIDER, IDC_BLUE_UPPER_SLIDER};
  const char* stored[] = {"10", "11", "12", "200", "201", "202"};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(Text(PageItem(fields[i])), stored[i]) << i;
    EXPECT_EQ(Position(sliders[i]), atoi(stored[i])) << i;
    EXPECT_TRUE(Enabled(PageItem(sliders[i]))) << i;
  }
  EXPECT_FALSE(Checked(PageItem(IDC_LOCK_LOWER)));
  EXPECT_TRUE(Enabled(PageItem(IDC_LOCK_LOWER)));

  ClickOnPage(IDC_LOCK_UPPER);
  ClickOnPage(IDC_RGB_DEFAULT);
  SimDigitizerState state = DigitizerState();
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(state.blackRef[i], 0);
    EXPECT_EQ(state.whiteRef[i], 255);
    EXPECT_EQ(Text(PageItem(fields[i])), "0");
    EXPECT_EQ(Text(PageItem(fields[i + 3])), "255");
  }
  EXPECT_TRUE(Checked(PageItem(IDC_LOCK_UPPER))) << "the lock boxes stay";
  EXPECT_FALSE(Checked(PageItem(IDC_LOCK_LOWER)));
}

TEST_F(AdPagesTest, LockMakesTheRowFollowRedAtItsNextMove) {
  OpenAndEnable(MULTI_CHANNEL_BOARD, "M_PAL_RGB");
  ASSERT_TRUE(HostMoveSlider(PageItem(IDC_RED_UPPER_SLIDER), 200));
  ASSERT_TRUE(HostMoveSlider(PageItem(IDC_GREEN_UPPER_SLIDER), 180));
  ClickOnPage(IDC_LOCK_UPPER);
  // The controls follow at once; the digitizer at the red slider's next move.
  EXPECT_EQ(Text(PageItem(IDC_GREEN_UPPER_VALUE)), "200");
  EXPECT_EQ(Text(PageItem(IDC_BLUE_UPPER_VALUE)), "200");
  EXPECT_EQ(Position(IDC_BLUE_UPPER_SLIDER), 200);
  EXPECT_FALSE(Enabled(PageItem(IDC_GREEN_UPPER_SLIDER)));
  EXPECT_FALSE(Enabled(PageItem(IDC_BLUE_UPPER_VALUE)));
  EXPECT_EQ(DigitizerState().whiteRef[1], 180);

  ASSERT_TRUE(HostMoveSlider(PageItem(IDC_RED_UPPER_SLIDER), 210));
  SimDigitizerState state = DigitizerState();
  EXPECT_EQ(state.whiteRef[0], 210);
  EXPECT_EQ(state.whiteRef[1], 210);
  EXPECT_EQ(state.whiteRef[2], 210);
  EXPECT_EQ(Text(PageItem(IDC_GREEN_UPPER_VALUE)), "210");
  EXPECT_EQ(state.blackRef[1], 0) << "the lower row is not locked";

  // Unlocked, each channel moves alone again.
  ClickOnPage(IDC_LOCK_UPPER);
  EXPECT_TRUE(Enabled(PageItem(IDC_GREEN_UPPER_SLIDER)));
  ASSERT_TRUE(HostMoveSlider(PageItem(IDC_GREEN_UPPER_SLIDER), 190));
  ASSERT_TRUE(HostMoveSlider(PageItem(IDC_RED_LOWER_SLIDER), 5));
  state = DigitizerState();
  EXPECT_EQ(state.whiteRef[1], 190);
  EXPECT_EQ(state.whiteRef[2], 210);
  EXPECT_EQ(state.blackRef[0], 5);
  EXPECT_EQ(state.blackRef[1], 0);
}

TEST_F(AdPagesTest, MonochromeRgbPageMovesEveryChannelWithRed) {
  OpenAndEnable(MULTI_CHANNEL_BOARD, "M_CCIR");
  ASSERT_NE(HostFindWindowByText(Page(), "RGB Data Path"), nullptr);
  for (int box : {IDC_LOCK_LOWER, IDC_LOCK_UPPER}) {
    EXPECT_TRUE(Checked(PageItem(box)));
    EXPECT_FALSE(Enabled(PageItem(box)));
  }
  for (int id : {IDC_GREEN_LOWER_SLIDER, IDC_BLUE_LOWER_SLIDER, IDC_GREEN_UPPER_SLIDER,
                 IDC_BLUE_UPPER_SLIDER, IDC_GREEN_LOWER_VALUE, IDC_BLUE_UPPER_VALUE}) {
    EXPECT_FALSE(Enabled(PageItem(id))) << id;
  }
  Drag(IDC_RED_LOWER_SLIDER, {3, 6, 9});
  SimDigitizerState state = DigitizerState();
  EXPECT_EQ(state.blackRef[0], 9);
  EXPECT_EQ(state.blackRef[1], 9);
  EXPECT_EQ(state.blackRef[2], 9);
  EXPECT_EQ(Text(PageItem(IDC_BLUE_LOWER_VALUE)), "9");
  // Red, green and blue at each position of the drag.
  std::vector<long long> red = LevelsSent(BLACK_REFERENCE | 0x20000000);
  ASSERT_GE(red.size(), 3u);
  EXPECT_EQ(std::vector<long long>(red.begin(), red.begin() + 3),
            (std::vector<long long>{3, 6, 9}));
  EXPECT_EQ(LevelsSent(BLACK_REFERENCE | 0x80000000).size(), red.size());
  EXPECT_TRUE(LevelsSent(WHITE_REFERENCE | 0x20000000).empty());
}

}  // namespace
