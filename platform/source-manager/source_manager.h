// The Source Manager's process-wide record and the operations behind DSM_Entry.
//
// One application at a time opens the manager, and it opens at most one data
// source at a time: the least an application needs to acquire.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/twain.h"
#include "platform/win32.h"

// Names the folder searched for data sources (*.ds); without it, the folder
// of the TWAIN_32.DLL module itself.
constexpr const char* DATA_SOURCE_FOLDER_VARIABLE = "TWAIN_DS_DIR";

// A data source found in the data-source folder.
struct DataSourceEntry {
  std::string path;      // the module file
  TW_IDENTITY identity;  // as the source answers DAT_IDENTITY / MSG_GET, Id 0
};

struct ManagerSession {
  HINSTANCE moduleInstance = nullptr;  // TWAIN_32.DLL itself
  bool open = false;                   // between MSG_OPENDSM and MSG_CLOSEDSM
  TW_IDENTITY appIdentity{};           // the application, with the Id given at MSG_OPENDSM
  TW_UINT16 conditionCode = TWCC_SUCCESS;
  TW_UINT32 nextId = 1;  // Ids are unique for the life of the process

  std::vector<DataSourceEntry> sources;  // the list MSG_GETFIRST made
  bool listing = false;                  // MSG_GETNEXT may continue that list
  size_t nextSource = 0;

  // The open data source; sourceIdentity.Id is 0 while none is open.
  HMODULE sourceModule = nullptr;
  DSENTRYPROC sourceEntry = nullptr;
  std::string sourcePath;
  TW_IDENTITY sourceIdentity{};
  // MSG_XFERREADY and MSG_CLOSEDSREQ of the open source, oldest first.
  std::deque<TW_UINT16> notifications;
};

extern ManagerSession managerSession;

// Records a condition code of the manager for DAT_STATUS and returns TWRC_FAILURE.
TW_UINT16 ManagerFailure(TW_UINT16 conditionCode);

// The data-source folder: TWAIN_DS_DIR when set and not empty, else the
// folder of TWAIN_32.DLL.
std::string DataSourceFolder();

// DS_Entry of a loaded data-source module; null when it has none.
DSENTRYPROC DataSourceEntryPoint(HMODULE module);

// Every loadable *.ds module of the folder that answers its identity, in
// file-name order.
std::vector<DataSourceEntry> ScanDataSources(const std::string& folder);

// DG_CONTROL / DAT_IDENTITY addressed to the manager.
TW_UINT16 HandleManagerIdentity(TW_UINT16 MSG, TW_MEMREF data);
