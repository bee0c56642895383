#include "lut/lut_curves.h"

#include <iterator>
#include <new>

#include "source/diagnostic_log.h"

namespace {

const LutNode DEFAULT_CURVE[] = {{0, 0}, {128, 128}, {255, 255}};

const char* const CHANNEL_NAMES[LUT_CHANNEL_COUNT] = {"red", "green", "blue", "All"};

void SetDefaultCurve(LutNodeList& list) {
  list.assign(std::begin(DEFAULT_CURVE), std::end(DEFAULT_CURVE));
}

int32_t ClampLevel(int32_t level) {
  if (level < 0) return 0;
  if (level > 255) return 255;
  return level;
}

// Why a stored group of count pairs cannot be a curve, or null when it can.
// available is the number of bytes left in the stored value.
const char* PackedCurveFault(const uint8_t* pairs, size_t count, size_t available) {
  if (available < 2 * count) return "the value ends before its nodes";
  if (count < 2) return "fewer than two nodes";
  if (pairs[0] != 0) return "the first node is not at input level 0";
  if (pairs[2 * (count - 1)] != 255) return "the last node is not at input level 255";
  for (size_t i = 1; i < count; ++i) {
    if (pairs[2 * i] < pairs[2 * (i - 1)]) return "the input levels decrease";
  }
  return nullptr;
}

// Replaces a list with count stored pairs, or with the default curve when the
// group is unusable. Returns 0 when the stored curve was installed.
int InstallPackedCurve(LutNodeList& list, LutChannel channel, const uint8_t* pairs, size_t count,
                       size_t available) {
  const char* fault = PackedCurveFault(pairs, count, available);
  if (fault != nullptr) {
    DiagnosticLog log;
    log.Write(
        "Korvanta TWAIN DS: stored %s LUT curve of %u nodes refused (%s), using the "
        "default curve \n",
        CHANNEL_NAMES[channel], static_cast<unsigned>(count), fault);
    SetDefaultCurve(list);
    return 1;
  }
  list.clear();
  for (size_t i = 0; i < count; ++i) list.push_back({pairs[2 * i], pairs[2 * i + 1]});
  return 0;
}

}  // namespace

uint32_t PackedNodeCount(uint32_t countWord) {
  if (countWord > LUT_ALL_SHAPE_LIMIT) return countWord >> 24;
  return ((countWord >> 16) & 0xFF) + ((countWord >> 8) & 0xFF) + (countWord & 0xFF);
}

LutCurveSet::LutCurveSet() : channel(LUT_RED), selected(nullptr) {
  for (LutNodeList& list : lists) SetDefaultCurve(list);
}

void LutCurveSet::SelectChannel(LutChannel c) {
  if (c == channel) return;
  if (channel == LUT_ALL) {
    CopyList(LUT_RED, LUT_ALL);
    CopyList(LUT_GREEN, LUT_ALL);
    CopyList(LUT_BLUE, LUT_ALL);
  }
  // A node selected for dragging belongs to the list that was current.
  selected = nullptr;
  channel = c;
}

void LutCurveSet::CopyList(LutChannel target, LutChannel source) {
  if (target != source) lists[target] = lists[source];
  selected = nullptr;
}

int LutCurveSet::LoadPacked(uint32_t countWord, const uint8_t* pairs, size_t pairLength,
                            int32_t lutType) {
  if (pairs == nullptr) pairLength = 0;
  if (lutType != 0) {
    DiagnosticLog log;
    log.Write("Korvanta TWAIN DS: stored LutType %d is unknown, using the default curves \n",
              lutType);
    for (LutNodeList& list : lists) SetDefaultCurve(list);
    selected = nullptr;
    channel = LUT_ALL;
    return 1;
  }
  if (countWord == 0) return 0;
  selected = nullptr;
  if (countWord > LUT_ALL_SHAPE_LIMIT) {
    channel = LUT_ALL;
    int result = InstallPackedCurve(lists[LUT_ALL], LUT_ALL, pairs, countWord >> 24, pairLength);
    CopyList(LUT_RED, LUT_ALL);
    CopyList(LUT_GREEN, LUT_ALL);
    CopyList(LUT_BLUE, LUT_ALL);
    return result;
  }
  const size_t counts[3] = {(countWord >> 16) & 0xFF, (countWord >> 8) & 0xFF, countWord & 0xFF};
  size_t offset = 0;
  int result = 0;
  for (int c = LUT_RED; c <= LUT_BLUE; ++c) {
    if (counts[c] == 0) continue;
    size_t available = offset < pairLength ? pairLength - offset : 0;
    result |= InstallPackedCurve(lists[c], static_cast<LutChannel>(c),
                                 available > 0 ? pairs + offset : nullptr, counts[c], available);
    offset += 2 * counts[c];
  }
  return result;
}

std::vector<uint8_t> LutCurveSet::PackCurves() const {
  uint32_t countWord = 0;
  std::vector<uint8_t> pairs;
  if (channel == LUT_ALL) {
    countWord = static_cast<uint32_t>(lists[LUT_ALL].size()) << 24;
    pairs = ListToBytes(LUT_ALL);
  } else {
    countWord = static_cast<uint32_t>(lists[LUT_RED].size()) << 16 |
                static_cast<uint32_t>(lists[LUT_GREEN].size()) << 8 |
                static_cast<uint32_t>(lists[LUT_BLUE].size());
    for (int c = LUT_RED; c <= LUT_BLUE; ++c) {
      std::vector<uint8_t> bytes = ListToBytes(static_cast<LutChannel>(c));
      pairs.insert(pairs.end(), bytes.begin(), bytes.end());
    }
  }
  std::vector<uint8_t> block(LUT_COUNT_WORD_SIZE);
  for (size_t i = 0; i < LUT_COUNT_WORD_SIZE; ++i) block[i] = (countWord >> (8 * i)) & 0xFF;
  block.insert(block.end(), pairs.begin(), pairs.end());
  return block;
}

std::vector<uint8_t> LutCurveSet::ListToBytes(LutChannel c) const {
  std::vector<uint8_t> bytes;
  bytes.reserve(2 * lists[c].size());
  for (const LutNode& node : lists[c]) {
    bytes.push_back(static_cast<uint8_t>(node.x & 0xFF));
    bytes.push_back(static_cast<uint8_t>(node.y & 0xFF));
  }
  return bytes;
}

bool LutCurveSet::InsertNode(int32_t x, int32_t y) {
  LutNodeList& list = lists[channel];
  if (list.size() >= LUT_MAX_NODES) return false;
  x = ClampLevel(x);
  y = ClampLevel(y);
  for (auto node = list.begin(); node != list.end(); ++node) {
    if (node->x > x) {
      list.insert(node, {x, y});
      return true;
    }
  }
  return false;
}

bool LutCurveSet::RemoveNodeAt(int32_t x, int32_t y) {
  LutNodeList& list = lists[channel];
  for (auto node = list.begin(); node != list.end(); ++node) {
    if (node->x != x || node->y != y) continue;
    if (node == list.begin() || std::next(node) == list.end()) return false;
    if (selected == &*node) selected = nullptr;
    list.erase(node);
    return true;
  }
  return false;
}

bool LutCurveSet::SelectNode(const LutNode* node) {
  for (const LutNode& candidate : lists[channel]) {
    if (&candidate == node) {
      selected = node;
      return true;
    }
  }
  return false;
}

void LutCurveSet::MoveSelectedNode(int32_t x, int32_t y) {
  LutNodeList& list = lists[channel];
  auto node = list.begin();
  while (node != list.end() && &*node != selected) ++node;
  if (node == list.end()) return;
  x = ClampLevel(x);
  if (node == list.begin()) {
    x = 0;
  } else if (x < std::prev(node)->x) {
    x = std::prev(node)->x;
  }
  if (std::next(node) == list.end()) {
    x = 255;
  } else if (x > std::next(node)->x) {
    x = std::next(node)->x;
  }
  node->x = x;
  node->y = ClampLevel(y);
}

LutCurveSet* CreateLutCurveSet() { return new (std::nothrow) LutCurveSet(); }

void DestroyLutCurveSet(LutCurveSet* curveSet) { delete curveSet; }
