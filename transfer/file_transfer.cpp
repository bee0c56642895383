// File transfer: the frame written by the imaging library to the file that
// DAT_SETUPFILEXFER named or proposed. The source writes no format of its
// own; the file is whatever the library's save produces.
#include "transfer/file_transfer.h"

#include <cstdio>
#include <cstring>

#include "grabber/imaging_library.h"
#include "grabber/mil_info.h"
#include "source/diagnostic_log.h"
#include "source/source_session.h"
#include "transfer/frame_grab.h"
#include "transfer/transfer_handlers.h"

namespace {

constexpr char FILE_XFER_FAILURE[] = "General failure in response to DAT_IMAGEFILEXFER.  ";

// The library's save reports nothing, so the file is checked around it: it
// must open for writing before the grab (which also empties it, as the save
// would replace it) and hold data afterwards.
bool EmptyFileForWriting(const char* fileName) {
  FILE* file = fopen(fileName, "wb");
  if (file == nullptr) return false;
  return fclose(file) == 0;
}

bool FileHoldsData(const char* fileName) {
  FILE* file = fopen(fileName, "rb");
  if (file == nullptr) return false;
  bool holdsData = fseek(file, 0, SEEK_END) == 0 && ftell(file) > 0;
  fclose(file);
  return holdsData;
}

TW_UINT16 RefuseFile(DiagnosticLog& log, const char* reason, const char* fileName) {
  log.Write("Korvanta TWAIN DS: %s, file name = %s\n", reason, fileName);
  return RefuseTransfer(FILE_XFER_FAILURE, TWCC_OPERATIONERROR);
}

}  // namespace

TW_UINT16 SaveTransferFile(const char* fileName) {
  DiagnosticLog log;
  log.Write("Korvanta TWAIN DS: transfer mode: file transfer, file name = %s\n", fileName);
  if (fileName[0] == '\0') return RefuseFile(log, "no transfer file was set up", fileName);
  if (!EmptyFileForWriting(fileName)) {
    return RefuseFile(log, "cannot open the transfer file for writing", fileName);
  }

  GrabFrame();
  imagingLibrary.MbufSave(fileName, milInfo.MilImage);
  if (!FileHoldsData(fileName)) return RefuseFile(log, "the image was not saved", fileName);
  return TWRC_XFERDONE;
}

// DG_IMAGE / DAT_IMAGEFILEXFER
TW_UINT16 HandleImageFileXfer(const Triplet& triplet) {
  if (sourceSession.state != STATE_XFERREADY) {
    return RefuseTransfer(FILE_XFER_FAILURE, TWCC_SEQERROR);
  }
  if (triplet.MSG != MSG_GET) return RefuseTransfer(FILE_XFER_FAILURE, TWCC_BADPROTOCOL);
  if (!FrameBufferReady() || imagingLibrary.MbufSave == nullptr) {
    return RefuseTransfer(FILE_XFER_FAILURE, TWCC_OPERATIONERROR);
  }

  // The name is used as a string even when it fills its whole field.
  char fileName[TRANSFER_FILE_NAME_SIZE + 1];
  memcpy(fileName, sourceSession.transferFileName, TRANSFER_FILE_NAME_SIZE);
  fileName[TRANSFER_FILE_NAME_SIZE] = '\0';

  TW_UINT16 result = SaveTransferFile(fileName);
  if (result == TWRC_XFERDONE) sourceSession.state = STATE_TRANSFERRING;
  return result;
}
