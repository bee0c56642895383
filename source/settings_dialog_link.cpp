// Until the user interface provides the settings dialog, no dialog can be
// created, and enabling with the user interface fails as for a dialog that
// cannot be made. The user interface replaces this file with its own
// CreateSettingsDialog.
#include "source/settings_dialog_link.h"

HWND CreateSettingsDialog() { return nullptr; }
