// Native and memory transfer of a whole 768 x 576 frame, against an
// allocation and a straight copy of the same bytes. The grab is replaced by
// one that writes nothing, so the figures are the source's own cost.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "comparisons.h"
#include "grabber/mil_info.h"
#include "source/source_session.h"
#include "transfer/native_transfer.h"

namespace {

// The source open on a format and enabled, its frame in the image buffer.
class OpenForTransfers : public Operation {
 public:
  OpenForTransfers(BenchSource& source, const BenchFormat& format) : source_(source) {
    ready_ = source.Open(format) && source.EnableForTransfers();
    source.UseFreeGrab();
  }
  ~OpenForTransfers() override { source_.Close(); }
  bool Ready() const override { return ready_; }

 protected:
  BenchSource& source_;
  bool ready_ = false;
};

// DAT_IMAGENATIVEXFER, then the application frees the image; the state goes
// back to 600 without DAT_PENDINGXFERS, which is not part of the figure.
class NativeTransfer : public OpenForTransfers {
 public:
  using OpenForTransfers::OpenForTransfers;
  void Run() override {
    TW_HANDLE image = nullptr;
    if (source_.Image(DAT_IMAGENATIVEXFER, MSG_GET, &image) != TWRC_XFERDONE) abort();
    GlobalFree(image);
    sourceSession.state = STATE_XFERREADY;
  }
};

// One block of the native image's size and one copy of the frame into it.
class NativeBaseline : public OpenForTransfers {
 public:
  NativeBaseline(BenchSource& source, const BenchFormat& format)
      : OpenForTransfers(source, format) {
    frameBytes_ = size_t(milInfo.ImageWidth) * milInfo.ImageHeight * NativeBytesPerPixel();
    blockBytes_ = DIB_HEADER_SIZE + frameBytes_;
  }
  void Run() override {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, blockBytes_);
    auto* bytes = static_cast<uint8_t*>(GlobalLock(block));
    memcpy(bytes + DIB_HEADER_SIZE, milInfo.ImageData, frameBytes_);
    GlobalUnlock(block);
    GlobalFree(block);
  }

 private:
  size_t frameBytes_ = 0;
  size_t blockBytes_ = 0;
};

constexpr TW_UINT32 STRIP_BYTES = 64 * 1024;

// DAT_IMAGEMEMXFER into one 64 KiB buffer until the frame is done.
class MemoryTransfer : public OpenForTransfers {
 public:
  using OpenForTransfers::OpenForTransfers;
  void Run() override {
    TW_IMAGEMEMXFER transfer{};
    transfer.Memory.Flags = TWMF_APPOWNS | TWMF_POINTER;
    transfer.Memory.Length = STRIP_BYTES;
    transfer.Memory.TheMem = strip_.data();
    TW_UINT16 result;
    do {
      result = source_.Image(DAT_IMAGEMEMXFER, MSG_GET, &transfer);
    } while (result == TWRC_SUCCESS);
    if (result != TWRC_XFERDONE) abort();
    sourceSession.state = STATE_XFERREADY;
  }

 private:
  std::vector<uint8_t> strip_ = std::vector<uint8_t>(STRIP_BYTES);
};

// The delivered bytes of the frame copied in the same strips of whole rows.
class MemoryBaseline : public OpenForTransfers {
 public:
  MemoryBaseline(BenchSource& source, const BenchFormat& format)
      : OpenForTransfers(source, format) {
    size_t row = size_t(milInfo.BandCount) * milInfo.ImageWidth;
    frameBytes_ = row * milInfo.ImageHeight;
    stripBytes_ = STRIP_BYTES / row * row;
  }
  void Run() override {
    for (size_t offset = 0; offset < frameBytes_; offset += stripBytes_) {
      size_t length = std::min(stripBytes_, frameBytes_ - offset);
      memcpy(strip_.data(), milInfo.ImageData + offset, length);
      benchmark::ClobberMemory();
    }
  }

 private:
  size_t frameBytes_ = 0;
  size_t stripBytes_ = 0;
  std::vector<uint8_t> strip_ = std::vector<uint8_t>(STRIP_BYTES);
};

const bool registered = [] {
  for (const BenchFormat* format : {&BENCH_GREY, &BENCH_RGB24}) {
    RegisterComparison({std::string("native/") + format->name, Make<NativeTransfer>(*format),
                        Make<NativeBaseline>(*format), 1.2});
  }
  RegisterComparison({"memory/plain-rgb24", Make<MemoryTransfer>(BENCH_RGB24),
                      Make<MemoryBaseline>(BENCH_RGB24), 1.5});
  RegisterComparison({"memory/swapped-bgr24", Make<MemoryTransfer>(BENCH_BGR24),
                      Make<MemoryBaseline>(BENCH_BGR24), 2.0});
  RegisterComparison({"memory/four-byte-bgr32", Make<MemoryTransfer>(BENCH_BGR32),
                      Make<MemoryBaseline>(BENCH_BGR32), 2.0});
  return true;
}();

}  // namespace
