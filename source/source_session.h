// The process-wide session record of the source.
#pragma once

#include "platform/twain.h"
#include "platform/win32.h"

// The TWAIN state number times 100.
typedef TW_INT32 SessionState;

constexpr SessionState STATE_LOADED = 300;
constexpr SessionState STATE_OPEN = 400;
constexpr SessionState STATE_ENABLED = 500;
constexpr SessionState STATE_XFERREADY = 600;
constexpr SessionState STATE_TRANSFERRING = 700;

// The log output chosen by the registry value Dump.
typedef TW_UINT32 DumpMode;

constexpr DumpMode DUMP_TO_FILE = 42;      // '*'
constexpr DumpMode DUMP_TO_DEBUGGER = 66;  // 'B'

constexpr size_t MODULE_DIRECTORY_SIZE = 256;
constexpr size_t TRANSFER_FILE_NAME_SIZE = 256;

struct SourceSession {
  SessionState state;
  TW_IDENTITY appIdentity;     // Id 0: no application connected
  TW_IDENTITY sourceIdentity;  // filled at attach, replaced at MSG_OPENDS
  TW_STATUS conditionCode;     // ConditionCode, then a word that stays 0
  HWND dialogWindow;
  HINSTANCE moduleInstance;
  char moduleDirectory[MODULE_DIRECTORY_SIZE];
  DumpMode dumpMode;
  char transferFileName[TRANSFER_FILE_NAME_SIZE];
};

extern SourceSession sourceSession;

// Process attach and detach of the module; the body of DllMain.
BOOL HandleModuleNotification(HINSTANCE instance, DWORD reason);
