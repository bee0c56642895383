#include "source/transfer_negotiation.h"

#include <cstring>

#include "capabilities/capability_store.h"
#include "capabilities/containers.h"
#include "grabber/mil_info.h"
#include "platform/win32.h"
#include "source/condition_codes.h"
#include "source/source_session.h"

namespace {

constexpr TW_UINT32 MIN_MEMORY_BUFFER_SIZE = 4096;

// The current value of a stored capability as a 16-bit word (the low word of
// a wider item). Fails with the condition code to record: no capability
// values exist while the source is not open, and a missing value of an open
// source is one that could not be allocated.
bool ReadCurrentWord(TW_UINT16 capabilityId, TW_UINT16* word, ConditionCode* failure) {
  ItemBlock item;
  TW_UINT16 itemType = GetCurrentValue(capabilityId, &item);
  if (item == nullptr || ItemSize(itemType) < sizeof *word) {
    *failure = CapabilityStoreExists() ? TWCC_LOWMEMORY : TWCC_SEQERROR;
    return false;
  }
  memcpy(word, item.get(), sizeof *word);
  return true;
}

// MSG_GET, MSG_GETDEFAULT and MSG_RESET: a new, empty temporary file becomes
// the transfer file. On failure nothing of the application's structure or of
// the transfer file name changes.
TW_UINT16 ProposeTransferFile(TW_SETUPFILEXFER* setup) {
  TW_UINT16 format;
  ConditionCode failure;
  if (!ReadCurrentWord(ICAP_IMAGEFILEFORMAT, &format, &failure)) {
    SetConditionCode("General failure in response to DAT_SETUPFILEXFER.  ", failure);
    return TWRC_FAILURE;
  }
  const char* noFileText = "Unable to create a temporary file <<DAT_SETUPFILEXFER>>";
  char folder[MAX_PATH];
  DWORD length = GetTempPathA(sizeof folder, folder);
  if (length == 0 || length >= sizeof folder) {
    SetConditionCode(noFileText, TWCC_OPERATIONERROR);
    return TWRC_FAILURE;
  }
  // GetTempFileNameA with a unique number of 0 creates the file, empty.
  char fileName[MAX_PATH];
  if (GetTempFileNameA(folder, "TWN", 0, fileName) == 0) {
    SetConditionCode(noFileText, TWCC_OPERATIONERROR);
    return TWRC_FAILURE;
  }
  // A name that does not fit FileName would name another file.
  if (strlen(fileName) >= sizeof setup->FileName) {
    DeleteFileA(fileName);
    SetConditionCode(noFileText, TWCC_OPERATIONERROR);
    return TWRC_FAILURE;
  }
  setup->Format = format;
  strcpy(setup->FileName, fileName);
  strcpy(sourceSession.transferFileName, fileName);
  setup->VRefNum = 0;
  return TWRC_SUCCESS;
}

// MSG_SET: the application's file becomes the transfer file; it is created,
// empty, when it does not exist. An existing file keeps its contents until
// the transfer writes it.
TW_UINT16 UseTransferFile(const TW_SETUPFILEXFER* setup) {
  // A FileName without its terminating NUL is cut at 255 characters.
  size_t length = strnlen(setup->FileName, sizeof sourceSession.transferFileName - 1);
  memcpy(sourceSession.transferFileName, setup->FileName, length);
  sourceSession.transferFileName[length] = '\0';

  OFSTRUCT openBuffer;
  if (OpenFile(sourceSession.transferFileName, &openBuffer, OF_EXIST) != HFILE_ERROR) {
    return TWRC_SUCCESS;
  }
  HFILE file = OpenFile(sourceSession.transferFileName, &openBuffer, OF_CREATE);
  if (file == HFILE_ERROR) {
    // The name stays the transfer file; the transfer reports it again.
    SetConditionCode("Unable to create file <<DAT_SETUPFILEXFER>>", TWCC_BADVALUE);
    return TWRC_FAILURE;
  }
  _lclose(file);
  return TWRC_SUCCESS;
}

}  // namespace

// DG_CONTROL / DAT_PENDINGXFERS
TW_UINT16 HandlePendingXfers(const Triplet& triplet) {
  const char* failureText = "General failure in response to DAT_PENDINGXFER.  ";
  auto* pending = static_cast<TW_PENDINGXFERS*>(triplet.data);
  if (triplet.MSG != MSG_GET && triplet.MSG != MSG_ENDXFER && triplet.MSG != MSG_RESET) {
    SetConditionCode(failureText, TWCC_BADPROTOCOL);
    return TWRC_FAILURE;
  }
  if (pending == nullptr) {
    SetConditionCode(failureText, TWCC_BADVALUE);
    return TWRC_FAILURE;
  }
  ConditionCode failure;
  switch (triplet.MSG) {
    case MSG_GET: {
      TW_UINT16 count;
      if (!ReadCurrentWord(CAP_XFERCOUNT, &count, &failure)) {
        SetConditionCode(failureText, failure);
        return TWRC_FAILURE;
      }
      pending->Count = count;
      return TWRC_SUCCESS;
    }
    case MSG_ENDXFER: {
      if (sourceSession.state != STATE_XFERREADY && sourceSession.state != STATE_TRANSFERRING) {
        SetConditionCode(failureText, TWCC_SEQERROR);
        return TWRC_FAILURE;
      }
      TW_UINT16 word;
      if (!ReadCurrentWord(CAP_XFERCOUNT, &word, &failure)) {
        SetConditionCode(failureText, failure);
        return TWRC_FAILURE;
      }
      // -1 is an unlimited count and 0 none left: neither is counted down.
      TW_INT16 count = TW_INT16(word);
      if (count != 0 && count != -1) {
        --count;
        // Without memory for the container the stored count stays as it was.
        StoreCapability(CAP_XFERCOUNT, TWON_ONEVALUE, BuildOneValue(TWTY_INT16, &count));
      }
      pending->Count = TW_UINT16(count);
      sourceSession.state = count == -1 || count > 0 ? STATE_XFERREADY : STATE_ENABLED;
      return TWRC_SUCCESS;
    }
    default:  // MSG_RESET
      if (sourceSession.state != STATE_XFERREADY) SetConditionCode(failureText, TWCC_SEQERROR);
      pending->Count = 0;
      // Back from a transfer to the enabled state; a source that is not
      // enabled (closed, or open only) is not made so by a reset.
      if (sourceSession.state > STATE_ENABLED) sourceSession.state = STATE_ENABLED;
      return TWRC_SUCCESS;
  }
}

// DG_CONTROL / DAT_SETUPMEMXFER
TW_UINT16 HandleSetupMemXfer(const Triplet& triplet) {
  if (triplet.MSG != MSG_GET) {
    SetConditionCode("General failure in response to DAT_SETUPMEMXFER, not supported.  ",
                     TWCC_BADPROTOCOL);
    return TWRC_FAILURE;
  }
  auto* setup = static_cast<TW_SETUPMEMXFER*>(triplet.data);
  if (setup == nullptr) {
    SetConditionCode("General failure in response to DAT_SETUPMEMXFER.  ", TWCC_BADVALUE);
    return TWRC_FAILURE;
  }
  // A whole frame at one byte per sample.
  TW_UINT32 frameSize = milInfo.BandCount * milInfo.ImageWidth * milInfo.ImageHeight;
  setup->MinBufSize = MIN_MEMORY_BUFFER_SIZE;
  setup->MaxBufSize = frameSize;
  setup->Preferred = frameSize;
  return TWRC_SUCCESS;
}

// DG_CONTROL / DAT_SETUPFILEXFER
TW_UINT16 HandleSetupFileXfer(const Triplet& triplet) {
  auto* setup = static_cast<TW_SETUPFILEXFER*>(triplet.data);
  switch (triplet.MSG) {
    case MSG_GET:
    case MSG_GETDEFAULT:
    case MSG_RESET:
    case MSG_SET:
      if (setup == nullptr) {
        SetConditionCode("General failure in response to DAT_SETUPFILEXFER.  ", TWCC_BADVALUE);
        return TWRC_FAILURE;
      }
      return triplet.MSG == MSG_SET ? UseTransferFile(setup) : ProposeTransferFile(setup);
    default:
      SetConditionCode("General failure in response to DAT_SETUPFILEXFER, not supported.  ",
                       TWCC_BADPROTOCOL);
      return TWRC_FAILURE;
  }
}

// DG_CONTROL / DAT_XFERGROUP
TW_UINT16 HandleXferGroup(const Triplet& triplet) {
  if (triplet.MSG != MSG_GET) {
    SetConditionCode("General failure in response to DAT_XFERGROUP, not supported.  ",
                     TWCC_BADPROTOCOL);
    return TWRC_FAILURE;
  }
  auto* group = static_cast<TW_UINT32*>(triplet.data);
  if (group == nullptr) {
    SetConditionCode("General failure in response to DAT_XFERGROUP.  ", TWCC_BADVALUE);
    return TWRC_FAILURE;
  }
  // Images are the only data the source transfers.
  *group = DG_IMAGE;
  return TWRC_SUCCESS;
}

// DG_CONTROL / DAT_EVENT
TW_UINT16 HandleEvent(const Triplet&) {
  // MSG_PROCESSEVENT is answered by the entry point; nothing else is.
  SetConditionCode("General failure in response to DAT_EVENT, only MSG_PROCESSEVENT.  ",
                   TWCC_BADPROTOCOL);
  return TWRC_FAILURE;
}
