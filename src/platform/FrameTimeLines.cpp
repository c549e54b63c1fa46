#include "platform/FrameTimeLines.h"

namespace wl {

void FrameTimeLines::Add(int frame, long ticks, std::string* out) {
    const bool follows = first >= 0 && frame == first + frames;
    if (follows && runCount > 0 && ticks == runTicks) {
        ++runCount;
        ++frames;
        return;
    }
    EndRun();
    if (!follows || values.size() > kLineValues) Flush(out);
    if (first < 0) first = frame;
    runTicks = ticks;
    runCount = 1;
    ++frames;
}

void FrameTimeLines::EndRun() {
    if (runCount == 0) return;
    values += ' ';
    values += std::to_string(runTicks);
    if (runCount > 1) values += '*' + std::to_string(runCount);
    runCount = 0;
}

void FrameTimeLines::Flush(std::string* out) {
    EndRun();
    if (!values.empty()) *out += std::to_string(first) + " frametimes" + values + '\n';
    values.clear();
    first = -1;
    frames = 0;
}

}  // namespace wl
