// Testing controls of the simulated board, exported by MIL.DLL beside the
// imaging-library entry points. Tests and tools resolve them by name
// (GetProcAddress or dlsym); the source never uses them. Every call takes the
// simulator's lock, so they may be made while a continuous grab runs.
//
// The picture model, the configuration and the environment variables are
// described in platform/imaging/README.md.
#pragma once

#include <cstddef>
#include <cstdint>

#include "mil_api.h"

// Faults that can be switched on (SimSetFault, or MILSIM_FAULTS).
enum SimFault : int32_t {
  SIM_FAULT_NO_SYSTEM = 1,          // MsysAlloc gives 0: no board in the machine
  SIM_FAULT_NO_GRAB_MEMORY = 2,     // every grab-memory allocation (attribute 12) gives 0
  SIM_FAULT_NO_DISPLAY = 4,         // MdispAlloc gives 0
  SIM_FAULT_NO_IMAGE_BUFFER = 8,    // image buffers (neither LUT nor grab memory) give 0
  SIM_FAULT_NO_PIXEL_ADDRESS = 16,  // MbufInquire 0x80000000 gives 0 (null)
};

// Kinds of objects counted by SimObjectCount.
enum SimObjectKind : int32_t {
  SIM_ALL_OBJECTS = 0,
  SIM_APPLICATIONS = 1,
  SIM_SYSTEMS = 2,
  SIM_DIGITIZERS = 3,
  SIM_DISPLAYS = 4,
  SIM_BUFFERS = 5,
};

// What a digitizer holds now: its format, its levels, the input channel, the
// loaded input LUT and its frames. Levels are 0 to 255.
struct SimDigitizerState {
  char format[32];
  int32_t width;
  int32_t height;
  int32_t bands;
  int32_t colourMode;
  int32_t frameRateHz;
  int32_t blackRef[3];
  int32_t whiteRef[3];
  int32_t brightness;
  int32_t contrast;
  int32_t hue;
  int32_t saturation;
  int64_t channel;        // the last value passed to MdigChannel; 0 before any
  uint8_t lut[3][256];    // input LUT per band (red, green, blue); identity at allocation
  uint32_t frameCount;    // frames written so far (single and continuous grabs)
  int32_t grabbing;       // 1 while a continuous grab runs
  MIL_ID grabBuffer;      // its destination buffer, 0 when none
};

// What a display shows: the selected buffer and window, the zoom, the title
// set with control 3119, and how often a buffer was selected.
struct SimDisplayState {
  int32_t selected;
  MIL_ID image;
  MIL_WINDOW_HANDLE window;  // null: the library's own window
  int32_t zoomX;
  int32_t zoomY;
  char title[128];
  uint32_t selectCount;
};

// Back to the state at load: every object released (running grabs halted),
// the call log and error count cleared, ids counted from 1 again, every
// configuration item at its default and no faults. The environment is read
// again at the next MappAlloc or MsysAlloc.
typedef void (*SimResetProc)(void);

// Configuration. A value set here wins over the environment until SimReset.
typedef void (*SimSetBoardTypeProc)(int32_t boardType);
typedef void (*SimSetBoardRevisionProc)(int32_t revision);
// Comma-separated camera format names ("M_CCIR,M_PAL_YC"); "" supports none;
// null returns to the board family's default list. Returns 0 (and changes
// nothing) when a name is none of the eight camera formats.
typedef int32_t (*SimSetSupportedFormatsProc)(const char* formats);
// Layout bits (mask 0x3F00) of colour image buffers allocated from now on.
// Returns 0 (and changes nothing) for a value with bits outside the mask.
typedef int32_t (*SimSetPixelLayoutProc)(int32_t layoutBits);
typedef void (*SimSetGrabMemoryKbProc)(uint32_t kilobytes);
// Instant mode: grabs do not wait for the frame time.
typedef void (*SimSetInstantProc)(int32_t on);
typedef void (*SimSetFaultProc)(int32_t fault, int32_t on);

// The call log: one line per call, "Name(arg, ...) = result", with
// " error: text" added when the call failed. Copies the log, lines ended by
// '\n', into buffer (size bytes, always terminated) and returns the length of
// the whole log, so a first call with size 0 gives the room needed.
typedef size_t (*SimReadCallLogProc)(char* buffer, size_t size);
typedef void (*SimClearCallLogProc)(void);
// Errors the library reported since the reset, printed or not.
typedef uint32_t (*SimErrorCountProc)(void);
// The error-report switch of MappControl(0x40000000, 0 or 1); 1 at load and
// after every MappAlloc.
typedef int32_t (*SimErrorReportsOnProc)(void);

// Read back. Each returns 0 for an id that is not a live object of its kind.
typedef int32_t (*SimGetDigitizerStateProc)(MIL_ID digitizer, SimDigitizerState* state);
typedef int32_t (*SimGetDisplayStateProc)(MIL_ID display, SimDisplayState* state);
// The last value MdispControl set for a control type; 0 when never set.
typedef int32_t (*SimGetDisplayControlProc)(MIL_ID display, MIL_INT controlType, double* value);
typedef uint32_t (*SimFrameCountProc)(MIL_ID digitizer);
typedef int32_t (*SimObjectCountProc)(int32_t kind);
// Grab memory in use now, in bytes.
typedef uint64_t (*SimGrabMemoryUsedProc)(void);

// The picture model: the bands of pixel (x, y) of the given frame number
// (0 for the first frame a digitizer writes) with the digitizer's current
// levels, channel and LUT. Returns the digitizer's band count (1 or 3), or 0
// for an unknown digitizer or a pixel outside its image.
typedef int32_t (*SimExpectedPixelProc)(MIL_ID digitizer, int32_t x, int32_t y, uint32_t frame,
                                        uint8_t* bands);
