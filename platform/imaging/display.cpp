// Mdisp*: displays that show an image buffer in a window (or in a window of
// the library's own), with their zoom and window options. Nothing is painted;
// what a display shows is recorded for tests.
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "exports.h"
#include "simulator.h"

using namespace sim;

namespace {

// Control type whose value carries the address of the window title text.
constexpr uint32_t WINDOW_TITLE = 3119;
constexpr size_t MAX_TITLE = 127;
constexpr MIL_INT MAX_ZOOM = 16;

void Select(Display& display, MIL_ID image, MIL_WINDOW_HANDLE window) {
  display.selected = true;
  display.image = image;
  display.window = window;
  ++display.selectCount;
}

void SelectWindow(const char* name, MIL_ID displayId, MIL_ID image, MIL_WINDOW_HANDLE window) {
  Simulator& sim = State();
  Lock lock(sim.mutex);
  CallRecord call(sim, name, displayId, image, static_cast<const void*>(window));
  Display* display = FindOrReport(call, sim.displays, displayId, "display");
  if (display == nullptr) return;
  if (image == 0) {
    display->Deselect();
    return;
  }
  Buffer* buffer = FindOrReport(call, sim.buffers, image, "buffer");
  if (buffer == nullptr) return;
  if (buffer->lut || buffer->grabMemory) {
    call.Error("only image buffers can be displayed");
    return;
  }
  Select(*display, image, window);
}

}  // namespace

MILAPI MIL_ID MFTYPE MdispAlloc(MIL_ID system, MIL_INT displayNumber, const char* displayFormat,
                                MIL_INT initFlag, MIL_ID* displayId) {
  Simulator& sim = State();
  Lock lock(sim.mutex);
  CallRecord call(sim, "MdispAlloc", system, displayNumber, displayFormat, initFlag);
  if (FindOrReport(call, sim.systems, system, "system") == nullptr) return call.Result(NoId(displayId));
  if (sim.config.faults & SIM_FAULT_NO_DISPLAY) {
    call.Error("no display available");
    return call.Result(NoId(displayId));
  }
  MIL_ID id = NewId(sim, displayId);
  std::unique_ptr<Display> display(new Display());
  display->id = id;
  display->system = system;
  sim.displays[id] = std::move(display);
  return call.Result(id);
}

MILAPI void MFTYPE MdispFree(MIL_ID display) {
  Simulator& sim = State();
  Lock lock(sim.mutex);
  CallRecord call(sim, "MdispFree", display);
  if (FindOrReport(call, sim.displays, display, "display") == nullptr) return;
  ReleaseDisplay(display);
}

MILAPI void MFTYPE MdispSelect(MIL_ID display, MIL_ID image) {
  SelectWindow("MdispSelect", display, image, nullptr);
}

MILAPI void MFTYPE MdispSelectWindow(MIL_ID display, MIL_ID image, MIL_WINDOW_HANDLE window) {
  SelectWindow("MdispSelectWindow", display, image, window);
}

MILAPI void MFTYPE MdispDeselect(MIL_ID displayId, MIL_ID image) {
  Simulator& sim = State();
  Lock lock(sim.mutex);
  CallRecord call(sim, "MdispDeselect", displayId, image);
  Display* display = FindOrReport(call, sim.displays, displayId, "display");
  if (display == nullptr) return;
  if (!display->selected || display->image != image) {
    call.Error("the display does not show this buffer");
    return;
  }
  display->Deselect();
}

MILAPI void MFTYPE MdispControl(MIL_ID displayId, MIL_INT controlType, double value) {
  Simulator& sim = State();
  Lock lock(sim.mutex);
  CallRecord call(sim, "MdispControl", displayId, controlType, value);
  Display* display = FindOrReport(call, sim.displays, displayId, "display");
  if (display == nullptr) return;
  display->controls[controlType] = value;
  if (Word(controlType) == WINDOW_TITLE) {
    // The value carries the address of the title text, (double)(intptr_t)text.
    display->title.clear();
    if (!(value >= 0 && value < 9007199254740992.0) || value != std::floor(value)) {
      call.Error("the window title takes the address of a text");
      return;
    }
    const char* title = reinterpret_cast<const char*>(static_cast<intptr_t>(value));
    for (size_t length = 0; title != nullptr && length < MAX_TITLE && title[length] != '\0';
         ++length) {
      display->title += title[length];
    }
  }
}

MILAPI MIL_INT MFTYPE MdispInquire(MIL_ID displayId, MIL_INT inquireType, void* userVariable) {
  Simulator& sim = State();
  Lock lock(sim.mutex);
  CallRecord call(sim, "MdispInquire", displayId, inquireType);
  Display* display = FindOrReport(call, sim.displays, displayId, "display");
  if (display == nullptr) return call.Result(Answer(userVariable, 0));
  auto control = display->controls.find(inquireType);
  if (control == display->controls.end()) {
    call.Error("control type never set on this display");
    return call.Result(Answer(userVariable, 0));
  }
  return call.Result(Answer(userVariable, static_cast<MIL_INT>(control->second)));
}

MILAPI void MFTYPE MdispZoom(MIL_ID displayId, MIL_INT xFactor, MIL_INT yFactor) {
  Simulator& sim = State();
  Lock lock(sim.mutex);
  CallRecord call(sim, "MdispZoom", displayId, xFactor, yFactor);
  Display* display = FindOrReport(call, sim.displays, displayId, "display");
  if (display == nullptr) return;
  if (xFactor == 0 || yFactor == 0 || std::labs(static_cast<long>(xFactor)) > MAX_ZOOM ||
      std::labs(static_cast<long>(yFactor)) > MAX_ZOOM) {
    call.Error("zoom factors are -16 to -1 and 1 to 16");
    return;
  }
  display->zoomX = static_cast<int32_t>(xFactor);
  display->zoomY = static_cast<int32_t>(yFactor);
}

MILAPI int32_t SimGetDisplayState(MIL_ID displayId, SimDisplayState* state) {
  Simulator& sim = State();
  Lock lock(sim.mutex);
  Display* display = Find(sim.displays, displayId);
  if (display == nullptr || state == nullptr) return 0;
  *state = SimDisplayState();
  state->selected = display->selected ? 1 : 0;
  state->image = display->image;
  state->window = display->window;
  state->zoomX = display->zoomX;
  state->zoomY = display->zoomY;
  std::snprintf(state->title, sizeof state->title, "%s", display->title.c_str());
  state->selectCount = display->selectCount;
  return 1;
}

MILAPI int32_t SimGetDisplayControl(MIL_ID displayId, MIL_INT controlType, double* value) {
  Simulator& sim = State();
  Lock lock(sim.mutex);
  Display* display = Find(sim.displays, displayId);
  if (display == nullptr) return 0;
  auto control = display->controls.find(controlType);
  if (control == display->controls.end()) return 0;
  if (value != nullptr) *value = control->second;
  return 1;
}
