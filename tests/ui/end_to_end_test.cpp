// One image the way a user takes it: the application opens the module and
// enables it with its dialog, the user moves the decoder's sliders and
// presses Transfer, and the native image the application takes shows the
// new levels.
#include <cstring>

#include "host_fixture.h"
#include "recording_source_manager.h"
#include "simulator_controls.h"

namespace {

// With contrast 0 the grey decoder gives every pixel the brightness level.
constexpr int CONTRAST_SLIDER = 1029;
constexpr int BRIGHTNESS_SLIDER = 1027;
constexpr int TRANSFER_BUTTON = 1;
constexpr uint8_t NEW_LEVEL = 77;
// The native image's header and grey colour table.
constexpr size_t NATIVE_HEADER_SIZE = 1064;

TEST(EndToEndTest, SliderLevelReachesTheTransferredImage) {
  HostUseMemoryRegistry();
  HMODULE simulator = nullptr;
  SimControls sim{};
  LoadSimulator(&simulator, &sim);
  if (HasFatalFailure()) return;
  sim.SetBoardType(27);
  RecordingSourceManager sourceManager;
  sourceManager.Load();
  if (HasFatalFailure()) return;

  {
    LoadedSource source;
    ASSERT_TRUE(source.loaded());
    TW_IDENTITY application = ApplicationIdentity(7);
    TW_IDENTITY dataSource{};
    source(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GET, &dataSource);
    dataSource.Id = 42;
    ASSERT_EQ(source(&application, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &dataSource),
              TWRC_SUCCESS);
    TW_USERINTERFACE userInterface{TWAIN_TRUE, TWAIN_FALSE, nullptr};
    source(&application, DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &userInterface);
    ASSERT_EQ(HostTopLevelWindowCount(), 1u);
    HWND dialog = HostTopLevelWindow(0);
    EXPECT_STREQ(HostWindowText(dialog), "Frame Grabber Settings");

    ASSERT_TRUE(HostMoveSlider(HostFindControl(dialog, CONTRAST_SLIDER), 0));
    ASSERT_TRUE(HostMoveSlider(HostFindControl(dialog, BRIGHTNESS_SLIDER), NEW_LEVEL));
    ASSERT_TRUE(HostClickControl(HostFindControl(dialog, TRANSFER_BUTTON)));
    ASSERT_EQ(sourceManager.NotificationCount(), 1u);
    EXPECT_EQ(sourceManager.Notification(0).MSG, MSG_XFERREADY);

    TW_IMAGEINFO info{};
    ASSERT_EQ(source(&application, DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_SUCCESS);
    TW_HANDLE image = nullptr;
    ASSERT_EQ(source(&application, DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &image),
              TWRC_XFERDONE);
    ASSERT_NE(image, nullptr);
    const auto* bytes = static_cast<const uint8_t*>(GlobalLock(image));
    size_t pixels = size_t(info.ImageWidth) * size_t(info.ImageLength);
    ASSERT_EQ(GlobalSize(image), NATIVE_HEADER_SIZE + pixels);
    size_t other = 0;
    for (size_t i = 0; i < pixels; ++i) other += bytes[NATIVE_HEADER_SIZE + i] != NEW_LEVEL;
    EXPECT_EQ(other, 0u) << "pixels not at the slider's level";
    GlobalUnlock(image);
    GlobalFree(image);

    TW_PENDINGXFERS pending{0, 0};
    source(&application, DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending);
    EXPECT_EQ(pending.Count, 0);
    source(&application, DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &userInterface);
    EXPECT_FALSE(IsWindowVisible(dialog));
    source(&application, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &dataSource);
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(HostLiveWindowCount(), 0u);
  }
  sourceManager.Unload();
  UnloadSimulator(&simulator, sim);
  EXPECT_EQ(HostLiveGlobalBlocks(), 0u);
}

}  // namespace
