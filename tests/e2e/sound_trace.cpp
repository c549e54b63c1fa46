// sound_trace: what a recorded mix of the game holds (OpenAL Soft's wave-file output).
// Usage: sound_trace MIX.wav [--min-correlation X] [SOUND[@FROM-TO] ...]
// Prints the mix's sounding stretches ("sounding FROM-TO" in seconds), then for each SOUND file
// where its beginning lies in the mix ("found NAME at SECONDS correlation C"), searched between
// FROM and TO seconds when given. Exits with 1 when a sound is not found (correlation below the
// minimum, 0.9 unless given) or a file cannot be decoded.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#include "support/SoundAnalysis.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: sound_trace MIX.wav [--min-correlation X] [SOUND[@FROM-TO] ...]" << std::endl;
        return 2;
    }
    soundcheck::Recording mix;
    if (!soundcheck::Load(argv[1], &mix)) {
        std::cerr << "cannot decode " << argv[1] << std::endl;
        return 1;
    }
    std::cout << "mix " << mix.Seconds() << " s at " << mix.rate << " Hz" << std::endl;
    for (const auto& stretch : soundcheck::Sounding(mix, 0.005, 0.05))
        std::cout << "sounding " << stretch.start << "-" << stretch.end << std::endl;

    double minimum = 0.9;
    int failures = 0;
    for (int i = 2; i < argc; ++i) {
        std::string argument = argv[i];
        if (argument == "--min-correlation" && i + 1 < argc) {
            minimum = std::atof(argv[++i]);
            continue;
        }
        double from = 0.0, to = -1.0;
        const size_t at = argument.rfind('@');
        if (at != std::string::npos) {
            if (std::sscanf(argument.c_str() + at + 1, "%lf-%lf", &from, &to) != 2) {
                std::cerr << "bad range in " << argument << std::endl;
                return 2;
            }
            argument.resize(at);
        }
        soundcheck::Recording sound;
        if (!soundcheck::Load(argument, &sound)) {
            std::cerr << "cannot decode " << argument << std::endl;
            ++failures;
            continue;
        }
        const soundcheck::Match match = soundcheck::Find(mix, sound, from, to);
        const bool found = match.correlation >= minimum;
        std::cout << (found ? "found " : "NOT found ") << argument << " at " << match.seconds << " correlation "
                  << match.correlation << std::endl;
        if (!found) ++failures;
    }
    return failures == 0 ? 0 : 1;
}
