// The pending count, the memory-transfer sizes, the transfer file and the
// transfer group, as an application negotiates them through DS_Entry.
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "session_fixture.h"

namespace {

class TransferNegotiationTest : public SessionTest {
 protected:
  TW_UINT16 SetupFile(TW_UINT16 MSG, TW_SETUPFILEXFER* setup) {
    Call(DAT_SETUPFILEXFER, MSG, setup);
    return Status();
  }
};

TEST_F(TransferNegotiationTest, PendingCountSequences) {
  struct Case {
    TW_INT16 xferCount;
    std::vector<TW_INT16> counts;  // answered by each MSG_ENDXFER
    TW_INT16 storedAfter;
  };
  const Case cases[] = {
      {3, {2, 1, 0}, 0},
      {-1, {-1, -1, -1, -1}, -1},
      {0, {0}, 0},
      {1, {0}, 0},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(testing::Message() << "CAP_XFERCOUNT " << test.xferCount);
    ASSERT_EQ(Open(), TWCC_SUCCESS);
    SetXferCount(test.xferCount);
    ASSERT_EQ(Enable(TWAIN_FALSE), TWCC_SUCCESS);
    TW_UINT16 count;
    EXPECT_EQ(Pending(MSG_GET, &count), TWCC_SUCCESS);
    EXPECT_EQ(TW_INT16(count), test.xferCount);
    for (TW_INT16 expected : test.counts) {
      // Every MSG_ENDXFER is accepted: the state was 600 before it.
      EXPECT_EQ(Pending(MSG_ENDXFER, &count), TWCC_SUCCESS);
      EXPECT_EQ(TW_INT16(count), expected);
    }
    EXPECT_EQ(XferCount(), test.storedAfter);
    if (test.counts.back() == -1) {
      EXPECT_EQ(Pending(MSG_RESET, &count), TWCC_SUCCESS);  // still 600
    } else {
      // 500: no more transfers to end; the dialog state can be left.
      EXPECT_EQ(Pending(MSG_ENDXFER, &count), TWCC_SEQERROR);
      EXPECT_EQ(count, 0xBEEF);
      EXPECT_EQ(Disable(), TWCC_SUCCESS);
    }
    EXPECT_EQ(Close(), test.counts.back() == -1 ? TWCC_SEQERROR : TWCC_SUCCESS);
  }
}

TEST_F(TransferNegotiationTest, ResetEndsTheTransfersAndKeepsTheCount) {
  ASSERT_EQ(Open(), TWCC_SUCCESS);
  SetXferCount(3);
  ASSERT_EQ(Enable(TWAIN_FALSE), TWCC_SUCCESS);
  TW_UINT16 count;
  EXPECT_EQ(Pending(MSG_RESET, &count), TWCC_SUCCESS);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(XferCount(), 3);
  EXPECT_EQ(Disable(), TWCC_SUCCESS);  // 500
}

TEST_F(TransferNegotiationTest, EndingAndResettingAfterAnImage) {
  ASSERT_EQ(Open(), TWCC_SUCCESS);
  SetXferCount(3);
  ASSERT_EQ(Enable(TWAIN_FALSE), TWCC_SUCCESS);
  auto transferImage = [this] {
    TW_HANDLE image = nullptr;
    ASSERT_EQ(source_(&application_, DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &image),
              TWRC_XFERDONE);
    GlobalFree(image);
  };
  TW_UINT16 count;
  // 700 to 600 while images are pending.
  transferImage();
  EXPECT_EQ(Pending(MSG_ENDXFER, &count), TWCC_SUCCESS);
  EXPECT_EQ(count, 2);
  // A reset in 700 is out of sequence and ends the transfers all the same.
  transferImage();
  EXPECT_EQ(Pending(MSG_RESET, &count), TWCC_SEQERROR);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(XferCount(), 2);
  EXPECT_EQ(Disable(), TWCC_SUCCESS);  // it was 500
}

TEST_F(TransferNegotiationTest, ResetOutsideATransferIsASequenceError) {
  TW_UINT16 count;
  // Not open: the reset answers 0 and the source can still be opened.
  EXPECT_EQ(Pending(MSG_RESET, &count), TWCC_SEQERROR);
  EXPECT_EQ(count, 0);
  ASSERT_EQ(Open(), TWCC_SUCCESS);
  // Open, not enabled: the reset does not enable the source.
  EXPECT_EQ(Pending(MSG_RESET, &count), TWCC_SEQERROR);
  EXPECT_EQ(Disable(), TWCC_SEQERROR);
  EXPECT_EQ(Enable(TWAIN_FALSE), TWCC_SUCCESS);
  // 500 after a transfer ended: a reset there records the error and stays.
  ASSERT_EQ(Pending(MSG_ENDXFER, &count), TWCC_SUCCESS);
  EXPECT_EQ(Pending(MSG_RESET, &count), TWCC_SEQERROR);
  EXPECT_EQ(Disable(), TWCC_SUCCESS);
}

TEST_F(TransferNegotiationTest, PendingCountNeedsAnOpenSource) {
  TW_UINT16 count;
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round == 0 ? "before the first open" : "after closing");
    EXPECT_EQ(Pending(MSG_GET, &count), TWCC_SEQERROR);
    EXPECT_EQ(count, 0xBEEF);
    EXPECT_EQ(Pending(MSG_ENDXFER, &count), TWCC_SEQERROR);
    EXPECT_EQ(count, 0xBEEF);
    ASSERT_EQ(Open(), TWCC_SUCCESS);
    EXPECT_EQ(Pending(MSG_GET, &count), TWCC_SUCCESS);
    EXPECT_EQ(count, 0);
    ASSERT_EQ(Close(), TWCC_SUCCESS);
  }
}

TEST_F(TransferNegotiationTest, NullDataIsRefusedAndChangesNothing) {
  ASSERT_EQ(Open(), TWCC_SUCCESS);
  SetXferCount(2);
  ASSERT_EQ(Enable(TWAIN_FALSE), TWCC_SUCCESS);
  const struct {
    TW_UINT16 DAT;
    TW_UINT16 MSG;
  } triplets[] = {
      {DAT_PENDINGXFERS, MSG_GET},     {DAT_PENDINGXFERS, MSG_ENDXFER},
      {DAT_PENDINGXFERS, MSG_RESET},   {DAT_SETUPMEMXFER, MSG_GET},
      {DAT_SETUPFILEXFER, MSG_GET},    {DAT_SETUPFILEXFER, MSG_GETDEFAULT},
      {DAT_SETUPFILEXFER, MSG_RESET},  {DAT_SETUPFILEXFER, MSG_SET},
      {DAT_XFERGROUP, MSG_GET},
  };
  for (const auto& triplet : triplets) {
    Call(triplet.DAT, triplet.MSG, nullptr);
    EXPECT_EQ(Status(), TWCC_BADVALUE) << "DAT " << triplet.DAT << " MSG " << triplet.MSG;
  }
  // Still 600 with the count untouched, and no file proposed.
  EXPECT_EQ(XferCount(), 2);
  TW_UINT16 count;
  EXPECT_EQ(Pending(MSG_ENDXFER, &count), TWCC_SUCCESS);
  EXPECT_EQ(count, 1);
  EXPECT_TRUE(std::filesystem::is_empty(TempFolder()));
}

TEST_F(TransferNegotiationTest, UnsupportedMessagesAreProtocolErrors) {
  ASSERT_EQ(Open(), TWCC_SUCCESS);
  TW_PENDINGXFERS pending{};
  TW_SETUPMEMXFER memory{};
  TW_SETUPFILEXFER file{};
  TW_UINT32 group = 0;
  TW_EVENT event{};
  const struct {
    TW_UINT16 DAT;
    TW_UINT16 MSG;
    TW_MEMREF data;
  } triplets[] = {
      {DAT_PENDINGXFERS, MSG_SET, &pending},      {DAT_SETUPMEMXFER, MSG_SET, &memory},
      {DAT_SETUPMEMXFER, MSG_GETCURRENT, &memory}, {DAT_SETUPFILEXFER, MSG_GETCURRENT, &file},
      {DAT_XFERGROUP, MSG_SET, &group},           {DAT_EVENT, MSG_GET, &event},
  };
  for (const auto& triplet : triplets) {
    Call(triplet.DAT, triplet.MSG, triplet.data);
    EXPECT_EQ(Status(), TWCC_BADPROTOCOL) << "DAT " << triplet.DAT << " MSG " << triplet.MSG;
  }
  EXPECT_TRUE(std::filesystem::is_empty(TempFolder()));
}

TEST_F(TransferNegotiationTest, MemoryTransferSizesFollowTheFrame) {
  struct Case {
    const char* format;
    TW_UINT32 frameSize;
  };
  const Case cases[] = {
      {"M_CCIR", 768 * 576},     {"", 768 * 576},  // an empty format opens M_CCIR
      {"M_RS170", 640 * 480},    {"M_PAL_RGB", 3 * 768 * 576},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.format);
    StoreDigFormat(test.format);
    ASSERT_EQ(Open(), TWCC_SUCCESS);
    TW_SETUPMEMXFER setup{1, 2, 3};
    Call(DAT_SETUPMEMXFER, MSG_GET, &setup);
    EXPECT_EQ(Status(), TWCC_SUCCESS);
    EXPECT_EQ(setup.MinBufSize, 4096u);
    EXPECT_EQ(setup.MaxBufSize, test.frameSize);
    EXPECT_EQ(setup.Preferred, test.frameSize);
    ASSERT_EQ(Close(), TWCC_SUCCESS);
  }
}

TEST_F(TransferNegotiationTest, XferGroupIsAlwaysImage) {
  TW_UINT32 group = 0xFFFFFFFF;
  Call(DAT_XFERGROUP, MSG_GET, &group);
  EXPECT_EQ(group, TW_UINT32(DG_IMAGE));
  EXPECT_EQ(Status(), TWCC_SUCCESS);
}

TEST_F(TransferNegotiationTest, ProposedFilesAreNewAndEmpty) {
  ASSERT_EQ(Open(), TWCC_SUCCESS);
  std::string names[3];
  const TW_UINT16 messages[] = {MSG_GET, MSG_GET, MSG_GETDEFAULT};
  for (int i = 0; i < 3; ++i) {
    TW_SETUPFILEXFER setup;
    memset(&setup, 0x55, sizeof setup);
    EXPECT_EQ(SetupFile(messages[i], &setup), TWCC_SUCCESS);
    names[i] = setup.FileName;
    EXPECT_EQ(setup.Format, TWFF_TIFF);
    EXPECT_EQ(setup.VRefNum, 0);
    EXPECT_EQ(names[i].rfind(TempFolder() + "/TWN", 0), 0u) << names[i];
    EXPECT_EQ(FileSize(names[i]), 0) << names[i];
  }
  EXPECT_NE(names[0], names[1]);
  EXPECT_NE(names[1], names[2]);
}

TEST_F(TransferNegotiationTest, ProposingAFileNeedsAnOpenSource) {
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round == 0 ? "before the first open" : "after closing");
    for (TW_UINT16 msg : {MSG_GET, MSG_GETDEFAULT, MSG_RESET}) {
      TW_SETUPFILEXFER setup;
      memset(&setup, 0x55, sizeof setup);
      TW_SETUPFILEXFER before = setup;
      EXPECT_EQ(SetupFile(msg, &setup), TWCC_SEQERROR) << "MSG " << msg;
      EXPECT_EQ(memcmp(&setup, &before, sizeof setup), 0);
    }
    EXPECT_TRUE(std::filesystem::is_empty(TempFolder()));
    ASSERT_EQ(Open(), TWCC_SUCCESS);
    ASSERT_EQ(Close(), TWCC_SUCCESS);
  }
}

TEST_F(TransferNegotiationTest, NoUsableTemporaryFileIsAnOperationError) {
  ASSERT_EQ(Open(), TWCC_SUCCESS);
  // A folder of 247 characters gives temporary names of 256 to 259, which fit
  // the platform's paths but not FileName.
  std::string deep = TempFolder() + "/";
  deep += std::string(247 - deep.size(), 'd');
  std::filesystem::create_directories(deep);
  for (const std::string& folder : {TempFolder() + "/missing", deep}) {
    SCOPED_TRACE(folder);
    setenv("TMPDIR", folder.c_str(), 1);
    TW_SETUPFILEXFER setup;
    memset(&setup, 0x55, sizeof setup);
    TW_SETUPFILEXFER before = setup;
    EXPECT_EQ(SetupFile(MSG_GET, &setup), TWCC_OPERATIONERROR);
    EXPECT_EQ(memcmp(&setup, &before, sizeof setup), 0);
  }
  EXPECT_TRUE(std::filesystem::is_empty(deep));  // the file made for the long name is gone
}

TEST_F(TransferNegotiationTest, ChosenFiles) {
  // Works without an open source: no capability is read.
  const std::string existing = TempFolder() + "/existing.tif";
  std::ofstream(existing) << "keep";
  struct Case {
    std::string name;
    TW_UINT16 code;
    long sizeAfter;  // -1: no such file
  };
  const Case cases[] = {
      {existing, TWCC_SUCCESS, 4},
      {TempFolder() + "/new.tif", TWCC_SUCCESS, 0},
      {TempFolder() + "/missing/new.tif", TWCC_BADVALUE, -1},
      {"", TWCC_BADVALUE, -1},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    TW_SETUPFILEXFER setup{};
    snprintf(setup.FileName, sizeof setup.FileName, "%s", test.name.c_str());
    setup.Format = 0x7777;
    EXPECT_EQ(SetupFile(MSG_SET, &setup), test.code);
    if (!test.name.empty()) EXPECT_EQ(FileSize(test.name), test.sizeAfter);
    EXPECT_STREQ(setup.FileName, test.name.c_str());
    EXPECT_EQ(setup.Format, 0x7777);
  }
  EXPECT_EQ(ReadFileText(existing), "keep");
}

TEST_F(TransferNegotiationTest, UnterminatedFileNameIsCutAt255Characters) {
  TW_SETUPFILEXFER setup;
  memset(setup.FileName, 'a', sizeof setup.FileName);
  std::string folder = TempFolder() + "/";
  ASSERT_LT(folder.size(), 200u);
  memcpy(setup.FileName, folder.data(), folder.size());
  setup.FileName[255] = 'b';  // no terminating NUL anywhere
  EXPECT_EQ(SetupFile(MSG_SET, &setup), TWCC_SUCCESS);
  std::string cut(setup.FileName, 255);
  EXPECT_EQ(FileSize(cut), 0);
  EXPECT_EQ(FileSize(cut + "b"), -1);
}

}  // namespace
