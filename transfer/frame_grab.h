// The single-frame grab every transfer starts from, and what the transfer
// handlers share.
#pragma once

#include "platform/twain.h"
#include "source/condition_codes.h"

// Whether a frame can be grabbed and read: a digitizer, an image buffer with
// its pixels in host memory, and the library's grab entry point.
bool FrameBufferReady();

// Grabs one frame from the digitizer into the image buffer. The library's
// default grab is synchronous, so the frame is complete in host memory when
// this returns. Callers check FrameBufferReady first.
void GrabFrame();

// Records the code with the handler's failure text; returns TWRC_FAILURE.
TW_UINT16 RefuseTransfer(const char* text, ConditionCode code);
