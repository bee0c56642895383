// The LUT page: choosing the curve to edit, adding, removing and dragging
// nodes with the mouse, the predefined curves, the table each finished edit
// loads into the digitizer, and how the curves are painted.
#include <string>

#include "dialog_fixture.h"
#include "grabber/mil_info.h"
#include "lut/lut_curves.h"
#include "ui/resources/resource_ids.h"

namespace {

constexpr int LUT_TAB = 2;

struct Levels {
  int x;
  int y;
  bool operator==(const Levels& other) const { return x == other.x && y == other.y; }
};

std::ostream& operator<<(std::ostream& out, const Levels& levels) {
  return out << "(" << levels.x << ", " << levels.y << ")";
}

class LutPageTest : public DialogTest {
 protected:
  // Colour: the multi-channel board with RGB input; otherwise its grey format.
  void OpenPage(bool colour) {
    OpenAndEnable(MULTI_CHANNEL_BOARD, colour ? "M_PAL_RGB" : "M_CCIR");
    if (HasFatalFailure()) return;
    ChooseTab(LUT_TAB);
    ASSERT_NE(milInfo.curveSet, nullptr);
    ClearLogs();
  }

  LutCurveSet& Curves() { return *milInfo.curveSet; }
  std::vector<Levels> Nodes(LutChannel channel) {
    std::vector<Levels> nodes;
    for (const LutNode& node : Curves().lists[channel]) nodes.push_back({node.x, node.y});
    return nodes;
  }

  // A point of the page inside the curve area at or just above the levels.
  POINT PointFor(int x, int y) {
    RECT area = Placement(PageItem(IDC_CURVE_AREA));
    LONG width = area.right - area.left;
    LONG height = area.bottom - area.top;
    return POINT{area.left + (x * width + 255) / 256, area.bottom - (y * height + 255) / 256};
  }
  // The levels the page shows for the mouse at a point.
  Levels Hover(POINT point) {
    EXPECT_TRUE(HostMouseMove(Page(), point.x, point.y));
    return Levels{atoi(Text(PageItem(IDC_LEVEL_X)).c_str()),
                  atoi(Text(PageItem(IDC_LEVEL_Y)).c_str())};
  }
  Levels Press(POINT point) {
    Levels levels = Hover(point);
    EXPECT_TRUE(HostMouseDown(Page(), point.x, point.y));
    return levels;
  }
  void Release(POINT point) { EXPECT_TRUE(HostMouseUp(Page(), point.x, point.y)); }
  Levels Click(int x, int y) {
    POINT point = PointFor(x, y);
    Levels levels = Press(point);
    Release(point);
    return levels;
  }

  size_t TablesLoaded() { return Calls("MdigLut").size(); }
  // The digitizer's input LUT passes through every node of a curve.
  void ExpectTableFollows(const std::vector<Levels>& nodes, int band) {
    SimDigitizerState state = DigitizerState();
    for (const Levels& node : nodes) {
      EXPECT_EQ(state.lut[band][node.x], node.y) << "band " << band << " at " << node;
    }
  }

  std::vector<HostDrawRecord> Painting() {
    InvalidateRect(Page(), nullptr, TRUE);
    HostPaintWindows();
    std::vector<HostDrawRecord> calls;
    for (size_t i = 0; i < HostDrawCallCount(Page()); ++i) {
      HostDrawRecord call{};
      HostGetDrawCall(Page(), i, &call);
      calls.push_back(call);
    }
    return calls;
  }
  std::string ComboText() { return Text(PageItem(IDC_PREDEFINED_LUT)); }
};

const std::vector<Levels> DEFAULT_NODES = {{0, 0}, {128, 128}, {255, 255}};

TEST_F(LutPageTest, MonochromeBoardEditsTheAllCurveInBlack) {
  OpenPage(false);
  EXPECT_EQ(Curves().channel, LUT_ALL);
  EXPECT_TRUE(Checked(PageItem(IDC_LUT_ALL)));
  for (int id : {IDC_LUT_RED, IDC_LUT_GREEN, IDC_LUT_BLUE}) EXPECT_FALSE(Enabled(PageItem(id)));
  EXPECT_EQ(ComboText(), "user defined");
  EXPECT_EQ(SendMessageA(PageItem(IDC_PREDEFINED_LUT), CB_GETCOUNT, 0, 0), 4);
  EXPECT_EQ(TablesLoaded(), 0u) << "opening the page loads no table";

  // One pass with the context's pen: a square on every node, a line to
  // each but the first.
  int squares = 0;
  int lines = 0;
  for (const HostDrawRecord& call : Painting()) {
    EXPECT_EQ(call.penColour, RGB(0, 0, 0));
    squares += call.kind == HOST_DRAW_RECTANGLE;
    lines += call.kind == HOST_DRAW_LINETO;
  }
  EXPECT_EQ(squares, 3);
  EXPECT_EQ(lines, 2);
}

TEST_F(LutPageTest, NodesArePaintedWhereTheirLevelsAre) {
  OpenPage(false);
  Curves().lists[LUT_ALL] = {{0, 0}, {64, 192}, {255, 255}};
  std::vector<HostDrawRecord> calls = Painting();
  RECT area = Placement(PageItem(IDC_CURVE_AREA));
  LONG width = area.right - area.left;
  LONG height = area.bottom - area.top;
  std::vector<POINT> squares;
  for (const HostDrawRecord& call : calls) {
    if (call.kind == HOST_DRAW_RECTANGLE) squares.push_back({call.x1 + 4, call.y1 + 4});
  }
  ASSERT_EQ(squares.size(), 3u);
  EXPECT_EQ(squares[0].x, area.left + 1);
  EXPECT_EQ(squares[0].y, area.bottom - 1);
  EXPECT_EQ(squares[1].x, area.left + 1 + width * 64 / 256);
  EXPECT_EQ(squares[1].y, area.bottom - 1 - height * 192 / 256);
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.back().kind, HOST_DRAW_LINETO);
  EXPECT_EQ(calls.back().x2, area.left + 1 + width * 255 / 256);
}

TEST_F(LutPageTest, DraggingTheMiddleNodeStopsAtTheLastOne) {
  OpenPage(false);
  Levels press = Press(PointFor(130, 126));
  // Only the first node was missed on the way to the hit one.
  std::string log = Log();
  std::string missed = "Point " + std::to_string(press.x) + "/" + std::to_string(press.y) +
                       " != ListPoint 0/0 \n";
  EXPECT_NE(log.find(missed), std::string::npos) << log;
  EXPECT_EQ(log.find("ListPoint 128/128"), std::string::npos);
  EXPECT_EQ(log.find("ListPoint 255/255"), std::string::npos);

  RECT area = Placement(PageItem(IDC_CURVE_AREA));
  Levels rightmost = Hover(POINT{area.right - 1, PointFor(0, 100).y});
  std::vector<Levels> nodes = Nodes(LUT_ALL);
  ASSERT_EQ(nodes.size(), 3u);
  EXPECT_EQ(nodes[1], rightmost);
  EXPECT_LE(nodes[1].x, 255);
  EXPECT_EQ(nodes[2], (Levels{255, 255}));
  EXPECT_EQ(TablesLoaded(), 0u) << "not while dragging";
  EXPECT_EQ(ComboText(), "user defined");

  // Outside the area the node stays; the fields show clamped levels.
  EXPECT_EQ(Hover(POINT{area.right + 30, area.bottom + 30}), (Levels{255, 0}));
  EXPECT_EQ(Nodes(LUT_ALL)[1], rightmost);

  Release(POINT{area.right + 30, area.bottom + 30});
  EXPECT_EQ(TablesLoaded(), 1u);
  ExpectTableFollows(Nodes(LUT_ALL), 0);
  // The drag is over: moving the mouse moves nothing.
  Hover(PointFor(20, 20));
  EXPECT_EQ(Nodes(LUT_ALL)[1], rightmost);
}

TEST_F(LutPageTest, FirstNodeKeepsItsInputLevel) {
  OpenPage(false);
  Press(PointFor(1, 1));
  Levels moved = Hover(PointFor(60, 100));
  Release(PointFor(60, 100));
  EXPECT_EQ(Nodes(LUT_ALL)[0], (Levels{0, moved.y}));
  ExpectTableFollows(Nodes(LUT_ALL), 0);
}

// A release the page never saw (the button went up elsewhere) ends the drag
// at the next move without the button.
TEST_F(LutPageTest, DragEndsWhenTheButtonIsNoLongerHeld) {
  OpenPage(false);
  Press(PointFor(130, 126));
  Levels dragged = Hover(PointFor(100, 90));
  // The button goes up over another window.
  EXPECT_TRUE(HostMouseUp(Dialog(), 1, 1));
  Hover(PointFor(30, 220));
  EXPECT_EQ(Nodes(LUT_ALL)[1], dragged);
  EXPECT_EQ(TablesLoaded(), 1u);
}

TEST_F(LutPageTest, AddInsertsAtThePressAndTheReleaseLoadsTheTable) {
  OpenPage(false);
  ClickOnPage(IDC_NODE_ADD);
  ASSERT_TRUE(Checked(PageItem(IDC_NODE_ADD)));
  Levels added = Press(PointFor(50, 200));
  EXPECT_EQ(Nodes(LUT_ALL), (std::vector<Levels>{{0, 0}, added, {128, 128}, {255, 255}}));
  EXPECT_EQ(TablesLoaded(), 0u);
  Release(PointFor(50, 200));
  EXPECT_FALSE(Checked(PageItem(IDC_NODE_ADD)));
  EXPECT_EQ(TablesLoaded(), 1u);
  ExpectTableFollows(Nodes(LUT_ALL), 0);

  // Once only: the next press selects instead of adding.
  Click(50, 50);
  EXPECT_EQ(Nodes(LUT_ALL).size(), 4u);

  // A press on an existing node adds a new one beside it.
  ClickOnPage(IDC_NODE_ADD);
  Levels beside = Click(129, 129);
  std::vector<Levels> nodes = Nodes(LUT_ALL);
  ASSERT_EQ(nodes.size(), 5u);
  EXPECT_NE(std::find(nodes.begin(), nodes.end(), beside), nodes.end());
  EXPECT_NE(std::find(nodes.begin(), nodes.end(), Levels{128, 128}), nodes.end());
}

TEST_F(LutPageTest, RemoveTakesInnerNodesOnly) {
  OpenPage(false);
  for (Levels end : {Levels{1, 1}, Levels{254, 254}}) {
    ClickOnPage(IDC_NODE_REMOVE);
    Click(end.x, end.y);
    EXPECT_EQ(Nodes(LUT_ALL), DEFAULT_NODES) << end;
    EXPECT_FALSE(Checked(PageItem(IDC_NODE_REMOVE)));
  }
  // A press that hits nothing keeps the mode until the release.
  ClickOnPage(IDC_NODE_REMOVE);
  EXPECT_FALSE(Checked(PageItem(IDC_NODE_ADD)));
  Press(PointFor(200, 40));
  EXPECT_EQ(Nodes(LUT_ALL), DEFAULT_NODES);
  Press(PointFor(129, 127));
  EXPECT_EQ(Nodes(LUT_ALL), (std::vector<Levels>{{0, 0}, {255, 255}}));
  Release(PointFor(129, 127));
  EXPECT_FALSE(Checked(PageItem(IDC_NODE_REMOVE)));
  ExpectTableFollows(Nodes(LUT_ALL), 0);
}

TEST_F(LutPageTest, AddAndRemoveBoxesExcludeEachOther) {
  OpenPage(false);
  SendMessageA(PageItem(IDC_PREDEFINED_LUT), CB_SETCURSEL, 2, 0);
  ClickOnPage(IDC_NODE_ADD);
  EXPECT_EQ(ComboText(), "user defined");
  ClickOnPage(IDC_NODE_REMOVE);
  EXPECT_FALSE(Checked(PageItem(IDC_NODE_ADD)));
  EXPECT_TRUE(Checked(PageItem(IDC_NODE_REMOVE)));
  // Remove was chosen last: a press on the middle node removes it.
  Click(129, 127);
  EXPECT_EQ(Nodes(LUT_ALL).size(), 2u);
}

TEST_F(LutPageTest, PredefinedCurveGoesIntoTheCurrentChannelOnly) {
  OpenPage(true);
  ClickOnPage(IDC_LUT_GREEN);
  ASSERT_EQ(Curves().channel, LUT_GREEN);
  ASSERT_TRUE(HostChooseComboText(PageItem(IDC_PREDEFINED_LUT), "pseudo color"));
  const std::vector<Levels> pseudo = {{0, 0}, {64, 255}, {128, 0}, {192, 255}, {255, 0}};
  EXPECT_EQ(Nodes(LUT_GREEN), pseudo);
  EXPECT_EQ(Nodes(LUT_RED), DEFAULT_NODES);
  EXPECT_EQ(Nodes(LUT_BLUE), DEFAULT_NODES);
  EXPECT_EQ(TablesLoaded(), 1u);
  ExpectTableFollows(pseudo, 1);
  ExpectTableFollows(DEFAULT_NODES, 0);

  // Red, green and blue curves in that order, each with its own pen; squares
  // on the green nodes only.
  std::vector<DWORD> passes;
  size_t greenSquares = 0;
  for (const HostDrawRecord& call : Painting()) {
    if (passes.empty() || passes.back() != call.penColour) passes.push_back(call.penColour);
    if (call.kind == HOST_DRAW_RECTANGLE) {
      EXPECT_EQ(call.penColour, RGB(0, 255, 0));
      ++greenSquares;
    }
  }
  EXPECT_EQ(passes, (std::vector<DWORD>{RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)}));
  EXPECT_EQ(greenSquares, pseudo.size());

  // "user defined" installs nothing.
  ClearLogs();
  ASSERT_TRUE(HostChooseComboItem(PageItem(IDC_PREDEFINED_LUT), 0));
  EXPECT_EQ(Nodes(LUT_GREEN), pseudo);
  EXPECT_EQ(TablesLoaded(), 0u);
}

TEST_F(LutPageTest, ChannelChoicesCopyAndLoadTheAllCurve) {
  OpenPage(true);
  ClickOnPage(IDC_LUT_ALL);
  EXPECT_EQ(TablesLoaded(), 1u);
  ASSERT_TRUE(HostChooseComboText(PageItem(IDC_PREDEFINED_LUT), "neg. linear"));
  const std::vector<Levels> negative = {{0, 255}, {255, 0}};
  EXPECT_EQ(Nodes(LUT_ALL), negative);
  for (int band : {0, 1, 2}) ExpectTableFollows(negative, band);

  // Leaving All: three identical curves.
  ClickOnPage(IDC_LUT_RED);
  EXPECT_EQ(Nodes(LUT_RED), negative);
  EXPECT_EQ(Nodes(LUT_GREEN), negative);
  EXPECT_EQ(Nodes(LUT_BLUE), negative);

  // Editing red, then back to All: the All curve as it was, loaded.
  ClickOnPage(IDC_NODE_ADD);
  Click(100, 30);
  EXPECT_EQ(Nodes(LUT_RED).size(), 3u);
  ClearLogs();
  ClickOnPage(IDC_LUT_ALL);
  EXPECT_EQ(Nodes(LUT_ALL), negative);
  EXPECT_EQ(TablesLoaded(), 1u);
  for (int band : {0, 1, 2}) ExpectTableFollows(negative, band);
}

// The grey ramps along the axes: 8-bit bitmaps with a grey palette, dark
// where the levels are low.
TEST_F(LutPageTest, AxesShowGreyRampsFromBlack) {
  struct Case {
    const char* file;
    int width;
    int height;
    int darkX, darkY;    // from the top left
    int lightX, lightY;
  };
  const Case cases[] = {
      {"input_legend.bmp", 120, 10, 0, 5, 119, 5},
      {"output_legend.bmp", 10, 120, 5, 119, 5, 0},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.file);
    std::string bmp = ReadFileText(std::string(TWAIN_SOURCE_DIR) + "/ui/resources/" + test.file);
    ASSERT_GT(bmp.size(), 1078u);
    auto word = [&](size_t at) {
      return uint32_t(uint8_t(bmp[at])) | uint32_t(uint8_t(bmp[at + 1])) << 8 |
             uint32_t(uint8_t(bmp[at + 2])) << 16 | uint32_t(uint8_t(bmp[at + 3])) << 24;
    };
    EXPECT_EQ(int(word(18)), test.width);
    EXPECT_EQ(int(word(22)), test.height);  // positive: bottom-up rows
    EXPECT_EQ(uint8_t(bmp[28]), 8);
    for (int grey : {0, 77, 255}) {
      EXPECT_EQ(word(54 + 4 * size_t(grey)), uint32_t(grey * 0x010101)) << grey;
    }
    size_t stride = (size_t(test.width) + 3) & ~size_t(3);
    auto pixel = [&](int x, int y) {
      return uint8_t(bmp[word(10) + size_t(test.height - 1 - y) * stride + size_t(x)]);
    };
    EXPECT_EQ(pixel(test.darkX, test.darkY), 0);
    EXPECT_GE(pixel(test.lightX, test.lightY), 240);
    EXPECT_LT(pixel(test.lightX, test.lightY), 255) << "near white";
  }

  // The page shows them, each in its own static beside the curve area.
  OpenPage(false);
  std::vector<std::pair<LONG, LONG>> sizes;
  for (size_t i = 0; HWND bitmapStatic = HostFindWindowByClass(Page(), "Static", i); ++i) {
    auto bitmap = reinterpret_cast<HANDLE>(SendMessageA(bitmapStatic, STM_GETIMAGE, IMAGE_BITMAP, 0));
    BITMAP facts{};
    if (bitmap != nullptr && GetObjectA(bitmap, sizeof facts, &facts) != 0) {
      sizes.push_back({facts.bmWidth, facts.bmHeight});
    }
  }
  EXPECT_EQ(sizes, (std::vector<std::pair<LONG, LONG>>{{10, 120}, {120, 10}}));
}

TEST_F(LutPageTest, ColourBoardShowsTheCurrentChannel) {
  OpenAndEnable(MULTI_CHANNEL_BOARD, "M_PAL_RGB");
  milInfo.curveSet->SelectChannel(LUT_BLUE);
  ChooseTab(LUT_TAB);
  EXPECT_TRUE(Checked(PageItem(IDC_LUT_BLUE)));
  for (int id : {IDC_LUT_RED, IDC_LUT_GREEN, IDC_LUT_BLUE, IDC_LUT_ALL}) {
    EXPECT_TRUE(Enabled(PageItem(id)));
  }
}

}  // namespace
