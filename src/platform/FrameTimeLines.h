#pragma once
// Writes a recording's frame times, frame by frame, as `FRAME frametimes T1 T2*N ...` lines:
// each frame's length in ticks (InputScript.h: kFrameTimeTicksPerSecond), a run of equal ones as
// TICKS*COUNT, a line for each stretch of a few hundred frames. A real machine's uneven frames
// cost about four bytes each this way.

#include <string>

namespace wl {

class FrameTimeLines {
public:
    // Frame `frame` lasted `ticks`; a line goes to `out` once it is long enough (or the frames
    // are not consecutive).
    void Add(int frame, long ticks, std::string* out);
    // Writes what is held back to `out`.
    void Flush(std::string* out);

    // Lines stay this short, well within a script's 4096 characters.
    static constexpr std::size_t kLineValues = 2000;

private:
    void EndRun();

    int first = -1;   // the first frame of the line held back (-1: none)
    int frames = 0;   // frames it covers, the run included
    std::string values;
    long runTicks = 0;
    int runCount = 0;
};

}  // namespace wl
