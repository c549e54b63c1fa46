#include "support/SoundAnalysis.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace soundcheck {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kWindow = 0.005;

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

size_t Recording::At(double seconds) const {
    const double index = std::max(0.0, seconds) * rate;
    return std::min(samples.size(), static_cast<size_t>(index));
}

bool Load(const std::string& path, Recording* recording) {
    *recording = Recording();
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) return false;
    recording->rate = info.samplerate;
    recording->channels = info.channels;
    std::vector<float> block(4096 * static_cast<size_t>(info.channels));
    for (;;) {
        const sf_count_t got = sf_readf_float(file, block.data(), 4096);
        if (got <= 0) break;
        for (sf_count_t frame = 0; frame < got; ++frame) {
            float sum = 0.0f;
            for (int c = 0; c < info.channels; ++c) sum += block[static_cast<size_t>(frame * info.channels + c)];
            recording->samples.push_back(sum / static_cast<float>(info.channels));
        }
    }
    sf_close(file);
    return true;
}

bool Write(const std::string& path, const std::vector<float>& interleaved, int channels, int rate) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    if (EndsWith(path, ".mp3")) info.format = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
    else if (EndsWith(path, ".ogg")) info.format = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    else info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    std::error_code ignored;
    if (!folder.empty()) std::filesystem::create_directories(folder, ignored);
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) return false;
    const sf_count_t frames = static_cast<sf_count_t>(interleaved.size() / static_cast<size_t>(channels));
    const bool ok = sf_writef_float(file, interleaved.data(), frames) == frames;
    sf_close(file);
    return ok;
}

std::vector<float> Tone(double frequency, double seconds, double amplitude, int rate) {
    std::vector<float> samples(static_cast<size_t>(seconds * rate));
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<float>(amplitude * std::sin(2.0 * kPi * frequency * static_cast<double>(i) / rate));
    return samples;
}

std::vector<float> Sweep(double fromFrequency, double toFrequency, double seconds, double amplitude, int rate) {
    std::vector<float> samples(static_cast<size_t>(seconds * rate));
    const double slope = (toFrequency - fromFrequency) / seconds;
    for (size_t i = 0; i < samples.size(); ++i) {
        const double t = static_cast<double>(i) / rate;
        samples[i] = static_cast<float>(amplitude * std::sin(2.0 * kPi * (fromFrequency * t + 0.5 * slope * t * t)));
    }
    return samples;
}

std::vector<float> Stereo(const std::vector<float>& mono) {
    std::vector<float> stereo;
    stereo.reserve(mono.size() * 2);
    for (float sample : mono) stereo.insert(stereo.end(), {sample, sample});
    return stereo;
}

std::vector<float> Join(std::vector<float> first, const std::vector<float>& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

double Rms(const Recording& recording, double from, double seconds) {
    const size_t begin = recording.At(from), end = recording.At(from + seconds);
    if (end <= begin) return 0.0;
    double sum = 0.0;
    for (size_t i = begin; i < end; ++i) sum += static_cast<double>(recording.samples[i]) * recording.samples[i];
    return std::sqrt(sum / static_cast<double>(end - begin));
}

double ToneLevel(const Recording& recording, double frequency, double from, double seconds) {
    const size_t begin = recording.At(from), end = recording.At(from + seconds);
    if (end <= begin) return 0.0;
    const double coefficient = 2.0 * std::cos(2.0 * kPi * frequency / recording.rate);
    double previous = 0.0, beforePrevious = 0.0;
    for (size_t i = begin; i < end; ++i) {
        const double current = recording.samples[i] + coefficient * previous - beforePrevious;
        beforePrevious = previous;
        previous = current;
    }
    const double power = previous * previous + beforePrevious * beforePrevious - coefficient * previous * beforePrevious;
    return 2.0 * std::sqrt(std::max(0.0, power)) / static_cast<double>(end - begin);
}

std::vector<Stretch> Sounding(const Recording& recording, double threshold, double joinGap) {
    std::vector<Stretch> stretches;
    const double length = recording.Seconds();
    for (double t = 0.0; t + kWindow <= length; t += kWindow) {
        if (Rms(recording, t, kWindow) <= threshold) continue;
        if (!stretches.empty() && t - stretches.back().end <= joinGap + 1e-9) stretches.back().end = t + kWindow;
        else stretches.push_back({t, t + kWindow});
    }
    return stretches;
}

std::vector<double> ToneOnsets(const Recording& recording, double frequency, double level) {
    std::vector<double> onsets;
    bool inside = false;
    const double length = recording.Seconds();
    for (double t = 0.0; t + 2 * kWindow <= length; t += kWindow) {
        const bool present = ToneLevel(recording, frequency, t, 2 * kWindow) > level;
        if (present && !inside) onsets.push_back(t);
        inside = present;
    }
    return onsets;
}

Match Find(const Recording& recording, const Recording& reference, double from, double to) {
    Match best;
    if (recording.rate != reference.rate || reference.samples.empty()) return best;
    const size_t length = std::min(reference.samples.size(), static_cast<size_t>(reference.rate / 10));
    // The loudest snippet of the reference's beginning is the one least likely to be matched
    // by chance (a quiet fade-in would be).
    size_t snippet = 0;
    double loudest = -1.0;
    const size_t searchEnd = std::min(reference.samples.size(), static_cast<size_t>(reference.rate) * 2);
    for (size_t start = 0; start + length <= searchEnd; start += length / 4) {
        double energy = 0.0;
        for (size_t i = 0; i < length; ++i) energy += static_cast<double>(reference.samples[start + i]) * reference.samples[start + i];
        if (energy > loudest) {
            loudest = energy;
            snippet = start;
        }
    }
    const float* pattern = reference.samples.data() + snippet;
    const double patternEnergy = std::max(loudest, 1e-12);

    const size_t first = recording.At(from);
    const size_t last = to < 0 ? recording.samples.size() : std::min(recording.samples.size(), recording.At(to) + length);
    if (last < first + length) return best;
    const float* samples = recording.samples.data();
    // Running energy of the window under the pattern.
    double windowEnergy = 0.0;
    for (size_t i = first; i < first + length; ++i) windowEnergy += static_cast<double>(samples[i]) * samples[i];
    for (size_t position = first; position + length <= last; ++position) {
        if (windowEnergy > patternEnergy * 1e-4) {
            float dot = 0.0f;
            for (size_t i = 0; i < length; ++i) dot += pattern[i] * samples[position + i];
            const double correlation = dot / std::sqrt(patternEnergy * windowEnergy);
            if (correlation > best.correlation) {
                best.correlation = correlation;
                best.seconds = (static_cast<double>(position) - static_cast<double>(snippet)) / recording.rate;
            }
        }
        if (position + length < last) {
            windowEnergy += static_cast<double>(samples[position + length]) * samples[position + length] -
                            static_cast<double>(samples[position]) * samples[position];
            windowEnergy = std::max(windowEnergy, 0.0);
        }
    }
    return best;
}

}  // namespace soundcheck
