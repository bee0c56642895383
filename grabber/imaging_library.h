// The table of imaging-library entry points, resolved by name from MIL.DLL
// when the source is opened.
#pragma once

#include "platform/imaging/mil_api.h"

struct ImagingLibrary {
  MappAllocProc MappAlloc;
  MappFreeProc MappFree;
  MappControlProc MappControl;
  MsysAllocProc MsysAlloc;
  MsysFreeProc MsysFree;
  MsysInquireProc MsysInquire;
  MdigAllocProc MdigAlloc;
  MdigFreeProc MdigFree;
  MdigGrabProc MdigGrab;
  MdigGrabContinuousProc MdigGrabContinuous;
  MdigHaltProc MdigHalt;
  MdigInquireProc MdigInquire;
  MdigChannelProc MdigChannel;
  MdigControlProc MdigControl;
  MdigLutProc MdigLut;
  MdigReferenceProc MdigReference;
  MdigHookFunctionProc MdigHookFunction;
  MdispAllocProc MdispAlloc;
  MdispSelectProc MdispSelect;
  MdispSelectWindowProc MdispSelectWindow;
  MdispDeselectProc MdispDeselect;
  MdispControlProc MdispControl;
  MdispInquireProc MdispInquire;
  MdispFreeProc MdispFree;
  MdispZoomProc MdispZoom;
  MbufAllocColorProc MbufAllocColor;
  MbufAlloc1dProc MbufAlloc1d;
  MbufChildColorProc MbufChildColor;
  MbufFreeProc MbufFree;
  MbufInquireProc MbufInquire;
  MbufSaveProc MbufSave;
  MgenLutRampProc MgenLutRamp;
};

extern ImagingLibrary imagingLibrary;
