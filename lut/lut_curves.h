// The curves of the input look-up table: four node lists (red, green, blue and
// All, which stands for every channel at once), the current channel that the
// LUT page edits, and the packed byte form in which curves are stored in the
// registry value LutValues and in which predefined curves are installed.
//
// Every list the set holds keeps these invariants: at least two and at most
// LUT_MAX_NODES nodes, the first at x = 0, the last at x = 255, x never
// decreasing, x and y within 0..255.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <vector>

struct LutNode {
  int32_t x;  // input level
  int32_t y;  // output level
};

typedef std::list<LutNode> LutNodeList;

enum LutChannel : int32_t { LUT_RED = 0, LUT_GREEN = 1, LUT_BLUE = 2, LUT_ALL = 3 };
constexpr int LUT_CHANNEL_COUNT = 4;

// A count in the packed form is 8 bits wide, so no list grows beyond this.
constexpr size_t LUT_MAX_NODES = 255;

// Packed form: a little-endian count word, then one byte x and one byte y per
// node. All shape: the All list's count in bits 24-31. Channel shape: red in
// bits 16-23, green in 8-15, blue in 0-7, the pairs in that order.
constexpr uint32_t LUT_ALL_SHAPE_LIMIT = 0x00FFFFFF;  // a word above it is of the All shape
constexpr size_t LUT_COUNT_WORD_SIZE = 4;

// Total number of node pairs that a count word announces.
uint32_t PackedNodeCount(uint32_t countWord);

struct LutCurveSet {
  LutCurveSet();  // default curve in all four lists, Red current, nothing selected

  // Makes c current; leaving All copies the All list into Red, Green and Blue.
  void SelectChannel(LutChannel c);
  // The target list becomes an exact copy of the source list.
  void CopyList(LutChannel target, LutChannel source);

  // Installs curves from the packed form: countWord and the pairLength bytes
  // of pairs that follow it. A non-zero lutType has no curves to offer: the
  // default curves are installed with All current. A curve that is cut short,
  // has fewer than two nodes, does not run from x = 0 to x = 255 or has a
  // decreasing x is replaced by the default curve. Everything refused is
  // logged; the result is 0 when everything was installed as stored, else 1.
  int LoadPacked(uint32_t countWord, const uint8_t* pairs, size_t pairLength, int32_t lutType);
  // The packed form of the current curves: the All list when All is current,
  // otherwise the red, green and blue lists.
  std::vector<uint8_t> PackCurves() const;
  // x then y of each node of a list, in list order.
  std::vector<uint8_t> ListToBytes(LutChannel c) const;

  // Inserts (x, y) into the current list before the first node with a greater
  // x; returns false when nothing was inserted (x = 255, or the list is full).
  bool InsertNode(int32_t x, int32_t y);
  // Removes the first node of the current list equal to (x, y) unless it is
  // the first or the last node; returns whether a node was removed.
  bool RemoveNodeAt(int32_t x, int32_t y);
  // Selects a node of the current list for dragging; false when the node does
  // not belong to the current list.
  bool SelectNode(const LutNode* node);
  // Moves the selected node to (x, y), keeping its place in the order: the
  // first node stays at x = 0, the last at x = 255, any other between its
  // neighbours' x.
  void MoveSelectedNode(int32_t x, int32_t y);

  LutChannel channel;                    // the list the LUT page edits
  const LutNode* selected;               // node being dragged, or null
  LutNodeList lists[LUT_CHANNEL_COUNT];  // indexed by LutChannel; walk them to paint
};

// The curve set of a board with an input LUT, created when its digitizer is
// set up; null when the allocation fails.
LutCurveSet* CreateLutCurveSet();
void DestroyLutCurveSet(LutCurveSet* curveSet);
