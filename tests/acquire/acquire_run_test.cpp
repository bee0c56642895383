// Whole runs of the acquire program from the bin folder, against the Source
// Manager stand-in and the real data source on the simulated board.
#include <gtest/gtest.h>
#include <png.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "host_fixture.h"
#include "tools/acquire/tiff_reader.h"

namespace {

class AcquireRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("acquire-run-" + std::to_string(getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  // Runs acquire with its own registry file; returns the exit status and
  // keeps stdout and stderr together in output_.
  int Acquire(const std::string& arguments, const std::string& environment = "") {
    std::string command = "cd '" + OutputDirectory() + "' && TWAIN_HOST_REGISTRY='" +
                          (folder_ / "registry").string() + "' " + environment + " ./acquire " +
                          arguments + " 2>&1";
    output_.clear();
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return -1;
    char chunk[4096];
    while (size_t read = fread(chunk, 1, sizeof chunk, pipe)) output_.append(chunk, read);
    int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::string Path(const char* name) const { return (folder_ / name).string(); }

  // The geometry of the first image the run announced.
  void AnnouncedGeometry(unsigned* width, unsigned* height) const {
    std::smatch match;
    ASSERT_TRUE(std::regex_search(output_, match, std::regex("Image 1[^:]*: (\\d+) x (\\d+)")))
        << output_;
    *width = unsigned(std::stoul(match[1]));
    *height = unsigned(std::stoul(match[2]));
  }

  // Whether the texts appear in the output in this order.
  bool InOrder(std::initializer_list<const char*> texts) const {
    size_t at = 0;
    for (const char* text : texts) {
      at = output_.find(text, at);
      if (at == std::string::npos) return false;
    }
    return true;
  }

  std::filesystem::path folder_;
  std::string output_;
};

uint32_t Le32(const std::string& bytes, size_t offset) {
  return uint32_t((unsigned char)bytes[offset]) | uint32_t((unsigned char)bytes[offset + 1]) << 8 |
         uint32_t((unsigned char)bytes[offset + 2]) << 16 |
         uint32_t((unsigned char)bytes[offset + 3]) << 24;
}

// The pixels of an 8- or 24-bit .bmp, top row first, as grey or R, G, B.
std::vector<unsigned char> BmpPixels(const std::string& bmp) {
  std::vector<unsigned char> pixels;
  if (bmp.size() < 54) return pixels;
  uint32_t offset = Le32(bmp, 10), width = Le32(bmp, 18), height = Le32(bmp, 22);
  unsigned bytesPerPixel = (unsigned char)bmp[28] / 8;
  size_t stride = (width * bytesPerPixel + 3) / 4 * 4;
  if (bmp.size() < offset + stride * height) return pixels;
  for (uint32_t y = 0; y < height; ++y) {
    const char* row = bmp.data() + offset + (height - 1 - y) * stride;
    for (uint32_t x = 0; x < width; ++x)
      for (unsigned b = 0; b < bytesPerPixel; ++b)
        pixels.push_back((unsigned char)row[x * bytesPerPixel + bytesPerPixel - 1 - b]);
  }
  return pixels;
}

// The pixels of a PNG in its own format (grey or RGB), top row first.
std::vector<unsigned char> PngPixels(const std::string& path, png_uint_32* format) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  std::vector<unsigned char> pixels;
  if (!png_image_begin_read_from_file(&png, path.c_str())) return pixels;
  *format = png.format;
  pixels.resize(PNG_IMAGE_SIZE(png));
  if (!png_image_finish_read(&png, nullptr, pixels.data(), 0, nullptr)) pixels.clear();
  return pixels;
}

TEST_F(AcquireRunTest, AcquiresOneImageByEachMechanismAndWritesAFileAViewerOpens) {
  // Native: a bottom-up .bmp of the announced size.
  ASSERT_EQ(Acquire("--mode native -o " + Path("native.bmp")), 0) << output_;
  unsigned width = 0, height = 0;
  AnnouncedGeometry(&width, &height);
  std::string bmp = ReadFileText(Path("native.bmp"));
  ASSERT_GT(bmp.size(), 54u) << output_;
  EXPECT_EQ(bmp.substr(0, 2), "BM");
  EXPECT_EQ(Le32(bmp, 2), bmp.size());
  EXPECT_EQ(Le32(bmp, 18), width);
  EXPECT_EQ(Le32(bmp, 22), height) << "a positive height: bottom-up rows";
  EXPECT_TRUE(InOrder({"Opened the source", "Enabled the source", "Transfer ready", "Image 1",
                       "Image 1 done", "Acquired 1 image", "Disabled the source",
                       "Closed the source", "Closed the Source Manager"}))
      << output_;

  // Memory: strips of whole rows into a 64 KiB buffer, assembled into a PNG.
  ASSERT_EQ(Acquire("--mode memory --buffer 65536 -o " + Path("memory.png")), 0) << output_;
  png_uint_32 format = 0;
  std::vector<unsigned char> png = PngPixels(Path("memory.png"), &format);
  EXPECT_EQ(format, png_uint_32(PNG_FORMAT_GRAY));
  ASSERT_EQ(png.size(), size_t(width) * height) << output_;
  // Each run grabs the first frame of a fresh simulated board: the same picture.
  EXPECT_TRUE(png == BmpPixels(bmp)) << "the PNG and the bitmap differ";
  std::smatch match;
  ASSERT_TRUE(std::regex_search(output_, match, std::regex("(\\d+) strips")));
  unsigned rowsPerStrip = 65536 / width;  // one band
  EXPECT_EQ(std::stoul(match[1]), (height + rowsPerStrip - 1) / rowsPerStrip) << output_;
  EXPECT_NE(output_.find("(100%)"), std::string::npos) << output_;

  // File: the source's own TIFF under the name given.
  ASSERT_EQ(Acquire("--mode file -o " + Path("file.tif")), 0) << output_;
  TiffGeometry tiff;
  std::string error;
  ASSERT_TRUE(ReadTiffGeometry(Path("file.tif"), &tiff, &error)) << error;
  EXPECT_EQ(tiff.width, width);
  EXPECT_EQ(tiff.height, height);
}

TEST_F(AcquireRunTest, WritesAColourFrameAsA24BitBitmapAndAnRgbPng) {
  // A first run stores the default settings; the camera format becomes colour.
  ASSERT_EQ(Acquire("--get ICAP_PIXELTYPE"), 0) << output_;
  std::string registry = ReadFileText(Path("registry"));
  size_t format = registry.find("\"M_CCIR\"");
  ASSERT_NE(format, std::string::npos) << registry;
  registry.replace(format, 8, "\"M_PAL\"");
  std::ofstream(Path("registry"), std::ios::binary) << registry;

  ASSERT_EQ(Acquire("-o " + Path("colour.bmp")), 0) << output_;
  EXPECT_NE(output_.find("3 samples of 8 bits (RGB, 24 bits per pixel)"), std::string::npos)
      << output_;
  std::string bmp = ReadFileText(Path("colour.bmp"));
  ASSERT_GT(bmp.size(), 54u);
  EXPECT_EQ((unsigned char)bmp[28], 24) << "biBitCount";
  EXPECT_EQ(Le32(bmp, 46), 0u) << "no colour table for a 24-bit bitmap";

  ASSERT_EQ(Acquire("-m memory --buffer 100000 -o " + Path("colour.png")), 0) << output_;
  png_uint_32 pngFormat = 0;
  std::vector<unsigned char> png = PngPixels(Path("colour.png"), &pngFormat);
  EXPECT_EQ(pngFormat, png_uint_32(PNG_FORMAT_RGB));
  std::vector<unsigned char> fromBitmap = BmpPixels(bmp);
  ASSERT_EQ(png.size(), fromBitmap.size());
  EXPECT_TRUE(png == fromBitmap) << "the strips in red, green, blue order and the bitmap's "
                                    "blue, green, red rows give the same picture";
}

TEST_F(AcquireRunTest, AcquiresACountOrUpToALimitAndNumbersTheFiles) {
  ASSERT_EQ(Acquire("--count 3 -o " + Path("frame.bmp")), 0) << output_;
  for (const char* name : {"frame-1.bmp", "frame-2.bmp", "frame-3.bmp"})
    EXPECT_TRUE(std::filesystem::exists(Path(name))) << name << "\n" << output_;
  EXPECT_TRUE(InOrder({"Image 1 of 3", "2 pending", "Image 2 of 3", "1 pending", "Image 3 of 3",
                       "0 pending", "Acquired 3 images"}))
      << output_;

  ASSERT_EQ(Acquire("--count -1 --limit 2 --mode memory -o " + Path("live-%d.png")), 0) << output_;
  EXPECT_TRUE(std::filesystem::exists(Path("live-2.png"))) << output_;
  EXPECT_FALSE(std::filesystem::exists(Path("live-3.png"))) << output_;
  EXPECT_TRUE(InOrder({"-1 pending", "-1 pending", "Reached the limit of 2 images",
                       "Ended the pending transfers", "Disabled the source", "Closed the source"}))
      << output_;
}

TEST_F(AcquireRunTest, ReportsCapabilitiesWithoutAcquiring) {
  ASSERT_EQ(Acquire("--set ICAP_XFERMECH=memory --get ICAP_XFERMECH --get CAP_XFERCOUNT"), 0)
      << output_;
  EXPECT_NE(output_.find("ICAP_XFERMECH: TWON_ENUMERATION of TWTY_UINT16: current TWSX_MEMORY (2)"),
            std::string::npos)
      << output_;
  EXPECT_NE(output_.find("CAP_XFERCOUNT: TWON_ONEVALUE of TWTY_INT16:"), std::string::npos)
      << output_;
  EXPECT_EQ(output_.find("Image 1"), std::string::npos) << output_;
}

TEST_F(AcquireRunTest, FailsWithTheConditionCodeAndItsMeaningAndClosesEverything) {
  struct Case {
    const char* arguments;
    std::string environment;
    int status;
    const char* message;
  };
  std::string empty = Path("no-sources");
  std::filesystem::create_directories(empty);
  const Case cases[] = {
      {"--set ICAP_UNITS=TWUN_INCHES", "", 1,
       "TWCC_CAPUNSUPPORTED (13): the capability is not supported by the source"},
      {"", "MILSIM_FAULTS=no-system", 1,
       "MSG_OPENDS of \"Korvanta Matrox Meteor2 driver\" failed (TWRC_FAILURE): "
       "TWCC_CHECKDEVICEONLINE (23)"},
      {"--source 'No such camera'", "", 1, "no data source \"No such camera\""},
      {"", "TWAIN_DS_DIR='" + empty + "'", 1, "no data source found"},
      {"--mode fax", "", 2, "--mode takes native, memory or file"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Acquire(std::string(c.arguments) + " -o " + Path("never.bmp"), c.environment),
              c.status)
        << c.arguments << "\n"
        << output_;
    EXPECT_NE(output_.find(c.message), std::string::npos) << c.arguments << "\n" << output_;
    EXPECT_FALSE(std::filesystem::exists(Path("never.bmp"))) << c.arguments;
    if (c.status == 1)
      EXPECT_NE(output_.find("Closed the Source Manager"), std::string::npos) << c.arguments << "\n"
                                                                              << output_;
  }
}

TEST_F(AcquireRunTest, GivesUpWhenTheSourceAsksToCloseOrNeverBecomesReady) {
  std::string fakes = "TWAIN_DS_DIR='" + OutputDirectory() + "/test-sources' ";
  struct Case {
    const char* arguments;
    std::string environment;
    const char* message;
  };
  const Case cases[] = {
      {"", fakes + "FAKE_SOURCE_NOTIFY=102", "the source asked to be closed (MSG_CLOSEDSREQ)"},
      {"--timeout 0.2", fakes, "no MSG_XFERREADY from the source within 0.2 s"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(
        Acquire(std::string("--source 'Fake Camera A' -o ") + Path("never.bmp") + " " + c.arguments,
                c.environment),
        1)
        << output_;
    EXPECT_NE(output_.find(c.message), std::string::npos) << output_;
    EXPECT_TRUE(InOrder({"Enabled the source", "Disabled the source", "Closed the source",
                         "Closed the Source Manager"}))
        << output_;
    EXPECT_EQ(output_.find("Image 1"), std::string::npos) << output_;
  }
}

TEST_F(AcquireRunTest, HelpDocumentsTheOptions) {
  ASSERT_EQ(Acquire("--help"), 0);
  EXPECT_NE(output_.find("Usage: acquire"), std::string::npos) << output_;
  EXPECT_NE(output_.find("--mode MODE"), std::string::npos) << output_;
}

}  // namespace
