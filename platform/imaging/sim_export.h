// How MIL.DLL exports its functions with C linkage and undecorated names. On
// Windows the module definition file (MIL.def) names the exports; on the host
// only what is marked here is visible, everything else is hidden.
#pragma once

#if defined(_WIN32)
#define MILAPI extern "C"
#else
#define MILAPI extern "C" __attribute__((visibility("default")))
#endif
