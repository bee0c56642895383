// Image buffers in their pixel layouts, grab memory, LUT tables, and the
// release of objects with everything below them.
#include "simulator_fixture.h"

namespace {

// Scene of frame 0 with default levels, input channel 0 and identity LUT.
uint8_t SceneRed(int x) { return static_cast<uint8_t>(x & 0xFF); }
uint8_t SceneGreen(int y) { return static_cast<uint8_t>(y & 0xFF); }
uint8_t SceneBlue(int x, int y) { return static_cast<uint8_t>((x + y) & 0xFF); }

struct LayoutCase {
  int32_t bits;
  int bytesPerPixel;
  int red, green, blue;  // byte of each band in a pixel
};

const LayoutCase kLayouts[] = {
    {0x1000, 3, 2, 1, 0},  // M_BGR24
    {0x0800, 3, 0, 1, 2},  // M_RGB24
    {0x1100, 4, 2, 1, 0},  // M_BGR32: B G R X
    {0x1200, 4, 3, 2, 1},  // M_XBGR32: X B G R
    {0x0900, 4, 0, 1, 2},  // M_RGB32: R G B X
    {0x0A00, 4, 1, 2, 3},  // M_XRGB32: X R G B
};

TEST_F(SimulatorTest, ColourPixelsLieAsTheFormatWordSays) {
  for (const LayoutCase& c : kLayouts) {
    SCOPED_TRACE(c.bits);
    ASSERT_EQ(sim.SetPixelLayout(c.bits), 1);
    MIL_ID digitizer = AllocDigitizer(24, "M_PAL_RGB");
    MIL_ID image = AllocImage(digitizer);
    ASSERT_NE(image, 0);
    EXPECT_EQ(mil.MbufInquire(image, 1010, nullptr) & 0x3F00, c.bits);
    EXPECT_EQ(mil.MbufInquire(image, 1005, nullptr), 3);
    EXPECT_EQ(mil.MbufInquire(image, 1007, nullptr), 8);
    mil.MdigGrab(digitizer, image);
    const uint8_t* pixels = reinterpret_cast<const uint8_t*>(mil.MbufInquire(image, HOST_ADDRESS, nullptr));
    ASSERT_NE(pixels, nullptr);
    // Rows top-down without padding: the last pixel ends the block.
    for (auto [x, y] : {std::pair{0, 0}, {1, 0}, {300, 2}, {767, 575}}) {
      const uint8_t* pixel = pixels + (static_cast<size_t>(y) * 768 + x) * c.bytesPerPixel;
      EXPECT_EQ(pixel[c.red], SceneRed(x)) << x << "," << y;
      EXPECT_EQ(pixel[c.green], SceneGreen(y)) << x << "," << y;
      EXPECT_EQ(pixel[c.blue], SceneBlue(x, y)) << x << "," << y;
    }
    mil.MbufFree(image);
    mil.MdigFree(digitizer);
  }
  EXPECT_EQ(sim.SetPixelLayout(0x10000), 0);
}

TEST_F(SimulatorTest, MonochromeBuffersAreMono8) {
  sim.SetPixelLayout(0x1100);  // colour layouts do not apply to one band
  MIL_ID digitizer = AllocDigitizer(27, "M_RS170");
  MIL_ID image = AllocImage(digitizer);
  EXPECT_EQ(mil.MbufInquire(image, 1010, nullptr) & 0x3F00, 0x0200);
  EXPECT_EQ(mil.MbufInquire(image, 1005, nullptr), 1);
  mil.MdigGrab(digitizer, image);
  for (auto [x, y] : {std::pair{0, 0}, {5, 7}, {639, 479}}) {
    EXPECT_EQ(PixelByte(image, x, y, 0), SceneBlue(x, y));
  }
}

TEST_F(SimulatorTest, GrabMemoryRunsOutAtTheConfiguredTotal) {
  sim.SetGrabMemoryKb(3 * 1024);
  MIL_ID blocks[3];
  for (MIL_ID& block : blocks) {
    block = mil.MbufAlloc1d(system_, 1024 * 1024, 8, GRAB_MEMORY_ATTRIBUTE, nullptr);
    EXPECT_NE(block, 0);
  }
  EXPECT_EQ(sim.GrabMemoryUsed(), 3u << 20);
  EXPECT_EQ(mil.MbufAlloc1d(system_, 1024 * 1024, 8, GRAB_MEMORY_ATTRIBUTE, nullptr), 0);
  EXPECT_EQ(mil.MbufAlloc1d(system_, 1024, 8, GRAB_MEMORY_ATTRIBUTE, nullptr), 0);
  // Image buffers and tables are host memory, not grab memory.
  EXPECT_NE(mil.MbufAllocColor(system_, 3, 768, 576, 8, IMAGE_ATTRIBUTE, nullptr), 0);
  EXPECT_NE(mil.MbufAlloc1d(system_, 256, 8, LUT_ATTRIBUTE, nullptr), 0);
  mil.MbufFree(blocks[1]);
  EXPECT_EQ(sim.GrabMemoryUsed(), 2u << 20);
  EXPECT_NE(mil.MbufAlloc1d(system_, 1024 * 1024, 8, GRAB_MEMORY_ATTRIBUTE, nullptr), 0);
}

// The probe a set-up makes: halve the chunk on every refusal.
uint32_t ProbeGrabMemoryKb(const ImagingLibrary& mil, MIL_ID system) {
  std::vector<MIL_ID> held;
  uint32_t chunk = 1024, total = 0;
  while (chunk > 1 && held.size() < 100) {
    MIL_ID block = mil.MbufAlloc1d(system, chunk * 1024, 8, GRAB_MEMORY_ATTRIBUTE, nullptr);
    if (block != 0) {
      held.push_back(block);
      total += chunk;
    } else {
      chunk /= 2;
    }
  }
  for (auto it = held.rbegin(); it != held.rend(); ++it) mil.MbufFree(*it);
  return total;
}

TEST_F(SimulatorTest, GrabMemoryProbeFindsTheTotal) {
  EXPECT_EQ(ProbeGrabMemoryKb(mil, system_), 64u * 1024);
  sim.SetGrabMemoryKb(2500);
  EXPECT_EQ(ProbeGrabMemoryKb(mil, system_), 2500u);
  sim.SetFault(SIM_FAULT_NO_GRAB_MEMORY, 1);
  EXPECT_EQ(ProbeGrabMemoryKb(mil, system_), 0u);
  EXPECT_EQ(sim.GrabMemoryUsed(), 0u);
}

TEST_F(SimulatorTest, LutRampsWriteTablesAndBands) {
  MIL_ID table = mil.MbufAllocColor(system_, 3, 256, 1, 8, LUT_ATTRIBUTE, nullptr);
  ASSERT_NE(table, 0);
  MIL_ID red = mil.MbufChildColor(table, 0, nullptr);
  MIL_ID blue = mil.MbufChildColor(table, 2, nullptr);
  ASSERT_NE(red, 0);
  EXPECT_EQ(mil.MbufChildColor(table, 3, nullptr), 0);
  EXPECT_EQ(mil.MbufInquire(red, 1005, nullptr), 1);

  // The parent takes a ramp in every band; a child only in its own.
  mil.MgenLutRamp(table, 0, 0, 128, 64);
  mil.MgenLutRamp(table, 128, 64, 255, 255);
  mil.MgenLutRamp(red, 0, 255, 255, 0);
  mil.MgenLutRamp(blue, 10, 200, 10, 20);  // one entry: the end value
  const uint8_t* bands = reinterpret_cast<const uint8_t*>(mil.MbufInquire(table, HOST_ADDRESS, nullptr));
  ASSERT_NE(bands, nullptr);
  const uint8_t* green = bands + 256;
  EXPECT_EQ(green[0], 0);
  EXPECT_EQ(green[1], 1);     // 0.5 rounds up
  EXPECT_EQ(green[127], 64);  // 63.5
  EXPECT_EQ(green[128], 64);
  EXPECT_EQ(green[192], 160);  // 64 + 191 * 64 / 127 = 160.25
  EXPECT_EQ(green[255], 255);
  EXPECT_EQ(bands[0], 255);
  EXPECT_EQ(bands[255], 0);
  EXPECT_EQ(bands[512 + 10], 20);
  EXPECT_EQ(bands[512 + 11], green[11]);

  // Entries outside the table are not written; image buffers take no ramps.
  uint32_t errors = sim.ErrorCount();
  mil.MgenLutRamp(red, 250, 0, 300, 50);
  EXPECT_EQ(bands[250], 0);
  EXPECT_EQ(bands[255], 5);
  MIL_ID image = mil.MbufAllocColor(system_, 3, 16, 16, 8, IMAGE_ATTRIBUTE, nullptr);
  mil.MgenLutRamp(image, 0, 0, 15, 15);
  EXPECT_EQ(mil.MbufChildColor(image, 0, nullptr), 0) << "packed buffers have no band children";
  EXPECT_EQ(sim.ErrorCount(), errors + 3);

  // Freeing the table frees its children.
  mil.MbufFree(table);
  EXPECT_EQ(sim.ObjectCount(SIM_BUFFERS), 1);
  mil.MbufFree(red);
  EXPECT_EQ(sim.ErrorCount(), errors + 4);
}

TEST_F(SimulatorTest, FreeingReleasesEverythingBelow) {
  MIL_ID digitizer = AllocDigitizer(24, "M_PAL_RGB");
  MIL_ID image = AllocImage(digitizer);
  MIL_ID display = mil.MdispAlloc(system_, M_DEFAULT_FLAG, "M_DEFAULT", M_DEFAULT_FLAG, nullptr);
  mil.MbufAlloc1d(system_, 1 << 20, 8, GRAB_MEMORY_ATTRIBUTE, nullptr);
  mil.MdigGrabContinuous(digitizer, image);
  EXPECT_EQ(sim.ObjectCount(SIM_ALL_OBJECTS), 6);

  mil.MdispFree(display);
  EXPECT_EQ(sim.ObjectCount(SIM_DISPLAYS), 0);
  mil.MsysFree(system_);
  EXPECT_EQ(sim.ObjectCount(SIM_ALL_OBJECTS), 1) << "only the application is left";
  EXPECT_EQ(sim.GrabMemoryUsed(), 0u);
  mil.MappFree(application_);
  EXPECT_EQ(sim.ObjectCount(SIM_ALL_OBJECTS), 0);

  // Ids that are gone are ignored and reported, not followed.
  uint32_t errors = sim.ErrorCount();
  mil.MdigHalt(digitizer);
  mil.MdigGrab(digitizer, image);
  mil.MbufFree(image);
  mil.MsysFree(system_);
  EXPECT_EQ(mil.MbufInquire(image, HOST_ADDRESS, nullptr), 0);
  EXPECT_EQ(mil.MdigInquire(digitizer, 1002, nullptr), 0);
  EXPECT_EQ(sim.ErrorCount(), errors + 6);
  EXPECT_NE(CallLog().find("MbufFree(" + std::to_string(image) + ") error: unknown buffer id\n"),
            std::string::npos);
  // No application, no system.
  EXPECT_EQ(mil.MsysAlloc(SYSTEM_DESCRIPTOR, 0, 0, nullptr), 0);
}

}  // namespace
