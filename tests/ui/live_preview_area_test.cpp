// The live preview area: the dialog grows around the picture at the stored
// zoom, is centred under a picture narrower than itself, and shrinks back to
// its settings part when the preview is hidden.
#include "dialog_fixture.h"
#include "grabber/mil_info.h"
#include "settings/grabber_settings.h"
#include "ui/live_preview_area.h"
#include "ui/resources/resource_ids.h"

namespace {

class LivePreviewAreaTest : public DialogTest {
 protected:
  // Opens collapsed (no preview stored) and measures the collapsed dialog.
  void OpenCollapsed() {
    OpenAndEnable(STANDARD_BOARD);
    RECT dialog{};
    RECT marker{};
    GetWindowRect(Dialog(), &dialog);
    GetWindowRect(Item(IDC_PREVIEW_MARKER), &marker);
    collapsed_ = dialog;
    collapsedWidth_ = dialog.right - dialog.left;
    collapsedHeight_ = marker.bottom - dialog.top;
    markerBottom_ = Placement(Item(IDC_PREVIEW_MARKER)).bottom;
  }

  RECT collapsed_{};
  LONG collapsedWidth_ = 0;
  LONG collapsedHeight_ = 0;
  LONG markerBottom_ = 0;  // in the dialog's client coordinates
};

TEST_F(LivePreviewAreaTest, DialogFitsThePictureAtEachZoom) {
  struct Case {
    int32_t zoom;
    uint32_t imageWidth;  // 0: the format's own
    LONG pictureWidth;
    LONG pictureHeight;
  };
  // M_CCIR is 768 x 576.
  const Case cases[] = {
      {1, 0, 768, 576},
      {-4, 0, 192, 144},
      {-2, 641, 320, 288},
      {0, 0, 0, 0},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.zoom);
    OpenCollapsed();
    ASSERT_FALSE(HasFatalFailure());
    if (test.imageWidth != 0) milInfo.ImageWidth = test.imageWidth;
    grabberSettings.DispZoom = test.zoom;
    Click(IDC_PREVIEW_BUTTON);

    RECT picture = Placement(Item(IDC_PREVIEW_PICTURE));
    RECT group = Placement(Item(IDC_PREVIEW_GROUP));
    RECT dialog{};
    GetWindowRect(Dialog(), &dialog);
    EXPECT_EQ(picture.right - picture.left, test.pictureWidth);
    EXPECT_EQ(picture.bottom - picture.top, test.pictureHeight);

    LONG width = test.pictureWidth + 40;
    LONG offset = 0;
    if (width < collapsedWidth_) {
      offset = (collapsedWidth_ - width) / 2;
      width = collapsedWidth_;
    }
    EXPECT_EQ(dialog.right - dialog.left, width);
    EXPECT_EQ(dialog.bottom - dialog.top, test.pictureHeight + collapsedHeight_ + 40);
    EXPECT_EQ(dialog.left, collapsed_.left) << "the dialog does not move";
    EXPECT_EQ(dialog.top, collapsed_.top);

    EXPECT_EQ(picture.left, offset + 15);
    EXPECT_EQ(group.left, offset + 5);
    EXPECT_EQ(group.top, picture.top - 18);
    EXPECT_EQ(group.right - group.left, test.pictureWidth + 23);
    EXPECT_EQ(group.bottom - group.top, test.pictureHeight + 30);
    // Just below the settings part, and within the dialog.
    EXPECT_GT(group.top, markerBottom_);
    EXPECT_LE(group.top, markerBottom_ + 10);
    RECT client{};
    GetClientRect(Dialog(), &client);
    EXPECT_LE(group.bottom, client.bottom);

    EXPECT_EQ(DisplayState().window,
              reinterpret_cast<MIL_WINDOW_HANDLE>(Item(IDC_PREVIEW_PICTURE)));
    EXPECT_EQ(grabberSettings.Preview, 1);
    Control(DAT_IDENTITY, MSG_CLOSEDS, &dataSource_);
  }
}

TEST_F(LivePreviewAreaTest, HidingTwiceLeavesTheDialogCollapsed) {
  OpenCollapsed();
  grabberSettings.DispZoom = 1;
  Click(IDC_PREVIEW_BUTTON);
  ASSERT_GT(Height(Dialog()), collapsedHeight_);
  ShowPreview(Dialog(), 0);
  ShowPreview(Dialog(), 0);
  RECT dialog{};
  GetWindowRect(Dialog(), &dialog);
  EXPECT_EQ(dialog.right - dialog.left, collapsedWidth_);
  EXPECT_EQ(dialog.bottom - dialog.top, collapsedHeight_);
  EXPECT_EQ(Text(Item(IDC_PREVIEW_BUTTON)), "Show preview window >>");
  EXPECT_EQ(milInfo.DisplaySelected, 0);
  EXPECT_FALSE(DigitizerState().grabbing);
  EXPECT_EQ(grabberSettings.Preview, 0);
}

}  // namespace
