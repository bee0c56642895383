// A whole acquisition through DS_Entry of the loaded module, on the
// simulated board: open, enable without user interface, image information,
// then each transfer mechanism, compared with the simulator's picture.
#include <tiffio.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "application_fixture.h"
#include "simulator_controls.h"
#include "synthetic_frame.h"

namespace {

// A camera format with the pixel layout of the simulator's colour buffers.
struct Format {
  const char* name;
  const char* digFormat;
  int32_t pixelLayout;
  uint32_t width;
  uint32_t height;
  uint32_t bands;
  uint32_t nativeBytesPerPixel;
};

const Format GREY = {"grey", "M_CCIR", 0x1000, 768, 576, 1, 1};
const Format COLOUR_BGR24 = {"BGR24", "M_PAL", 0x1000, 768, 576, 3, 3};
const Format COLOUR_BGR32 = {"BGR32", "M_NTSC", 0x1100, 640, 480, 3, 4};

void PrintTo(const Format& format, std::ostream* out) { *out << format.name; }

struct Sample {
  uint32_t x;
  uint32_t y;
  uint8_t bands[3];
};

// Reads a TIFF back: its geometry, and its samples row after row.
std::vector<uint8_t> ReadTiff(const std::string& name, const Format& format) {
  std::vector<uint8_t> samples;
  TIFF* file = TIFFOpen(name.c_str(), "r");
  EXPECT_NE(file, nullptr) << name;
  if (file == nullptr) return samples;
  uint32_t width = 0, height = 0;
  uint16_t samplesPerPixel = 0, bitsPerSample = 0;
  TIFFGetField(file, TIFFTAG_IMAGEWIDTH, &width);
  TIFFGetField(file, TIFFTAG_IMAGELENGTH, &height);
  TIFFGetField(file, TIFFTAG_SAMPLESPERPIXEL, &samplesPerPixel);
  TIFFGetField(file, TIFFTAG_BITSPERSAMPLE, &bitsPerSample);
  EXPECT_EQ(width, format.width);
  EXPECT_EQ(height, format.height);
  EXPECT_EQ(samplesPerPixel, format.bands);
  EXPECT_EQ(bitsPerSample, 8);
  if (width == format.width && height == format.height && samplesPerPixel == format.bands) {
    std::vector<uint8_t> row(TIFFScanlineSize(file));
    for (uint32_t y = 0; y < height; ++y) {
      if (TIFFReadScanline(file, row.data(), y, 0) != 1) break;
      samples.insert(samples.end(), row.begin(), row.begin() + width * samplesPerPixel);
    }
  }
  TIFFClose(file);
  return samples;
}

class AcquisitionTest : public ApplicationTest {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    setenv("TMPDIR", folder_.path().c_str(), 1);
    LoadSimulator(&mil_, &sim_);
    if (HasFatalFailure()) return;
    // The module reads its log switch at attach, from this test's registry.
    AttachSource();
  }

  void TearDown() override {
    Call(DAT_IDENTITY, MSG_CLOSEDS, &dataSource_);
    source_.Unload();
    if (mil_ != nullptr) {
      EXPECT_EQ(sim_.ObjectCount(SIM_ALL_OBJECTS), 0) << "the source left imaging objects behind";
    }
    UnloadSimulator(&mil_, sim_);
    unsetenv("TMPDIR");
    HostFixture::TearDown();
  }

  TW_UINT16 Image(TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF data) {
    return source_(&application_, DG_IMAGE, DAT, MSG, data);
  }

  // Opens the source on the format, allows any number of images and enables
  // it without user interface, which makes the image ready at once.
  void OpenAndEnable(const Format& format) {
    ASSERT_EQ(sim_.SetPixelLayout(format.pixelLayout), 1);
    // The first open writes the settings; the format is stored into them.
    StoreDigFormat(format.digFormat);
    if (HasFatalFailure()) return;
    ASSERT_EQ(Open(), TWCC_SUCCESS);
    digitizer_ = LastDigitizer();
    ASSERT_NE(digitizer_, 0);

    SetXferCount(-1);  // unlimited
    if (HasFatalFailure()) return;

    TW_USERINTERFACE userInterface{TWAIN_FALSE, TWAIN_FALSE, nullptr};
    Call(DAT_USERINTERFACE, MSG_ENABLEDS, &userInterface);
    ASSERT_EQ(Status(), TWCC_SUCCESS);
  }

  void EndTransfer() {
    TW_PENDINGXFERS pending{};
    Call(DAT_PENDINGXFERS, MSG_ENDXFER, &pending);
    EXPECT_EQ(Status(), TWCC_SUCCESS);
    EXPECT_EQ(pending.Count, 0xFFFF);
  }

  // The id of the digitizer the source allocated last, from the call log.
  MIL_ID LastDigitizer() {
    std::string log = sim_.CallLog();
    size_t call = log.rfind("MdigAlloc(");
    if (call == std::string::npos) return 0;
    size_t result = log.find(" = ", call);
    return result == std::string::npos ? 0 : MIL_ID(atoi(log.c_str() + result + 3));
  }

  // The simulator's bands (red first) of the next frame at sample points:
  // whole rows at the top, the bottom, the middle and around the strip
  // boundaries of 64 kB buffers, and the first, middle and last columns of
  // every row. (The simulator computes a pixel at a time, slowly.)
  std::vector<Sample> ExpectedSamples(const Format& format) {
    const uint32_t frame = sim_.FrameCount(digitizer_);
    const uint32_t w = format.width;
    const uint32_t h = format.height;
    std::vector<uint32_t> fullRows = {0, 1, h / 2, h - 2, h - 1};
    for (uint32_t boundary : {27u, 28u, 84u, 85u, 532u, 560u}) {
      if (boundary < h) fullRows.push_back(boundary);
    }
    std::vector<Sample> samples;
    for (uint32_t y = 0; y < h; ++y) {
      bool full = std::find(fullRows.begin(), fullRows.end(), y) != fullRows.end();
      for (uint32_t x = 0; x < w; ++x) {
        if (!full && x != 0 && x != w / 2 && x != w - 1) continue;
        Sample sample{x, y, {}};
        EXPECT_EQ(sim_.ExpectedPixel(digitizer_, int32_t(x), int32_t(y), frame, sample.bands),
                  int32_t(format.bands));
        samples.push_back(sample);
      }
    }
    return samples;
  }

  // Counts the samples whose bands differ from the pixel bytes that
  // pixelAt(x, y) points to, in red-first or in blue-first order.
  template <class PixelAt>
  size_t Mismatches(const std::vector<Sample>& samples, const Format& format, bool blueFirst,
                    PixelAt pixelAt) {
    size_t mismatches = 0;
    for (const Sample& sample : samples) {
      const uint8_t* pixel = pixelAt(sample.x, sample.y);
      for (uint32_t band = 0; band < format.bands; ++band) {
        uint32_t source = blueFirst ? format.bands - 1 - band : band;
        if (pixel[band] != sample.bands[source]) ++mismatches;
      }
    }
    return mismatches;
  }

  // Whether the file is a TIFF of the format holding the samples.
  bool TiffMatches(const std::string& name, const Format& format,
                   const std::vector<Sample>& expected) {
    std::vector<uint8_t> samples = ReadTiff(name, format);
    if (samples.size() != size_t(format.width) * format.height * format.bands) return false;
    return Mismatches(expected, format, false, [&](uint32_t x, uint32_t y) {
             return samples.data() + (size_t(y) * format.width + x) * format.bands;
           }) == 0;
  }

  void CheckImageInfo(const Format& format) {
    TW_IMAGEINFO info{};
    ASSERT_EQ(Image(DAT_IMAGEINFO, MSG_GET, &info), TWRC_SUCCESS);
    EXPECT_EQ(+info.ImageWidth, TW_INT32(format.width));
    EXPECT_EQ(+info.ImageLength, TW_INT32(format.height));
    EXPECT_EQ(info.SamplesPerPixel, TW_INT16(format.bands));
    EXPECT_EQ(info.BitsPerPixel, TW_INT16(8 * format.bands));
    EXPECT_EQ(info.PixelType, format.bands == 1 ? TWPT_GRAY : TWPT_RGB);
    EXPECT_EQ(info.XResolution.Whole, 300);
  }

  ScratchFolder folder_;
  MIL_ID digitizer_ = 0;

 private:
  HMODULE mil_ = nullptr;
  SimControls sim_{};
};

class FormatTest : public AcquisitionTest, public testing::WithParamInterface<Format> {};

TEST_P(FormatTest, NativeImageIsTheSimulatorsPicture) {
  const Format& format = GetParam();
  OpenAndEnable(format);
  CheckImageInfo(format);
  for (int image = 0; image < 2; ++image) {
    std::vector<Sample> expected = ExpectedSamples(format);
    TW_HANDLE handle = nullptr;
    ASSERT_EQ(Image(DAT_IMAGENATIVEXFER, MSG_GET, &handle), TWRC_XFERDONE);
    ASSERT_NE(handle, nullptr);
    // The application owns the block; the source left it unlocked.
    EXPECT_EQ(HostGlobalLockCount(handle), 0u);
    const uint32_t b = format.nativeBytesPerPixel;
    const size_t rowLength = (size_t(format.width) * b + 3) & ~size_t(3);
    ASSERT_EQ(GlobalSize(handle), 1064 + rowLength * format.height);
    const uint8_t* block = static_cast<const uint8_t*>(GlobalLock(handle));
    int32_t height;
    memcpy(&height, block + 8, sizeof height);
    EXPECT_EQ(height, -int32_t(format.height));
    // Colour bitmaps hold blue, green, red, as the blue-first buffer does.
    EXPECT_EQ(Mismatches(expected, format, true,
                         [&](uint32_t x, uint32_t y) {
                           return block + 1064 + y * rowLength + x * b;
                         }),
              0u)
        << "image " << image;
    GlobalUnlock(handle);
    GlobalFree(handle);
    EndTransfer();
  }
}

TEST_P(FormatTest, MemoryStripsAreTheSimulatorsPictureInRgbOrder) {
  const Format& format = GetParam();
  OpenAndEnable(format);
  CheckImageInfo(format);
  TW_SETUPMEMXFER setup{};
  Call(DAT_SETUPMEMXFER, MSG_GET, &setup);
  EXPECT_EQ(+setup.MaxBufSize, format.width * format.height * format.bands);

  std::vector<Sample> expected = ExpectedSamples(format);
  std::vector<uint8_t> delivered;
  std::vector<uint8_t> memory(65536);
  TW_UINT16 result = TWRC_SUCCESS;
  uint32_t nextRow = 0;
  while (result == TWRC_SUCCESS) {
    TW_IMAGEMEMXFER transfer{};
    transfer.Memory = {TWMF_APPOWNS | TWMF_POINTER, TW_UINT32(memory.size()), memory.data()};
    result = Image(DAT_IMAGEMEMXFER, MSG_GET, &transfer);
    ASSERT_NE(result, TWRC_FAILURE) << "condition code " << Status();
    EXPECT_EQ(+transfer.YOffset, nextRow);
    nextRow += transfer.Rows;
    delivered.insert(delivered.end(), memory.begin(), memory.begin() + transfer.BytesWritten);
  }
  EXPECT_EQ(result, TWRC_XFERDONE);
  EXPECT_EQ(nextRow, format.height);
  ASSERT_EQ(delivered.size(), +setup.MaxBufSize);
  EXPECT_EQ(Mismatches(expected, format, false, [&](uint32_t x, uint32_t y) {
              return delivered.data() + (size_t(y) * format.width + x) * format.bands;
            }),
            0u);
  EndTransfer();
}

TEST_P(FormatTest, FileIsTheSimulatorsPictureAndTheNextImageReplacesIt) {
  const Format& format = GetParam();
  OpenAndEnable(format);
  TW_SETUPFILEXFER setup{};
  const std::string name = folder_.File("acquired.tif");
  snprintf(setup.FileName, sizeof setup.FileName, "%s", name.c_str());
  setup.Format = TWFF_TIFF;
  Call(DAT_SETUPFILEXFER, MSG_SET, &setup);
  ASSERT_EQ(Status(), TWCC_SUCCESS);

  for (int image = 0; image < 2; ++image) {
    std::vector<Sample> expected = ExpectedSamples(format);
    ASSERT_EQ(Image(DAT_IMAGEFILEXFER, MSG_GET, nullptr), TWRC_XFERDONE);
    EXPECT_TRUE(TiffMatches(name, format, expected)) << "image " << image;
    EndTransfer();
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, FormatTest,
                         testing::Values(GREY, COLOUR_BGR24, COLOUR_BGR32),
                         [](const testing::TestParamInfo<Format>& info) {
                           return std::string(info.param.name);
                         });

TEST_F(AcquisitionTest, ProposedTemporaryFileReceivesTheImage) {
  OpenAndEnable(COLOUR_BGR24);
  TW_SETUPFILEXFER setup{};
  Call(DAT_SETUPFILEXFER, MSG_GET, &setup);
  ASSERT_EQ(Status(), TWCC_SUCCESS);
  ASSERT_TRUE(std::filesystem::exists(setup.FileName));
  EXPECT_EQ(std::filesystem::file_size(setup.FileName), 0u);
  std::vector<Sample> expected = ExpectedSamples(COLOUR_BGR24);
  ASSERT_EQ(Image(DAT_IMAGEFILEXFER, MSG_GET, nullptr), TWRC_XFERDONE);
  EXPECT_TRUE(TiffMatches(setup.FileName, COLOUR_BGR24, expected));
  EndTransfer();
}

TEST_F(AcquisitionTest, FileThatCannotBeWrittenFailsAndTheImageStaysReady) {
  OpenAndEnable(GREY);
  // No file named yet.
  EXPECT_EQ(Image(DAT_IMAGEFILEXFER, MSG_GET, nullptr), TWRC_FAILURE);
  EXPECT_EQ(Status(), TWCC_OPERATIONERROR);

  // A name in a missing folder is refused by the set-up and still kept.
  TW_SETUPFILEXFER setup{};
  snprintf(setup.FileName, sizeof setup.FileName, "%s", folder_.File("missing/x.tif").c_str());
  Call(DAT_SETUPFILEXFER, MSG_SET, &setup);
  EXPECT_EQ(Status(), TWCC_BADVALUE);
  EXPECT_EQ(Image(DAT_IMAGEFILEXFER, MSG_GET, nullptr), TWRC_FAILURE);
  EXPECT_EQ(Status(), TWCC_OPERATIONERROR);

  // The source is still ready: another mechanism takes the image.
  TW_HANDLE handle = nullptr;
  ASSERT_EQ(Image(DAT_IMAGENATIVEXFER, MSG_GET, &handle), TWRC_XFERDONE);
  GlobalFree(handle);
  EndTransfer();
}

TEST_F(AcquisitionTest, ImageTripletsOutsideAnOpenSessionFailCleanly) {
  TW_IMAGEINFO info{};
  EXPECT_EQ(Image(DAT_IMAGEINFO, MSG_GET, &info), TWRC_FAILURE);
  EXPECT_EQ(Status(), TWCC_SEQERROR);
  TW_IMAGELAYOUT layout{};
  EXPECT_EQ(Image(DAT_IMAGELAYOUT, MSG_GET, &layout), TWRC_FAILURE);
  EXPECT_EQ(Status(), TWCC_SEQERROR);
  std::vector<uint8_t> memory(4096);
  TW_IMAGEMEMXFER transfer{};
  transfer.Memory = {TWMF_APPOWNS | TWMF_POINTER, TW_UINT32(memory.size()), memory.data()};
  EXPECT_EQ(Image(DAT_IMAGEMEMXFER, MSG_GET, &transfer), TWRC_FAILURE);
  EXPECT_EQ(Status(), TWCC_SEQERROR);

  // After a close the description is gone again.
  OpenAndEnable(GREY);
  ASSERT_EQ(Image(DAT_IMAGEINFO, MSG_GET, &info), TWRC_SUCCESS);
  Call(DAT_IDENTITY, MSG_CLOSEDS, &dataSource_);
  EXPECT_EQ(Image(DAT_IMAGEINFO, MSG_GET, &info), TWRC_FAILURE);
  EXPECT_EQ(Status(), TWCC_SEQERROR);
  EXPECT_EQ(Image(DAT_IMAGEMEMXFER, MSG_GET, &transfer), TWRC_FAILURE);
  EXPECT_EQ(Status(), TWCC_SEQERROR);
}

}  // namespace
