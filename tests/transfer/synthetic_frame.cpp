#include "synthetic_frame.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "capabilities/capability_table.h"
#include "grabber/imaging_library.h"
#include "grabber/mil_info.h"
#include "source/source_session.h"
#include "transfer/memory_transfer.h"

unsigned SyntheticFrameTest::grabCount = 0;
bool SyntheticFrameTest::saveWritesNothing = false;
std::string SyntheticFrameTest::lastSavedFile;

namespace {

MilInfo savedMilInfo;
ImagingLibrary savedLibrary;
SourceSession savedSession;
std::vector<uint8_t>* currentBuffer = nullptr;

void FakeGrab(MIL_ID, MIL_ID) {
  for (size_t i = 0; i < currentBuffer->size(); ++i) {
    (*currentBuffer)[i] = PatternByte(i, SyntheticFrameTest::grabCount);
  }
  ++SyntheticFrameTest::grabCount;
}

void FakeSave(const char* fileName, MIL_ID) {
  SyntheticFrameTest::lastSavedFile = fileName;
  if (SyntheticFrameTest::saveWritesNothing) return;
  FILE* file = fopen(fileName, "wb");
  if (file == nullptr) return;
  fwrite(currentBuffer->data(), 1, currentBuffer->size(), file);
  fclose(file);
}

}  // namespace

uint8_t PatternByte(size_t index, uint32_t frame) {
  return static_cast<uint8_t>(index * 7 + index / 997 + frame * 29 + 3);
}

void SyntheticFrameTest::SetUp() {
  HostFixture::SetUp();
  savedMilInfo = milInfo;
  savedLibrary = imagingLibrary;
  savedSession = sourceSession;
  grabCount = 0;
  saveWritesNothing = false;
  lastSavedFile.clear();
  ResetMemoryStripCursor();
  imagingLibrary = ImagingLibrary{};
  imagingLibrary.MdigGrab = FakeGrab;
  imagingLibrary.MbufSave = FakeSave;
  InitCapabilities();
  sourceSession.state = STATE_XFERREADY;
  sourceSession.conditionCode.ConditionCode = TWCC_SUCCESS;
  UseFormat(GREY_768);
}

void SyntheticFrameTest::TearDown() {
  ReleaseCapabilities();
  ResetMemoryStripCursor();
  milInfo = savedMilInfo;
  imagingLibrary = savedLibrary;
  sourceSession = savedSession;
  currentBuffer = nullptr;
  HostFixture::TearDown();
}

void SyntheticFrameTest::UseFormat(const SyntheticFormat& format) {
  size_t pixelBytes = format.fourBytePixels ? 4 : format.bands;
  buffer_.assign(size_t(format.width) * format.height * pixelBytes, 0);
  currentBuffer = &buffer_;
  milInfo.MilDigitizer = 3;
  milInfo.MilImage = 9;
  milInfo.ImageWidth = format.width;
  milInfo.ImageHeight = format.height;
  milInfo.BitsPerBand = 8;
  milInfo.BandCount = format.bands;
  milInfo.ColourInput = format.colourInput;
  milInfo.FourBytePixels = format.fourBytePixels;
  milInfo.BlueFirst = format.blueFirst;
  milInfo.ImageData = buffer_.data();
}

TW_UINT16 SyntheticFrameTest::Call(TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF data) {
  TW_IDENTITY origin = ApplicationIdentity(1);
  Triplet triplet = {&origin, DG_IMAGE, DAT, MSG, data};
  return DispatchTriplet(triplet, ImageDispatchTable);
}

TW_UINT16 SyntheticFrameTest::TakeConditionCode() {
  TW_UINT16 code = sourceSession.conditionCode.ConditionCode;
  sourceSession.conditionCode.ConditionCode = TWCC_SUCCESS;
  return code;
}

ScratchFolder::ScratchFolder() {
  char pattern[] = "/tmp/transfer-test-XXXXXX";
  const char* made = mkdtemp(pattern);
  path_ = made != nullptr ? made : "";
}

ScratchFolder::~ScratchFolder() {
  std::error_code error;
  if (!path_.empty()) std::filesystem::remove_all(path_, error);
}
