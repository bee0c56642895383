// The settings dialog as the session sees it: the one call that makes it.
// The dialog itself, its pages and its procedures belong to the user
// interface; the session only creates, shows, hides and destroys the window.
#pragma once

#include "platform/win32.h"

// Creates the modeless settings dialog from template 110 of the module, with
// no owner window, and returns it hidden; null when it cannot be created.
HWND CreateSettingsDialog();
