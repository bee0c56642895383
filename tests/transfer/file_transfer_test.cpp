// DAT_IMAGEFILEXFER over a synthetic image buffer and a stand-in save: the
// file named by the session receives the frame, and a file that cannot be
// written is reported, not passed off as a transfer.
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

#include "grabber/imaging_library.h"
#include "grabber/mil_info.h"
#include "source/source_session.h"
#include "synthetic_frame.h"

namespace {

class FileTransferTest : public SyntheticFrameTest {
 protected:
  void NameFile(const std::string& name) {
    snprintf(sourceSession.transferFileName, sizeof sourceSession.transferFileName, "%s",
             name.c_str());
  }
  ScratchFolder folder_;
};

TEST_F(FileTransferTest, FileReceivesTheGrabbedFrame) {
  const std::string name = folder_.File("image.tif");
  NameFile(name);
  ASSERT_EQ(Call(DAT_IMAGEFILEXFER, MSG_GET, nullptr), TWRC_XFERDONE);
  EXPECT_EQ(sourceSession.state, STATE_TRANSFERRING);
  EXPECT_EQ(grabCount, 1u);
  EXPECT_EQ(lastSavedFile, name);
  std::string saved = ReadFileText(name);
  EXPECT_TRUE(saved == std::string(Buffer().begin(), Buffer().end()));
}

TEST_F(FileTransferTest, SameNameIsOverwrittenByTheNextImage) {
  const std::string name = folder_.File("series.tif");
  NameFile(name);
  ASSERT_EQ(Call(DAT_IMAGEFILEXFER, MSG_GET, nullptr), TWRC_XFERDONE);
  sourceSession.state = STATE_XFERREADY;
  ASSERT_EQ(Call(DAT_IMAGEFILEXFER, MSG_GET, nullptr), TWRC_XFERDONE);
  EXPECT_EQ(grabCount, 2u);
  std::string saved = ReadFileText(name);
  ASSERT_EQ(saved.size(), Buffer().size());
  EXPECT_EQ(uint8_t(saved[0]), PatternByte(0, 1));
}

TEST_F(FileTransferTest, UnwritableFileIsAFailureNotATransfer) {
  struct Unwritable {
    const char* what;
    std::string name;
  };
  mkdir(folder_.File("a-folder").c_str(), 0755);
  const Unwritable cases[] = {
      {"no DAT_SETUPFILEXFER yet", ""},
      {"missing folder", folder_.File("missing/image.tif")},
      {"a folder's name", folder_.File("a-folder")},
  };
  for (const Unwritable& c : cases) {
    SCOPED_TRACE(c.what);
    grabCount = 0;
    NameFile(c.name);
    EXPECT_EQ(Call(DAT_IMAGEFILEXFER, MSG_GET, nullptr), TWRC_FAILURE);
    EXPECT_EQ(TakeConditionCode(), TWCC_OPERATIONERROR);
    EXPECT_EQ(sourceSession.state, STATE_XFERREADY);
    EXPECT_EQ(grabCount, 0u);
  }
}

TEST_F(FileTransferTest, SaveThatWritesNothingIsAFailure) {
  const std::string name = folder_.File("old.tif");
  FILE* old = fopen(name.c_str(), "wb");
  fputs("an earlier image", old);
  fclose(old);
  NameFile(name);
  saveWritesNothing = true;
  EXPECT_EQ(Call(DAT_IMAGEFILEXFER, MSG_GET, nullptr), TWRC_FAILURE);
  EXPECT_EQ(TakeConditionCode(), TWCC_OPERATIONERROR);
  EXPECT_EQ(sourceSession.state, STATE_XFERREADY);
  EXPECT_EQ(grabCount, 1u);
}

TEST_F(FileTransferTest, RefusalsWriteNoFile) {
  struct Refusal {
    const char* what;
    SessionState state;
    TW_UINT16 msg;
    void (*arrange)();
    TW_UINT16 code;
  };
  const Refusal refusals[] = {
      {"state 500", STATE_ENABLED, MSG_GET, nullptr, TWCC_SEQERROR},
      {"state 700", STATE_TRANSFERRING, MSG_GET, nullptr, TWCC_SEQERROR},
      {"MSG_SET", STATE_XFERREADY, MSG_SET, nullptr, TWCC_BADPROTOCOL},
      {"no image buffer", STATE_XFERREADY, MSG_GET, [] { milInfo.MilImage = 0; },
       TWCC_OPERATIONERROR},
      {"no pixel address", STATE_XFERREADY, MSG_GET, [] { milInfo.ImageData = nullptr; },
       TWCC_OPERATIONERROR},
      {"no save entry", STATE_XFERREADY, MSG_GET, [] { imagingLibrary.MbufSave = nullptr; },
       TWCC_OPERATIONERROR},
  };
  const std::string name = folder_.File("never.tif");
  for (const Refusal& r : refusals) {
    SCOPED_TRACE(r.what);
    UseFormat(GREY_768);
    NameFile(name);
    sourceSession.state = r.state;
    if (r.arrange != nullptr) r.arrange();
    EXPECT_EQ(Call(DAT_IMAGEFILEXFER, r.msg, nullptr), TWRC_FAILURE);
    EXPECT_EQ(TakeConditionCode(), r.code);
    EXPECT_EQ(sourceSession.state, r.state);
    EXPECT_EQ(grabCount, 0u);
    struct stat info;
    EXPECT_NE(stat(name.c_str(), &info), 0) << "no file is written";
  }
}

}  // namespace
