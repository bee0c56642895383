// The imaging library's entry points as the source calls them: one function
// type per operation, with the library's calling convention. The simulated
// library implements exactly these; the source resolves them by name.
#pragma once

#include <cstdint>

#if defined(_WIN32)
#define MFTYPE __stdcall
#else
#define MFTYPE
#endif

// Object ids are 32-bit integers, 0 meaning none or failure. Integer
// parameters and inquiry results are pointer sized, so an inquiry can return a
// host address (the pixels of a buffer).
typedef int32_t MIL_ID;
typedef intptr_t MIL_INT;
typedef void* MIL_WINDOW_HANDLE;

typedef MIL_ID(MFTYPE* MappAllocProc)(MIL_INT initFlag, MIL_ID* applicationId);
typedef void(MFTYPE* MappFreeProc)(MIL_ID application);
typedef void(MFTYPE* MappControlProc)(MIL_INT controlType, MIL_INT controlValue);

typedef MIL_ID(MFTYPE* MsysAllocProc)(const char* systemDescriptor, MIL_INT systemNumber,
                                      MIL_INT initFlag, MIL_ID* systemId);
typedef void(MFTYPE* MsysFreeProc)(MIL_ID system);
typedef MIL_INT(MFTYPE* MsysInquireProc)(MIL_ID system, MIL_INT inquireType, void* userVariable);

typedef MIL_ID(MFTYPE* MdigAllocProc)(MIL_ID system, MIL_INT deviceNumber, const char* dataFormat,
                                      MIL_INT initFlag, MIL_ID* digitizerId);
typedef void(MFTYPE* MdigFreeProc)(MIL_ID digitizer);
typedef void(MFTYPE* MdigGrabProc)(MIL_ID digitizer, MIL_ID destinationImage);
typedef void(MFTYPE* MdigGrabContinuousProc)(MIL_ID digitizer, MIL_ID destinationImage);
typedef void(MFTYPE* MdigHaltProc)(MIL_ID digitizer);
typedef MIL_INT(MFTYPE* MdigInquireProc)(MIL_ID digitizer, MIL_INT inquireType, void* userVariable);
typedef void(MFTYPE* MdigChannelProc)(MIL_ID digitizer, MIL_INT channel);
typedef void(MFTYPE* MdigControlProc)(MIL_ID digitizer, MIL_INT controlType, double value);
typedef void(MFTYPE* MdigLutProc)(MIL_ID digitizer, MIL_ID lut);
typedef void(MFTYPE* MdigReferenceProc)(MIL_ID digitizer, MIL_INT referenceType, double level);
typedef MIL_INT(MFTYPE* MdigHookFunctionProc)(MIL_ID digitizer, MIL_INT hookType, void* handler,
                                              void* userData);

typedef MIL_ID(MFTYPE* MdispAllocProc)(MIL_ID system, MIL_INT displayNumber,
                                       const char* displayFormat, MIL_INT initFlag,
                                       MIL_ID* displayId);
typedef void(MFTYPE* MdispSelectProc)(MIL_ID display, MIL_ID image);
typedef void(MFTYPE* MdispSelectWindowProc)(MIL_ID display, MIL_ID image, MIL_WINDOW_HANDLE window);
typedef void(MFTYPE* MdispDeselectProc)(MIL_ID display, MIL_ID image);
typedef void(MFTYPE* MdispControlProc)(MIL_ID display, MIL_INT controlType, double value);
typedef MIL_INT(MFTYPE* MdispInquireProc)(MIL_ID display, MIL_INT inquireType, void* userVariable);
typedef void(MFTYPE* MdispFreeProc)(MIL_ID display);
typedef void(MFTYPE* MdispZoomProc)(MIL_ID display, MIL_INT xFactor, MIL_INT yFactor);

typedef MIL_ID(MFTYPE* MbufAllocColorProc)(MIL_ID system, MIL_INT bands, MIL_INT width,
                                           MIL_INT height, MIL_INT type, MIL_INT attribute,
                                           MIL_ID* bufferId);
typedef MIL_ID(MFTYPE* MbufAlloc1dProc)(MIL_ID system, MIL_INT length, MIL_INT type,
                                        MIL_INT attribute, MIL_ID* bufferId);
typedef MIL_ID(MFTYPE* MbufChildColorProc)(MIL_ID parent, MIL_INT band, MIL_ID* bufferId);
typedef void(MFTYPE* MbufFreeProc)(MIL_ID buffer);
typedef MIL_INT(MFTYPE* MbufInquireProc)(MIL_ID buffer, MIL_INT inquireType, void* userVariable);
typedef void(MFTYPE* MbufSaveProc)(const char* fileName, MIL_ID buffer);

typedef void(MFTYPE* MgenLutRampProc)(MIL_ID lut, MIL_INT startIndex, double startValue,
                                      MIL_INT endIndex, double endValue);

// A function hooked to a digitizer with MdigHookFunction: called after every
// frame the digitizer completes, with the hook type, the digitizer id and the
// user data given at hooking.
typedef MIL_INT(MFTYPE* MIL_DIG_HOOK_FUNCTION_PTR)(MIL_INT hookType, MIL_ID eventId,
                                                   void* userData);
