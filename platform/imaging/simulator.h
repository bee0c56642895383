// The simulated board's inner records: configuration, the objects behind the
// ids, the call log, and the one lock that guards all of it. Every exported
// call takes the lock for its whole run (a grab releases it while it waits
// for the frame time); the continuous-grab thread takes it for every frame.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

#include "mil_api.h"
#include "sim_export.h"

namespace sim {

// ---- Board families, camera formats, pixel layouts (formats.cpp) ----------

enum class Signal { Monochrome, Composite, YC, Rgb };

struct CameraFormat {
  const char* name;
  int32_t width;
  int32_t height;
  int32_t frameRateHz;
  Signal signal;
};

// The eight camera formats, or null for a name that is none of them.
const CameraFormat* FindCameraFormat(const char* name);
// The multi-channel boards (types 24 and 536) have the RGB inputs.
bool IsMultiChannelBoard(int32_t boardType);
// Colour mode word of a digitizer: depends on the board family and the signal.
int32_t ColourModeFor(int32_t boardType, Signal signal);
// Bands the digitizer delivers for a colour mode: 1 for grey modes, else 3.
int32_t BandsForColourMode(int32_t colourMode);
// The board's formats when no list was configured.
std::vector<std::string> DefaultFormats(int32_t boardType);

// Where the bands of one pixel lie in a packed layout, or that the layout is
// planar. Layouts the simulator does not encode are stored as M_BGR24 bytes
// in room for four bytes a pixel (see README).
struct PixelLayout {
  int32_t bits;          // layout bits of the buffer format word
  int32_t bytesPerPixel; // of a packed layout; 1 for planar (per plane)
  int32_t offset[3];     // byte of red, green, blue within a packed pixel
  bool planar;
};
const PixelLayout& LayoutFor(int32_t layoutBits, int32_t bands);
// Format word flags of the simulator beside the layout bits.
constexpr int32_t FORMAT_PACKED = 0x00020000;
constexpr int32_t FORMAT_PLANAR = 0x00040000;
constexpr int32_t LAYOUT_MONO8 = 0x0200;
constexpr int32_t LAYOUT_RGB3 = 0x0D00;
constexpr int32_t LAYOUT_BGR24 = 0x1000;
constexpr int32_t LAYOUT_MASK = 0x3F00;
// "M_BGR24" -> 0x1000 etc.; -1 for an unknown name.
int32_t LayoutBitsFromName(const char* name);

// ---- Configuration (configuration.cpp) -------------------------------------

struct Configuration {
  int32_t boardType = 24;
  int32_t boardRevision = 1;
  bool formatsConfigured = false;  // false: the board family's default list
  std::vector<std::string> formats;
  int32_t pixelLayout = LAYOUT_BGR24;
  uint64_t grabMemoryBytes = 64ull << 20;
  bool instant = false;
  int32_t faults = 0;
};

// Items of Configuration that a testing call set; the environment leaves them alone.
enum ConfiguredItem : uint32_t {
  ITEM_BOARD_TYPE = 1,
  ITEM_BOARD_REVISION = 2,
  ITEM_FORMATS = 4,
  ITEM_PIXEL_LAYOUT = 8,
  ITEM_GRAB_MEMORY = 16,
  ITEM_INSTANT = 32,
  ITEM_FAULTS = 64,
};

// ---- Objects behind the ids ------------------------------------------------

struct Application {
  MIL_ID id;
};

struct System {
  MIL_ID id;
  MIL_ID application;
};

struct Digitizer {
  MIL_ID id;
  MIL_ID system;
  const CameraFormat* format;
  int32_t colourMode;
  int32_t bands;
  int32_t blackRef[3] = {0, 0, 0};
  int32_t whiteRef[3] = {255, 255, 255};
  int32_t brightness = 128;
  int32_t contrast = 128;
  int32_t hue = 128;
  int32_t saturation = 128;
  MIL_INT channel = 0;
  uint8_t lut[3][256];
  std::map<MIL_INT, double> controls;
  MIL_DIG_HOOK_FUNCTION_PTR hook = nullptr;
  MIL_INT hookType = 0;
  void* hookData = nullptr;
  uint32_t frameCount = 0;
  // Continuous grab: the thread and its destination. A grab thread runs while
  // its generation is the digitizer's current one; a halt moves it on.
  std::thread grabThread;
  MIL_ID grabBuffer = 0;
  bool grabbing = false;
  uint32_t grabGeneration = 0;
};

struct Display {
  MIL_ID id;
  MIL_ID system;
  bool selected = false;
  MIL_ID image = 0;
  MIL_WINDOW_HANDLE window = nullptr;
  int32_t zoomX = 1;
  int32_t zoomY = 1;
  std::string title;
  uint32_t selectCount = 0;
  std::map<MIL_INT, double> controls;
  // Counts every change of what the window shows; a grab thread that painted
  // a frame without the lock held checks it, so that it paints no stale one.
  std::shared_ptr<std::atomic<uint32_t>> shown = std::make_shared<std::atomic<uint32_t>>(0);
};

struct Simulator;

// ---- Window pictures (display.cpp, window_picture.cpp) --------------------

// A display's picture of its buffer at its zoom: rows top-down, one (grey)
// or three (red, green, blue) bytes a pixel, no padding.
struct Picture {
  std::vector<uint8_t> pixels;
  int32_t width = 0;
  int32_t height = 0;
  int32_t bands = 0;
};

// One window's new picture, made under the lock and painted after it.
struct Presentation {
  MIL_WINDOW_HANDLE window;
  Picture picture;
  std::shared_ptr<std::atomic<uint32_t>> shown;
  uint32_t shownWhenMade;
};

// Paints the picture into the window; an empty picture takes it away.
void PaintWindowPicture(MIL_WINDOW_HANDLE window, const Picture& picture);
// The pictures of the displays that show a buffer in a window of the
// application, after a frame was written into it (lock held).
std::vector<Presentation> PresentationsOf(Simulator& sim, MIL_ID buffer);
// Paints them unless the display has changed since (lock not held).
void Present(const std::vector<Presentation>& presentations);
// Takes a display's picture out of its window, when it shows one (lock held).
void ClearWindow(Display& display);

struct FreeDeleter {
  void operator()(uint8_t* memory) const { std::free(memory); }
};

struct Buffer {
  MIL_ID id;
  MIL_ID system;
  MIL_ID parent = 0;     // a band child's parent, 0 for a buffer of its own
  int32_t bands;
  int32_t width;
  int32_t height;
  MIL_INT attribute;
  bool lut;              // attribute 256, or the child of such a table
  bool grabMemory;       // attribute 12: counted against the grab memory
  int32_t formatWord;
  const PixelLayout* layout;
  std::unique_ptr<uint8_t, FreeDeleter> memory;  // null for a child
  size_t size = 0;
  uint8_t* data = nullptr;  // first byte of the pixels (of the band, for a child)
};

// Band value of a pixel, and storing one, in the buffer's own layout.
uint8_t ReadBand(const Buffer& buffer, int32_t x, int32_t y, int32_t band);
void WriteBand(Buffer& buffer, int32_t x, int32_t y, int32_t band, uint8_t value);

// ---- The simulator ---------------------------------------------------------

struct Simulator {
  std::mutex mutex;
  std::condition_variable wake;  // wakes grabs that wait for a frame time
  Configuration config;
  uint32_t configured = 0;       // ConfiguredItem bits
  bool errorReports = true;
  MIL_ID nextId = 1;
  std::map<MIL_ID, std::unique_ptr<Application>> applications;
  std::map<MIL_ID, std::unique_ptr<System>> systems;
  std::map<MIL_ID, std::unique_ptr<Digitizer>> digitizers;
  std::map<MIL_ID, std::unique_ptr<Display>> displays;
  std::map<MIL_ID, std::unique_ptr<Buffer>> buffers;
  uint64_t grabMemoryUsed = 0;
  std::string callLog;
  uint32_t errorCount = 0;

  ~Simulator();
};

Simulator& State();
using Lock = std::unique_lock<std::mutex>;

// Applies the environment to every item no testing call set (configuration.cpp).
void ReadEnvironment(Simulator& sim);
// Back to the load state (lock held).
void ResetConfiguration(Simulator& sim);

template <class T>
T* Find(std::map<MIL_ID, std::unique_ptr<T>>& objects, MIL_ID id) {
  auto it = objects.find(id);
  return it == objects.end() ? nullptr : it->second.get();
}

// ---- The call log (call_log.cpp) -------------------------------------------
class CallRecord;

// The object behind an id; null, reported as "unknown <kind> id", when none.
template <class T>
T* FindOrReport(CallRecord& call, std::map<MIL_ID, std::unique_ptr<T>>& objects, MIL_ID id,
                const char* kind);

// The ids of the objects that a condition picks.
template <class T, class Condition>
std::vector<MIL_ID> IdsWhere(const std::map<MIL_ID, std::unique_ptr<T>>& objects,
                             Condition condition) {
  std::vector<MIL_ID> ids;
  for (const auto& entry : objects) {
    if (condition(*entry.second)) ids.push_back(entry.first);
  }
  return ids;
}

// Releases objects and everything below them (lock held; a running grab is
// halted first, which releases the lock while its thread ends).
void ReleaseApplication(Lock& lock, MIL_ID id);
void ReleaseSystem(Lock& lock, MIL_ID id);
void ReleaseDigitizer(Lock& lock, MIL_ID id);
// Returns true when a continuous grab into the buffer had to be halted.
bool ReleaseBuffer(Lock& lock, MIL_ID id);
void ReleaseDisplay(MIL_ID id);
// Stops a digitizer's continuous grab and waits until its thread has ended.
void HaltGrab(Lock& lock, MIL_ID digitizer);
// Halts every grab and releases every object.
void ReleaseEverything(Lock& lock);

// Inquiry types that digitizers and buffers both answer.
constexpr uint32_t SIZE_X = 1002;
constexpr uint32_t SIZE_Y = 1003;
constexpr uint32_t SIZE_BAND = 1005;
constexpr uint32_t SIZE_BIT = 1007;

// Inquiry and control types are 32-bit words, also where MIL_INT is wider.
inline uint32_t Word(MIL_INT value) { return static_cast<uint32_t>(value); }

// An inquiry's answer, also stored at the caller's variable when one is given.
inline MIL_INT Answer(void* userVariable, MIL_INT value) {
  if (userVariable != nullptr) *static_cast<MIL_INT*>(userVariable) = value;
  return value;
}

// An allocation's id, also stored at the caller's variable when one is given.
inline MIL_ID NewId(Simulator& sim, MIL_ID* idVariable) {
  MIL_ID id = sim.nextId++;
  if (idVariable != nullptr) *idVariable = id;
  return id;
}

// A refused allocation: 0, also at the caller's variable.
inline MIL_ID NoId(MIL_ID* idVariable) {
  if (idVariable != nullptr) *idVariable = 0;
  return 0;
}

// ---- The picture (picture_model.cpp) ---------------------------------------

// The bands (1 or 3) of pixel (x, y) of a frame, as the digitizer delivers it.
int32_t ModelPixel(const Digitizer& digitizer, int32_t x, int32_t y, uint32_t frame,
                   uint8_t bands[3]);
// Writes one frame into a buffer, clipped to both geometries.
void WriteFrame(const Digitizer& digitizer, Buffer& buffer, uint32_t frame);

// ---- The call log (call_log.cpp) -------------------------------------------

// Text of one argument of a logged call.
std::string Arg(const char* text);
std::string Arg(double value);
std::string Arg(const void* pointer);
template <class T, class = std::enable_if_t<std::is_integral<T>::value>>
std::string Arg(T value) {
  return std::to_string(static_cast<long long>(value));
}

// One line of the call log: built while the call runs, appended when the
// record goes out of scope (the lock is held then).
class CallRecord {
 public:
  template <class... Args>
  CallRecord(Simulator& sim, const char* name, const Args&... args) : sim_(sim) {
    line_ = name;
    line_ += '(';
    const char* separator = "";
    ((line_ += separator, line_ += Arg(args), separator = ", "), ...);
    line_ += ')';
  }
  ~CallRecord();
  CallRecord(const CallRecord&) = delete;
  CallRecord& operator=(const CallRecord&) = delete;

  // Records the result and returns it.
  template <class T>
  T Result(T value) {
    result_ = " = " + Arg(value);
    return value;
  }
  // Records a failure: counted, printed to stderr while error reports are on.
  void Error(const std::string& text);

 private:
  Simulator& sim_;
  std::string line_;
  std::string result_;
  std::string error_;
};

template <class T>
T* FindOrReport(CallRecord& call, std::map<MIL_ID, std::unique_ptr<T>>& objects, MIL_ID id,
                const char* kind) {
  T* object = Find(objects, id);
  if (object == nullptr) call.Error(std::string("unknown ") + kind + " id");
  return object;
}

}  // namespace sim
