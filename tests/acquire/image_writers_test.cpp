// The image writers of acquire: the native DIB written as .bmp, memory
// strips assembled and written as PNG (read back with libpng).
#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/acquire/bmp_writer.h"
#include "tools/acquire/png_writer.h"
#include "tools/acquire/strip_image.h"

namespace {

std::string TempFile(const char* name) {
  return ::testing::TempDir() + "acquire-" + std::to_string(getpid()) + "-" + name;
}

std::vector<unsigned char> ReadBytes(const std::string& path) {
  std::vector<unsigned char> bytes;
  if (FILE* file = std::fopen(path.c_str(), "rb")) {
    int c;
    while ((c = std::fgetc(file)) != EOF) bytes.push_back((unsigned char)c);
    std::fclose(file);
  }
  return bytes;
}

uint32_t At32(const std::vector<unsigned char>& bytes, size_t offset) {
  return uint32_t(bytes[offset]) | uint32_t(bytes[offset + 1]) << 8 |
         uint32_t(bytes[offset + 2]) << 16 | uint32_t(bytes[offset + 3]) << 24;
}

void Put32(std::vector<unsigned char>* bytes, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) (*bytes)[offset + i] = (unsigned char)(value >> (8 * i));
}

// A DIB as the source hands it over: BITMAPINFOHEADER, a 256-entry colour
// table, rows top-down (negative height), `rowBytes` apart; pixel (x, y) of
// row y holds y * 16 + x in every byte.
std::vector<unsigned char> MakeDib(int32_t width, int32_t height, uint16_t bitCount,
                                   size_t rowBytes) {
  size_t bytesPerPixel = bitCount / 8;
  std::vector<unsigned char> dib(40 + 1024 + rowBytes * size_t(height < 0 ? -height : height));
  Put32(&dib, 0, 40);
  Put32(&dib, 4, uint32_t(width));
  Put32(&dib, 8, uint32_t(height));
  dib[12] = 1;
  dib[14] = (unsigned char)bitCount;
  Put32(&dib, 32, 256);
  Put32(&dib, 36, 256);
  for (int i = 0; i < 256; ++i)
    for (int b = 0; b < 4; ++b) dib[40 + 4 * i + b] = bitCount == 8 ? (unsigned char)i : 0;
  for (int32_t y = 0; y < (height < 0 ? -height : height); ++y)
    for (int32_t x = 0; x < width; ++x)
      for (size_t b = 0; b < bytesPerPixel; ++b)
        dib[1064 + size_t(y) * rowBytes + size_t(x) * bytesPerPixel + b] =
            (unsigned char)(y * 16 + x);
  return dib;
}

TEST(BmpWriterTest, WritesTheSourcesTopDownDibAsABottomUpBitmapWithPaddedRows) {
  struct Case {
    const char* what;
    int32_t width;
    uint16_t bitCount;
    size_t rowBytes;  // as the block lays the rows out
    uint32_t colours;
  };
  const Case cases[] = {
      {"grey, rows a multiple of four", 8, 8, 8, 256},
      {"grey, packed rows of five bytes", 5, 8, 5, 256},
      {"grey, rows padded to eight bytes", 5, 8, 8, 256},
      {"24 bits, packed rows of nine bytes", 3, 24, 9, 0},
      {"32 bits", 3, 32, 12, 0},
  };
  for (const Case& c : cases) {
    const int32_t rows = 3;
    std::vector<unsigned char> dib = MakeDib(c.width, -rows, c.bitCount, c.rowBytes);
    std::string path = TempFile("native.bmp");
    DibGeometry geometry;
    std::string error;
    ASSERT_TRUE(WriteBmpFromDib(path, dib.data(), dib.size(), &geometry, &error))
        << c.what << ": " << error;
    EXPECT_TRUE(geometry.topDown) << c.what;
    EXPECT_EQ(geometry.height, rows) << c.what;

    std::vector<unsigned char> bmp = ReadBytes(path);
    std::remove(path.c_str());
    size_t packed = size_t(c.width) * c.bitCount / 8;
    size_t padded = (packed + 3) / 4 * 4;
    uint32_t offBits = 14 + 40 + c.colours * 4;
    ASSERT_EQ(bmp.size(), offBits + padded * rows) << c.what;
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    EXPECT_EQ(At32(bmp, 2), bmp.size()) << c.what;
    EXPECT_EQ(At32(bmp, 10), offBits) << c.what;
    EXPECT_EQ(int32_t(At32(bmp, 22)), rows) << c.what << ": bottom-up, positive height";
    EXPECT_EQ(At32(bmp, 14 + 32), c.colours) << c.what;
    if (c.colours == 256) {
      EXPECT_EQ(bmp[14 + 40 + 4 * 200], 200) << c.what << ": the grey ramp";
    }
    // The file's first row is the image's bottom row; padding bytes are zero.
    for (int32_t fileRow = 0; fileRow < rows; ++fileRow) {
      int32_t imageRow = rows - 1 - fileRow;
      const unsigned char* line = &bmp[offBits + size_t(fileRow) * padded];
      EXPECT_EQ(line[0], imageRow * 16) << c.what << " row " << fileRow;
      EXPECT_EQ(line[packed - 1], imageRow * 16 + c.width - 1) << c.what << " row " << fileRow;
      for (size_t pad = packed; pad < padded; ++pad) EXPECT_EQ(line[pad], 0) << c.what;
    }
  }
}

TEST(BmpWriterTest, RefusesBlocksThatAreNoUsableBitmap) {
  std::vector<unsigned char> good = MakeDib(4, -2, 8, 4);
  struct Case {
    const char* what;
    size_t offset;  // a 32-bit field to change, or the size to cut to
    uint32_t value;
    bool cut;
  };
  const Case cases[] = {
      {"shorter than its header", 30, 0, true},
      {"ends in the colour table", 500, 0, true},
      {"too few pixel bytes", good.size() - 1, 0, true},
      {"header size beyond the block", 0, 100000, false},
      {"zero width", 4, 0, false},
      {"zero height", 8, 0, false},
      {"16 bits per pixel", 14, 16, false},
      {"run-length compressed", 16, 1, false},
      {"a colour table of 300 entries", 32, 300, false},
  };
  for (const Case& c : cases) {
    std::vector<unsigned char> dib = good;
    if (c.cut)
      dib.resize(c.offset);
    else if (c.offset == 14)
      dib[14] = (unsigned char)c.value, dib[15] = 0;
    else
      Put32(&dib, c.offset, c.value);
    DibGeometry geometry;
    std::string error;
    std::string path = TempFile("refused.bmp");
    EXPECT_FALSE(WriteBmpFromDib(path, dib.data(), dib.size(), &geometry, &error)) << c.what;
    EXPECT_FALSE(error.empty()) << c.what;
    EXPECT_TRUE(ReadBytes(path).empty()) << c.what << ": no file is written";
  }
}

TW_IMAGEMEMXFER Strip(std::vector<unsigned char>* buffer, TW_UINT32 columns, TW_UINT32 bytesPerRow,
                      TW_UINT32 rows, TW_UINT32 yOffset) {
  TW_IMAGEMEMXFER strip{};
  strip.Compression = TWCP_NONE;
  strip.BytesPerRow = bytesPerRow;
  strip.Columns = columns;
  strip.Rows = rows;
  strip.YOffset = yOffset;
  strip.BytesWritten = bytesPerRow * rows;
  strip.Memory.Flags = TWMF_APPOWNS | TWMF_POINTER;
  strip.Memory.Length = TW_UINT32(buffer->size());
  strip.Memory.TheMem = buffer->data();
  return strip;
}

// Fills a strip buffer: byte b of pixel x in image row y is y * 10 + x + b * 100.
void FillStrip(std::vector<unsigned char>* buffer, TW_UINT32 width, int samples,
               TW_UINT32 bytesPerRow, TW_UINT32 firstRow, TW_UINT32 rows) {
  std::fill(buffer->begin(), buffer->end(), 0xEE);
  for (TW_UINT32 r = 0; r < rows; ++r)
    for (TW_UINT32 x = 0; x < width; ++x)
      for (int b = 0; b < samples; ++b)
        (*buffer)[r * bytesPerRow + x * samples + b] =
            (unsigned char)((firstRow + r) * 10 + x + b * 100);
}

TEST(StripImageTest, AssemblesStripsInAnyOrderAndWritesThemAsPng) {
  const TW_UINT32 width = 5, height = 7;
  for (int samples : {1, 3}) {
    StripImage image(width, height, TW_INT16(samples), TW_INT16(8 * samples));
    const TW_UINT32 bytesPerRow = width * samples + 3;  // rows padded in the buffer
    std::vector<unsigned char> buffer(bytesPerRow * 3);
    std::string error;
    struct Piece {
      TW_UINT32 first, rows;
    };
    for (Piece piece : {Piece{3, 3}, Piece{0, 3}, Piece{6, 1}}) {
      FillStrip(&buffer, width, samples, bytesPerRow, piece.first, piece.rows);
      TW_IMAGEMEMXFER strip = Strip(&buffer, width, bytesPerRow, piece.rows, piece.first);
      if (piece.first == 6) strip.BytesWritten = width * samples;  // a last row without padding
      ASSERT_TRUE(image.AddStrip(strip, &error)) << error;
    }
    ASSERT_TRUE(image.Complete());

    std::string path = TempFile(samples == 1 ? "grey.png" : "rgb.png");
    ASSERT_TRUE(WritePng(path, image.Width(), image.Rows(), image.Samples(), image.Pixels(),
                         image.RowBytes(), &error))
        << error;
    png_image read{};
    read.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&read, path.c_str())) << read.message;
    EXPECT_EQ(read.width, width);
    EXPECT_EQ(read.height, height);
    EXPECT_EQ(read.format, TW_UINT32(samples == 1 ? PNG_FORMAT_GRAY : PNG_FORMAT_RGB));
    std::vector<unsigned char> pixels(PNG_IMAGE_SIZE(read));
    ASSERT_TRUE(png_image_finish_read(&read, nullptr, pixels.data(), 0, nullptr));
    std::remove(path.c_str());
    for (TW_UINT32 y = 0; y < height; ++y)
      for (TW_UINT32 x = 0; x < width; ++x)
        for (int b = 0; b < samples; ++b)
          ASSERT_EQ(pixels[(y * width + x) * samples + b], (unsigned char)(y * 10 + x + b * 100))
              << "pixel " << x << "," << y << " sample " << b;
  }
}

TEST(StripImageTest, RefusesStripsThatDoNotFitAndKnowsAMissingRow) {
  const TW_UINT32 width = 4, height = 6;
  std::vector<unsigned char> buffer(width * 3);
  struct Case {
    const char* what;
    TW_IMAGEMEMXFER strip;
  };
  std::vector<Case> cases;
  cases.push_back({"rows beyond the image", Strip(&buffer, width, width, 2, 5)});
  cases.push_back({"fewer bytes per row than a row needs", Strip(&buffer, width, width - 1, 2, 0)});
  cases.push_back({"another width", Strip(&buffer, width + 1, width + 1, 2, 0)});
  cases.push_back({"more rows than bytes written", Strip(&buffer, width, width, 2, 0)});
  cases.back().strip.BytesWritten = width;
  cases.push_back({"more bytes written than the buffer holds", Strip(&buffer, width, width, 3, 0)});
  cases.back().strip.Memory.Length = width * 2;
  cases.push_back({"compressed", Strip(&buffer, width, width, 1, 0)});
  cases.back().strip.Compression = 1;
  for (const Case& c : cases) {
    StripImage image(width, height, 1, 8);
    std::string error;
    EXPECT_FALSE(image.AddStrip(c.strip, &error)) << c.what;
    EXPECT_FALSE(error.empty()) << c.what;
    EXPECT_EQ(image.RowsReceived(), 0u) << c.what;
  }

  StripImage image(width, height, 1, 8);
  std::string error;
  ASSERT_TRUE(image.AddStrip(Strip(&buffer, width, width, 3, 0), &error));
  ASSERT_TRUE(image.AddStrip(Strip(&buffer, width, width, 2, 4), &error));
  EXPECT_FALSE(image.Complete()) << "row 3 never arrived";

  StripImage growing(width, -1, 1, 8);
  ASSERT_TRUE(growing.AddStrip(Strip(&buffer, width, width, 3, 0), &error));
  ASSERT_TRUE(growing.AddStrip(Strip(&buffer, width, width, 3, 3), &error));
  EXPECT_EQ(growing.Rows(), 6u) << "an image of unknown length grows with its strips";
  EXPECT_TRUE(growing.Complete());
}

}  // namespace
