// The real window on a 1024x768 (4:3) screen: full screen, and as a window.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

#include "platform/InputScript.h"
#include "platform/WindowLibrary.h"
#include "services/Window.h"

namespace {

// A left click in frames 2 to 3 and a right press in frame 5, in a run of ten frames.
wl::InputScript ClicksInTenFrames() {
    wl::InputScript script;
    script.frames = 10;
    script.Add(wl::InputEvent::ButtonDown, 2, wl::MOUSE_BUTTON_LEFT)
        .Add(wl::InputEvent::ButtonUp, 3, wl::MOUSE_BUTTON_LEFT)
        .Add(wl::InputEvent::ButtonDown, 5, wl::MOUSE_BUTTON_RIGHT);
    return script;
}

TEST(Window, OpensFullScreenWithTheFourThirdsSuffixAndItsProjection) {
    const wl::InputScript script = ClicksInTenFrames();
    wl::UseInputScript(&script);
    CWindow window;
    CWindow::instance = &window;
    EXPECT_EQ(window.GetAspectSuffix(), "_169");  // until opened
    ASSERT_EQ(window.Open(), 0);
    EXPECT_TRUE(window.fullscreen);
    int width = 0, height = 0;
    wl::GetWindowSize(&width, &height);
    EXPECT_EQ(width, 1024);
    EXPECT_EQ(height, 768);
    EXPECT_EQ(window.GetAspectSuffix(), "_43");
    // The size callback ran while it was installed: the matrices fit the window already.
    const double t = std::tan(0.39269909262657166);
    EXPECT_NEAR(window.perspectiveMatrix.m[0], 1.0 / (t * 4.0 / 3.0), 1e-5);
    EXPECT_NEAR(window.perspectiveMatrix.m[5], 1.0 / t, 1e-5);

    // Full screen the pointer is hidden (and captured) from the start, so clicks say nothing.
    EXPECT_TRUE(wl::CursorHidden());
    EXPECT_TRUE(window.mouseLocked);
    // The menu frees it: shown, and the clicks that choose there do not capture it; leaving the
    // menu captures it again at once.
    window.KeepPointerFree(true);
    EXPECT_FALSE(wl::CursorHidden());
    EXPECT_FALSE(window.mouseLocked);
    testing::internal::CaptureStdout();
    for (int frame = 0; frame < 8; ++frame) wl::SwapBuffers();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_FALSE(wl::CursorHidden());
    window.KeepPointerFree(false);
    EXPECT_TRUE(wl::CursorHidden());
    EXPECT_TRUE(window.mouseLocked);
    EXPECT_EQ(wl::GetWindowParam(wl::OPENED), 1);
    wl::SwapBuffers();
    wl::SwapBuffers();
    EXPECT_EQ(wl::GetWindowParam(wl::OPENED), 0);  // the script ended: the window reads closed

    // A script never waits for input and never skips a frame: time and frames stand still.
    const auto before = std::chrono::steady_clock::now();
    const double time = wl::GetTime();
    EXPECT_TRUE(wl::WaitEvents(5.0));
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(2));
    EXPECT_EQ(wl::GetTime(), time);
    EXPECT_EQ(wl::FramesSwapped(), 10);
}

// Without a script, a screen that waits for input sleeps until an event or the time is up, and
// says whether anything worth a new frame came.
TEST(Window, WaitingForInputSleepsUntilTheTimeIsUp) {
    wl::UseInputScript(nullptr);
    ASSERT_TRUE(wl::Init());
    ASSERT_TRUE(wl::OpenWindow(320, 240, 8, 8, 8, 8, 24, 0, wl::WINDOW));
    EXPECT_TRUE(wl::WaitEvents(0.0));  // the first frame is always drawn
    // Mapping the window may bring a redraw request or the focus; then nothing more comes.
    int calm = 0;
    while (wl::WaitEvents(0.05) && calm < 40) ++calm;
    ASSERT_LT(calm, 40) << "events keep coming without input";
    const auto before = std::chrono::steady_clock::now();
    EXPECT_FALSE(wl::WaitEvents(0.3));
    const double waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - before).count();
    EXPECT_GE(waited, 0.25);
    EXPECT_LT(waited, 2.0);
    wl::Terminate();
}

TEST(Window, AWindowKeepsThePointerUntilTheFirstClick) {
    const wl::InputScript script = ClicksInTenFrames();
    wl::UseInputScript(&script);
    CWindow window;
    CWindow::instance = &window;
    ASSERT_EQ(window.Open(640, 480), 0);
    EXPECT_FALSE(window.fullscreen);
    EXPECT_FALSE(wl::CursorHidden());
    // The first click locks the mouse and says so once; later clicks say nothing.
    testing::internal::CaptureStdout();
    for (int frame = 0; frame < 8; ++frame) wl::SwapBuffers();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Mouse locked, press ESC to unlock\n");
    EXPECT_TRUE(window.mouseLocked);
    EXPECT_TRUE(wl::CursorHidden());
    CWindow::instance = nullptr;
}

}  // namespace
