// Reading the containers a source hands over (also when it leaves ConType
// unset) and encoding the one value of MSG_SET.
#include "tools/acquire/capability_values.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// Container bytes as a source lays them out, built field by field.
struct Bytes {
  std::vector<unsigned char> data;
  Bytes& U16(TW_UINT16 value) {
    data.push_back((unsigned char)value);
    data.push_back((unsigned char)(value >> 8));
    return *this;
  }
  Bytes& U32(TW_UINT32 value) { return U16(TW_UINT16(value)).U16(TW_UINT16(value >> 16)); }
  Bytes& Pad(size_t count) {
    data.insert(data.end(), count, 0);
    return *this;
  }
};

TEST(CapabilityValuesTest, ReadsEachKindOfContainerAndTellsItsKindFromItsBytes) {
  struct Case {
    const char* what;
    TW_UINT16 capability;
    Bytes bytes;
    TW_UINT16 kind;
    const char* description;
  };
  const Case cases[] = {
      {"a TWTY_INT16 one value of -1", CAP_XFERCOUNT, Bytes().U16(TWTY_INT16).U32(0xFFFF),
       TWON_ONEVALUE, "TWON_ONEVALUE of TWTY_INT16: -1"},
      {"an enumeration in a block with two bytes to spare", ICAP_XFERMECH,
       Bytes().U16(TWTY_UINT16).U32(3).U32(2).U32(0).U16(0).U16(1).U16(2).Pad(2), TWON_ENUMERATION,
       "TWON_ENUMERATION of TWTY_UINT16: current TWSX_MEMORY (2), default TWSX_NATIVE (0); "
       "values TWSX_NATIVE (0), TWSX_FILE (1), TWSX_MEMORY (2)"},
      {"an array of capabilities", CAP_SUPPORTEDCAPS,
       Bytes().U16(TWTY_UINT16).U32(2).U16(CAP_XFERCOUNT).U16(ICAP_PIXELTYPE), TWON_ARRAY,
       "TWON_ARRAY of TWTY_UINT16: CAP_XFERCOUNT (1), ICAP_PIXELTYPE (257)"},
      {"a range of resolutions", ICAP_XRESOLUTION,
       Bytes().U16(TWTY_UINT32).U32(50).U32(600).U32(50).U32(300).U32(150), TWON_RANGE,
       "TWON_RANGE of TWTY_UINT32: current 150, default 300; from 50 to 600 in steps of 50"},
      {"a fixed-point one value", ICAP_XRESOLUTION, Bytes().U16(TWTY_FIX32).U16(300).U16(0x8000),
       TWON_ONEVALUE, "TWON_ONEVALUE of TWTY_FIX32: 300.5"},
  };
  for (const Case& c : cases) {
    const std::vector<unsigned char>& data = c.bytes.data;
    EXPECT_EQ(InferContainerType(data.data(), data.size()), c.kind) << c.what;
    CapabilityContainer container;
    std::string error;
    ASSERT_TRUE(ReadContainer(c.capability, c.kind, data.data(), data.size(), &container, &error))
        << c.what << ": " << error;
    EXPECT_EQ(DescribeContainer(c.capability, container), c.description) << c.what;
  }

  CapabilityContainer container;
  std::string error;
  Bytes enumeration = Bytes().U16(TWTY_UINT16).U32(3).U32(2).U32(0).U16(0).U16(1).U16(2);
  ASSERT_TRUE(ReadContainer(ICAP_XFERMECH, TWON_ENUMERATION, enumeration.data.data(),
                            enumeration.data.size(), &container, &error));
  ContainerItem current;
  ASSERT_TRUE(CurrentItem(container, &current));
  EXPECT_EQ(current.raw, TWSX_MEMORY);
}

TEST(CapabilityValuesTest, RefusesContainersTheirBlockCannotHold) {
  struct Case {
    const char* what;
    TW_UINT16 kind;
    Bytes bytes;
  };
  const Case cases[] = {
      {"a one value cut short", TWON_ONEVALUE, Bytes().U16(TWTY_UINT16).U16(0)},
      {"an enumeration counting more items than it holds", TWON_ENUMERATION,
       Bytes().U16(TWTY_UINT16).U32(1000).U32(0).U32(0).U16(1)},
      {"an enumeration whose current index is past its list", TWON_ENUMERATION,
       Bytes().U16(TWTY_UINT16).U32(1).U32(5).U32(0).U16(1)},
      {"an array of an unknown item type", TWON_ARRAY, Bytes().U16(0x77).U32(1).U32(0)},
      {"a range cut short", TWON_RANGE, Bytes().U16(TWTY_UINT32).U32(1).U32(2)},
  };
  for (const Case& c : cases) {
    CapabilityContainer container;
    std::string error;
    EXPECT_FALSE(ReadContainer(ICAP_PIXELTYPE, c.kind, c.bytes.data.data(), c.bytes.data.size(),
                               &container, &error))
        << c.what;
    EXPECT_FALSE(error.empty()) << c.what;
  }
}

TEST(CapabilityValuesTest, EncodesTheItemOfMsgSetForItsType) {
  struct Case {
    TW_UINT16 capability;
    TW_UINT16 itemType;
    const char* text;
    bool accepted;
    TW_UINT32 raw;
  };
  TW_FIX32 fix{72, 0x4000};
  TW_UINT32 fixRaw = 0;
  std::memcpy(&fixRaw, &fix, sizeof fix);
  const Case cases[] = {
      {CAP_XFERCOUNT, TWTY_INT16, "3", true, 3},
      {CAP_XFERCOUNT, TWTY_INT16, "-1", true, 0xFFFF},
      {CAP_XFERCOUNT, TWTY_INT16, "40000", false, 0},
      {CAP_XFERCOUNT, TWTY_INT16, "3x", false, 0},
      {ICAP_PIXELTYPE, TWTY_UINT16, "TWPT_RGB", true, TWPT_RGB},
      {ICAP_PIXELTYPE, TWTY_UINT16, "gray", true, TWPT_GRAY},
      {ICAP_PIXELTYPE, TWTY_UINT16, "-2", false, 0},
      {ICAP_XFERMECH, TWTY_UINT16, "memory", true, TWSX_MEMORY},
      {ICAP_XFERMECH, TWTY_UINT16, "TWPT_RGB", false, 0},
      {CAP_AUTOFEED, TWTY_BOOL, "TRUE", true, 1},
      {CAP_AUTOFEED, TWTY_BOOL, "no", true, 0},
      {CAP_AUTOFEED, TWTY_BOOL, "maybe", false, 0},
      {ICAP_XRESOLUTION, TWTY_FIX32, "72.25", true, fixRaw},
      {ICAP_XRESOLUTION, TWTY_FIX32, "40000", false, 0},
      {ICAP_XRESOLUTION, TWTY_STR32, "x", false, 0},
  };
  for (const Case& c : cases) {
    TW_UINT32 raw = 0xDEAD;
    std::string error;
    EXPECT_EQ(EncodeItem(c.capability, c.itemType, c.text, &raw, &error), c.accepted) << c.text;
    if (c.accepted)
      EXPECT_EQ(raw, c.raw) << c.text;
    else
      EXPECT_FALSE(error.empty()) << c.text;
  }
}

}  // namespace
