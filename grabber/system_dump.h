// The block of the diagnostic log that records the machine the source runs
// on: screen mode, operating system, memory and grab memory.
#pragma once

// Written at every digitizer set-up; queries the platform even when the log
// is off, and then writes nothing.
void DumpSystemSettings();
