// MIL.DLL's exports, declared from their function types in mil_api.h and
// sim_testing.h: every file that defines one includes this, so a definition
// whose signature differs from its type does not compile.
#pragma once

#include <type_traits>

#include "mil_api.h"
#include "sim_export.h"
#include "sim_testing.h"

#define MIL_EXPORT(name) MILAPI std::remove_pointer<name##Proc>::type name

MIL_EXPORT(MappAlloc);
MIL_EXPORT(MappFree);
MIL_EXPORT(MappControl);
MIL_EXPORT(MsysAlloc);
MIL_EXPORT(MsysFree);
MIL_EXPORT(MsysInquire);
MIL_EXPORT(MdigAlloc);
MIL_EXPORT(MdigFree);
MIL_EXPORT(MdigGrab);
MIL_EXPORT(MdigGrabContinuous);
MIL_EXPORT(MdigHalt);
MIL_EXPORT(MdigInquire);
MIL_EXPORT(MdigChannel);
MIL_EXPORT(MdigControl);
MIL_EXPORT(MdigLut);
MIL_EXPORT(MdigReference);
MIL_EXPORT(MdigHookFunction);
MIL_EXPORT(MdispAlloc);
MIL_EXPORT(MdispSelect);
MIL_EXPORT(MdispSelectWindow);
MIL_EXPORT(MdispDeselect);
MIL_EXPORT(MdispControl);
MIL_EXPORT(MdispInquire);
MIL_EXPORT(MdispFree);
MIL_EXPORT(MdispZoom);
MIL_EXPORT(MbufAllocColor);
MIL_EXPORT(MbufAlloc1d);
MIL_EXPORT(MbufChildColor);
MIL_EXPORT(MbufFree);
MIL_EXPORT(MbufInquire);
MIL_EXPORT(MbufSave);
MIL_EXPORT(MgenLutRamp);

MIL_EXPORT(SimReset);
MIL_EXPORT(SimSetBoardType);
MIL_EXPORT(SimSetBoardRevision);
MIL_EXPORT(SimSetSupportedFormats);
MIL_EXPORT(SimSetPixelLayout);
MIL_EXPORT(SimSetGrabMemoryKb);
MIL_EXPORT(SimSetInstant);
MIL_EXPORT(SimSetFault);
MIL_EXPORT(SimReadCallLog);
MIL_EXPORT(SimClearCallLog);
MIL_EXPORT(SimErrorCount);
MIL_EXPORT(SimErrorReportsOn);
MIL_EXPORT(SimGetDigitizerState);
MIL_EXPORT(SimGetDisplayState);
MIL_EXPORT(SimGetDisplayControl);
MIL_EXPORT(SimFrameCount);
MIL_EXPORT(SimObjectCount);
MIL_EXPORT(SimGrabMemoryUsed);
MIL_EXPORT(SimExpectedPixel);

#undef MIL_EXPORT
