// The shipped sounds through libsndfile: audible, unclipped, sensible lengths, clickless loops.

#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 44100;

struct Clip {
  std::string name;
  SF_INFO info{};
  bool ok = false;
  std::string error;
  std::vector<std::vector<float>> channels;  // de-interleaved samples

  size_t Frames() const { return channels.empty() ? 0 : channels[0].size(); }
  double Seconds() const { return static_cast<double>(Frames()) / kRate; }
};

Clip Load(const std::string& name) {
  Clip clip;
  clip.name = name;
  const std::string path = "resources/sounds/" + name;
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &clip.info);
  if (!file) {
    clip.error = path + ": " + sf_strerror(nullptr);
    return clip;
  }
  const int ch = clip.info.channels;
  clip.channels.assign(ch, {});
  std::vector<float> buffer(4096 * static_cast<size_t>(ch));
  for (;;) {
    const sf_count_t got = sf_readf_float(file, buffer.data(), 4096);
    if (got <= 0) break;
    for (sf_count_t i = 0; i < got; ++i)
      for (int c = 0; c < ch; ++c) clip.channels[c].push_back(buffer[i * ch + c]);
  }
  sf_close(file);
  clip.ok = clip.Frames() > 0;
  if (!clip.ok) clip.error = path + ": no samples decoded";
  return clip;
}

double Db(double amplitude) { return 20.0 * std::log10(std::max(amplitude, 1e-12)); }

double Rms(const Clip& clip, size_t first = 0, size_t count = SIZE_MAX) {
  double sum = 0.0;
  size_t n = 0;
  for (const auto& ch : clip.channels) {
    const size_t end = std::min(ch.size(), count == SIZE_MAX ? ch.size() : first + count);
    for (size_t i = first; i < end; ++i) {
      sum += static_cast<double>(ch[i]) * ch[i];
      ++n;
    }
  }
  return n ? std::sqrt(sum / static_cast<double>(n)) : 0.0;
}

double Peak(const Clip& clip) {
  double peak = 0.0;
  for (const auto& ch : clip.channels)
    for (float s : ch) peak = std::max(peak, static_cast<double>(std::fabs(s)));
  return peak;
}

size_t ClippedSamples(const Clip& clip) {
  size_t n = 0;
  for (const auto& ch : clip.channels)
    for (float s : ch) n += std::fabs(s) >= 0.999f;
  return n;
}

// The step size that only one neighbouring pair in a thousand exceeds.
double TypicalLargeStep(const std::vector<float>& ch) {
  std::vector<float> steps(ch.size() - 1);
  for (size_t i = 1; i < ch.size(); ++i) steps[i - 1] = std::fabs(ch[i] - ch[i - 1]);
  const size_t k = steps.size() * 999 / 1000;
  std::nth_element(steps.begin(), steps.begin() + k, steps.end());
  return steps[k];
}

// Coefficients a[0..order] (a[0] = 1) of the linear predictor that best
// foresees each sample from the `order` before it (autocorrelation method).
std::vector<double> Predictor(const std::vector<float>& x, int order) {
  std::vector<double> r(order + 1, 0.0);
  for (int k = 0; k <= order; ++k)
    for (size_t i = k; i < x.size(); ++i) r[k] += static_cast<double>(x[i]) * x[i - k];
  r[0] *= 1.0 + 1e-9;
  std::vector<double> a(order + 1, 0.0), prev;
  a[0] = 1.0;
  double err = r[0];
  for (int i = 1; i <= order && err > 0.0; ++i) {
    double acc = r[i];
    for (int j = 1; j < i; ++j) acc += a[j] * r[i - j];
    const double k = -acc / err;
    prev = a;
    for (int j = 1; j < i; ++j) a[j] = prev[j] + k * prev[i - j];
    a[i] = k;
    err *= 1.0 - k * k;
  }
  return a;
}

// Prediction error at sample n of x (n >= order).
double Surprise(const std::vector<float>& x, const std::vector<double>& a, size_t n) {
  double e = 0.0;
  for (size_t k = 0; k < a.size(); ++k) e += a[k] * x[n - k];
  return std::fabs(e);
}

// Mean power of the 20 ms blocks within 20 dB of the loudest block, in dBFS:
// a whole piece of music, or the audible part of a short effect.
double Loudness(const Clip& clip) {
  const size_t block = kRate / 50;
  std::vector<double> power;
  for (size_t start = 0; start + block <= clip.Frames(); start += block) {
    const double r = Rms(clip, start, block);
    power.push_back(r * r);
  }
  if (power.empty()) return Db(Rms(clip));
  const double loudest = *std::max_element(power.begin(), power.end());
  double sum = 0.0;
  size_t n = 0;
  for (double p : power)
    if (p >= loudest * 0.01) {
      sum += p;
      ++n;
    }
  return 10.0 * std::log10(sum / static_cast<double>(n));
}

bool EndsWith(const std::string& s, const char* suffix) {
  const size_t n = std::strlen(suffix);
  return s.size() >= n && s.compare(s.size() - n, n, suffix) == 0;
}

// What the game does with each file decides what it must be like.
enum class Role {
  Music,     // streamed and looped for as long as a state lasts
  Jingle,    // "levelcomplete.mp3": also looped while the picture stays up
  Effect,    // played once
  Footstep,  // played once, up to three times a second
};

struct Sound {
  const char* file;
  Role role;
};

const std::vector<Sound> kSounds = {
    {"mainmenu.mp3", Role::Music},   {"music1.mp3", Role::Music},         {"music2.mp3", Role::Music},
    {"music3.mp3", Role::Music},     {"music4.mp3", Role::Music},         {"music5.mp3", Role::Music},
    {"invincible.mp3", Role::Music}, {"levelcomplete.mp3", Role::Jingle}, {"death.wav", Role::Effect},
    {"milk.wav", Role::Effect},      {"jump.mp3", Role::Effect},          {"dirt1.wav", Role::Footstep},
    {"dirt2.wav", Role::Footstep},   {"dirt3.wav", Role::Footstep},       {"dirt4.wav", Role::Footstep},
};

std::vector<Sound> Having(std::initializer_list<Role> roles) {
  std::vector<Sound> out;
  for (const Sound& s : kSounds)
    if (std::find(roles.begin(), roles.end(), s.role) != roles.end()) out.push_back(s);
  return out;
}

bool Looped(Role role) { return role == Role::Music || role == Role::Jingle; }

// Every check of one file; a failure is reported with the file's name.
void CheckFormatLevelAndLength(const Clip& clip, Role role) {
  EXPECT_EQ(clip.info.samplerate, kRate);
  if (Looped(role)) {
    EXPECT_EQ(clip.info.channels, 2) << "music is stereo";
  } else {
    EXPECT_TRUE(clip.info.channels == 1 || clip.info.channels == 2) << clip.info.channels << " channels";
  }
  if (EndsWith(clip.name, ".wav")) {
    EXPECT_EQ(clip.info.format & SF_FORMAT_TYPEMASK, SF_FORMAT_WAV);
    EXPECT_EQ(clip.info.format & SF_FORMAT_SUBMASK, SF_FORMAT_PCM_16);
  } else {
    EXPECT_EQ(clip.info.format & SF_FORMAT_TYPEMASK, SF_FORMAT_MPEG);
  }
  EXPECT_GT(Db(Rms(clip)), -40.0) << "nearly silent";
  EXPECT_EQ(ClippedSamples(clip), 0u);
  EXPECT_LT(Db(Peak(clip)), -1.0) << "peak leaves less than 1 dB of headroom";
  // Music: long enough not to tire on repeat, short enough to stay small; the jingle a few
  // seconds of fanfare; running plays a footstep every third of a second.
  const std::map<Role, std::pair<double, double>> lengths = {{Role::Music, {20.0, 60.0}}, {Role::Jingle, {2.0, 10.0}},
                                                             {Role::Effect, {0.1, 4.0}}, {Role::Footstep, {0.05, 1.0 / 3.0}}};
  EXPECT_GE(clip.Seconds(), lengths.at(role).first);
  EXPECT_LE(clip.Seconds(), lengths.at(role).second);
}

// The music channel repeats a file endlessly: going from its last sample to its first must be
// no bigger a step than the music makes anywhere else. A stricter look at the same join: a
// predictor fitted to the music foresees each sample from the 32 before it. Across the loop
// point (end, then start) it must not be caught out much worse than by the rarest moments
// inside the music; a loop cut at the wrong sample, or one that does not continue the
// waveform, surprises it many times over.
void CheckLoopPoint(const Clip& clip) {
  constexpr int kOrder = 32;
  ASSERT_GT(clip.Frames(), 10000u);
  for (size_t c = 0; c < clip.channels.size(); ++c) {
    const auto& ch = clip.channels[c];
    const double step = std::fabs(ch.front() - ch.back());
    EXPECT_LE(step, TypicalLargeStep(ch)) << "channel " << c << " jumps from " << ch.back() << " to " << ch.front();
    const std::vector<double> a = Predictor(ch, kOrder);
    std::vector<float> inside;
    inside.reserve(ch.size());
    for (size_t n = kOrder; n < ch.size(); ++n) inside.push_back(static_cast<float>(Surprise(ch, a, n)));
    const size_t k = inside.size() * 999 / 1000;
    std::nth_element(inside.begin(), inside.begin() + k, inside.end());
    const double rare = inside[k];
    std::vector<float> joined(ch.end() - kOrder, ch.end());
    joined.insert(joined.end(), ch.begin(), ch.begin() + 8);
    double seam = 0.0;
    for (size_t n = kOrder; n < kOrder + 3; ++n) seam = std::max(seam, Surprise(joined, a, n));
    EXPECT_LE(seam, 4.0 * rare) << "channel " << c << ": prediction error " << seam << " at the loop point, "
                                << rare << " at the rarest 0.1% inside";
  }
}

TEST(Sounds, EachFileSuitsWhatTheGameDoesWithIt) {
  for (const Sound& sound : kSounds) {
    SCOPED_TRACE(sound.file);
    const Clip clip = Load(sound.file);
    ASSERT_TRUE(clip.ok) << clip.error;
    CheckFormatLevelAndLength(clip, sound.role);
    if (Looped(sound.role)) CheckLoopPoint(clip);
    if (sound.role == Role::Music) {
      // A faded-out ending would make the music drop away every time it comes round (the
      // jingle is exempt: it rings out before it starts again).
      const size_t window = kRate / 4;
      const double overall = Db(Rms(clip));
      EXPECT_GT(Db(Rms(clip, 0, window)), overall - 12.0) << "starts too quietly";
      EXPECT_GT(Db(Rms(clip, clip.Frames() - window, window)), overall - 12.0) << "ends too quietly";
    } else if (!Looped(sound.role)) {
      // Played once: starts and ends in silence, with a faded tail.
      for (const auto& ch : clip.channels) {
        EXPECT_LT(std::fabs(ch.front()), 0.01f) << "starts with a click";
        EXPECT_LT(std::fabs(ch.back()), 0.01f) << "is cut off";
      }
      const size_t w = kRate / 100;
      ASSERT_GT(clip.Frames(), w);
      EXPECT_LT(Db(Rms(clip, clip.Frames() - w, w)), Loudness(clip) - 30.0) << "last 10 ms are not a faded tail";
    }
  }
}

// Files that take turns with each other (the menu, level and umbrella tracks replace one
// another, and the four footsteps are picked at random) share one loudness and are different
// sounds; the jingle and the effects are heard against the music and sit at its level.
TEST(Sounds, FamiliesShareOneLoudnessAndEffectsSitAtTheMusicsLevel) {
  double music = 0.0;
  for (Role role : {Role::Music, Role::Footstep}) {
    std::vector<Clip> clips;
    for (const Sound& s : Having({role})) {
      clips.push_back(Load(s.file));
      ASSERT_TRUE(clips.back().ok) << clips.back().error;
    }
    double lo = 1e9, hi = -1e9;
    for (const Clip& clip : clips) {
      const double level = Loudness(clip);
      lo = std::min(lo, level);
      hi = std::max(hi, level);
      if (role == Role::Music) music += level / static_cast<double>(clips.size());
    }
    EXPECT_LE(hi - lo, 2.0) << "loudness from " << lo << " to " << hi << " dBFS in one family";
    for (size_t a = 0; a < clips.size(); ++a)
      for (size_t b = a + 1; b < clips.size(); ++b) {
        const auto& x = clips[a].channels[0];
        const auto& y = clips[b].channels[0];
        double xy = 0, xx = 0, yy = 0;
        for (size_t i = 0; i < std::min(x.size(), y.size()); ++i) {
          xy += static_cast<double>(x[i]) * y[i];
          xx += static_cast<double>(x[i]) * x[i];
          yy += static_cast<double>(y[i]) * y[i];
        }
        EXPECT_LT(xy / std::sqrt(xx * yy + 1e-30), 0.9) << clips[a].name << " and " << clips[b].name << " are alike";
      }
  }
  for (const Sound& s : Having({Role::Jingle, Role::Effect})) {
    const Clip clip = Load(s.file);
    ASSERT_TRUE(clip.ok) << clip.error;
    EXPECT_NEAR(Loudness(clip), music, 3.0) << s.file;
  }
}

}  // namespace
