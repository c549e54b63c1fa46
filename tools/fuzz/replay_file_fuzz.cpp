// Fuzzes the reader of input scripts and recordings (tavo-replay's and tavo --replay's files,
// which players attach to reports and pass around). The input is the bytes of a script. Besides
// crashes, hangs and sanitizer reports it checks what playing a script relies on: a refusal
// names a line of the file; an accepted script stays within the limits (frames, frame times in
// frame order and range, event frames, key codes, pad axes, the progress's records), every key
// reads back by the name a recording would write it with, and carried progress written again
// reads back the same.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/InputScript.h"
#include "platform/WindowLibrary.h"

namespace {

[[noreturn]] void Fail(const char* what, const std::string& got) {
    std::fprintf(stderr, "INVARIANT BROKEN: %s\n  got: '%s'\n", what, got.c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    wl::InputScript script;
    std::string error;
    if (!wl::ParseInputScript(text, &script, &error)) {
        if (error.rfind("line ", 0) != 0) Fail("a refusal that names no line", error);
        const long line = std::strtol(error.c_str() + 5, nullptr, 10);
        long lines = 1;
        for (char c : text) lines += c == '\n';
        if (line < 1 || line > lines) Fail("a refusal naming a line the file does not have", error);
        return 0;
    }
    if (script.frames < 1 || script.frames > wl::kMaxScriptFrames) Fail("frames out of range", std::to_string(script.frames));
    if (!(script.frameTime >= wl::kMinFrameTime && script.frameTime <= wl::kMaxFrameTime))
        Fail("frame time out of range", std::to_string(script.frameTime));
    int last = -1;
    for (const auto& change : script.frameTimes) {
        if (change.first <= last || change.first > wl::kMaxScriptFrames) Fail("frame times out of order", std::to_string(change.first));
        if (!(change.seconds >= wl::kMinFrameTime && change.seconds <= wl::kMaxFrameTime))
            Fail("a frame time out of range", std::to_string(change.seconds));
        last = change.first;
    }
    for (const wl::InputEvent& e : script.events) {
        // "key" and "pad" release in the frame after the one named.
        if (e.frame < 0 || e.frame > wl::kMaxScriptFrames + 1) Fail("an event frame out of range", std::to_string(e.frame));
        if (e.type == wl::InputEvent::KeyDown || e.type == wl::InputEvent::KeyUp) {
            if (e.a < 0 || e.a > wl::KEY_LAST) Fail("a key code out of range", std::to_string(e.a));
            if (wl::KeyCodeFromName(wl::KeyName(e.a)) != e.a) Fail("a key name that does not read back", wl::KeyName(e.a));
        }
        if (e.type == wl::InputEvent::PadAxis && !(e.value >= -1.0f && e.value <= 1.0f))
            Fail("a pad axis out of range", std::to_string(e.value));
    }
    // The progress a recording carries is the game's progress as it was: in range, and written
    // again it reads back as the very same records.
    if (!script.progressGiven && !script.progress.empty()) Fail("records without the progress line", text);
    for (const wl::ScriptRecord& record : script.progress) {
        if (record.bestTime && !(*record.bestTime > 0.0 && *record.bestTime <= wl::kMaxRecordSeconds))
            Fail("a best time out of range", std::to_string(*record.bestTime));
        if (record.bestLife && !(*record.bestLife >= 0.0 && *record.bestLife <= 1.0))
            Fail("a best life out of range", std::to_string(*record.bestLife));
    }
    if (script.progressGiven) {
        wl::InputScript again;
        const std::string written = wl::RecordingText(wl::Recorded{}, "1", "", 100, false, &script.progress);
        if (!wl::ParseInputScript(written, &again, &error)) Fail("carried progress that does not read back", error);
        bool same = again.progressGiven && again.progress.size() == script.progress.size();
        for (std::size_t i = 0; same && i < again.progress.size(); ++i) {
            const wl::ScriptRecord &a = again.progress[i], &b = script.progress[i];
            same = a.level == b.level && a.completed == b.completed && a.bestTime == b.bestTime && a.bestLife == b.bestLife;
        }
        if (!same) Fail("carried progress that reads back otherwise", written);
    }
    return 0;
}
