// Dialogs built from the templates among the module's own resources.
#pragma once

#include "platform/win32.h"

// Finds dialog template templateId among the module's resources, loads and
// locks it and creates a modeless dialog from the template in memory, owned
// by parent (null for none). Null when the template is missing or the dialog
// cannot be created; the failure is logged.
HWND CreateDialogFromResource(int templateId, HWND parent, DLGPROC procedure);
