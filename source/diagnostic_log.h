// The diagnostic log: a scope that writes formatted text to KORVANTA.LOG in
// the module's folder, to the debugger output, or nowhere, as the registry
// value Dump chose at load.
#pragma once

#include <cstdio>

#if defined(__GNUC__) && !defined(_WIN32)
#define TWAIN_PRINTF_FORMAT(f, a) __attribute__((format(printf, f, a)))
#else
#define TWAIN_PRINTF_FORMAT(f, a)
#endif

class DiagnosticLog {
 public:
  DiagnosticLog();
  ~DiagnosticLog();
  DiagnosticLog(const DiagnosticLog&) = delete;
  DiagnosticLog& operator=(const DiagnosticLog&) = delete;

  // printf-style; the text is cut at 511 characters and written literally.
  void Write(const char* format, ...) TWAIN_PRINTF_FORMAT(2, 3);

 private:
  FILE* file_;
};
