// Arbitrary triplet sequences with arbitrary data through DS_Entry, from each
// of the states 300 to 700: capability containers of random kinds, item
// types, counts and indexes; memory-transfer buffers of random sizes, as
// pointers or handles; random transfer file names inside a private folder;
// identities of other applications; clicks on the settings dialog. After
// every call the source must not have crashed, no global block may be left
// locked, and the state must be one of 300 to 700 and have moved only as the
// state table allows. At the end of each input MSG_CLOSEDS must release
// everything the source holds.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>
#include <string>
#include <vector>

#include "fuzz_session.h"
#include "platform/host/testing.h"
#include "source/source_session.h"

namespace {

struct Request {
  TW_UINT32 DG;
  TW_UINT16 DAT;
};

const Request REQUESTS[] = {
    {DG_CONTROL, DAT_IDENTITY},
    {DG_CONTROL, DAT_USERINTERFACE},
    {DG_CONTROL, DAT_CAPABILITY},
    {DG_CONTROL, DAT_STATUS},
    {DG_CONTROL, DAT_PENDINGXFERS},
    {DG_CONTROL, DAT_SETUPMEMXFER},
    {DG_CONTROL, DAT_SETUPFILEXFER},
    {DG_CONTROL, DAT_XFERGROUP},
    {DG_CONTROL, DAT_EVENT},
    {DG_CONTROL, DAT_PARENT},
    {DG_IMAGE, DAT_IMAGEINFO},
    {DG_IMAGE, DAT_IMAGELAYOUT},
    {DG_IMAGE, DAT_IMAGEMEMXFER},
    {DG_IMAGE, DAT_IMAGENATIVEXFER},
    {DG_IMAGE, DAT_IMAGEFILEXFER},
    {DG_IMAGE, DAT_PALETTE8},
    {DG_AUDIO, DAT_NULL},
};

const TW_UINT16 MESSAGES[] = {
    MSG_GET,      MSG_GETCURRENT,     MSG_GETDEFAULT,   MSG_GETFIRST, MSG_GETNEXT,    MSG_SET,
    MSG_RESET,    MSG_QUERYSUPPORT,   MSG_OPENDS,       MSG_CLOSEDS,  MSG_USERSELECT, MSG_DISABLEDS,
    MSG_ENABLEDS, MSG_ENABLEDSUIONLY, MSG_PROCESSEVENT, MSG_ENDXFER,  MSG_NULL,
};

const TW_UINT16 CAPABILITIES[] = {
    CAP_XFERCOUNT,     ICAP_COMPRESSION,   ICAP_PIXELTYPE,       ICAP_UNITS,
    ICAP_XFERMECH,     CAP_FEEDERENABLED,  CAP_FEEDERLOADED,     CAP_AUTOFEED,
    CAP_SUPPORTEDCAPS, CAP_UICONTROLLABLE, ICAP_PHYSICALWIDTH,   ICAP_PHYSICALHEIGHT,
    ICAP_XRESOLUTION,  ICAP_YRESOLUTION,   ICAP_BITORDER,        ICAP_PIXELFLAVOR,
    ICAP_PLANARCHUNKY, ICAP_BITDEPTH,      ICAP_IMAGEFILEFORMAT,
};

const TW_UINT16 CONTAINERS[] = {TWON_ONEVALUE, TWON_ENUMERATION, TWON_ARRAY, TWON_RANGE,
                                TWON_DONTCARE16};

// Whether one call may move the state from one value to another.
bool Allowed(SessionState from, SessionState to, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG) {
  if (from == to) return true;
  if (MSG == MSG_PROCESSEVENT) {
    // The dialog's Transfer button signals transfer-ready, its Cancel
    // button asks to be closed.
    return (from == STATE_ENABLED && to == STATE_XFERREADY) || to == STATE_ENABLED;
  }
  if (DG == DG_CONTROL) {
    switch (DAT) {
      case DAT_IDENTITY:
        if (MSG == MSG_OPENDS) return from == STATE_LOADED && to == STATE_OPEN;
        if (MSG == MSG_CLOSEDS) return to == STATE_LOADED;
        return false;
      case DAT_USERINTERFACE:
        if (MSG == MSG_ENABLEDS) {
          return from == STATE_OPEN && (to == STATE_ENABLED || to == STATE_XFERREADY);
        }
        if (MSG == MSG_ENABLEDSUIONLY) return from == STATE_OPEN && to == STATE_ENABLED;
        if (MSG == MSG_DISABLEDS) return from == STATE_ENABLED && to == STATE_OPEN;
        return false;
      case DAT_PENDINGXFERS:
        if (MSG == MSG_ENDXFER) {
          return (from == STATE_XFERREADY || from == STATE_TRANSFERRING) &&
                 (to == STATE_XFERREADY || to == STATE_ENABLED);
        }
        if (MSG == MSG_RESET) {
          return (from == STATE_XFERREADY || from == STATE_TRANSFERRING) && to == STATE_ENABLED;
        }
        return false;
      default:
        return false;
    }
  }
  if (DG == DG_IMAGE && MSG == MSG_GET && to == STATE_TRANSFERRING) {
    if (DAT == DAT_IMAGEMEMXFER) return from == STATE_XFERREADY || from == STATE_ENABLED;
    return (DAT == DAT_IMAGENATIVEXFER || DAT == DAT_IMAGEFILEXFER) && from == STATE_XFERREADY;
  }
  return false;
}

bool KnownState(SessionState state) {
  return state >= STATE_LOADED && state <= STATE_TRANSFERRING && state % 100 == 0;
}

// The application's side of one input: what it allocated and must free.
class Application {
 public:
  explicit Application(FuzzedDataProvider& input) : input_(input) {}
  ~Application() {
    for (HGLOBAL block : blocks_) GlobalFree(block);
  }

  // A global block that the application owns from now on.
  HGLOBAL Own(HGLOBAL block) {
    if (block != nullptr && HostIsGlobalBlock(block)) blocks_.push_back(block);
    return block;
  }
  HGLOBAL Block(size_t size) {
    HGLOBAL block = Own(GlobalAlloc(GHND, size));
    if (block == nullptr) return nullptr;
    Fill(GlobalLock(block), size);
    GlobalUnlock(block);
    return block;
  }

  // A container with a header that names a random kind, item type, count
  // and indexes, and random items; or no block at all, or a handle that is
  // not a global block.
  TW_HANDLE Container() {
    switch (input_.ConsumeIntegralInRange(0, 9)) {
      case 0:
        return nullptr;
      case 1:
        return reinterpret_cast<TW_HANDLE>(scratch_);
      default:
        break;
    }
    const size_t size = input_.ConsumeIntegralInRange<size_t>(0, 96);
    HGLOBAL block = Block(size);
    if (block == nullptr || size < 10) return block;
    auto* bytes = static_cast<uint8_t*>(GlobalLock(block));
    TW_UINT16 itemType = input_.ConsumeBool() ? input_.ConsumeIntegralInRange<TW_UINT16>(0, 13)
                                              : input_.ConsumeIntegral<TW_UINT16>();
    TW_UINT32 count = input_.ConsumeBool() ? input_.ConsumeIntegralInRange<TW_UINT32>(0, 4)
                                           : input_.ConsumeIntegral<TW_UINT32>();
    TW_UINT32 current = input_.ConsumeIntegralInRange<TW_UINT32>(0, 5);
    TW_UINT32 deflt = input_.ConsumeIntegralInRange<TW_UINT32>(0, 5);
    memcpy(bytes, &itemType, 2);
    memcpy(bytes + 2, &count, 4);
    if (size >= 14) memcpy(bytes + 6, &current, 4);
    if (size >= 14) memcpy(bytes + 10, &deflt, 4);
    GlobalUnlock(block);
    return block;
  }

  // The data of a triplet, built for its DAT; room that stays alive until
  // the next triplet.
  TW_MEMREF Data(FuzzSession& session, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG) {
    if (input_.ConsumeIntegralInRange(0, 31) == 0) return nullptr;
    memset(&data_, 0, sizeof data_);
    if ((DG == DG_CONTROL && DAT == DAT_EVENT) || MSG == MSG_PROCESSEVENT) {
      // Event processing, whatever the group and DAT: the dialog, or one of
      // its controls, gets a message whose parameters carry no pointers.
      static const UINT MESSAGES_WITHOUT_POINTERS[] = {WM_COMMAND,     WM_KEYDOWN,   WM_CHAR,
                                                       WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MOUSEMOVE,
                                                       WM_HSCROLL,     WM_PAINT};
      HWND dialog = sourceSession.dialogWindow;
      message_.hwnd = dialog == nullptr || input_.ConsumeBool()
                          ? dialog
                          : HostFindControl(dialog, input_.ConsumeIntegralInRange(1, 1200));
      message_.message = input_.PickValueInArray(MESSAGES_WITHOUT_POINTERS);
      message_.wParam = input_.ConsumeIntegral<uint16_t>();
      message_.lParam = message_.message == WM_COMMAND || message_.message == WM_HSCROLL
                            ? 0
                            : LPARAM(input_.ConsumeIntegral<uint32_t>());
      data_.event.pEvent = &message_;
    } else if (DG == DG_CONTROL && DAT == DAT_CAPABILITY) {
      data_.capability.Cap = input_.ConsumeBool() ? input_.PickValueInArray(CAPABILITIES)
                                                  : input_.ConsumeIntegral<TW_UINT16>();
      data_.capability.ConType = input_.ConsumeIntegralInRange(0, 7) == 0
                                     ? input_.ConsumeIntegral<TW_UINT16>()
                                     : input_.PickValueInArray(CONTAINERS);
      data_.capability.hContainer = Container();
    } else if (DG == DG_CONTROL && DAT == DAT_IDENTITY) {
      data_.identity = session.dataSource();
      if (input_.ConsumeBool()) Fill(&data_.identity, sizeof data_.identity);
    } else if (DG == DG_CONTROL && DAT == DAT_USERINTERFACE) {
      data_.userInterface.ShowUI = input_.ConsumeIntegralInRange<TW_UINT16>(0, 2);
      data_.userInterface.ModalUI = input_.ConsumeBool();
    } else if (DG == DG_CONTROL && DAT == DAT_SETUPFILEXFER) {
      // A name inside the private folder, with random bytes after it, up to
      // the whole field without a terminating zero.
      std::string name = session.folder() + "/";
      std::string tail = input_.ConsumeRandomLengthString(300);
      for (size_t dot = tail.find(".."); dot != std::string::npos; dot = tail.find(".."))
        tail[dot] = '_';
      name += tail;
      memcpy(data_.setupFile.FileName, name.data(),
             std::min(name.size(), sizeof data_.setupFile.FileName));
      data_.setupFile.Format = input_.ConsumeIntegralInRange<TW_UINT16>(0, 4);
    } else if (DG == DG_IMAGE && DAT == DAT_IMAGEMEMXFER) {
      TW_IMAGEMEMXFER& transfer = data_.memoryTransfer;
      const size_t size = input_.ConsumeBool() ? input_.ConsumeIntegralInRange<size_t>(0, 5000)
                                               : input_.ConsumeIntegralInRange<size_t>(0, 1 << 21);
      transfer.Memory.Length = TW_UINT32(size);
      if (input_.ConsumeBool()) {
        transfer.Memory.Flags = TWMF_APPOWNS | TWMF_HANDLE;
        // The block may be shorter than Length says.
        transfer.Memory.TheMem =
            Own(GlobalAlloc(GHND, input_.ConsumeIntegralInRange<size_t>(0, size)));
      } else {
        transfer.Memory.Flags = TWMF_APPOWNS | TWMF_POINTER;
        strip_.assign(size, 0);
        transfer.Memory.TheMem = size == 0 ? nullptr : strip_.data();
      }
    } else {
      // Every other structure, as random bytes.
      Fill(&data_, sizeof data_);
      if (DAT == DAT_IMAGENATIVEXFER) data_.handle = nullptr;
    }
    return &data_;
  }

  // What the source handed back belongs to the application now.
  void TakeResults(TW_UINT32 DG, TW_UINT16 DAT, TW_MEMREF data) {
    if (data != &data_) return;
    if (DG == DG_CONTROL && DAT == DAT_CAPABILITY) Own(data_.capability.hContainer);
    if (DG == DG_IMAGE && DAT == DAT_IMAGENATIVEXFER) Own(data_.handle);
  }

 private:
  // Up to size bytes of the input at target.
  void Fill(void* target, size_t size) {
    std::vector<uint8_t> bytes = input_.ConsumeBytes<uint8_t>(size);
    if (!bytes.empty()) memcpy(target, bytes.data(), bytes.size());
  }

  FuzzedDataProvider& input_;
  std::vector<HGLOBAL> blocks_;
  std::vector<uint8_t> strip_;
  MSG message_{};
  uint8_t scratch_[64] = {};
  union {
    TW_CAPABILITY capability;
    TW_IDENTITY identity;
    TW_USERINTERFACE userInterface;
    TW_SETUPFILEXFER setupFile;
    TW_EVENT event;
    TW_IMAGEMEMXFER memoryTransfer;
    TW_HANDLE handle;
    uint8_t bytes[512];
  } data_;
};

// Brings a freshly attached source to a starting state.
void Prepare(FuzzSession& session, SessionState start) {
  if (start == STATE_LOADED) return;
  session.Open();
  TW_USERINTERFACE userInterface{
      start == STATE_ENABLED ? TW_BOOL(TWAIN_TRUE) : TW_BOOL(TWAIN_FALSE), TWAIN_FALSE, nullptr};
  if (start >= STATE_ENABLED) {
    session.Call(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &userInterface);
  }
  if (start == STATE_TRANSFERRING) {
    TW_HANDLE image = nullptr;
    session.Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &image);
    GlobalFree(image);
  }
  FuzzCheck(sourceSession.state == start, "the source reaches the starting state");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  FuzzSession& session = FuzzSession::Get();
  FuzzedDataProvider input(bytes, size);
  session.Begin();
  Prepare(session, STATE_LOADED + 100 * input.ConsumeIntegralInRange(0, 4));
  {
    Application application(input);
    TW_IDENTITY stranger = session.application();
    stranger.Id = 99;
    // A click may set the digitizer up again, slow under the sanitizers.
    constexpr int MAX_CLICKS = 4;
    int clicks = 0;
    for (int step = 0; step < 64 && input.remaining_bytes() > 0; ++step) {
      const SessionState before = sourceSession.state;
      FuzzCheck(KnownState(before), "the state is one of 300 to 700");
      if (input.ConsumeIntegralInRange(0, 15) == 0 && clicks < MAX_CLICKS) {
        // A user's click on a control of the dialog, Transfer and Cancel
        // included.
        ++clicks;
        HWND dialog = sourceSession.dialogWindow;
        if (dialog != nullptr) {
          HostClickControl(
              HostFindWindowByClass(dialog, "Button", input.ConsumeIntegralInRange(0, 40)));
        }
        FuzzCheck(Allowed(before, sourceSession.state, DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT),
                  "a click moves the state only by Transfer or Cancel");
        continue;
      }
      Request request = input.PickValueInArray(REQUESTS);
      if (input.ConsumeIntegralInRange(0, 31) == 0) {
        request.DG = input.ConsumeIntegral<TW_UINT32>();
        request.DAT = input.ConsumeIntegral<TW_UINT16>();
      }
      TW_UINT16 MSG = input.ConsumeIntegralInRange(0, 31) == 0 ? input.ConsumeIntegral<TW_UINT16>()
                                                               : input.PickValueInArray(MESSAGES);
      const bool fromStranger = input.ConsumeIntegralInRange(0, 15) == 0;
      const TW_UINT32 connected = sourceSession.appIdentity.Id;
      TW_MEMREF data = application.Data(session, request.DG, request.DAT, MSG);
      // Now and then a global allocation of the source fails.
      if (input.ConsumeIntegralInRange(0, 15) == 0) {
        HostFailGlobalAlloc(input.ConsumeIntegralInRange<size_t>(1, 4));
      }
      session.CallFrom(fromStranger ? &stranger : &session.application(), request.DG, request.DAT,
                       MSG, data);
      HostFailGlobalAlloc(0);
      application.TakeResults(request.DG, request.DAT, data);

      const SessionState after = sourceSession.state;
      FuzzCheck(KnownState(after), "the state is one of 300 to 700");
      FuzzCheck(HostLockedGlobalBlocks() == 0, "no global block is left locked");
      if (fromStranger && connected != 0 && connected != stranger.Id) {
        FuzzCheck(after == before, "another application's triplet changes nothing");
      }
      FuzzCheck(Allowed(before, after, request.DG, request.DAT, MSG),
                "the state moves only as the state table allows");
    }
  }
  session.End();
  return 0;
}
