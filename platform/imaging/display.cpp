// Mdisp*: displays that show an image buffer in a window (or in a window of
// the library's own), with their zoom and window options. What a display
// shows is recorded for tests, and painted into an application's window.
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

// The largest picture handed to a window; the window clips it anyway.
constexpr int32_t MAX_PICTURE = 4096;

// One axis of the zoom: a factor f above 0 repeats each pixel f times, below
// 0 keeps every |f|th pixel.
int32_t ZoomedSize(int32_t size, int32_t factor) {
  int32_t zoomed = factor > 0 ? size * factor : (size - factor - 1) / -factor;
  return zoomed < MAX_PICTURE ? zoomed : MAX_PICTURE;
}

int32_t SourceIndex(int32_t index, int32_t factor) {
  return factor > 0 ? index / factor : index * -factor;
}

Picture PictureOf(const Display& display, const Buffer& buffer) {
  Picture picture;
  picture.bands = buffer.bands == 1 ? 1 : 3;
  picture.width = ZoomedSize(buffer.width, display.zoomX);
  picture.height = ZoomedSize(buffer.height, display.zoomY);
  picture.pixels.resize(static_cast<size_t>(picture.width) * picture.height * picture.bands);
  uint8_t* out = picture.pixels.data();
  for (int32_t y = 0; y < picture.height; ++y) {
    int32_t sourceY = SourceIndex(y, display.zoomY);
    for (int32_t x = 0; x < picture.width; ++x) {
      int32_t sourceX = SourceIndex(x, display.zoomX);
      for (int32_t band = 0; band < picture.bands; ++band) {
        *out++ = ReadBand(buffer, sourceX, sourceY, band);
      }
    }
  }
  return picture;
}

// Shows the display's buffer in its window again, after any change.
void Repaint(Simulator& sim, Display& display) {
  ++*display.shown;
  const Buffer* buffer = Find(sim.buffers, display.image);
  if (display.selected && display.window != nullptr && buffer != nullptr) {
    PaintWindowPicture(display.window, PictureOf(display, *buffer));
  }
}

void Select(Simulator& sim, Display& display, MIL_ID image, MIL_WINDOW_HANDLE window) {
  ClearWindow(display);
  display.selected = true;
  display.image = image;
  display.window = window;
  ++display.selectCount;
  Repaint(sim, display);
}

void SelectWindow(const char* name, MIL_ID displayId, MIL_ID image, MIL_WINDOW_HANDLE window) {
  Simulator& sim = State();
  Lock lock(sim.mutex);
  CallRecord call(sim, name, displayId, image, static_cast<const void*>(window));
  Display* display = FindOrReport(call, sim.displays, displayId, "display");
  if (display == nullptr) return;
  if (image == 0) {
    ClearWindow(*display);
    return;
  }
  Buffer* buffer = FindOrReport(call, sim.buffers, image, "buffer");
  if (buffer == nullptr) return;
  if (buffer->lut || buffer->grabMemory) {
    call.Error("only image buffers can be displayed");
    return;
  }
  Select(sim, *display, image, window);
}

}  // namespace

namespace sim {

void ClearWindow(Display& display) {
  ++*display.shown;
  if (display.selected && display.window != nullptr) PaintWindowPicture(display.window, Picture());
  display.selected = false;
  display.image = 0;
  display.window = nullptr;
}

std::vector<Presentation> PresentationsOf(Simulator& sim, MIL_ID bufferId) {
  std::vector<Presentation> presentations;
  const Buffer* buffer = Find(sim.buffers, bufferId);
  if (buffer == nullptr) return presentations;
  for (const auto& entry : sim.displays) {
    const Display& display = *entry.second;
    if (display.selected && display.image == bufferId && display.window != nullptr) {
      presentations.push_back(
          Presentation{display.window, PictureOf(display, *buffer), display.shown, display.shown->load()});
    }
  }
  return presentations;
}

void Present(const std::vector<Presentation>& presentations) {
  for (const Presentation& presentation : presentations) {
    if (presentation.shown->load() == presentation.shownWhenMade) {
      PaintWindowPicture(presentation.window, presentation.picture);
    }
  }
}

}  // namespace sim

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
  ClearWindow(*display);
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
  Repaint(sim, *display);
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
