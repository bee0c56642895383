// DG_CONTROL / DAT_CAPABILITY through DS_Entry: every capability with every
// message, the container handed out, the condition code, the log record and
// the handler's own result.
#include <string>

#include "capabilities/capability_handlers.h"
#include "capability_fixture.h"
#include "source/condition_codes.h"
#include "source/entry_point.h"

namespace {

// Stands in for whatever an application left in the fields the source must
// not write.
TW_HANDLE const UNWRITTEN = reinterpret_cast<TW_HANDLE>(0x5A5A);
constexpr TW_UINT16 UNWRITTEN_CONTYPE = 0xBEEF;

// The packed fields by value: gtest's comparisons take references, which a
// field at a two-byte boundary cannot give.
TW_HANDLE Handle(const TW_CAPABILITY& capability) { return capability.hContainer; }
TW_UINT16 ConType(const TW_CAPABILITY& capability) { return capability.ConType; }

// The capability failure text and code message, as the log shows a refusal.
std::string Refusal(TW_UINT16 code) {
  return std::string("General failure in DG_CONTROL / DAT_CAPABILITY / ... triple\n") +
         ConditionCodeMessage(code);
}

std::string Header(TW_UINT16 capabilityId) {
  switch (capabilityId) {
    case CAP_XFERCOUNT: return "\n CAP_XFERCOUNT (0x0001) ";
    case ICAP_COMPRESSION: return "\n ICAP_COMPRESSION (0x0100) ";
    case ICAP_PIXELTYPE: return "\n ICAP_PIXELTYPE (0x0101) ";
    case ICAP_UNITS: return "\n ICAP_UNITS (0x0102) ";
    case ICAP_XFERMECH: return "\n ICAP_XFERMECH (0x0103) ";
    case CAP_FEEDERENABLED: return "\n CAP_FEEDERENABLED (0x1002) ";
    case CAP_FEEDERLOADED: return "\n CAP_FEEDERLOADED (0x1003) ";
    case CAP_AUTOFEED: return "\n CAP_AUTOFEED (0x1007) ";
    case CAP_SUPPORTEDCAPS: return "\n CAP_SUPPORTEDCAPS (0x1005) ";
    case CAP_UICONTROLLABLE: return "\n CAP_UICONTROLLABLE (0x100e) ";
    case ICAP_PHYSICALWIDTH: return "\n ICAP_PHYSICALWIDTH (0x1111) ";
    case ICAP_PHYSICALHEIGHT: return "\n ICAP_PHYSICALHEIGHT (0x1112) ";
    case ICAP_XRESOLUTION: return "\n ICAP_XRESOLUTION (0x1118) ";
    case ICAP_YRESOLUTION: return "\n ICAP_YRESOLUTION (0x1119) ";
    case ICAP_BITORDER: return "\n ICAP_BITORDER (0x111c)";
    case ICAP_PIXELFLAVOR: return "\n ICAP_PIXELFLAVOR (0x111f) ";
    case ICAP_PLANARCHUNKY: return "\n ICAP_PLANARCHUNKY (0x1120) ";
    case ICAP_BITDEPTH: return "\n ICAP_BITDEPTH (0x112b) ";
    default: return "";
  }
}

std::string MessageName(TW_UINT16 message) {
  switch (message) {
    case MSG_GET: return "MSG_GET";
    case MSG_GETCURRENT: return "MSG_GETCURRENT";
    case MSG_GETDEFAULT: return "MSG_GETDEFAULT";
    case MSG_SET: return "MSG_SET";
    case MSG_RESET: return "MSG_RESET";
    default: return "";
  }
}

std::string DispatchLine(TW_UINT16 message) {
  char line[64];
  snprintf(line, sizeof line, "Dispatching DG_CONTROL / DAT_1 / MSG_%x \n", unsigned(message));
  return line;
}

class CapabilityOperationsTest : public CapabilityTest {
 protected:
  void SetUp() override {
    CapabilityTest::SetUp();
    sourceSession.dumpMode = DUMP_TO_DEBUGGER;  // the log goes to the captured output
    milInfo.ImageWidth = 768;
    milInfo.ImageHeight = 576;
  }

  // The triplet as an application sends it; the source answers every
  // DAT_CAPABILITY triplet with TWRC_SUCCESS.
  void Send(TW_UINT16 message, TW_CAPABILITY* capability) {
    HostClearDebugOutput();
    EXPECT_EQ(DS_Entry(&application_, DG_CONTROL, DAT_CAPABILITY, message, capability),
              TWRC_SUCCESS);
  }

  // The same through the control dispatch table, giving the handler's result.
  TW_UINT16 Dispatch(TW_UINT16 message, TW_CAPABILITY* capability) {
    HostClearDebugOutput();
    Triplet triplet{&application_, DG_CONTROL, DAT_CAPABILITY, message, capability};
    return DispatchTriplet(triplet, ControlDispatchTable);
  }

  // The log record of a capability handler: header, message name, the
  // refusal if any, line end.
  static std::string Record(TW_UINT16 capabilityId, TW_UINT16 message, const std::string& tail) {
    return DispatchLine(message) + Header(capabilityId) + MessageName(message) + tail + "\n";
  }

  // A condition code as the test expects it, and the log tail it writes.
  static std::string TailFor(TW_UINT16 code) {
    return code == UNTOUCHED ? std::string() : Refusal(code);
  }

  TW_IDENTITY application_ = ApplicationIdentity(1);
};

// The application's container for a MSG_SET case.
struct AppContainer {
  TW_UINT16 conType;
  TW_UINT16 itemType;
  std::vector<TW_UINT32> items;  // one item for a TW_ONEVALUE: its whole Item
  TW_UINT32 currentIndex;
  TW_UINT32 defaultIndex;
};

TW_HANDLE Build(const AppContainer& app) {
  switch (app.conType) {
    case TWON_ONEVALUE:
      return AppOneValue(app.itemType, app.items.at(0));
    case TWON_ENUMERATION:
      return AppEnumeration(app.itemType, app.items, app.currentIndex, app.defaultIndex);
    default:
      return AppArray(app.itemType, app.items);
  }
}

// ---------------------------------------------------------------- queries

struct QueryCase {
  TW_UINT16 capabilityId;
  TW_UINT16 message;
  ContainerContent expected;  // kind 0: no container, hContainer not written
};

TEST_F(CapabilityOperationsTest, EveryQueryOfEveryCapability) {
  std::vector<QueryCase> cases;
  for (TW_UINT16 id : TableIds()) {
    ContainerContent initial = InitialContent(id);
    for (TW_UINT16 message : {MSG_GET, MSG_GETCURRENT, MSG_GETDEFAULT}) {
      ContainerContent expected = initial;
      // Enumerations answer MSG_GETCURRENT and MSG_GETDEFAULT with a
      // TW_ONEVALUE of the indexed item (both index 0 initially).
      if (initial.containerKind == TWON_ENUMERATION && message != MSG_GET) {
        expected = OneValue(initial.itemType, initial.items[0]);
      }
      cases.push_back({id, message, expected});
    }
  }
  // The computed and the absent ones: FIX32 768 and 576 with Frac 0, and
  // nothing at all for the bit order.
  for (QueryCase& c : cases) {
    if (c.capabilityId == ICAP_PHYSICALWIDTH) c.expected = OneValue(TWTY_FIX32, 768);
    if (c.capabilityId == ICAP_PHYSICALHEIGHT) c.expected = OneValue(TWTY_FIX32, 576);
  }
  ASSERT_EQ(cases.size(), 54u);

  for (const QueryCase& c : cases) {
    SCOPED_TRACE(Header(c.capabilityId) + MessageName(c.message));
    bool answered = c.expected.containerKind != 0;
    ASSERT_TRUE(answered || c.capabilityId == ICAP_BITORDER);
    ContainerContent storedBefore = StoredContent(c.capabilityId);
    TW_UINT16 storedKind = 0;
    TW_HANDLE stored = FindCapability(c.capabilityId, &storedKind);

    TW_CAPABILITY capability{c.capabilityId, UNWRITTEN_CONTYPE, UNWRITTEN};
    MarkConditionCode();
    Send(c.message, &capability);
    EXPECT_EQ(RecordedCode(), UNTOUCHED);
    EXPECT_EQ(std::string(HostDebugOutput()), Record(c.capabilityId, c.message, ""));
    EXPECT_EQ(ConType(capability), UNWRITTEN_CONTYPE);
    if (answered) {
      ASSERT_NE(Handle(capability), UNWRITTEN);
      ASSERT_NE(Handle(capability), nullptr);
      // A new block for the application, never the stored one.
      EXPECT_NE(Handle(capability), stored);
      EXPECT_EQ(ReadContent(Handle(capability), c.expected.containerKind), c.expected);
      GlobalFree(capability.hContainer);
    } else {
      EXPECT_EQ(Handle(capability), UNWRITTEN);
    }
    EXPECT_EQ(StoredContent(c.capabilityId), storedBefore);

    capability = {c.capabilityId, UNWRITTEN_CONTYPE, UNWRITTEN};
    EXPECT_EQ(Dispatch(c.message, &capability), answered ? TWRC_SUCCESS : TWRC_FAILURE);
    if (answered) GlobalFree(capability.hContainer);
  }
}

TEST_F(CapabilityOperationsTest, EnumerationQueriesFollowTheIndexes) {
  TW_HANDLE select = AppOneValue(TWTY_UINT16, TWSX_MEMORY);
  TW_CAPABILITY set{ICAP_XFERMECH, TWON_ONEVALUE, select};
  Send(MSG_SET, &set);
  GlobalFree(select);

  TW_CAPABILITY query{ICAP_XFERMECH, TWON_ONEVALUE, nullptr};
  Send(MSG_GET, &query);
  EXPECT_EQ(ReadContent(Handle(query), TWON_ENUMERATION),
            Enumeration(TWTY_UINT16, {TWSX_NATIVE, TWSX_FILE, TWSX_MEMORY}, 2, 0));
  GlobalFree(query.hContainer);
  Send(MSG_GETCURRENT, &query);
  EXPECT_EQ(ReadContent(Handle(query), TWON_ONEVALUE), OneValue(TWTY_UINT16, TWSX_MEMORY));
  GlobalFree(query.hContainer);
  Send(MSG_GETDEFAULT, &query);
  EXPECT_EQ(ReadContent(Handle(query), TWON_ONEVALUE), OneValue(TWTY_UINT16, TWSX_NATIVE));
  GlobalFree(query.hContainer);
}

TEST_F(CapabilityOperationsTest, AFailedQueryAllocationAnswersNoContainer) {
  for (TW_UINT16 id : {ICAP_XFERMECH, CAP_XFERCOUNT, ICAP_PHYSICALWIDTH, CAP_SUPPORTEDCAPS}) {
    for (TW_UINT16 message : {MSG_GET, MSG_GETCURRENT, MSG_GETDEFAULT}) {
      SCOPED_TRACE(Header(id) + MessageName(message));
      ContainerContent before = StoredContent(id);
      size_t live = HostLiveGlobalBlocks();
      TW_CAPABILITY capability{id, TWON_ONEVALUE, UNWRITTEN};
      MarkConditionCode();
      HostFailGlobalAlloc(1);
      EXPECT_EQ(Dispatch(message, &capability), TWRC_FAILURE);
      EXPECT_EQ(Handle(capability), nullptr);
      EXPECT_EQ(RecordedCode(), UNTOUCHED);
      EXPECT_EQ(HostLiveGlobalBlocks(), live);
      EXPECT_EQ(StoredContent(id), before);
    }
  }
}

// ----------------------------------------------------------------- MSG_SET

struct SetCase {
  const char* what;
  TW_UINT16 capabilityId;
  AppContainer app;
  TW_UINT16 result;
  TW_UINT16 code;            // UNTOUCHED: none recorded
  bool stores;               // whether the stored container changes
  ContainerContent stored;   // the stored container afterwards, when it changes
  const char* logTail;       // null: the capability failure text with the code
};

constexpr TW_UINT16 NONE = CapabilityTest::UNTOUCHED;
const ContainerContent SAME = {0, 0, {}, 0, 0};

const SetCase SET_CASES[] = {
    {"count -1", CAP_XFERCOUNT, {TWON_ONEVALUE, TWTY_INT16, {0xFFFF}, 0, 0},
     TWRC_SUCCESS, NONE, true, OneValue(TWTY_INT16, 0xFFFF), nullptr},
    {"count 0", CAP_XFERCOUNT, {TWON_ONEVALUE, TWTY_INT16, {0}, 0, 0},
     TWRC_SUCCESS, NONE, true, OneValue(TWTY_INT16, 0), nullptr},
    {"count as UINT32", CAP_XFERCOUNT, {TWON_ONEVALUE, TWTY_UINT32, {5}, 0, 0},
     TWRC_SUCCESS, TWCC_BADPROTOCOL, true, OneValue(TWTY_UINT32, 5),
     "tying to cast illegal value from app, Bad protocol error."},
    {"count as INT32", CAP_XFERCOUNT, {TWON_ONEVALUE, TWTY_INT32, {5}, 0, 0},
     TWRC_FAILURE, NONE, false, SAME, nullptr},
    {"count as enumeration", CAP_XFERCOUNT, {TWON_ENUMERATION, TWTY_INT16, {1}, 0, 0},
     TWRC_FAILURE, TWCC_BADPROTOCOL, false, SAME, nullptr},

    {"compression none", ICAP_COMPRESSION, {TWON_ONEVALUE, TWTY_UINT16, {TWCP_NONE}, 0, 0},
     TWRC_FAILURE, NONE, false, SAME, nullptr},
    {"compression other", ICAP_COMPRESSION, {TWON_ONEVALUE, TWTY_UINT16, {1}, 0, 0},
     TWRC_FAILURE, TWCC_CAPUNSUPPORTED, false, SAME, nullptr},
    {"compression enumeration", ICAP_COMPRESSION, {TWON_ENUMERATION, TWTY_UINT16, {0}, 0, 0},
     TWRC_FAILURE, TWCC_CAPUNSUPPORTED, false, SAME, nullptr},
    {"compression array", ICAP_COMPRESSION, {TWON_ARRAY, TWTY_UINT16, {0}, 0, 0},
     TWRC_FAILURE, TWCC_BADPROTOCOL, false, SAME, nullptr},

    {"pixel type RGB", ICAP_PIXELTYPE, {TWON_ONEVALUE, TWTY_UINT16, {TWPT_RGB}, 0, 0},
     TWRC_SUCCESS, NONE, true, Enumeration(TWTY_UINT16, {TWPT_GRAY, TWPT_RGB}, 1, 0), nullptr},
    {"pixel type BW, not allowed", ICAP_PIXELTYPE, {TWON_ONEVALUE, TWTY_UINT16, {TWPT_BW}, 0, 0},
     TWRC_SUCCESS, NONE, false, SAME, nullptr},
    {"pixel type one-item enumeration", ICAP_PIXELTYPE,
     {TWON_ENUMERATION, TWTY_UINT16, {TWPT_RGB}, 0, 0},
     TWRC_SUCCESS, NONE, true, Enumeration(TWTY_UINT16, {TWPT_RGB}), nullptr},
    {"pixel type empty enumeration", ICAP_PIXELTYPE, {TWON_ENUMERATION, TWTY_UINT16, {}, 0, 0},
     TWRC_FAILURE, TWCC_BADVALUE, false, SAME, nullptr},
    {"pixel type array", ICAP_PIXELTYPE, {TWON_ARRAY, TWTY_UINT16, {TWPT_RGB}, 0, 0},
     TWRC_FAILURE, TWCC_BADPROTOCOL, false, SAME, nullptr},

    {"units pixels", ICAP_UNITS, {TWON_ONEVALUE, TWTY_UINT16, {TWUN_PIXELS}, 0, 0},
     TWRC_FAILURE, NONE, false, SAME, nullptr},
    {"units inches", ICAP_UNITS, {TWON_ONEVALUE, TWTY_UINT16, {TWUN_INCHES}, 0, 0},
     TWRC_FAILURE, TWCC_CAPUNSUPPORTED, false, SAME, nullptr},
    {"units enumeration", ICAP_UNITS, {TWON_ENUMERATION, TWTY_UINT16, {TWUN_PIXELS}, 0, 0},
     TWRC_FAILURE, TWCC_CAPUNSUPPORTED, false, SAME, nullptr},

    {"mechanism file", ICAP_XFERMECH, {TWON_ONEVALUE, TWTY_UINT16, {TWSX_FILE}, 0, 0},
     TWRC_SUCCESS, NONE, true,
     Enumeration(TWTY_UINT16, {TWSX_NATIVE, TWSX_FILE, TWSX_MEMORY}, 1, 0), nullptr},
    {"mechanism enumeration", ICAP_XFERMECH,
     {TWON_ENUMERATION, TWTY_UINT16, {TWSX_MEMORY, TWSX_NATIVE}, 1, 0},
     TWRC_SUCCESS, NONE, true, Enumeration(TWTY_UINT16, {TWSX_MEMORY, TWSX_NATIVE}, 1, 0),
     nullptr},

    {"feeder enabled", CAP_FEEDERENABLED, {TWON_ONEVALUE, TWTY_BOOL, {TWAIN_TRUE}, 0, 0},
     TWRC_SUCCESS, NONE, true, OneValue(TWTY_BOOL, TWAIN_TRUE), nullptr},
    {"feeder enabled, any type", CAP_FEEDERENABLED, {TWON_ONEVALUE, TWTY_UINT32, {7}, 0, 0},
     TWRC_SUCCESS, NONE, true, OneValue(TWTY_UINT32, 7), nullptr},
    {"feeder enabled enumeration", CAP_FEEDERENABLED,
     {TWON_ENUMERATION, TWTY_BOOL, {TWAIN_TRUE}, 0, 0},
     TWRC_FAILURE, TWCC_BADPROTOCOL, false, SAME, nullptr},
    {"feeder loaded", CAP_FEEDERLOADED, {TWON_ONEVALUE, TWTY_BOOL, {TWAIN_FALSE}, 0, 0},
     TWRC_SUCCESS, NONE, true, OneValue(TWTY_BOOL, TWAIN_FALSE), nullptr},
    {"auto feed", CAP_AUTOFEED, {TWON_ONEVALUE, TWTY_BOOL, {TWAIN_TRUE}, 0, 0},
     TWRC_SUCCESS, NONE, true, OneValue(TWTY_BOOL, TWAIN_TRUE), nullptr},

    {"supported caps", CAP_SUPPORTEDCAPS, {TWON_ARRAY, TWTY_UINT16, {1}, 0, 0},
     TWRC_FAILURE, TWCC_BADPROTOCOL, false, SAME, nullptr},
    {"ui controllable", CAP_UICONTROLLABLE, {TWON_ONEVALUE, TWTY_BOOL, {TWAIN_FALSE}, 0, 0},
     TWRC_FAILURE, TWCC_BADPROTOCOL, false, SAME, nullptr},
    {"physical width", ICAP_PHYSICALWIDTH, {TWON_ONEVALUE, TWTY_FIX32, {100}, 0, 0},
     TWRC_FAILURE, TWCC_BADPROTOCOL, false, SAME, nullptr},
    {"physical height", ICAP_PHYSICALHEIGHT, {TWON_ONEVALUE, TWTY_FIX32, {100}, 0, 0},
     TWRC_FAILURE, TWCC_BADPROTOCOL, false, SAME, nullptr},
    {"x resolution", ICAP_XRESOLUTION, {TWON_ONEVALUE, TWTY_FIX32, {300}, 0, 0},
     TWRC_FAILURE, TWCC_CAPUNSUPPORTED, false, SAME, nullptr},
    {"y resolution", ICAP_YRESOLUTION, {TWON_ONEVALUE, TWTY_FIX32, {600}, 0, 0},
     TWRC_FAILURE, TWCC_CAPUNSUPPORTED, false, SAME, nullptr},
    {"bit order", ICAP_BITORDER, {TWON_ONEVALUE, TWTY_UINT16, {TWBO_MSBFIRST}, 0, 0},
     TWRC_FAILURE, NONE, false, SAME, nullptr},
    {"pixel flavor chocolate", ICAP_PIXELFLAVOR,
     {TWON_ONEVALUE, TWTY_UINT16, {TWPF_CHOCOLATE}, 0, 0},
     TWRC_FAILURE, NONE, false, SAME, nullptr},
    {"pixel flavor vanilla", ICAP_PIXELFLAVOR, {TWON_ONEVALUE, TWTY_UINT16, {TWPF_VANILLA}, 0, 0},
     TWRC_FAILURE, TWCC_CAPUNSUPPORTED, false, SAME, nullptr},
    {"pixel flavor enumeration", ICAP_PIXELFLAVOR,
     {TWON_ENUMERATION, TWTY_UINT16, {TWPF_CHOCOLATE}, 0, 0},
     TWRC_FAILURE, TWCC_BADPROTOCOL, false, SAME, nullptr},
    {"planar chunky", ICAP_PLANARCHUNKY, {TWON_ONEVALUE, TWTY_UINT16, {TWPC_CHUNKY}, 0, 0},
     TWRC_FAILURE, TWCC_BADPROTOCOL, false, SAME, nullptr},
    {"bit depth", ICAP_BITDEPTH, {TWON_ONEVALUE, TWTY_UINT16, {24}, 0, 0},
     TWRC_FAILURE, TWCC_BADPROTOCOL, false, SAME, nullptr},
};

TEST_F(CapabilityOperationsTest, EverySetOfEveryCapability) {
  for (const SetCase& c : SET_CASES) {
    SCOPED_TRACE(c.what);
    for (bool throughEntry : {true, false}) {
      InitCapabilities();
      ContainerContent before = StoredContent(c.capabilityId);
      TW_HANDLE app = Build(c.app);
      ContainerContent appBefore = ReadContent(app, c.app.conType, false);
      TW_CAPABILITY capability{c.capabilityId, c.app.conType, app};
      MarkConditionCode();
      if (throughEntry) {
        Send(MSG_SET, &capability);
        std::string tail = c.logTail != nullptr ? c.logTail : TailFor(c.code);
        EXPECT_EQ(std::string(HostDebugOutput()), Record(c.capabilityId, MSG_SET, tail));
      } else {
        EXPECT_EQ(Dispatch(MSG_SET, &capability), c.result);
      }
      EXPECT_EQ(RecordedCode(), c.code);
      EXPECT_EQ(StoredContent(c.capabilityId), c.stores ? c.stored : before);
      // The application keeps its container, unchanged; the store holds a copy.
      EXPECT_EQ(Handle(capability), app);
      EXPECT_EQ(ConType(capability), c.app.conType);
      EXPECT_EQ(ReadContent(app, c.app.conType, false), appBefore);
      TW_UINT16 kind;
      EXPECT_NE(FindCapability(c.capabilityId, &kind), app);
      GlobalFree(app);
    }
  }
}

// -------------------------------------------------------------- MSG_RESET

struct ResetCase {
  TW_UINT16 capabilityId;
  TW_UINT16 result;
  TW_UINT16 code;
};

const ResetCase RESET_CASES[] = {
    {CAP_XFERCOUNT, TWRC_SUCCESS, NONE},
    {ICAP_COMPRESSION, TWRC_FAILURE, TWCC_BADPROTOCOL},
    {ICAP_PIXELTYPE, TWRC_SUCCESS, NONE},
    {ICAP_UNITS, TWRC_SUCCESS, NONE},
    {ICAP_XFERMECH, TWRC_SUCCESS, NONE},
    {CAP_FEEDERENABLED, TWRC_SUCCESS, NONE},
    {CAP_FEEDERLOADED, TWRC_SUCCESS, NONE},
    {CAP_AUTOFEED, TWRC_SUCCESS, NONE},
    {CAP_SUPPORTEDCAPS, TWRC_FAILURE, TWCC_BADPROTOCOL},
    {CAP_UICONTROLLABLE, TWRC_FAILURE, TWCC_BADPROTOCOL},
    {ICAP_PHYSICALWIDTH, TWRC_FAILURE, TWCC_BADPROTOCOL},
    {ICAP_PHYSICALHEIGHT, TWRC_FAILURE, TWCC_BADPROTOCOL},
    {ICAP_XRESOLUTION, TWRC_FAILURE, TWCC_CAPUNSUPPORTED},
    {ICAP_YRESOLUTION, TWRC_FAILURE, TWCC_CAPUNSUPPORTED},
    {ICAP_BITORDER, TWRC_FAILURE, NONE},
    {ICAP_PIXELFLAVOR, TWRC_SUCCESS, NONE},
    {ICAP_PLANARCHUNKY, TWRC_FAILURE, TWCC_BADPROTOCOL},
    {ICAP_BITDEPTH, TWRC_FAILURE, TWCC_BADPROTOCOL},
};

// A reset rebuilds the whole initial container, whatever replaced it; the
// others leave the stored one alone.
TEST_F(CapabilityOperationsTest, EveryResetOfEveryCapability) {
  const TW_UINT32 junk = 0x12345678;
  const ContainerContent replaced = OneValue(TWTY_UINT32, junk);
  for (const ResetCase& c : RESET_CASES) {
    SCOPED_TRACE(Header(c.capabilityId));
    for (bool throughEntry : {true, false}) {
      InitCapabilities();
      bool hasRecord = InitialContent(c.capabilityId).containerKind != 0;
      if (hasRecord) {
        StoreCapability(c.capabilityId, TWON_ONEVALUE, BuildOneValue(TWTY_UINT32, &junk));
      }
      TW_CAPABILITY capability{c.capabilityId, UNWRITTEN_CONTYPE, UNWRITTEN};
      MarkConditionCode();
      if (throughEntry) {
        Send(MSG_RESET, &capability);
        EXPECT_EQ(std::string(HostDebugOutput()),
                  Record(c.capabilityId, MSG_RESET, TailFor(c.code)));
      } else {
        EXPECT_EQ(Dispatch(MSG_RESET, &capability), c.result);
      }
      EXPECT_EQ(RecordedCode(), c.code);
      EXPECT_EQ(Handle(capability), UNWRITTEN);
      EXPECT_EQ(ConType(capability), UNWRITTEN_CONTYPE);
      if (hasRecord) {
        EXPECT_EQ(StoredContent(c.capabilityId),
                  c.result == TWRC_SUCCESS ? InitialContent(c.capabilityId) : replaced);
      }
    }
  }
}

TEST_F(CapabilityOperationsTest, OneValueCapabilitiesReportTheSetValueAsDefaultUntilReset) {
  TW_HANDLE app = AppOneValue(TWTY_BOOL, TWAIN_TRUE);
  TW_CAPABILITY set{CAP_FEEDERENABLED, TWON_ONEVALUE, app};
  Send(MSG_SET, &set);
  GlobalFree(app);
  TW_CAPABILITY query{CAP_FEEDERENABLED, TWON_ONEVALUE, nullptr};
  Send(MSG_GETDEFAULT, &query);
  EXPECT_EQ(ReadContent(Handle(query), TWON_ONEVALUE), OneValue(TWTY_BOOL, TWAIN_TRUE));
  GlobalFree(query.hContainer);

  TW_CAPABILITY reset{CAP_FEEDERENABLED, TWON_ONEVALUE, nullptr};
  Send(MSG_RESET, &reset);
  for (TW_UINT16 message : {MSG_GET, MSG_GETCURRENT, MSG_GETDEFAULT}) {
    Send(message, &query);
    EXPECT_EQ(ReadContent(Handle(query), TWON_ONEVALUE), OneValue(TWTY_BOOL, TWAIN_FALSE));
    GlobalFree(query.hContainer);
  }
}

TEST_F(CapabilityOperationsTest, ResetBringsBackAReplacedEnumeration) {
  TW_HANDLE app = AppEnumeration(TWTY_UINT16, {TWPT_RGB});
  TW_CAPABILITY set{ICAP_PIXELTYPE, TWON_ENUMERATION, app};
  Send(MSG_SET, &set);
  GlobalFree(app);
  TW_CAPABILITY query{ICAP_PIXELTYPE, TWON_ENUMERATION, nullptr};
  Send(MSG_GET, &query);
  EXPECT_EQ(ReadContent(Handle(query), TWON_ENUMERATION),
            Enumeration(TWTY_UINT16, {TWPT_RGB}));
  GlobalFree(query.hContainer);
  Send(MSG_RESET, &query);
  Send(MSG_GET, &query);
  EXPECT_EQ(ReadContent(Handle(query), TWON_ENUMERATION),
            Enumeration(TWTY_UINT16, {TWPT_GRAY, TWPT_RGB}, 0, 0));
  GlobalFree(query.hContainer);
}

// The digitizer set-up makes the board's pixel type current through the
// handler; the default stays grey, and the call is logged like any other.
TEST_F(CapabilityOperationsTest, PixelTypeHandlerTakesTheBoardsPixelType) {
  const TW_UINT16 rgb = TWPT_RGB;
  TW_CAPABILITY capability{ICAP_PIXELTYPE, TWON_ONEVALUE, BuildOneValue(TWTY_UINT16, &rgb)};
  HostClearDebugOutput();
  Triplet triplet{nullptr, DG_CONTROL, DAT_CAPABILITY, MSG_SET, &capability};
  EXPECT_EQ(HandlePixelType(triplet), TWRC_SUCCESS);
  EXPECT_EQ(std::string(HostDebugOutput()), "\n ICAP_PIXELTYPE (0x0101) MSG_SET\n");
  EXPECT_EQ(StoredContent(ICAP_PIXELTYPE), Enumeration(TWTY_UINT16, {TWPT_GRAY, TWPT_RGB}, 1, 0));
  GlobalFree(capability.hContainer);
}

// ------------------------------------------------- other messages and caps

TEST_F(CapabilityOperationsTest, OtherMessagesAreAProtocolErrorForEveryCapability) {
  for (TW_UINT16 id : TableIds()) {
    for (TW_UINT16 message : {MSG_GETFIRST, MSG_GETNEXT, MSG_QUERYSUPPORT, TW_UINT16(0x0999)}) {
      SCOPED_TRACE(Header(id) + std::to_string(message));
      ContainerContent before = StoredContent(id);
      TW_CAPABILITY capability{id, UNWRITTEN_CONTYPE, UNWRITTEN};
      MarkConditionCode();
      Send(message, &capability);
      EXPECT_EQ(RecordedCode(), TWCC_BADPROTOCOL);
      EXPECT_EQ(std::string(HostDebugOutput()),
                DispatchLine(message) + Header(id) + Refusal(TWCC_BADPROTOCOL) + "\n");
      EXPECT_EQ(Handle(capability), UNWRITTEN);
      EXPECT_EQ(StoredContent(id), before);
      EXPECT_EQ(Dispatch(message, &capability), TWRC_FAILURE);
    }
  }
}

TEST_F(CapabilityOperationsTest, CapabilitiesOutsideTheTableAreUnsupported) {
  // The file format is stored, for the file transfer, but not negotiated.
  for (TW_UINT16 id : {ICAP_IMAGEFILEFORMAT, TW_UINT16(0x9999), TW_UINT16(0)}) {
    for (TW_UINT16 message : {MSG_GET, MSG_SET, MSG_RESET}) {
      ContainerContent before = StoredContent(id);
      TW_CAPABILITY capability{id, TWON_ONEVALUE, UNWRITTEN};
      MarkConditionCode();
      Send(message, &capability);
      EXPECT_EQ(RecordedCode(), TWCC_CAPUNSUPPORTED);
      EXPECT_EQ(std::string(HostDebugOutput()),
                DispatchLine(message) + Refusal(TWCC_CAPUNSUPPORTED));
      EXPECT_EQ(Handle(capability), UNWRITTEN);
      EXPECT_EQ(StoredContent(id), before);
      EXPECT_EQ(Dispatch(message, &capability), TWRC_FAILURE);
    }
  }
}

// ------------------------------------------------------------ unsafe input

TEST_F(CapabilityOperationsTest, ANullCapabilityIsABadValue) {
  for (TW_UINT16 message : {MSG_GET, MSG_SET, MSG_RESET}) {
    MarkConditionCode();
    Send(message, nullptr);
    EXPECT_EQ(RecordedCode(), TWCC_BADVALUE);
    EXPECT_EQ(Dispatch(message, nullptr), TWRC_FAILURE);
  }
  // A handler called directly with no TW_CAPABILITY logs its record and
  // refuses in the same way.
  MarkConditionCode();
  HostClearDebugOutput();
  Triplet triplet{nullptr, DG_CONTROL, DAT_CAPABILITY, MSG_SET, nullptr};
  EXPECT_EQ(HandlePixelType(triplet), TWRC_FAILURE);
  EXPECT_EQ(RecordedCode(), TWCC_BADVALUE);
  EXPECT_EQ(std::string(HostDebugOutput()),
            "\n ICAP_PIXELTYPE (0x0101) MSG_SET" + Refusal(TWCC_BADVALUE) + "\n");
  EXPECT_EQ(StoredContent(ICAP_PIXELTYPE), InitialContent(ICAP_PIXELTYPE));
}

// Every MSG_SET rule that reads the application's container refuses one that
// cannot be locked or is too short, and stores nothing.
TEST_F(CapabilityOperationsTest, SetWithAContainerThatCannotBeReadIsABadValue) {
  TW_UINT8 notGlobal[16] = {};
  HGLOBAL tooShort = GlobalAlloc(GHND, 3);
  struct Case {
    TW_UINT16 capabilityId;
    TW_UINT16 conType;
  };
  const Case cases[] = {
      {CAP_XFERCOUNT, TWON_ONEVALUE},     {ICAP_PIXELTYPE, TWON_ONEVALUE},
      {ICAP_PIXELTYPE, TWON_ENUMERATION}, {ICAP_XFERMECH, TWON_ONEVALUE},
      {CAP_FEEDERENABLED, TWON_ONEVALUE}, {CAP_FEEDERLOADED, TWON_ONEVALUE},
      {CAP_AUTOFEED, TWON_ONEVALUE},      {ICAP_COMPRESSION, TWON_ONEVALUE},
      {ICAP_UNITS, TWON_ONEVALUE},        {ICAP_PIXELFLAVOR, TWON_ONEVALUE},
  };
  for (const Case& c : cases) {
    for (TW_HANDLE container : {TW_HANDLE(nullptr), TW_HANDLE(notGlobal), TW_HANDLE(tooShort)}) {
      SCOPED_TRACE(Header(c.capabilityId));
      ContainerContent before = StoredContent(c.capabilityId);
      TW_CAPABILITY capability{c.capabilityId, c.conType, container};
      MarkConditionCode();
      Send(MSG_SET, &capability);
      EXPECT_EQ(RecordedCode(), TWCC_BADVALUE);
      EXPECT_EQ(StoredContent(c.capabilityId), before);
      EXPECT_EQ(Dispatch(MSG_SET, &capability), TWRC_FAILURE);
    }
  }
  GlobalFree(tooShort);
}

TEST_F(CapabilityOperationsTest, SetWithItemsBeyondTheBlockIsABadValue) {
  // Announces a billion items in a block of 18 bytes.
  TW_HANDLE app = AppEnumeration(TWTY_UINT32, {1}, 0, 0, 1000000000);
  TW_CAPABILITY capability{ICAP_XFERMECH, TWON_ENUMERATION, app};
  size_t allocations = HostGlobalAllocCount();
  MarkConditionCode();
  Send(MSG_SET, &capability);
  EXPECT_EQ(RecordedCode(), TWCC_BADVALUE);
  EXPECT_EQ(HostGlobalAllocCount(), allocations);
  EXPECT_EQ(StoredContent(ICAP_XFERMECH), InitialContent(ICAP_XFERMECH));
  GlobalFree(app);
}

// ------------------------------------------------------ no store (closed)

// Before the source is opened and after it is closed there is no store:
// queries that read it answer a null container with a sequence error, and
// nothing creates records outside a store.
TEST_F(CapabilityOperationsTest, WithoutAStoreNothingIsReadOrCreated) {
  ReleaseCapabilities();
  for (TW_UINT16 id : TableIds()) {
    for (TW_UINT16 message : {MSG_GET, MSG_GETCURRENT, MSG_GETDEFAULT}) {
      SCOPED_TRACE(Header(id) + MessageName(message));
      TW_CAPABILITY capability{id, TWON_ONEVALUE, UNWRITTEN};
      MarkConditionCode();
      TW_UINT16 result = Dispatch(message, &capability);
      if (id == ICAP_PHYSICALWIDTH || id == ICAP_PHYSICALHEIGHT) {
        // Computed from the image, not stored: still answered.
        EXPECT_EQ(result, TWRC_SUCCESS);
        EXPECT_EQ(RecordedCode(), UNTOUCHED);
        GlobalFree(capability.hContainer);
      } else if (id == ICAP_BITORDER) {
        EXPECT_EQ(result, TWRC_FAILURE);
        EXPECT_EQ(RecordedCode(), UNTOUCHED);
        EXPECT_EQ(Handle(capability), UNWRITTEN);
      } else {
        EXPECT_EQ(result, TWRC_FAILURE);
        EXPECT_EQ(RecordedCode(), TWCC_SEQERROR);
        EXPECT_EQ(Handle(capability), nullptr);
      }
    }
  }

  TW_HANDLE count = AppOneValue(TWTY_INT16, 3);
  TW_CAPABILITY setCount{CAP_XFERCOUNT, TWON_ONEVALUE, count};
  MarkConditionCode();
  EXPECT_EQ(Dispatch(MSG_SET, &setCount), TWRC_FAILURE);
  EXPECT_EQ(RecordedCode(), TWCC_SEQERROR);
  GlobalFree(count);

  TW_HANDLE feeder = AppOneValue(TWTY_BOOL, TWAIN_TRUE);
  TW_CAPABILITY setFeeder{CAP_FEEDERENABLED, TWON_ONEVALUE, feeder};
  MarkConditionCode();
  EXPECT_EQ(Dispatch(MSG_SET, &setFeeder), TWRC_FAILURE);
  EXPECT_EQ(RecordedCode(), TWCC_BUMMER);
  GlobalFree(feeder);

  for (const ResetCase& c : RESET_CASES) {
    if (c.result != TWRC_SUCCESS) continue;
    TW_CAPABILITY reset{c.capabilityId, TWON_ONEVALUE, UNWRITTEN};
    MarkConditionCode();
    EXPECT_EQ(Dispatch(MSG_RESET, &reset), TWRC_FAILURE);
    EXPECT_EQ(RecordedCode(), TWCC_SEQERROR);
  }
  EXPECT_FALSE(CapabilityStoreExists());
  EXPECT_EQ(HostLiveGlobalBlocks(), liveBlocksAtStart_);
}

}  // namespace
