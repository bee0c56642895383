// The node lists of the input LUT: channel switching, editing, the packed
// form and what a malformed stored value turns into.
#include "lut/lut_curves.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "host_fixture.h"
#include "source/source_session.h"

bool operator==(const LutNode& a, const LutNode& b) { return a.x == b.x && a.y == b.y; }
void PrintTo(const LutNode& node, std::ostream* out) {
  *out << "(" << node.x << ", " << node.y << ")";
}

namespace {

typedef std::vector<LutNode> Nodes;

const Nodes DEFAULT_NODES = {{0, 0}, {128, 128}, {255, 255}};

Nodes NodesOf(const LutCurveSet& set, LutChannel channel) {
  return Nodes(set.lists[channel].begin(), set.lists[channel].end());
}

// Replaces a list by editing through the set's own operations, as the LUT
// page does: with c current, remove the inner nodes, set the ends, insert.
void Shape(LutCurveSet& set, LutChannel c, const Nodes& nodes) {
  set.SelectChannel(c);
  LutNodeList& list = set.lists[c];
  while (list.size() > 2)
    ASSERT_TRUE(set.RemoveNodeAt(std::next(list.begin())->x, std::next(list.begin())->y));
  ASSERT_TRUE(set.SelectNode(&list.front()));
  set.MoveSelectedNode(0, nodes.front().y);
  ASSERT_TRUE(set.SelectNode(&list.back()));
  set.MoveSelectedNode(255, nodes.back().y);
  for (size_t i = 1; i + 1 < nodes.size(); ++i) ASSERT_TRUE(set.InsertNode(nodes[i].x, nodes[i].y));
  ASSERT_EQ(NodesOf(set, c), nodes);
}

class LutCurvesTest : public HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    savedDumpMode_ = sourceSession.dumpMode;
    sourceSession.dumpMode = DUMP_TO_DEBUGGER;
  }
  void TearDown() override {
    sourceSession.dumpMode = savedDumpMode_;
    HostFixture::TearDown();
  }
  std::string Log() const { return HostDebugOutput(); }

  LutCurveSet set;
  DumpMode savedDumpMode_ = 0;
};

TEST_F(LutCurvesTest, NewSetHoldsTheDefaultCurveEverywhereWithRedCurrent) {
  for (int c = LUT_RED; c <= LUT_ALL; ++c) EXPECT_EQ(NodesOf(set, LutChannel(c)), DEFAULT_NODES);
  EXPECT_EQ(set.channel, LUT_RED);
  EXPECT_EQ(set.selected, nullptr);
}

TEST_F(LutCurvesTest, LeavingAllCopiesItButEnteringAllKeepsItsOwnCurve) {
  const Nodes edited = {{0, 0}, {50, 200}, {128, 128}, {255, 255}};
  ASSERT_TRUE(set.InsertNode(50, 200));  // Red current
  set.SelectChannel(LUT_ALL);
  EXPECT_EQ(NodesOf(set, LUT_ALL), DEFAULT_NODES);
  EXPECT_EQ(NodesOf(set, LUT_RED), edited);

  set.SelectChannel(LUT_GREEN);
  for (int c = LUT_RED; c <= LUT_BLUE; ++c) EXPECT_EQ(NodesOf(set, LutChannel(c)), DEFAULT_NODES);

  // Among the colour channels nothing is copied.
  ASSERT_TRUE(set.InsertNode(10, 10));
  set.SelectChannel(LUT_BLUE);
  EXPECT_EQ(NodesOf(set, LUT_BLUE), DEFAULT_NODES);
  EXPECT_EQ(NodesOf(set, LUT_GREEN).size(), 4u);
}

TEST_F(LutCurvesTest, InsertNodeGoesBeforeTheFirstGreaterInputLevel) {
  struct Case {
    int32_t x, y;
    bool inserted;
    Nodes expected;
  };
  const Case cases[] = {
      {0, 50, true, {{0, 0}, {0, 50}, {128, 128}, {255, 255}}},
      {128, 10, true, {{0, 0}, {128, 128}, {128, 10}, {255, 255}}},
      {127, 10, true, {{0, 0}, {127, 10}, {128, 128}, {255, 255}}},
      {255, 10, false, DEFAULT_NODES},
  };
  for (const Case& c : cases) {
    LutCurveSet fresh;
    EXPECT_EQ(fresh.InsertNode(c.x, c.y), c.inserted) << c.x << "/" << c.y;
    EXPECT_EQ(NodesOf(fresh, LUT_RED), c.expected) << c.x << "/" << c.y;
  }
}

TEST_F(LutCurvesTest, InsertNodeStopsAtTheLargestCountThePackedFormHolds) {
  int inserted = 0;
  while (set.InsertNode(1 + inserted % 250, 7)) ++inserted;
  EXPECT_EQ(set.lists[LUT_RED].size(), LUT_MAX_NODES);
  EXPECT_EQ(inserted, int(LUT_MAX_NODES) - 3);
  std::vector<uint8_t> packed = set.PackCurves();
  EXPECT_EQ(packed[2], 255);  // red count of the channel shape
  LutCurveSet reloaded;
  EXPECT_EQ(reloaded.LoadPacked(255u << 16, packed.data() + 4, packed.size() - 4, 0), 0);
  EXPECT_EQ(NodesOf(reloaded, LUT_RED), NodesOf(set, LUT_RED));
}

TEST_F(LutCurvesTest, RemoveNodeAtNeverRemovesTheEnds) {
  EXPECT_FALSE(set.RemoveNodeAt(255, 255));
  EXPECT_FALSE(set.RemoveNodeAt(0, 0));
  EXPECT_FALSE(set.RemoveNodeAt(128, 127));
  EXPECT_EQ(NodesOf(set, LUT_RED), DEFAULT_NODES);
  EXPECT_TRUE(set.RemoveNodeAt(128, 128));
  EXPECT_EQ(NodesOf(set, LUT_RED), (Nodes{{0, 0}, {255, 255}}));
  EXPECT_FALSE(set.RemoveNodeAt(0, 0));
  EXPECT_EQ(set.lists[LUT_RED].size(), 2u);
}

TEST_F(LutCurvesTest, MoveSelectedNodeKeepsTheOrder) {
  struct Case {
    Nodes start;
    size_t node;
    int32_t x, y;
    LutNode expected;
  };
  const Nodes four = {{0, 0}, {100, 100}, {200, 200}, {255, 255}};
  const Case cases[] = {
      {DEFAULT_NODES, 1, 200, 30, {200, 30}}, {DEFAULT_NODES, 0, 200, 30, {0, 30}},
      {DEFAULT_NODES, 2, 200, 30, {255, 30}}, {DEFAULT_NODES, 1, 300, -5, {255, 0}},
      {four, 1, 150, 100, {150, 100}},        {four, 1, 250, 100, {200, 100}},
      {four, 2, 20, 100, {100, 100}},
  };
  for (const Case& c : cases) {
    LutCurveSet fresh;
    Shape(fresh, LUT_RED, c.start);
    auto node = std::next(fresh.lists[LUT_RED].begin(), c.node);
    ASSERT_TRUE(fresh.SelectNode(&*node));
    fresh.MoveSelectedNode(c.x, c.y);
    Nodes expected = c.start;
    expected[c.node] = c.expected;
    EXPECT_EQ(NodesOf(fresh, LUT_RED), expected) << "node " << c.node << " to " << c.x;
  }
}

TEST_F(LutCurvesTest, OnlyANodeOfTheCurrentListCanBeSelectedAndMoved) {
  EXPECT_FALSE(set.SelectNode(&set.lists[LUT_GREEN].front()));
  ASSERT_TRUE(set.SelectNode(&*std::next(set.lists[LUT_RED].begin())));
  set.SelectChannel(LUT_GREEN);
  EXPECT_EQ(set.selected, nullptr);
  set.MoveSelectedNode(10, 10);
  EXPECT_EQ(NodesOf(set, LUT_RED), DEFAULT_NODES);
  EXPECT_EQ(NodesOf(set, LUT_GREEN), DEFAULT_NODES);

  // A removed node is no longer selected.
  ASSERT_TRUE(set.SelectNode(&*std::next(set.lists[LUT_GREEN].begin())));
  ASSERT_TRUE(set.RemoveNodeAt(128, 128));
  EXPECT_EQ(set.selected, nullptr);
}

TEST_F(LutCurvesTest, PackCurvesFollowsTheCurrentChannel) {
  set.SelectChannel(LUT_ALL);
  EXPECT_EQ(set.PackCurves(),
            (std::vector<uint8_t>{0x00, 0x00, 0x00, 0x03, 0, 0, 0x80, 0x80, 0xFF, 0xFF}));

  set.SelectChannel(LUT_GREEN);
  Shape(set, LUT_RED, {{0, 0}, {255, 255}});
  Shape(set, LUT_BLUE, {{0, 255}, {255, 0}});
  set.SelectChannel(LUT_GREEN);
  EXPECT_EQ(set.PackCurves(), (std::vector<uint8_t>{0x02, 0x03, 0x02, 0x00,              //
                                                    0x00, 0x00, 0xFF, 0xFF,              // red
                                                    0x00, 0x00, 0x80, 0x80, 0xFF, 0xFF,  // green
                                                    0x00, 0xFF, 0xFF, 0x00}));           // blue
}

TEST_F(LutCurvesTest, PackedCurvesLoadBackAsTheyWere) {
  // Channel shape: three different curves.
  Shape(set, LUT_RED, {{0, 10}, {40, 90}, {40, 20}, {255, 250}});
  Shape(set, LUT_GREEN, {{0, 255}, {255, 0}});
  Shape(set, LUT_BLUE, {{0, 0}, {64, 255}, {128, 0}, {192, 255}, {255, 0}});
  std::vector<uint8_t> packed = set.PackCurves();
  uint32_t countWord = packed[0] | packed[1] << 8 | packed[2] << 16 | uint32_t(packed[3]) << 24;
  EXPECT_EQ(countWord, 0x00040205u);
  EXPECT_EQ(PackedNodeCount(countWord), 11u);
  ASSERT_EQ(packed.size(), 4 + 2 * 11u);

  LutCurveSet loaded;
  EXPECT_EQ(loaded.LoadPacked(countWord, packed.data() + 4, packed.size() - 4, 0), 0);
  for (int c = LUT_RED; c <= LUT_BLUE; ++c)
    EXPECT_EQ(NodesOf(loaded, LutChannel(c)), NodesOf(set, LutChannel(c)));
  EXPECT_EQ(loaded.channel, LUT_RED);  // the channel shape leaves the channel alone
  EXPECT_EQ(NodesOf(loaded, LUT_ALL), DEFAULT_NODES);

  // All shape: All becomes current and the colour lists equal it.
  set.SelectChannel(LUT_ALL);
  Shape(set, LUT_ALL, {{0, 30}, {100, 60}, {255, 200}});
  packed = set.PackCurves();
  countWord = packed[0] | packed[1] << 8 | packed[2] << 16 | uint32_t(packed[3]) << 24;
  EXPECT_EQ(countWord, 0x03000000u);
  EXPECT_EQ(PackedNodeCount(countWord), 3u);
  EXPECT_EQ(loaded.LoadPacked(countWord, packed.data() + 4, packed.size() - 4, 0), 0);
  EXPECT_EQ(loaded.channel, LUT_ALL);
  for (int c = LUT_RED; c <= LUT_ALL; ++c)
    EXPECT_EQ(NodesOf(loaded, LutChannel(c)), NodesOf(set, LUT_ALL));
  EXPECT_EQ(Log(), "");
}

TEST_F(LutCurvesTest, ChannelShapeReplacesOnlyTheCountedListsFromConsecutivePairs) {
  const uint8_t pairs[] = {0, 5, 255, 250, 0, 250, 255, 5};
  set.SelectChannel(LUT_BLUE);
  EXPECT_EQ(set.LoadPacked(0x00020002, pairs, sizeof pairs, 0), 0);
  EXPECT_EQ(NodesOf(set, LUT_RED), (Nodes{{0, 5}, {255, 250}}));
  EXPECT_EQ(NodesOf(set, LUT_GREEN), DEFAULT_NODES);
  EXPECT_EQ(NodesOf(set, LUT_BLUE), (Nodes{{0, 250}, {255, 5}}));
  EXPECT_EQ(set.channel, LUT_BLUE);

  EXPECT_EQ(set.LoadPacked(0, pairs, sizeof pairs, 0), 0);  // nothing stored: nothing changes
  EXPECT_EQ(NodesOf(set, LUT_RED), (Nodes{{0, 5}, {255, 250}}));
}

// Stored values the system never writes: whatever part of them is unusable
// becomes the default curve, with a log line, and nothing beyond the stored
// bytes is read (the buffers are exactly as long as the stored value).
TEST_F(LutCurvesTest, MalformedStoredCurvesFallBackToTheDefaultCurve) {
  const Nodes ramp = {{0, 0}, {255, 255}};
  const Nodes stored = {{0, 9}, {255, 99}};
  struct Case {
    const char* name;
    uint32_t countWord;
    std::vector<uint8_t> pairs;
    Nodes red, green, blue;  // for the All shape, red holds the All curve
    const char* reason;
  };
  const Case cases[] = {
      {"all shape cut short", 0x03000000, {0, 0, 128, 128}, DEFAULT_NODES, {}, {}, "ends before"},
      {"all shape, no pairs at all", 0x05000000, {}, DEFAULT_NODES, {}, {}, "ends before"},
      {"one node", 0x01000000, {0, 40}, DEFAULT_NODES, {}, {}, "fewer than two"},
      {"first x not 0", 0x02000000, {1, 0, 255, 255}, DEFAULT_NODES, {}, {}, "input level 0"},
      {"last x not 255", 0x02000000, {0, 0, 254, 255}, DEFAULT_NODES, {}, {}, "input level 255"},
      {"decreasing x",
       0x04000000,
       {0, 0, 100, 1, 99, 2, 255, 3},
       DEFAULT_NODES,
       {},
       {},
       "decrease"},
      {"blue cut short, red and green kept",
       0x00020202,
       {0, 9, 255, 99, 0, 9, 255, 99, 0, 9},
       stored,
       stored,
       DEFAULT_NODES,
       "ends before"},
      {"red of one node, green still read",
       0x00010200,
       {0, 1, 0, 9, 255, 99},
       DEFAULT_NODES,
       stored,
       ramp,
       "fewer than two"},
      {"green not starting at 0",
       0x00000202,
       {1, 0, 255, 0, 0, 9, 255, 99},
       ramp,
       DEFAULT_NODES,
       stored,
       "input level 0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HostClearDebugOutput();
    LutCurveSet loaded;
    Shape(loaded, LUT_BLUE, ramp);
    Shape(loaded, LUT_GREEN, ramp);
    Shape(loaded, LUT_RED, ramp);
    // A heap copy of exactly the stored length lets the address sanitizer see
    // any read past the value.
    std::vector<uint8_t> value(c.pairs);
    const uint8_t* data = value.empty() ? nullptr : value.data();
    EXPECT_EQ(loaded.LoadPacked(c.countWord, data, value.size(), 0), 1);
    if (c.countWord > LUT_ALL_SHAPE_LIMIT) {
      EXPECT_EQ(loaded.channel, LUT_ALL);
      for (int ch = LUT_RED; ch <= LUT_ALL; ++ch) EXPECT_EQ(NodesOf(loaded, LutChannel(ch)), c.red);
    } else {
      EXPECT_EQ(NodesOf(loaded, LUT_RED), c.red);
      EXPECT_EQ(NodesOf(loaded, LUT_GREEN), c.green);
      EXPECT_EQ(NodesOf(loaded, LUT_BLUE), c.blue);
    }
    std::string log = Log();
    EXPECT_EQ(log.rfind("Korvanta TWAIN DS: stored ", 0), 0u) << log;
    EXPECT_NE(log.find(c.reason), std::string::npos) << log;
    EXPECT_EQ(log.back(), '\n');
  }
}

TEST_F(LutCurvesTest, UnknownLutTypeInstallsTheDefaultCurvesWithAllCurrent) {
  Shape(set, LUT_RED, {{0, 255}, {255, 0}});
  const uint8_t pairs[] = {0, 255, 255, 0};
  EXPECT_EQ(set.LoadPacked(0x02000000, pairs, sizeof pairs, 7), 1);
  EXPECT_EQ(set.channel, LUT_ALL);
  for (int c = LUT_RED; c <= LUT_ALL; ++c) EXPECT_EQ(NodesOf(set, LutChannel(c)), DEFAULT_NODES);
  EXPECT_EQ(Log(), "Korvanta TWAIN DS: stored LutType 7 is unknown, using the default curves \n");
}

TEST_F(LutCurvesTest, ListToBytesGivesInputThenOutputOfEachNode) {
  Shape(set, LUT_RED, {{0, 3}, {17, 200}, {255, 1}});
  EXPECT_EQ(set.ListToBytes(LUT_RED), (std::vector<uint8_t>{0, 3, 17, 200, 255, 1}));
  EXPECT_EQ(set.ListToBytes(LUT_GREEN), (std::vector<uint8_t>{0, 0, 128, 128, 255, 255}));
}

TEST_F(LutCurvesTest, CopyListMakesAnExactCopyAndDropsTheSelection) {
  Shape(set, LUT_RED, {{0, 3}, {17, 200}, {17, 20}, {255, 1}});
  ASSERT_TRUE(set.SelectNode(&set.lists[LUT_RED].front()));
  set.CopyList(LUT_BLUE, LUT_RED);
  EXPECT_EQ(NodesOf(set, LUT_BLUE), NodesOf(set, LUT_RED));
  EXPECT_EQ(set.selected, nullptr);
}

TEST_F(LutCurvesTest, PackedNodeCountReadsBothShapes) {
  EXPECT_EQ(PackedNodeCount(0), 0u);
  EXPECT_EQ(PackedNodeCount(0x03000000), 3u);
  EXPECT_EQ(PackedNodeCount(0xFF000000), 255u);
  EXPECT_EQ(PackedNodeCount(0x00FFFFFF), 765u);
  EXPECT_EQ(PackedNodeCount(0x00020302), 7u);
}

}  // namespace
