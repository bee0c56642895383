// DAT_IMAGEINFO and DAT_IMAGELAYOUT over a synthetic digitizer set-up.
#include <cstring>

#include "capabilities/capability_handlers.h"
#include "capabilities/capability_store.h"
#include "capabilities/capability_table.h"
#include "capabilities/containers.h"
#include "grabber/mil_info.h"
#include "source/source_session.h"
#include "synthetic_frame.h"

namespace {

class ImageDescriptionTest : public SyntheticFrameTest {
 protected:
  // What the digitizer set-up publishes: the bit depth and the pixel type.
  void PublishFormat() {
    TW_UINT16 bitDepth = static_cast<TW_UINT16>(8 * milInfo.BandCount);
    StoreCapability(ICAP_BITDEPTH, TWON_ONEVALUE, BuildOneValue(TWTY_UINT16, &bitDepth));
    TW_UINT16 pixelType = milInfo.BandCount == 1 ? TWPT_GRAY : TWPT_RGB;
    TW_CAPABILITY capability = {ICAP_PIXELTYPE, TWON_ONEVALUE,
                                BuildOneValue(TWTY_UINT16, &pixelType)};
    Triplet triplet = {nullptr, DG_CONTROL, DAT_CAPABILITY, MSG_SET, &capability};
    HandlePixelType(triplet);
    GlobalFree(capability.hContainer);
  }

  void StoreEnumeration(TW_UINT16 capabilityId, TW_UINT32 count, TW_UINT32 current,
                        const TW_UINT16* items) {
    StoreCapability(capabilityId, TWON_ENUMERATION,
                    BuildEnumeration(count, current, 0, TWTY_UINT16, items));
  }
};

struct InfoCase {
  SyntheticFormat format;
  TW_INT16 bitsPerPixel;
  TW_INT16 pixelType;
};

TEST_F(ImageDescriptionTest, InfoDescribesTheFrameOfTheSetUp) {
  const InfoCase cases[] = {
      {GREY_768, 8, TWPT_GRAY},
      {BGR_768, 24, TWPT_RGB},
      {{640, 480, 3, true, true, false}, 24, TWPT_RGB},
  };
  for (const InfoCase& c : cases) {
    UseFormat(c.format);
    PublishFormat();
    TW_IMAGEINFO info;
    memset(&info, 0xA5, sizeof info);
    ASSERT_EQ(Call(DAT_IMAGEINFO, MSG_GET, &info), TWRC_SUCCESS);
    EXPECT_EQ(info.XResolution.Whole, 300);
    EXPECT_EQ(info.XResolution.Frac, 0);
    EXPECT_EQ(info.YResolution.Whole, 300);
    EXPECT_EQ(info.YResolution.Frac, 0);
    EXPECT_EQ(+info.ImageWidth, TW_INT32(c.format.width));
    EXPECT_EQ(+info.ImageLength, TW_INT32(c.format.height));
    EXPECT_EQ(info.SamplesPerPixel, TW_INT16(c.format.bands));
    for (uint32_t sample = 0; sample < 8; ++sample) {
      EXPECT_EQ(info.BitsPerSample[sample], sample < c.format.bands ? 8 : 0) << sample;
    }
    EXPECT_EQ(info.BitsPerPixel, c.bitsPerPixel);
    EXPECT_EQ(info.Planar, 0);
    EXPECT_EQ(info.PixelType, c.pixelType);
    EXPECT_EQ(info.Compression, TWCP_NONE);
  }
}

TEST_F(ImageDescriptionTest, InfoTakesPlanarAndResolutionFromTheCapabilities) {
  const TW_UINT16 planarChunky[] = {TWPC_CHUNKY, TWPC_PLANAR};
  StoreEnumeration(ICAP_PLANARCHUNKY, 2, 1, planarChunky);
  TW_FIX32 resolution = ToFix32(72.5);
  StoreCapability(ICAP_XRESOLUTION, TWON_ONEVALUE, BuildOneValue(TWTY_FIX32, &resolution));
  TW_IMAGEINFO info{};
  ASSERT_EQ(Call(DAT_IMAGEINFO, MSG_GET, &info), TWRC_SUCCESS);
  EXPECT_EQ(info.Planar, 1);
  EXPECT_EQ(info.XResolution.Whole, 72);
  EXPECT_EQ(info.XResolution.Frac, 32768);
  EXPECT_EQ(info.YResolution.Whole, 300);
}

TEST_F(ImageDescriptionTest, InfoRefusalsLeaveTheApplicationsStructureAlone) {
  TW_IMAGEINFO info;
  memset(&info, 0x5A, sizeof info);
  TW_IMAGEINFO untouched = info;

  EXPECT_EQ(Call(DAT_IMAGEINFO, MSG_SET, &info), TWRC_FAILURE);
  EXPECT_EQ(TakeConditionCode(), TWCC_BADPROTOCOL);
  EXPECT_EQ(Call(DAT_IMAGEINFO, MSG_GET, nullptr), TWRC_FAILURE);
  EXPECT_EQ(TakeConditionCode(), TWCC_BADVALUE);

  // An application's enumeration whose current index lies beyond its items
  // has no current value to describe.
  const TW_UINT16 pixelTypes[] = {TWPT_GRAY, TWPT_RGB};
  StoreEnumeration(ICAP_PIXELTYPE, 2, 7, pixelTypes);
  EXPECT_EQ(Call(DAT_IMAGEINFO, MSG_GET, &info), TWRC_FAILURE);
  EXPECT_EQ(TakeConditionCode(), TWCC_OPERATIONERROR);

  // Before MSG_OPENDS and after MSG_CLOSEDS there are no capability values.
  ReleaseCapabilities();
  EXPECT_EQ(Call(DAT_IMAGEINFO, MSG_GET, &info), TWRC_FAILURE);
  EXPECT_EQ(TakeConditionCode(), TWCC_SEQERROR);
  EXPECT_EQ(memcmp(&info, &untouched, sizeof info), 0);
}

TEST_F(ImageDescriptionTest, LayoutIsTheWholeFrameInPixels) {
  for (TW_UINT16 msg : {MSG_GET, MSG_GETDEFAULT, MSG_RESET}) {
    TW_IMAGELAYOUT layout;
    memset(&layout, 0xA5, sizeof layout);
    ASSERT_EQ(Call(DAT_IMAGELAYOUT, msg, &layout), TWRC_SUCCESS) << msg;
    EXPECT_EQ(layout.Frame.Left.Whole, 0);
    EXPECT_EQ(layout.Frame.Top.Whole, 0);
    EXPECT_EQ(layout.Frame.Right.Whole, 768);
    EXPECT_EQ(layout.Frame.Bottom.Whole, 576);
    for (const TW_FIX32& value : {layout.Frame.Left, layout.Frame.Top, layout.Frame.Right,
                                  layout.Frame.Bottom}) {
      EXPECT_EQ(value.Frac, 0);
    }
    EXPECT_EQ(+layout.DocumentNumber, 1u);
    EXPECT_EQ(+layout.PageNumber, 1u);
    EXPECT_EQ(+layout.FrameNumber, 1u);
  }
}

TEST_F(ImageDescriptionTest, LayoutInOtherUnitsIsStillInPixelsAndSaysSo) {
  sourceSession.dumpMode = DUMP_TO_DEBUGGER;
  const TW_UINT16 units[] = {TWUN_INCHES, TWUN_PIXELS};
  StoreEnumeration(ICAP_UNITS, 2, 0, units);
  UseFormat({640, 480, 1, false, false, false});
  TW_IMAGELAYOUT layout{};
  ASSERT_EQ(Call(DAT_IMAGELAYOUT, MSG_GET, &layout), TWRC_SUCCESS);
  EXPECT_EQ(layout.Frame.Right.Whole, 640);
  EXPECT_EQ(layout.Frame.Bottom.Whole, 480);
  EXPECT_NE(std::string(HostDebugOutput())
                .find("current unit is TWUN_0, have to convert to pixels ?????????\n"),
            std::string::npos);
}

TEST_F(ImageDescriptionTest, LayoutRefusals) {
  struct Refusal {
    TW_UINT16 msg;
    bool withData;
    bool withStore;
    TW_UINT16 code;
  };
  const Refusal refusals[] = {
      {MSG_SET, true, true, TWCC_CAPUNSUPPORTED},
      {MSG_GETCURRENT, true, true, TWCC_BADPROTOCOL},
      {MSG_GET, false, true, TWCC_BADVALUE},
      {MSG_GET, true, false, TWCC_SEQERROR},
  };
  for (const Refusal& r : refusals) {
    if (!r.withStore) ReleaseCapabilities();
    TW_IMAGELAYOUT layout;
    memset(&layout, 0x5A, sizeof layout);
    TW_IMAGELAYOUT untouched = layout;
    EXPECT_EQ(Call(DAT_IMAGELAYOUT, r.msg, r.withData ? &layout : nullptr), TWRC_FAILURE);
    EXPECT_EQ(TakeConditionCode(), r.code) << "MSG " << r.msg;
    EXPECT_EQ(memcmp(&layout, &untouched, sizeof layout), 0);
  }
}

}  // namespace
