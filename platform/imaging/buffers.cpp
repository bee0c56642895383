// Mbuf* and MgenLutRamp: image buffers in their pixel layout, LUT tables with
// band children, and grab memory counted against the configured total.
#include <cmath>
#include <cstdlib>
#include <utility>

#include "exports.h"
#include "simulator.h"

namespace sim {
namespace {

constexpr MIL_INT BUFFER_TYPE_8BIT = 8;
constexpr MIL_INT ATTRIBUTE_GRAB_MEMORY = 12;
constexpr MIL_INT ATTRIBUTE_LUT = 256;
// Limits that keep a size from overflowing: rows, lines and bytes.
constexpr MIL_INT MAX_WIDTH = 1 << 28;
constexpr MIL_INT MAX_HEIGHT = 1 << 16;
constexpr size_t MAX_BYTES = size_t(1) << 30;

constexpr uint32_t BUFFER_FORMAT = 1010;
constexpr uint32_t HOST_ADDRESS = 0x80000000u;

MIL_ID AllocateBuffer(Simulator& sim, CallRecord& call, MIL_ID system, MIL_INT bands,
                      MIL_INT width, MIL_INT height, MIL_INT type, MIL_INT attribute,
                      MIL_ID* bufferId) {
  if (FindOrReport(call, sim.systems, system, "system") == nullptr) return NoId(bufferId);
  if (bands != 1 && bands != 3) {
    call.Error("a buffer has 1 or 3 bands");
    return NoId(bufferId);
  }
  if (width < 1 || height < 1 || width > MAX_WIDTH || height > MAX_HEIGHT) {
    call.Error("buffer size out of range");
    return NoId(bufferId);
  }
  if (type != BUFFER_TYPE_8BIT) {
    call.Error("only 8-bit buffers are supported");
    return NoId(bufferId);
  }
  bool lut = (attribute & ATTRIBUTE_LUT) != 0;
  bool grabMemory = attribute == ATTRIBUTE_GRAB_MEMORY;
  const Configuration& config = sim.config;

  int32_t layoutBits = bands == 1 ? LAYOUT_MONO8 : lut ? LAYOUT_RGB3 : config.pixelLayout;
  const PixelLayout& layout = LayoutFor(layoutBits, static_cast<int32_t>(bands));
  size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
  size_t size = layout.planar ? pixels * 3 : pixels * layout.bytesPerPixel;
  if (size > MAX_BYTES) {
    call.Error("buffer size out of range");
    return NoId(bufferId);
  }

  if (grabMemory) {
    if ((config.faults & SIM_FAULT_NO_GRAB_MEMORY) ||
        sim.grabMemoryUsed + size > config.grabMemoryBytes) {
      call.Error("not enough grab memory");
      return NoId(bufferId);
    }
  } else if (!lut && (config.faults & SIM_FAULT_NO_IMAGE_BUFFER)) {
    call.Error("not enough memory for the image buffer");
    return NoId(bufferId);
  }
  uint8_t* memory = static_cast<uint8_t*>(std::calloc(size, 1));
  if (memory == nullptr) {
    call.Error("out of host memory");
    return NoId(bufferId);
  }

  std::unique_ptr<Buffer> buffer(new Buffer());
  buffer->system = system;
  buffer->bands = static_cast<int32_t>(bands);
  buffer->width = static_cast<int32_t>(width);
  buffer->height = static_cast<int32_t>(height);
  buffer->attribute = attribute;
  buffer->lut = lut;
  buffer->grabMemory = grabMemory;
  buffer->formatWord = layoutBits | (layout.planar ? FORMAT_PLANAR : FORMAT_PACKED);
  buffer->layout = &layout;
  buffer->memory.reset(memory);
  buffer->size = size;
  buffer->data = memory;
  if (grabMemory) sim.grabMemoryUsed += size;
  if (lut) {
    // A new table holds the identity in every band.
    for (int32_t band = 0; band < buffer->bands; ++band) {
      for (int32_t x = 0; x < buffer->width; ++x) {
        WriteBand(*buffer, x, 0, band, static_cast<uint8_t>(x & 0xFF));
      }
    }
  }
  MIL_ID id = NewId(sim, bufferId);
  buffer->id = id;
  sim.buffers[id] = std::move(buffer);
  return id;
}

int32_t RampValue(double startValue, double endValue, MIL_INT startIndex, MIL_INT endIndex,
                  MIL_INT index) {
  double value = endIndex == startIndex
                     ? endValue
                     : startValue + (endValue - startValue) * static_cast<double>(index - startIndex) /
                                        static_cast<double>(endIndex - startIndex);
  double rounded = std::floor(value + 0.5);
  return rounded < 0 ? 0 : rounded > 255 ? 255 : static_cast<int32_t>(rounded);
}

}  // namespace

namespace {

uint8_t* BandAddress(const Buffer& buffer, int32_t x, int32_t y, int32_t band) {
  size_t pixel = static_cast<size_t>(y) * buffer.width + x;
  const PixelLayout& layout = *buffer.layout;
  if (layout.planar) {
    return buffer.data + static_cast<size_t>(band) * buffer.width * buffer.height + pixel;
  }
  return buffer.data + pixel * layout.bytesPerPixel + (buffer.bands == 1 ? 0 : layout.offset[band]);
}

}  // namespace

uint8_t ReadBand(const Buffer& buffer, int32_t x, int32_t y, int32_t band) {
  return *BandAddress(buffer, x, y, band);
}

void WriteBand(Buffer& buffer, int32_t x, int32_t y, int32_t band, uint8_t value) {
  *BandAddress(buffer, x, y, band) = value;
}

}  // namespace sim

using namespace sim;

MILAPI MIL_ID MFTYPE MbufAllocColor(MIL_ID system, MIL_INT bands, MIL_INT width, MIL_INT height,
                                    MIL_INT type, MIL_INT attribute, MIL_ID* bufferId) {
  Simulator& sim = State();
  Lock lock(sim.mutex);
  CallRecord call(sim, "MbufAllocColor", system, bands, width, height, type, attribute);
  return call.Result(
      AllocateBuffer(sim, call, system, bands, width, height, type, attribute, bufferId));
}

MILAPI MIL_ID MFTYPE MbufAlloc1d(MIL_ID system, MIL_INT length, MIL_INT type, MIL_INT attribute,
                                 MIL_ID* bufferId) {
  Simulator& sim = State();
  Lock lock(sim.mutex);
  CallRecord call(sim, "MbufAlloc1d", system, length, type, attribute);
  return call.Result(AllocateBuffer(sim, call, system, 1, length, 1, type, attribute, bufferId));
}

MILAPI MIL_ID MFTYPE MbufChildColor(MIL_ID parentId, MIL_INT band, MIL_ID* bufferId) {
  Simulator& sim = State();
  Lock lock(sim.mutex);
  CallRecord call(sim, "MbufChildColor", parentId, band);
  Buffer* parent = FindOrReport(call, sim.buffers, parentId, "buffer");
  if (parent == nullptr) return call.Result(NoId(bufferId));
  if (parent->parent != 0 || !parent->layout->planar) {
    call.Error("band children exist only of planar buffers");
    return call.Result(NoId(bufferId));
  }
  if (band < 0 || band >= parent->bands) {
    call.Error("no such band");
    return call.Result(NoId(bufferId));
  }
  std::unique_ptr<Buffer> child(new Buffer());
  child->system = parent->system;
  child->parent = parentId;
  child->bands = 1;
  child->width = parent->width;
  child->height = parent->height;
  child->attribute = parent->attribute;
  child->lut = parent->lut;
  child->grabMemory = false;
  child->formatWord = LAYOUT_MONO8 | FORMAT_PACKED;
  child->layout = &LayoutFor(LAYOUT_MONO8, 1);
  child->size = static_cast<size_t>(parent->width) * parent->height;
  child->data = parent->data + static_cast<size_t>(band) * child->size;
  MIL_ID id = NewId(sim, bufferId);
  child->id = id;
  sim.buffers[id] = std::move(child);
  return call.Result(id);
}

MILAPI void MFTYPE MbufFree(MIL_ID buffer) {
  Simulator& sim = State();
  Lock lock(sim.mutex);
  CallRecord call(sim, "MbufFree", buffer);
  if (FindOrReport(call, sim.buffers, buffer, "buffer") == nullptr) return;
  if (ReleaseBuffer(lock, buffer)) {
    call.Error("the buffer was the destination of a continuous grab, which was halted");
  }
}

MILAPI MIL_INT MFTYPE MbufInquire(MIL_ID bufferId, MIL_INT inquireType, void* userVariable) {
  Simulator& sim = State();
  Lock lock(sim.mutex);
  CallRecord call(sim, "MbufInquire", bufferId, inquireType);
  Buffer* buffer = FindOrReport(call, sim.buffers, bufferId, "buffer");
  if (buffer == nullptr) return call.Result(Answer(userVariable, 0));
  switch (Word(inquireType)) {
    case SIZE_X:
      return call.Result(Answer(userVariable, buffer->width));
    case SIZE_Y:
      return call.Result(Answer(userVariable, buffer->height));
    case SIZE_BAND:
      return call.Result(Answer(userVariable, buffer->bands));
    case SIZE_BIT:
      return call.Result(Answer(userVariable, 8));
    case BUFFER_FORMAT:
      return call.Result(Answer(userVariable, buffer->formatWord));
    case HOST_ADDRESS:
      if (sim.config.faults & SIM_FAULT_NO_PIXEL_ADDRESS) {
        call.Error("no host address for this buffer");
        return call.Result(Answer(userVariable, 0));
      }
      return call.Result(Answer(userVariable, reinterpret_cast<MIL_INT>(buffer->data)));
  }
  call.Error("unknown inquire type");
  return call.Result(Answer(userVariable, 0));
}

MILAPI void MFTYPE MgenLutRamp(MIL_ID lutId, MIL_INT startIndex, double startValue,
                               MIL_INT endIndex, double endValue) {
  Simulator& sim = State();
  Lock lock(sim.mutex);
  CallRecord call(sim, "MgenLutRamp", lutId, startIndex, startValue, endIndex, endValue);
  Buffer* lut = FindOrReport(call, sim.buffers, lutId, "buffer");
  if (lut == nullptr) return;
  if (!lut->lut) {
    call.Error("not a LUT buffer");
    return;
  }
  if (!std::isfinite(startValue) || !std::isfinite(endValue)) {
    call.Error("ramp values must be finite");
    return;
  }
  if (startIndex > endIndex) {
    std::swap(startIndex, endIndex);
    std::swap(startValue, endValue);
  }
  if (startIndex < 0 || endIndex >= lut->width) {
    call.Error("ramp reaches outside the table; only the entries inside were written");
  }
  MIL_INT first = startIndex < 0 ? 0 : startIndex;
  MIL_INT last = endIndex >= lut->width ? lut->width - 1 : endIndex;
  for (MIL_INT index = first; index <= last; ++index) {
    uint8_t value =
        static_cast<uint8_t>(RampValue(startValue, endValue, startIndex, endIndex, index));
    for (int32_t band = 0; band < lut->bands; ++band) {
      WriteBand(*lut, static_cast<int32_t>(index), 0, band, value);
    }
  }
}
