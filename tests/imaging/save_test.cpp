// MbufSave writes TIFF files that libtiff reads back pixel for pixel.
#include <tiffio.h>

#include <cstdio>

#include "simulator_fixture.h"

namespace {

class SaveTest : public SimulatorTest {
 protected:
  std::string Path(const char* name) const { return ::testing::TempDir() + name; }
};

TEST_F(SaveTest, ColourBufferBecomesAnRgbTiff) {
  sim.SetPixelLayout(0x1200);  // stored X B G R, written R G B
  MIL_ID digitizer = AllocDigitizer(24, "M_NTSC_RGB");
  MIL_ID image = AllocImage(digitizer);
  mil.MdigGrab(digitizer, image);
  mil.MdigGrab(digitizer, image);
  std::string path = Path("imaging_colour.tif");
  mil.MbufSave(path.c_str(), image);
  ASSERT_EQ(sim.ErrorCount(), 0u);

  TIFF* file = TIFFOpen(path.c_str(), "r");
  ASSERT_NE(file, nullptr);
  uint32_t width = 0, height = 0;
  uint16_t samples = 0, bits = 0, photometric = 0;
  TIFFGetField(file, TIFFTAG_IMAGEWIDTH, &width);
  TIFFGetField(file, TIFFTAG_IMAGELENGTH, &height);
  TIFFGetField(file, TIFFTAG_SAMPLESPERPIXEL, &samples);
  TIFFGetField(file, TIFFTAG_BITSPERSAMPLE, &bits);
  TIFFGetField(file, TIFFTAG_PHOTOMETRIC, &photometric);
  EXPECT_EQ(width, 640u);
  EXPECT_EQ(height, 480u);
  EXPECT_EQ(samples, 3);
  EXPECT_EQ(bits, 8);
  EXPECT_EQ(photometric, PHOTOMETRIC_RGB);
  std::vector<uint8_t> row(TIFFScanlineSize(file));
  for (uint32_t y : {0u, 13u, 479u}) {
    ASSERT_EQ(TIFFReadScanline(file, row.data(), y, 0), 1);
    for (int x : {0, 17, 639}) {
      const uint8_t* pixel = &row[x * 3];
      EXPECT_EQ(pixel[0], PixelByte(image, x, y, 3)) << x << "," << y;
      EXPECT_EQ(pixel[1], PixelByte(image, x, y, 2));
      EXPECT_EQ(pixel[2], PixelByte(image, x, y, 1));
      EXPECT_EQ(pixel[0], (x + 1) & 0xFF) << "frame 1's red";
    }
  }
  TIFFClose(file);
  std::remove(path.c_str());
}

TEST_F(SaveTest, GreyBufferBecomesAGreyTiffAndReplacesTheFile) {
  MIL_ID digitizer = AllocDigitizer(27, "M_CCIR");
  MIL_ID image = AllocImage(digitizer);
  std::string path = Path("imaging_grey.tif");
  mil.MbufSave(path.c_str(), image);  // an empty frame first
  mil.MdigGrab(digitizer, image);
  mil.MbufSave(path.c_str(), image);

  TIFF* file = TIFFOpen(path.c_str(), "r");
  ASSERT_NE(file, nullptr);
  uint16_t samples = 0, photometric = 0;
  TIFFGetField(file, TIFFTAG_SAMPLESPERPIXEL, &samples);
  TIFFGetField(file, TIFFTAG_PHOTOMETRIC, &photometric);
  EXPECT_EQ(samples, 1);
  EXPECT_EQ(photometric, PHOTOMETRIC_MINISBLACK);
  std::vector<uint8_t> row(TIFFScanlineSize(file));
  ASSERT_EQ(TIFFReadScanline(file, row.data(), 100, 0), 1);
  EXPECT_EQ(row[50], 150);
  EXPECT_EQ(TIFFNumberOfDirectories(file), 1);
  TIFFClose(file);
  std::remove(path.c_str());
}

TEST_F(SaveTest, UnwritableFilesAreReportedNotFatal) {
  MIL_ID image = mil.MbufAllocColor(system_, 3, 8, 8, 8, IMAGE_ATTRIBUTE, nullptr);
  sim.ClearCallLog();
  mil.MbufSave("/nonexistent-folder/image.tif", image);
  mil.MbufSave("", image);
  mil.MbufSave(nullptr, image);
  mil.MbufSave(Path("never.tif").c_str(), image + 50);
  EXPECT_EQ(sim.ErrorCount(), 4u);
  EXPECT_NE(CallLog().find("MbufSave(\"/nonexistent-folder/image.tif\", " + std::to_string(image) +
                           ") error: the file could not be written\n"),
            std::string::npos);
  EXPECT_EQ(std::fopen(Path("never.tif").c_str(), "r"), nullptr);
}

}  // namespace
