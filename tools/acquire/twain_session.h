// The application's side of TWAIN: the Source Manager TWAIN_32.DLL found
// with LoadLibraryA and GetProcAddress, the triplets sent through its
// DSM_Entry, and the session state that decides how to wind down.
#pragma once

#include <string>
#include <vector>

#include "platform/twain.h"
#include "platform/win32.h"
#include "tools/acquire/capability_values.h"

class TwainSession {
 public:
  TwainSession();
  ~TwainSession();  // winds down whatever is still open
  TwainSession(const TwainSession&) = delete;
  TwainSession& operator=(const TwainSession&) = delete;

  bool LoadManager();
  bool OpenManager();
  bool ListSources(std::vector<TW_IDENTITY>* sources);
  bool OpenSource(const TW_IDENTITY& choice);
  const TW_IDENTITY& Source() const { return source_; }

  // A capability's container (MSG_GET or MSG_GETCURRENT).
  bool GetCapability(TW_UINT16 capability, TW_UINT16 MSG, CapabilityContainer* container);
  // MSG_SET with a TW_ONEVALUE of the capability's own item type.
  bool SetCapability(TW_UINT16 capability, const std::string& value);

  bool EnableWithoutUi();
  // MSG_ENABLEDS with ShowUI TRUE: the source's dialog; the user transfers.
  bool EnableWithUi();
  // Event processing until MSG_XFERREADY; false on MSG_CLOSEDSREQ or timeout.
  bool WaitForTransferReady(double timeoutSeconds);
  // DAT_PENDINGXFERS / MSG_ENDXFER after a transfer (or a cancelled one).
  bool EndTransfer(TW_INT16* pending);
  // DAT_PENDINGXFERS / MSG_RESET: no more images of this acquisition.
  bool ResetTransfers();

  // Triplets addressed to the open source; DG_IMAGE codes come back as they are.
  TW_UINT16 ToSource(TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF data);
  // A DG_CONTROL triplet to the source that must succeed. Some sources answer
  // TWRC_SUCCESS to every control triplet and report a failure only through
  // DAT_STATUS, so a success is checked there too. Prints the failure.
  bool Control(TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF data, const std::string& what,
               TW_UINT16* result = nullptr);
  // Prints "<what> failed (<return code>): <condition code> (<n>): <meaning>"
  // with the source's condition code.
  void ReportSourceFailure(const std::string& what, TW_UINT16 result);

  // The transfer state: MSG_XFERREADY arrived and not all transfers ended;
  // an image was transferred and MSG_ENDXFER has not followed yet.
  void SetTransferDone() { transferDone_ = true; }

  // Disables, closes and unloads in TWAIN order, printing each step.
  void Shutdown();

 private:
  TW_UINT16 ToManager(TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF data);
  TW_UINT16 Condition(pTW_IDENTITY destination);
  void ReportManagerFailure(const std::string& what, TW_UINT16 result);

  HMODULE manager_ = nullptr;
  DSMENTRYPROC dsmEntry_ = nullptr;
  TW_IDENTITY app_{};
  TW_IDENTITY source_{};
  bool managerOpen_ = false;
  bool sourceOpen_ = false;
  bool enabled_ = false;
  bool transfersPending_ = false;
  bool transferDone_ = false;
};

// "TWCC_SEQERROR (11): the operation is out of the expected sequence"
std::string ConditionText(TW_UINT16 code);
