// Reading input scripts and naming keys.
#include <gtest/gtest.h>

#include "platform/InputScript.h"
#include "platform/WindowLibrary.h"
#include "services/Window.h"

namespace {

TEST(InputScript, ParsesSettingsAndEvents) {
    wl::InputScript script;
    std::string error;
    ASSERT_TRUE(wl::ParseInputScript("frametime 0.02  # fifty frames a second\n"
                                     "frames 120\n"
                                     "starttime 0.5\n"
                                     "\n"
                                     "3 key ENTER\n"
                                     "4 tap f2\n"
                                     "5 keydown W\n"
                                     "9 keyup W\n"
                                     "10 cursor 100 -20\n"
                                     "11 wheel -2\n"
                                     "12 buttondown 0\n"
                                     "13 focus off\n"
                                     "14 focus on\n",
                                     &script, &error))
        << error;
    EXPECT_DOUBLE_EQ(script.frameTime, 0.02);
    EXPECT_DOUBLE_EQ(script.startTime, 0.5);
    EXPECT_EQ(script.frames, 120);
    ASSERT_EQ(script.events.size(), 11u);
    // "key" presses in one frame and releases in the next; "tap" does both in one frame.
    EXPECT_EQ(script.events[0].type, wl::InputEvent::KeyDown);
    EXPECT_EQ(script.events[0].a, wl::KEY_ENTER);
    EXPECT_EQ(script.events[1].type, wl::InputEvent::KeyUp);
    EXPECT_EQ(script.events[1].frame, 4);
    EXPECT_EQ(script.events[3].frame, 4);
    EXPECT_EQ(script.events[6].b, -20);
    EXPECT_EQ(script.events[7].type, wl::InputEvent::WheelBy);
    EXPECT_EQ(script.events[9].type, wl::InputEvent::Focus);
    EXPECT_EQ(script.events[9].a, 0);
    EXPECT_EQ(script.events[10].a, 1);
}

TEST(InputScript, RejectsBadLinesWithTheLineNumber) {
    wl::InputScript script;
    std::string error;
    EXPECT_FALSE(wl::ParseInputScript("frames 10\n2 key NOSUCHKEY\n", &script, &error));
    EXPECT_NE(error.find("line 2"), std::string::npos) << error;
    EXPECT_FALSE(wl::ParseInputScript("frames 0\n", &script, &error));
    EXPECT_FALSE(wl::ParseInputScript("-1 key W\n", &script, &error));
    EXPECT_FALSE(wl::ParseInputScript("3 cursor 10\n", &script, &error));
    EXPECT_FALSE(wl::ParseInputScript("3 jump\n", &script, &error));
    EXPECT_FALSE(wl::ParseInputScript("3 focus maybe\n", &script, &error));
}

TEST(InputScript, PadDirectives) {
    wl::InputScript script;
    std::string error;
    ASSERT_TRUE(wl::ParseInputScript("2 padplug\n"
                                     "3 pad start\n"
                                     "4 paddown DPAD_DOWN\n"
                                     "5 padup dpad_down\n"
                                     "6 padaxis LY -0.75\n"
                                     "7 padaxis rt 1\n"
                                     "8 padunplug\n",
                                     &script, &error))
        << error;
    ASSERT_EQ(script.events.size(), 8u);
    EXPECT_EQ(script.events[0].type, wl::InputEvent::PadPlug);
    // "pad" presses in one frame and releases in the next, like "key".
    EXPECT_EQ(script.events[1].type, wl::InputEvent::PadButtonDown);
    EXPECT_EQ(script.events[1].a, wl::PAD_START);
    EXPECT_EQ(script.events[2].type, wl::InputEvent::PadButtonUp);
    EXPECT_EQ(script.events[2].frame, 4);
    EXPECT_EQ(script.events[4].a, wl::PAD_DPAD_DOWN);
    EXPECT_EQ(script.events[5].type, wl::InputEvent::PadAxis);
    EXPECT_EQ(script.events[5].a, wl::PAD_LEFT_Y);
    EXPECT_FLOAT_EQ(script.events[5].value, -0.75f);
    EXPECT_EQ(script.events[6].a, wl::PAD_RIGHT_TRIGGER);
    EXPECT_EQ(script.events[7].type, wl::InputEvent::PadUnplug);

    for (const char* bad : {"3 pad Z\n", "3 paddown\n", "3 padaxis LZ 0.5\n", "3 padaxis LX\n",
                            "3 padaxis LX 1.5\n", "3 padaxis LX nan\n"}) {
        EXPECT_FALSE(wl::ParseInputScript(bad, &script, &error)) << bad;
        EXPECT_NE(error.find("line 1"), std::string::npos) << error;
    }
}

TEST(AspectSuffix, OnlyExactFourThirdsIsFourThirds) {
    for (auto size : {std::pair{1024, 768}, {800, 600}, {1600, 1200}})
        EXPECT_EQ(AspectSuffixFor(size.first, size.second), "_43") << size.first << "x" << size.second;
    for (auto size : {std::pair{1280, 1024}, {1680, 1050}, {1920, 1080}, {640, 481}})
        EXPECT_EQ(AspectSuffixFor(size.first, size.second), "_169") << size.first << "x" << size.second;
}

}  // namespace
