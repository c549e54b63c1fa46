// Reading input scripts and naming keys.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>

#include "platform/FrameTimeLines.h"
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

namespace {

TEST(InputScript, ReadsARecordingsHeaderAndFrameTimes) {
    wl::InputScript script;
    std::string error;
    ASSERT_TRUE(wl::ParseInputScript("version 0.1.0\n"
                                     "level 57f6eb8e3d7ec0c4 level1.dae\n"
                                     "level 0123456789abcdef my levels/level 7.dae\n"
                                     "startlevel my levels/level 7.dae\n"
                                     "seed 4000000000\n"
                                     "window 1280 720 fullscreen\n"
                                     "mousespeed 150\n"
                                     "invertlook yes\n"
                                     "starttime 1.25\n"
                                     "frames 40\n"
                                     "0 frametime 0.05\n"
                                     "7 frametime 0.3\n"
                                     "9 frametime 0.0167\n",
                                     &script, &error))
        << error;
    EXPECT_EQ(script.version, "0.1.0");
    ASSERT_EQ(script.levels.size(), 2u);
    EXPECT_EQ(script.levels[0].checksum, "57f6eb8e3d7ec0c4");
    EXPECT_EQ(script.levels[1].name, "my levels/level 7.dae");
    EXPECT_EQ(script.startLevel, "my levels/level 7.dae");
    EXPECT_EQ(script.seed, 4000000000u);
    EXPECT_EQ(script.windowWidth, 1280);
    EXPECT_EQ(script.windowHeight, 720);
    EXPECT_TRUE(script.fullScreen);
    EXPECT_EQ(script.mouseSpeed, 150);
    EXPECT_TRUE(script.invertLook);
    ASSERT_EQ(script.frameTimes.size(), 3u);
    EXPECT_EQ(script.frameTimes[1].first, 7);
    EXPECT_DOUBLE_EQ(script.frameTimes[1].seconds, 0.3);
    EXPECT_DOUBLE_EQ(script.frameTimes[2].seconds, 0.0167);
}

// Every key code a recording may write reads back as the same code.
TEST(InputScript, KeyNamesReadBackAsTheirCodes) {
    for (int key = 0; key <= wl::KEY_LAST; ++key)
        EXPECT_EQ(wl::KeyCodeFromName(wl::KeyName(key)), key) << wl::KeyName(key);
    EXPECT_EQ(wl::KeyName(wl::KEY_KP_7), "KP_7");
    EXPECT_EQ(wl::KeyName('Q'), "Q");
}

// A recording's text reads back as what was recorded.
TEST(InputScript, RecordingTextReadsBack) {
    wl::Recorded recorded;
    recorded.frames = 12;
    recorded.startTime = 0.123456789012345;
    recorded.seed = 77;
    recorded.windowWidth = 800;
    recorded.windowHeight = 600;
    recorded.levels = {{"level2.dae", "00ff00ff00ff00ff"}};
    recorded.events = "0 frametime 0.0167\n3 keydown W\n4 padplug\n4 padaxis LX 0.333333343\n5 keyup W\n";
    // The progress the run started with, to the last bit of each value; a level without a time.
    const std::vector<wl::ScriptRecord> progress = {
        {"level1.dae", true, 23.45, 0.87}, {"my level 2.dae", false, std::nullopt, 1.0}, {"level3.dae", true, 0.1 + 0.2, 0.0}};
    const std::string text = wl::RecordingText(recorded, "9.9.9", "", 70, true, &progress);
    wl::InputScript script;
    std::string error;
    ASSERT_TRUE(wl::ParseInputScript(text, &script, &error)) << error << "\n" << text;
    EXPECT_TRUE(script.progressGiven);
    ASSERT_EQ(script.progress.size(), progress.size()) << text;
    for (std::size_t i = 0; i < progress.size(); ++i) {
        EXPECT_EQ(script.progress[i].level, progress[i].level);
        EXPECT_EQ(script.progress[i].completed, progress[i].completed) << progress[i].level;
        EXPECT_EQ(script.progress[i].bestTime, progress[i].bestTime) << progress[i].level;  // exactly
        EXPECT_EQ(script.progress[i].bestLife, progress[i].bestLife) << progress[i].level;
    }
    // An empty progress is said, and told apart from a script that carries none.
    const std::vector<wl::ScriptRecord> none;
    ASSERT_TRUE(wl::ParseInputScript(wl::RecordingText(recorded, "9.9.9", "", 70, true, &none), &script, &error));
    EXPECT_TRUE(script.progressGiven);
    EXPECT_TRUE(script.progress.empty());
    ASSERT_TRUE(wl::ParseInputScript(wl::RecordingText(recorded, "9.9.9", "", 70, true), &script, &error));
    EXPECT_FALSE(script.progressGiven);
    ASSERT_TRUE(wl::ParseInputScript(text, &script, &error));
    EXPECT_EQ(script.frames, 12);
    EXPECT_EQ(script.startTime, recorded.startTime);  // exactly
    EXPECT_EQ(script.version, "9.9.9");
    EXPECT_EQ(script.seed, 77u);
    EXPECT_EQ(script.windowWidth, 800);
    EXPECT_EQ(script.windowHeight, 600);
    EXPECT_FALSE(script.fullScreen);
    ASSERT_EQ(script.levels.size(), 1u);
    EXPECT_EQ(script.levels[0].name, "level2.dae");
    EXPECT_EQ(script.mouseSpeed, 70);
    EXPECT_TRUE(script.invertLook);
    EXPECT_TRUE(script.startLevel.empty());
    ASSERT_EQ(script.events.size(), 4u);
    EXPECT_EQ(script.events[2].value, 0.333333343f);
}

TEST(InputScript, RefusesWhatCannotBePlayed) {
    const char* const bad[] = {
        "frames 5184001\n", "frametime 0\n", "frametime 61\n", "frametime inf\n", "3 frametime -0.1\n",
        "5184001 key W\n", "3 key W W\n", "frames 10 20\n", "3 cursor 1 2 3\n", "3 wheel 99999999999\n",
        "3 buttondown 8\n", "3 key 349\n", "level 123 x.dae\n", "level 0123456789abcdef\n",
        "invertlook maybe\n", "mousespeed 5\n", "2 tap\n", "frames\n", "\x01\n", "starttime 1e300\n", "seed -1\n", "seed 4294967296\n", "window 10 10\n", "window 800\n", "window 800 600 maybe\n",
        "2 frametime 0.1\n2 frametime 0.2\n", "2 frametimes\n", "2 frametimes 0\n", "2 frametimes 600001\n",
        "2 frametimes 5*0\n", "2 frametimes 5*\n", "2 frametimes *5\n", "2 frametimes 5*3*2\n", "2 frametimes 0.5\n",
        "0 frametimes 5*10\n9 frametime 0.1\n", "5 frametime 0.1\n5 frametimes 5\n", "5183999 frametimes 5*3\n",
        // Carried progress: records need the progress line before them, one a level, values in range.
        "record yes 1 1 level1.dae\n", "progress\nprogress\n", "progress yes\n", "progress\nrecord maybe 1 1 a.dae\n",
        "progress\nrecord yes 0 1 a.dae\n", "progress\nrecord yes 1000000 1 a.dae\n", "progress\nrecord yes 1e3 1 a.dae\n",
        "progress\nrecord yes -1 1 a.dae\n", "progress\nrecord yes 1 1.01 a.dae\n", "progress\nrecord yes 1 nan a.dae\n",
        "progress\nrecord yes 1 1\n", "progress\nrecord yes 1 1 dir/a.dae\n", "progress\nrecord yes 1 1 a=b.dae\n",
        "progress\nrecord yes 1 1 a.dae\nrecord no - - a.dae\n",
    };
    for (const char* text : bad) {
        wl::InputScript script;
        std::string error;
        EXPECT_FALSE(wl::ParseInputScript(text, &script, &error)) << text;
        EXPECT_EQ(error.rfind("line ", 0), 0u) << text << ": " << error;
    }
}

// The length of each frame as the playback reads it (ScriptedInput::FrameTimeOf).
double FrameLength(const wl::InputScript& script, int frame) {
    double seconds = script.frameTime;
    for (const auto& change : script.frameTimes)
        if (change.first <= frame) seconds = change.seconds;
    return seconds;
}

// Frame times in ticks read as the very numbers the recorded game read (the nearest double to
// ticks / 10000, as the decimal would read), a run of equal ones as TICKS*COUNT; the frames after
// a line keep its last time.
TEST(InputScript, FrameTimesInTicks) {
    wl::InputScript script;
    std::string error;
    ASSERT_TRUE(wl::ParseInputScript("frametime 0.5\n0 frametimes 500 1667*3 2\n9 frametime 0.25\n"
                                     "12 frametimes 3000 3000\nframes 20\n",
                                     &script, &error))
        << error;
    const struct {
        int frame;
        const char* seconds;
    } cases[] = {{0, "0.05"}, {1, "0.1667"}, {3, "0.1667"}, {4, "0.0002"}, {8, "0.0002"},
                 {9, "0.25"}, {12, "0.3"}, {19, "0.3"}};
    for (const auto& c : cases) EXPECT_EQ(FrameLength(script, c.frame), std::strtod(c.seconds, nullptr)) << c.frame;
}

// The recorder's frame-time lines read back exactly, frame by frame, in lines a script may hold;
// a real machine's uneven frames (about 1/60 s, now and then a slow one) cost a few bytes each.
TEST(InputScript, FrameTimeLinesReadBackExactly) {
    std::mt19937 random(7);
    std::vector<long> ticks;
    for (int frame = 0; frame < 20000; ++frame) {
        const int kind = static_cast<int>(random() % 20);
        ticks.push_back(kind == 0 ? 500 + static_cast<long>(random() % 2500) : kind < 8 ? 166 : 167);
    }
    std::string lines;
    wl::FrameTimeLines writer;
    for (int frame = 0; frame < static_cast<int>(ticks.size()); ++frame) writer.Add(frame, ticks[frame], &lines);
    writer.Flush(&lines);
    EXPECT_LT(lines.size(), 5 * ticks.size());
    std::size_t longest = 0, count = 0;
    for (std::size_t at = 0, end = 0; at < lines.size(); at = end + 1, ++count) {
        end = lines.find('\n', at);
        longest = std::max(longest, end - at);
    }
    EXPECT_GT(count, 1u);
    EXPECT_LE(longest, 4096u);
    wl::InputScript script;
    std::string error;
    ASSERT_TRUE(wl::ParseInputScript(lines + "frames 20000\n", &script, &error)) << error;
    double last = 0.0;
    for (int frame = 0, change = -1; frame < static_cast<int>(ticks.size()); ++frame) {
        while (change + 1 < static_cast<int>(script.frameTimes.size()) && script.frameTimes[change + 1].first <= frame)
            last = script.frameTimes[++change].seconds;
        ASSERT_EQ(last, static_cast<double>(ticks[frame]) / wl::kFrameTimeTicksPerSecond) << "frame " << frame;
    }
}

// A best run is the recording up to a frame: the events and levels before it.
TEST(InputScript, CutRecordingKeepsWhatCameBefore) {
    wl::Recorded recorded;
    recorded.frames = 30;
    recorded.levels = {{"level1.dae", "00ff00ff00ff00ff"}, {"level2.dae", "0123456789abcdef"}};
    recorded.levelFrames = {2, 10};
    recorded.bestRuns = {{"level1.dae", 7}};
    recorded.events = "0 frametimes 500*25\n3 keydown W\n9 keyup W\n10 key ESC\n25 frametime 0.25\n";
    const wl::Recorded cut = wl::CutRecording(recorded, 10);
    EXPECT_EQ(cut.frames, 10);
    EXPECT_EQ(cut.events, "0 frametimes 500*25\n3 keydown W\n9 keyup W\n");
    ASSERT_EQ(cut.levels.size(), 1u);
    EXPECT_EQ(cut.levels[0].name, "level1.dae");
    EXPECT_TRUE(cut.bestRuns.empty());
    EXPECT_EQ(wl::CutRecording(recorded, 100).events, recorded.events);
    EXPECT_EQ(wl::CutRecording(recorded, 100).frames, 30);
}

}  // namespace
