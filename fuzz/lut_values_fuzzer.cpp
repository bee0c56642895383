// Packed LUT values as the registry value LutValues may hold them: a count
// word, pairs of any length and a stored LutType, installed into a curve set.
// Whatever was installed must keep the invariants of every list, and the
// packed form of the result must install again exactly as stored.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "lut/lut_curves.h"

namespace {

void Check(bool condition) {
  if (!condition) abort();
}

void CheckList(const LutNodeList& list) {
  Check(list.size() >= 2 && list.size() <= LUT_MAX_NODES);
  Check(list.front().x == 0 && list.back().x == 255);
  int32_t previous = 0;
  for (const LutNode& node : list) {
    Check(node.x >= previous && node.x <= 255);
    Check(node.y >= 0 && node.y <= 255);
    previous = node.x;
  }
}

uint32_t ReadWord(const uint8_t* bytes) {
  return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
         uint32_t(bytes[3]) << 24;
}

bool SameList(const LutNodeList& a, const LutNodeList& b) {
  if (a.size() != b.size()) return false;
  auto j = b.begin();
  for (const LutNode& node : a) {
    if (node.x != j->x || node.y != j->y) return false;
    ++j;
  }
  return true;
}

}  // namespace

// Input: the count word, one byte that picks the LutType (mostly 0), the
// channel current before the load, then the pairs.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 6) return 0;
  const uint32_t countWord = ReadWord(data);
  const int32_t lutType = data[4] < 224 ? 0 : int32_t(int8_t(data[4]));
  const LutChannel before = static_cast<LutChannel>(data[5] % LUT_CHANNEL_COUNT);
  // The pairs in a block of their exact length, so a read beyond it is caught.
  std::vector<uint8_t> pairs(data + 6, data + size);

  LutCurveSet curves;
  curves.SelectChannel(before);
  curves.LoadPacked(countWord, pairs.empty() ? nullptr : pairs.data(), pairs.size(), lutType);
  for (const LutNodeList& list : curves.lists) CheckList(list);
  Check(curves.channel >= LUT_RED && curves.channel <= LUT_ALL);
  Check(curves.selected == nullptr);

  const std::vector<uint8_t> packed = curves.PackCurves();
  Check(packed.size() >= LUT_COUNT_WORD_SIZE);
  std::vector<uint8_t> again(packed.begin() + LUT_COUNT_WORD_SIZE, packed.end());
  Check(PackedNodeCount(ReadWord(packed.data())) * 2 == again.size());
  LutCurveSet reloaded;
  reloaded.SelectChannel(curves.channel == LUT_ALL ? LUT_ALL : LUT_RED);
  Check(reloaded.LoadPacked(ReadWord(packed.data()), again.data(), again.size(), 0) == 0);
  if (curves.channel == LUT_ALL) {
    Check(SameList(reloaded.lists[LUT_ALL], curves.lists[LUT_ALL]));
  } else {
    for (int c = LUT_RED; c <= LUT_BLUE; ++c) Check(SameList(reloaded.lists[c], curves.lists[c]));
  }
  return 0;
}
