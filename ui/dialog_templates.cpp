#include "ui/dialog_templates.h"

#include "source/diagnostic_log.h"
#include "source/source_session.h"

HWND CreateDialogFromResource(int templateId, HWND parent, DLGPROC procedure) {
  HINSTANCE module = sourceSession.moduleInstance;
  HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(templateId), RT_DIALOG);
  HGLOBAL loaded = resource != nullptr ? LoadResource(module, resource) : nullptr;
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  HWND dialog = nullptr;
  if (bytes != nullptr) {
    dialog = CreateDialogIndirectParamA(module, static_cast<LPCDLGTEMPLATEA>(bytes), parent,
                                        procedure, 0);
  }
  if (dialog == nullptr) {
    DiagnosticLog log;
    log.Write("Korvanta TWAIN DS: cannot create dialog %d from the module's resources\n",
              templateId);
  }
  return dialog;
}
