#pragma once
// Writing test sounds and finding sounds in what the game played (the mix that OpenAL Soft's
// wave-file output records). Decoding and encoding go through libsndfile, as in the game.

#include <string>
#include <vector>

namespace soundcheck {

// A sound as one channel (the channels averaged) of float samples.
struct Recording {
    int rate = 0;
    int channels = 0;
    std::vector<float> samples;
    double Seconds() const { return rate ? static_cast<double>(samples.size()) / rate : 0.0; }
    size_t At(double seconds) const;
};

// False (and an empty recording) when the file cannot be decoded.
bool Load(const std::string& path, Recording* recording);

// Writes interleaved samples (making the folder if needed) as 16-bit WAV (".wav"), MP3 (".mp3") or Ogg Vorbis (".ogg").
bool Write(const std::string& path, const std::vector<float>& interleaved, int channels, int rate = 44100);

// A sine tone, one channel.
std::vector<float> Tone(double frequency, double seconds, double amplitude = 0.3, int rate = 44100);
// A sweep from one frequency to another: unlike a steady tone it matches itself at one offset only.
std::vector<float> Sweep(double fromFrequency, double toFrequency, double seconds, double amplitude = 0.3,
                         int rate = 44100);
// The same samples on both channels.
std::vector<float> Stereo(const std::vector<float>& mono);
std::vector<float> Join(std::vector<float> first, const std::vector<float>& second);

double Rms(const Recording& recording, double from, double seconds);
// Amplitude of one frequency in a stretch of the recording (Goertzel).
double ToneLevel(const Recording& recording, double frequency, double from, double seconds);

struct Stretch {
    double start = 0.0, end = 0.0;
    double Length() const { return end - start; }
};
// Stretches whose 5 ms windows are louder than `threshold` (RMS), joined across quiet gaps
// shorter than `joinGap` seconds.
std::vector<Stretch> Sounding(const Recording& recording, double threshold = 0.01, double joinGap = 0.0);
// Where a frequency dominates: the starts of the stretches in which its level is above
// `level`, scanned in 5 ms steps over 10 ms windows.
std::vector<double> ToneOnsets(const Recording& recording, double frequency, double level);

struct Match {
    double seconds = -1.0;     // where the reference's first sample lies in the recording
    double correlation = 0.0;  // normalised, 1 for the same samples at any volume
};
// Looks for the loudest 0.1 s of the reference's first two seconds in the recording, between
// `from` and `to` seconds (to < 0: the end).
Match Find(const Recording& recording, const Recording& reference, double from = 0.0, double to = -1.0);

}  // namespace soundcheck
