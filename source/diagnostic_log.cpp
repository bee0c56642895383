// The diagnostic log: file, debugger output or nothing, as Dump chose.
#include "source/diagnostic_log.h"

#include <cstdarg>

#include "source/source_session.h"

namespace {

constexpr char LOG_FILE_NAME[] = "KORVANTA.LOG";
constexpr size_t LOG_TEXT_SIZE = 512;
constexpr size_t CURRENT_DIRECTORY_SIZE = 256;

}  // namespace

// In file mode the file is opened by its bare name inside the module's folder,
// and the application's current folder is restored at once.
DiagnosticLog::DiagnosticLog() : file_(nullptr) {
  if (sourceSession.dumpMode != DUMP_TO_FILE) return;
  char savedDirectory[CURRENT_DIRECTORY_SIZE] = "";
  DWORD saved = GetCurrentDirectoryA(sizeof savedDirectory, savedDirectory);
  bool restore = saved > 0 && saved < sizeof savedDirectory;
  SetCurrentDirectoryA(sourceSession.moduleDirectory);
  file_ = fopen(LOG_FILE_NAME, "a+");
  if (restore) SetCurrentDirectoryA(savedDirectory);
}

DiagnosticLog::~DiagnosticLog() {
  if (file_ != nullptr) fclose(file_);
}

void DiagnosticLog::Write(const char* format, ...) {
  DumpMode mode = sourceSession.dumpMode;
  if (mode != DUMP_TO_FILE && mode != DUMP_TO_DEBUGGER) return;
  char text[LOG_TEXT_SIZE];
  va_list arguments;
  va_start(arguments, format);
  vsnprintf(text, sizeof text, format, arguments);
  va_end(arguments);
  if (mode == DUMP_TO_DEBUGGER) {
    OutputDebugStringA(text);
  } else if (file_ != nullptr) {
    fputs(text, file_);
    fflush(file_);
  }
}
