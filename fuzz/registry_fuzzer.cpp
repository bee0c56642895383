// Registry contents under the settings key: values with random names (mostly
// the seventeen the source knows, in any case), types and sizes, on top of
// the defaults or of nothing, and now and then the source key's Dump value
// (read at a new attach), then MSG_OPENDS and MSG_CLOSEDS. The open may
// fail, with a condition code, but never crash; the state is 300 or 400
// afterwards, and closing releases everything. After an open that succeeded,
// a second open on what it left succeeds too.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

#include "fuzz_session.h"
#include "platform/host/testing.h"
#include "source/source_session.h"

namespace {

const char SETTINGS_KEY[] = "SOFTWARE\\Korvanta\\Twain\\Meteor2";
const char SOURCE_KEY[] = "SOFTWARE\\Korvanta\\Twain";

const char* const NAMES[] = {
    "DigFormat", "WhiteRef0",  "WhiteRef1", "WhiteRef2", "BlackRef0",  "BlackRef1",
    "BlackRef2", "Brightness", "Contrast",  "Hue",       "Saturation", "Channel",
    "DispZoom",  "ExtWindow",  "Preview",   "LutValues", "LutType",    "digformat",
};

// REG_MULTI_SZ (7) is a type the source never reads or writes.
constexpr DWORD MULTI_STRING = 7;
const DWORD TYPES[] = {REG_NONE, REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD, MULTI_STRING};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  FuzzSession& session = FuzzSession::Get();
  FuzzedDataProvider input(bytes, size);
  session.Begin();
  // Mostly on top of the defaults a first open writes, so that the reading
  // of the values themselves is reached.
  if (input.ConsumeIntegralInRange(0, 3) != 0) {
    session.Open();
    session.Close();
  }
  HKEY key = nullptr;
  FuzzCheck(RegCreateKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY, 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr) == ERROR_SUCCESS,
            "the settings key can be made");
  const int values = input.ConsumeIntegralInRange(0, 20);
  for (int i = 0; i < values && input.remaining_bytes() > 0; ++i) {
    std::string name = input.ConsumeIntegralInRange(0, 7) == 0 ? input.ConsumeRandomLengthString(40)
                                                               : input.PickValueInArray(NAMES);
    DWORD type = input.ConsumeIntegralInRange(0, 7) == 0 ? input.ConsumeIntegral<DWORD>()
                                                         : input.PickValueInArray(TYPES);
    std::vector<uint8_t> data = input.ConsumeBytes<uint8_t>(input.ConsumeIntegralInRange(0, 600));
    RegSetValueExA(key, name.c_str(), 0, type, data.data(), DWORD(data.size()));
  }
  RegCloseKey(key);
  if (input.ConsumeBool()) {
    HKEY sourceKey = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, SOURCE_KEY, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &sourceKey, nullptr) == ERROR_SUCCESS) {
      std::vector<uint8_t> dump = input.ConsumeBytes<uint8_t>(input.ConsumeIntegralInRange(0, 8));
      RegSetValueExA(sourceKey, "Dump", 0, input.PickValueInArray(TYPES), dump.data(),
                     DWORD(dump.size()));
      RegCloseKey(sourceKey);
    }
    session.Attach();
  }

  session.Open();
  FuzzCheck(sourceSession.state == STATE_LOADED || sourceSession.state == STATE_OPEN,
            "MSG_OPENDS leaves state 300 or 400");
  FuzzCheck(HostLockedGlobalBlocks() == 0, "no global block is left locked");
  const bool opened = sourceSession.state == STATE_OPEN;
  session.Close();
  if (opened) {
    // What the first open kept or repaired opens again.
    session.Open();
    FuzzCheck(sourceSession.state == STATE_OPEN, "the settings an open left open again");
  }
  session.End();
  return 0;
}
