// The simulated board's testing calls, resolved by name from MIL.DLL as the
// host LoadLibraryA loaded it, for every suite that drives the board.
#pragma once

#include <string>

#include "platform/imaging/sim_testing.h"
#include "platform/win32.h"

struct SimControls {
  SimResetProc Reset;
  SimSetBoardTypeProc SetBoardType;
  SimSetBoardRevisionProc SetBoardRevision;
  SimSetSupportedFormatsProc SetSupportedFormats;
  SimSetPixelLayoutProc SetPixelLayout;
  SimSetGrabMemoryKbProc SetGrabMemoryKb;
  SimSetInstantProc SetInstant;
  SimSetFaultProc SetFault;
  SimReadCallLogProc ReadCallLog;
  SimClearCallLogProc ClearCallLog;
  SimErrorCountProc ErrorCount;
  SimErrorReportsOnProc ErrorReportsOn;
  SimGetDigitizerStateProc GetDigitizerState;
  SimGetDisplayStateProc GetDisplayState;
  SimGetDisplayControlProc GetDisplayControl;
  SimFrameCountProc FrameCount;
  SimObjectCountProc ObjectCount;
  SimGrabMemoryUsedProc GrabMemoryUsed;
  SimExpectedPixelProc ExpectedPixel;

  // The whole call log, one line a call.
  std::string CallLog() const;
};

// Resolves every testing call from the loaded module; each one missing fails
// the test with its name.
void ResolveSimControls(HMODULE module, SimControls* sim);

// Loads MIL.DLL from beside the test program, resolves its testing calls and
// starts the board from its reset state in instant mode. A missing module or
// call fails the test fatally.
void LoadSimulator(HMODULE* module, SimControls* sim);

// Resets the board and unloads MIL.DLL again; nothing when it was not loaded.
void UnloadSimulator(HMODULE* module, const SimControls& sim);
