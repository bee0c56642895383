#include "source/session_lifecycle.h"

#include <cstring>

#include "capabilities/capability_table.h"
#include "grabber/adjustments.h"
#include "grabber/digitizer_setup.h"
#include "grabber/runtime_loading.h"
#include "platform/win32.h"
#include "settings/grabber_settings.h"
#include "settings/registry_settings.h"
#include "source/condition_codes.h"
#include "source/diagnostic_log.h"
#include "source/settings_dialog_link.h"
#include "source/source_manager_link.h"
#include "source/source_session.h"

namespace {

// The control of the settings dialog that signals MSG_XFERREADY.
constexpr int TRANSFER_BUTTON = 1;

}  // namespace

TW_UINT16 OpenSource(const Triplet& triplet) {
  const char* failureText = "General failure in response to MSG_OPENDS.  ";
  // Every open, also a refused one, starts the capabilities afresh.
  InitCapabilities();
  if (sourceSession.state != STATE_LOADED) {
    SetConditionCode(failureText, TWCC_SEQERROR);
    return TWRC_FAILURE;
  }
  if (sourceSession.appIdentity.Id != 0) {
    SetConditionCode(failureText, TWCC_MAXCONNECTIONS);
    return TWRC_FAILURE;
  }
  if (triplet.origin == nullptr || triplet.data == nullptr) {
    SetConditionCode(failureText, TWCC_BADVALUE);
    return TWRC_FAILURE;
  }
  memcpy(&sourceSession.appIdentity, triplet.origin, sizeof(TW_IDENTITY));

  // From here on a failure leaves the application connected and what was set
  // up in place; MSG_CLOSEDS releases it.
  if (MilLoadRuntime() != 0) {
    SetConditionCode(failureText, TWCC_CHECKDEVICEONLINE);
    return TWRC_FAILURE;
  }
  if (ReadRegistrySettings() != 0) {
    SetConditionCode(failureText, TWCC_CHECKDEVICEONLINE);
    return TWRC_FAILURE;
  }
  char format[DIG_FORMAT_SIZE];
  GetDigFormat(format);
  if (format[0] == '\0') strcpy(format, "M_CCIR");
  if (MilInitDigitizer(format) != 0) {
    SetConditionCode(failureText, TWCC_OPERATIONERROR);
    return TWRC_FAILURE;
  }
  MilApplySettings();

  memcpy(&sourceSession.sourceIdentity, triplet.data, sizeof(TW_IDENTITY));
  sourceSession.state = STATE_OPEN;
  return TWRC_SUCCESS;
}

TW_UINT16 CloseSource() {
  if (sourceSession.state != STATE_OPEN) {
    SetConditionCode("General failure in response to MSG_CLOSEDS.  ", TWCC_SEQERROR);
  }
  sourceSession.appIdentity.Id = 0;
  // The dialog goes first: it halts the live grab and deselects the display
  // before the image buffer they use is freed.
  if (sourceSession.dialogWindow != nullptr) {
    DestroyWindow(sourceSession.dialogWindow);
    sourceSession.dialogWindow = nullptr;
  }
  MilFreeRuntime();
  ReleaseCapabilities();
  sourceSession.state = STATE_LOADED;
  return TWRC_SUCCESS;
}

// DG_CONTROL / DAT_USERINTERFACE
TW_UINT16 HandleUserInterface(const Triplet& triplet) {
  auto* userInterface = static_cast<TW_USERINTERFACE*>(triplet.data);
  switch (triplet.MSG) {
    case MSG_DISABLEDS:
      return DisableSource();
    case MSG_ENABLEDS:
      return EnableSource(userInterface);
    case MSG_ENABLEDSUIONLY: {
      // The dialog for settings only: shown, with its Transfer button off.
      if (userInterface == nullptr) return EnableSource(nullptr);  // refused there
      userInterface->ShowUI = TWAIN_TRUE;
      TW_UINT16 result = EnableSource(userInterface);
      // A refused enable leaves a dialog that is already shown as it is.
      if (result == TWRC_SUCCESS && sourceSession.dialogWindow != nullptr) {
        EnableWindow(GetDlgItem(sourceSession.dialogWindow, TRANSFER_BUTTON), FALSE);
      }
      return result;
    }
    default:
      SetConditionCode("General failure in response to DAT_USERINTERFACE.  ", TWCC_BADPROTOCOL);
      return TWRC_FAILURE;
  }
}

TW_UINT16 EnableSource(TW_USERINTERFACE* userInterface) {
  const char* failureText = "General failure in response to MSG_ENABLEDS.  ";
  if (userInterface == nullptr) {
    SetConditionCode(failureText, TWCC_BADVALUE);
    return TWRC_FAILURE;
  }
  if (sourceSession.state != STATE_OPEN) {
    SetConditionCode(failureText, TWCC_SEQERROR);
    return TWRC_FAILURE;
  }
  if (!userInterface->ShowUI) {
    DiagnosticLog log;
    log.Write("Enable DS w/o UI\n");
    // Without a Source Manager to tell, the source stays open (state 400).
    SignalTransferReady();
    return TWRC_SUCCESS;
  }
  // A dialog that an earlier MSG_DISABLEDS hid is replaced by a new one.
  if (sourceSession.dialogWindow != nullptr) {
    DestroyWindow(sourceSession.dialogWindow);
    sourceSession.dialogWindow = nullptr;
  }
  HWND dialog = CreateSettingsDialog();
  if (dialog == nullptr) {
    SetConditionCode(failureText, TWCC_LOWMEMORY);
    return TWRC_FAILURE;
  }
  sourceSession.dialogWindow = dialog;
  ShowWindow(dialog, SW_SHOW);
  sourceSession.state = STATE_ENABLED;
  return TWRC_SUCCESS;
}

TW_UINT16 DisableSource() {
  if (sourceSession.state != STATE_ENABLED) {
    SetConditionCode("General failure in response to MSG_DISABLEDS.  ", TWCC_SEQERROR);
    return TWRC_FAILURE;
  }
  // Hidden, not destroyed: MSG_CLOSEDS or the next enable destroys it.
  if (sourceSession.dialogWindow != nullptr) ShowWindow(sourceSession.dialogWindow, SW_HIDE);
  sourceSession.state = STATE_OPEN;
  return TWRC_SUCCESS;
}
