// DG_CONTROL / DAT_IDENTITY addressed to the manager: listing the data
// sources, opening and closing one.
#include <cstring>

#include "platform/source-manager/source_manager.h"

namespace {

// The condition code the source holds, read (and so cleared) through
// DAT_STATUS; TWCC_SUCCESS when the source does not answer.
TW_UINT16 SourceConditionCode() {
  TW_STATUS status{};
  if (managerSession.sourceEntry(&managerSession.appIdentity, DG_CONTROL, DAT_STATUS, MSG_GET,
                                 &status) != TWRC_SUCCESS)
    return TWCC_SUCCESS;
  return status.ConditionCode;
}

void UnloadSource() {
  if (managerSession.sourceModule != nullptr) FreeLibrary(managerSession.sourceModule);
  managerSession.sourceModule = nullptr;
  managerSession.sourceEntry = nullptr;
  managerSession.sourcePath.clear();
  managerSession.sourceIdentity = TW_IDENTITY{};
  managerSession.notifications.clear();
}

const DataSourceEntry* FindSource(const std::vector<DataSourceEntry>& sources,
                                  const TW_IDENTITY& wanted) {
  if (sources.empty()) return nullptr;
  // An empty product name asks for the default source: the first one.
  if (wanted.ProductName[0] == '\0') return &sources.front();
  for (const DataSourceEntry& source : sources)
    if (std::strncmp(source.identity.ProductName, wanted.ProductName, sizeof wanted.ProductName) ==
        0)
      return &source;
  return nullptr;
}

// MSG_OPENDS: loads the module again, gives the source its Id and passes
// it the identity with that Id. A source that reports a failed open through
// its condition code while answering TWRC_SUCCESS is closed again, so the
// application learns of the failure from the return code.
TW_UINT16 OpenDataSource(TW_IDENTITY* identity) {
  if (identity == nullptr) return ManagerFailure(TWCC_BADVALUE);
  if (managerSession.sourceIdentity.Id != 0) return ManagerFailure(TWCC_MAXCONNECTIONS);
  std::vector<DataSourceEntry> sources = ScanDataSources(DataSourceFolder());
  const DataSourceEntry* source = FindSource(sources, *identity);
  if (source == nullptr) return ManagerFailure(TWCC_NODS);

  HMODULE module = LoadLibraryA(source->path.c_str());
  DSENTRYPROC entry = module ? DataSourceEntryPoint(module) : nullptr;
  if (entry == nullptr) {
    if (module != nullptr) FreeLibrary(module);
    return ManagerFailure(TWCC_NODS);
  }
  managerSession.sourceModule = module;
  managerSession.sourceEntry = entry;
  managerSession.sourcePath = source->path;
  managerSession.sourceIdentity = source->identity;
  managerSession.sourceIdentity.Id = managerSession.nextId++;
  managerSession.notifications.clear();

  TW_IDENTITY handed = managerSession.sourceIdentity;
  TW_UINT16 result =
      entry(&managerSession.appIdentity, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &handed);
  TW_UINT16 code = SourceConditionCode();
  if (result != TWRC_SUCCESS || code != TWCC_SUCCESS) {
    if (result == TWRC_SUCCESS) {
      TW_IDENTITY closing = managerSession.sourceIdentity;
      entry(&managerSession.appIdentity, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &closing);
    }
    UnloadSource();
    return ManagerFailure(code != TWCC_SUCCESS ? code : TWCC_BUMMER);
  }
  *identity = managerSession.sourceIdentity;
  return TWRC_SUCCESS;
}

// MSG_CLOSEDS: forwarded to the source, then the module is unloaded and any
// notification it left unread is dropped.
TW_UINT16 CloseDataSource(TW_IDENTITY* identity) {
  if (identity == nullptr) return ManagerFailure(TWCC_BADVALUE);
  if (managerSession.sourceIdentity.Id == 0 || identity->Id != managerSession.sourceIdentity.Id)
    return ManagerFailure(TWCC_BADDEST);
  TW_IDENTITY closing = managerSession.sourceIdentity;
  TW_UINT16 result = managerSession.sourceEntry(&managerSession.appIdentity, DG_CONTROL,
                                                DAT_IDENTITY, MSG_CLOSEDS, &closing);
  UnloadSource();
  return result;
}

}  // namespace

TW_UINT16 HandleManagerIdentity(TW_UINT16 MSG, TW_MEMREF data) {
  auto* identity = static_cast<TW_IDENTITY*>(data);
  switch (MSG) {
    case MSG_GETFIRST:
      if (identity == nullptr) return ManagerFailure(TWCC_BADVALUE);
      managerSession.sources = ScanDataSources(DataSourceFolder());
      managerSession.listing = true;
      managerSession.nextSource = 0;
      [[fallthrough]];
    case MSG_GETNEXT:
      if (identity == nullptr) return ManagerFailure(TWCC_BADVALUE);
      if (!managerSession.listing) return ManagerFailure(TWCC_SEQERROR);
      if (managerSession.nextSource >= managerSession.sources.size()) return TWRC_ENDOFLIST;
      *identity = managerSession.sources[managerSession.nextSource++].identity;
      return TWRC_SUCCESS;
    case MSG_GETDEFAULT: {
      if (identity == nullptr) return ManagerFailure(TWCC_BADVALUE);
      std::vector<DataSourceEntry> sources = ScanDataSources(DataSourceFolder());
      if (sources.empty()) return ManagerFailure(TWCC_NODS);
      *identity = sources.front().identity;
      return TWRC_SUCCESS;
    }
    case MSG_OPENDS:
      return OpenDataSource(identity);
    case MSG_CLOSEDS:
      return CloseDataSource(identity);
    default:
      return ManagerFailure(TWCC_BADPROTOCOL);
  }
}
