// sound_trace: whether a recorded mix of the game (OpenAL Soft's wave-file output) begins with a
// sound: the file's beginning must lie in the mix where its first sounding stretch starts (within
// 50 ms), and that stretch must last at least MIN_SECONDS. Prints what it found; exits with 0 when
// both hold, 1 when not, 2 when a file cannot be decoded.
// Usage: sound_trace MIX.wav SOUND MIN_SECONDS
#include <cmath>
#include <cstdlib>
#include <iostream>

#include "support/SoundAnalysis.h"

int main(int argc, char** argv) {
    soundcheck::Recording mix, sound;
    if (argc != 4 || !soundcheck::Load(argv[1], &mix) || !soundcheck::Load(argv[2], &sound)) {
        std::cerr << "usage: sound_trace MIX.wav SOUND MIN_SECONDS (both files decodable)" << std::endl;
        return 2;
    }
    const auto stretches = soundcheck::Sounding(mix, 0.005, 0.05);
    const soundcheck::Match match = soundcheck::Find(mix, sound);
    std::cout << "mix " << mix.Seconds() << " s; " << argv[2] << " at " << match.seconds << " s, correlation "
              << match.correlation << "; first sound ";
    if (stretches.empty()) {
        std::cout << "none" << std::endl;
        return 1;
    }
    std::cout << stretches[0].start << "-" << stretches[0].end << " s" << std::endl;
    return match.correlation >= 0.9 && std::fabs(match.seconds - stretches[0].start) <= 0.05 &&
                   stretches[0].Length() >= std::atof(argv[3])
               ? 0
               : 1;
}
