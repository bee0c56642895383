// Mdig* except the grabs: a digitizer for one camera format, its references
// and decoder levels, the input channel, the input LUT, controls and hooks.
#include <cmath>
#include <cstdio>

#include "exports.h"
#include "simulator.h"

using namespace sim;

namespace {

constexpr uint32_t COLOUR_MODE = 1018;

constexpr uint32_t BLACK_REF = 4003;
constexpr uint32_t WHITE_REF = 4005;
constexpr uint32_t HUE_REF = 4006;
constexpr uint32_t SATURATION_REF = 4007;
constexpr uint32_t BRIGHTNESS_REF = 4008;
constexpr uint32_t CONTRAST_REF = 4009;

// A reference type is a base type in the low bits and channel bits above.
constexpr uint32_t CHANNEL_BITS = 0xFFE00000u;
constexpr uint32_t ALL_CHANNELS = 0xEF200000u;
constexpr uint32_t CHANNEL_BIT[3] = {0x20000000u, 0x40000000u, 0x80000000u};

// The channels a reference type selects: one bit a channel, or all of them
// (0xEF200000, or no channel bits). False for other channel bits.
bool SelectedChannels(uint32_t type, bool selected[3]) {
  uint32_t bits = type & CHANNEL_BITS;
  bool all = bits == 0 || bits == ALL_CHANNELS;
  if (!all && (bits & ~(CHANNEL_BIT[0] | CHANNEL_BIT[1] | CHANNEL_BIT[2])) != 0) return false;
  for (int band = 0; band < 3; ++band) selected[band] = all || (bits & CHANNEL_BIT[band]) != 0;
  return true;
}

// The level variable of a decoder reference type, or null.
int32_t* DecoderLevel(Digitizer& digitizer, uint32_t type) {
  switch (type) {
    case HUE_REF:
      return &digitizer.hue;
    case SATURATION_REF:
      return &digitizer.saturation;
    case BRIGHTNESS_REF:
      return &digitizer.brightness;
    case CONTRAST_REF:
      return &digitizer.contrast;
  }
  return nullptr;
}

const std::vector<std::string>& SupportedFormats(const Configuration& config,
                                                 std::vector<std::string>& defaults) {
  if (config.formatsConfigured) return config.formats;
  defaults = DefaultFormats(config.boardType);
  return defaults;
}

bool IsSupported(const Configuration& config, const char* name) {
  std::vector<std::string> defaults;
  for (const std::string& format : SupportedFormats(config, defaults)) {
    if (format == name) return true;
  }
  return false;
}

void LoadIdentity(Digitizer& digitizer) {
  for (auto& band : digitizer.lut) {
    for (int entry = 0; entry < 256; ++entry) band[entry] = static_cast<uint8_t>(entry);
  }
}

}  // namespace

MILAPI MIL_ID MFTYPE MdigAlloc(MIL_ID system, MIL_INT deviceNumber, const char* dataFormat,
                               MIL_INT initFlag, MIL_ID* digitizerId) {
  Simulator& sim = State();
  Lock lock(sim.mutex);
  CallRecord call(sim, "MdigAlloc", system, deviceNumber, dataFormat, initFlag);
  if (FindOrReport(call, sim.systems, system, "system") == nullptr) return call.Result(NoId(digitizerId));
  if (deviceNumber != 0) {
    call.Error("the board has one digitizer, device 0");
    return call.Result(NoId(digitizerId));
  }
  const CameraFormat* format = FindCameraFormat(dataFormat);
  if (format == nullptr) {
    call.Error("unknown camera format");
    return call.Result(NoId(digitizerId));
  }
  if (!IsSupported(sim.config, format->name)) {
    call.Error("camera format not supported by this board");
    return call.Result(NoId(digitizerId));
  }
  std::unique_ptr<Digitizer> digitizer(new Digitizer());
  digitizer->system = system;
  digitizer->format = format;
  digitizer->colourMode = ColourModeFor(sim.config.boardType, format->signal);
  digitizer->bands = BandsForColourMode(digitizer->colourMode);
  LoadIdentity(*digitizer);
  MIL_ID id = NewId(sim, digitizerId);
  digitizer->id = id;
  sim.digitizers[id] = std::move(digitizer);
  return call.Result(id);
}

MILAPI void MFTYPE MdigFree(MIL_ID digitizer) {
  Simulator& sim = State();
  Lock lock(sim.mutex);
  CallRecord call(sim, "MdigFree", digitizer);
  if (FindOrReport(call, sim.digitizers, digitizer, "digitizer") == nullptr) return;
  ReleaseDigitizer(lock, digitizer);
}

MILAPI MIL_INT MFTYPE MdigInquire(MIL_ID digitizerId, MIL_INT inquireType, void* userVariable) {
  Simulator& sim = State();
  Lock lock(sim.mutex);
  CallRecord call(sim, "MdigInquire", digitizerId, inquireType);
  Digitizer* digitizer = FindOrReport(call, sim.digitizers, digitizerId, "digitizer");
  if (digitizer == nullptr) return call.Result(Answer(userVariable, 0));
  uint32_t type = Word(inquireType);
  switch (type) {
    case SIZE_X:
      return call.Result(Answer(userVariable, digitizer->format->width));
    case SIZE_Y:
      return call.Result(Answer(userVariable, digitizer->format->height));
    case SIZE_BAND:
      return call.Result(Answer(userVariable, digitizer->bands));
    case SIZE_BIT:
      return call.Result(Answer(userVariable, 8));
    case COLOUR_MODE:
      return call.Result(Answer(userVariable, digitizer->colourMode));
  }
  uint32_t base = type & ~CHANNEL_BITS;
  bool selected[3];
  if ((base == BLACK_REF || base == WHITE_REF) && SelectedChannels(type, selected)) {
    const int32_t* levels = base == BLACK_REF ? digitizer->blackRef : digitizer->whiteRef;
    int band = selected[0] ? 0 : selected[1] ? 1 : 2;
    return call.Result(Answer(userVariable, levels[band]));
  }
  if (int32_t* level = DecoderLevel(*digitizer, type)) {
    return call.Result(Answer(userVariable, *level));
  }
  auto control = digitizer->controls.find(inquireType);
  if (control != digitizer->controls.end()) {
    return call.Result(Answer(userVariable, static_cast<MIL_INT>(control->second)));
  }
  call.Error("unknown inquire type");
  return call.Result(Answer(userVariable, 0));
}

MILAPI void MFTYPE MdigReference(MIL_ID digitizerId, MIL_INT referenceType, double level) {
  Simulator& sim = State();
  Lock lock(sim.mutex);
  CallRecord call(sim, "MdigReference", digitizerId, referenceType, level);
  Digitizer* digitizer = FindOrReport(call, sim.digitizers, digitizerId, "digitizer");
  if (digitizer == nullptr) return;
  if (!(level >= 0 && level <= 255)) {
    call.Error("reference level outside 0 to 255");
    return;
  }
  int32_t value = static_cast<int32_t>(std::floor(level + 0.5));
  uint32_t type = Word(referenceType);
  uint32_t base = type & ~CHANNEL_BITS;
  bool selected[3];
  if ((base == BLACK_REF || base == WHITE_REF) && SelectedChannels(type, selected)) {
    int32_t* levels = base == BLACK_REF ? digitizer->blackRef : digitizer->whiteRef;
    for (int band = 0; band < 3; ++band) {
      if (selected[band]) levels[band] = value;
    }
    return;
  }
  if (int32_t* decoderLevel = DecoderLevel(*digitizer, type)) {
    *decoderLevel = value;
    return;
  }
  call.Error("unknown reference type");
}

MILAPI void MFTYPE MdigChannel(MIL_ID digitizerId, MIL_INT channel) {
  Simulator& sim = State();
  Lock lock(sim.mutex);
  CallRecord call(sim, "MdigChannel", digitizerId, channel);
  Digitizer* digitizer = FindOrReport(call, sim.digitizers, digitizerId, "digitizer");
  if (digitizer == nullptr) return;
  digitizer->channel = channel;
}

MILAPI void MFTYPE MdigControl(MIL_ID digitizerId, MIL_INT controlType, double value) {
  Simulator& sim = State();
  Lock lock(sim.mutex);
  CallRecord call(sim, "MdigControl", digitizerId, controlType, value);
  Digitizer* digitizer = FindOrReport(call, sim.digitizers, digitizerId, "digitizer");
  if (digitizer == nullptr) return;
  digitizer->controls[controlType] = value;
}

MILAPI void MFTYPE MdigLut(MIL_ID digitizerId, MIL_ID lutId) {
  Simulator& sim = State();
  Lock lock(sim.mutex);
  CallRecord call(sim, "MdigLut", digitizerId, lutId);
  Digitizer* digitizer = FindOrReport(call, sim.digitizers, digitizerId, "digitizer");
  if (digitizer == nullptr) return;
  if (lutId == 0) {
    // No table: the digitizer's initial identity table again.
    LoadIdentity(*digitizer);
    return;
  }
  Buffer* lut = FindOrReport(call, sim.buffers, lutId, "buffer");
  if (lut == nullptr) return;
  if (!lut->lut || lut->width != 256 || lut->height != 1) {
    call.Error("not a LUT buffer of 256 entries");
    return;
  }
  // The digitizer takes a copy: later changes of the buffer do not reach it.
  for (int32_t band = 0; band < 3; ++band) {
    for (int32_t entry = 0; entry < 256; ++entry) {
      digitizer->lut[band][entry] = ReadBand(*lut, entry, 0, lut->bands == 3 ? band : 0);
    }
  }
}

MILAPI MIL_INT MFTYPE MdigHookFunction(MIL_ID digitizerId, MIL_INT hookType, void* handler,
                                       void* userData) {
  Simulator& sim = State();
  Lock lock(sim.mutex);
  CallRecord call(sim, "MdigHookFunction", digitizerId, hookType, static_cast<const void*>(handler),
                  static_cast<const void*>(userData));
  Digitizer* digitizer = FindOrReport(call, sim.digitizers, digitizerId, "digitizer");
  if (digitizer == nullptr) return call.Result(static_cast<MIL_INT>(1));
  digitizer->hook = reinterpret_cast<MIL_DIG_HOOK_FUNCTION_PTR>(handler);
  digitizer->hookType = hookType;
  digitizer->hookData = userData;
  return call.Result(static_cast<MIL_INT>(0));
}

MILAPI int32_t SimGetDigitizerState(MIL_ID digitizerId, SimDigitizerState* state) {
  Simulator& sim = State();
  Lock lock(sim.mutex);
  Digitizer* digitizer = Find(sim.digitizers, digitizerId);
  if (digitizer == nullptr || state == nullptr) return 0;
  *state = SimDigitizerState();
  std::snprintf(state->format, sizeof state->format, "%s", digitizer->format->name);
  state->width = digitizer->format->width;
  state->height = digitizer->format->height;
  state->bands = digitizer->bands;
  state->colourMode = digitizer->colourMode;
  state->frameRateHz = digitizer->format->frameRateHz;
  for (int band = 0; band < 3; ++band) {
    state->blackRef[band] = digitizer->blackRef[band];
    state->whiteRef[band] = digitizer->whiteRef[band];
    for (int entry = 0; entry < 256; ++entry) state->lut[band][entry] = digitizer->lut[band][entry];
  }
  state->brightness = digitizer->brightness;
  state->contrast = digitizer->contrast;
  state->hue = digitizer->hue;
  state->saturation = digitizer->saturation;
  state->channel = digitizer->channel;
  state->frameCount = digitizer->frameCount;
  state->grabbing = digitizer->grabbing ? 1 : 0;
  state->grabBuffer = digitizer->grabBuffer;
  return 1;
}

MILAPI uint32_t SimFrameCount(MIL_ID digitizerId) {
  Simulator& sim = State();
  Lock lock(sim.mutex);
  Digitizer* digitizer = Find(sim.digitizers, digitizerId);
  return digitizer == nullptr ? 0 : digitizer->frameCount;
}
