// In-process fixture for the transfer operations: the capability store with
// its initial values, state 600, and a synthetic image buffer behind milInfo
// that a stand-in grab fills with a pattern depending on the frame number.
//
// Packed 32-bit fields of TWAIN structures are compared by value (+field):
// the assertion macros bind references, which a misaligned field cannot give.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host_fixture.h"
#include "source/triplet.h"

struct SyntheticFormat {
  uint32_t width;
  uint32_t height;
  uint32_t bands;
  bool colourInput;
  bool fourBytePixels;
  bool blueFirst;
};

constexpr SyntheticFormat GREY_768 = {768, 576, 1, false, false, false};
constexpr SyntheticFormat RGB_768 = {768, 576, 3, true, false, false};
constexpr SyntheticFormat BGR_768 = {768, 576, 3, true, false, true};
constexpr SyntheticFormat BGRX_768 = {768, 576, 3, true, true, true};

// The byte at index i of the image buffer after the nth grab (0 first).
uint8_t PatternByte(size_t index, uint32_t frame);

class SyntheticFrameTest : public HostFixture {
 public:
  // Grabs made by the stand-in, and what its save does.
  static unsigned grabCount;
  static bool saveWritesNothing;
  static std::string lastSavedFile;

 protected:
  void SetUp() override;
  void TearDown() override;

  // Puts a buffer of the format behind milInfo, as a digitizer set-up would.
  void UseFormat(const SyntheticFormat& format);
  // The bytes of the image buffer after the last grab.
  const std::vector<uint8_t>& Buffer() const { return buffer_; }

  TW_UINT16 Call(TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF data);
  // The condition code recorded since the last call, then cleared.
  TW_UINT16 TakeConditionCode();

 private:
  std::vector<uint8_t> buffer_;
};

// A folder of its own under the temporary directory, removed with its files.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  const std::string& path() const { return path_; }
  std::string File(const char* name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};
