// Loading the imaging library and the board library when the source opens,
// and releasing everything again when it closes.
#pragma once

#include <cstdint>

// Starts a new log section, loads MIL.DLL and MILMET2.DLL, logs their
// versions, resolves the ImagingLibrary entry points and allocates the
// library application and system. Returns 0 when all of it is ready, 1 on any
// failure; a failure leaves nothing loaded or allocated.
uint16_t MilLoadRuntime();

// Writes one log line about the product version of a module file.
void LogFileVersion(const char* path);

// Frees the digitizer, the system and the application and unloads both
// libraries; does nothing when the library was not started.
void MilFreeRuntime();
