// The shipped sounds through libsndfile, as the sound layer decodes them: each file the game
// plays decodes to mono or stereo samples (all the layer plays), audible and unclipped.

#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

TEST(Sounds, EachFileTheGamePlaysDecodesToAudibleMonoOrStereo) {
    std::vector<std::string> names = {"mainmenu.mp3", "invincible.mp3", "levelcomplete.mp3", "death.wav",
                                      "milk.wav", "jump.mp3"};
    for (int i = 1; i <= 5; ++i) names.push_back("music" + std::to_string(i) + ".mp3");
    for (int i = 1; i <= 4; ++i) names.push_back("dirt" + std::to_string(i) + ".wav");
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        SF_INFO info{};
        SNDFILE* file = sf_open(("resources/sounds/" + name).c_str(), SFM_READ, &info);
        ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
        EXPECT_TRUE(info.channels == 1 || info.channels == 2) << info.channels << " channels";
        // Music loops for as long as a state lasts: it is stereo.
        const bool music = name.find(".mp3") != std::string::npos && name != "jump.mp3";
        EXPECT_TRUE(!music || info.channels == 2) << "music is stereo";
        std::vector<float> samples(4096 * static_cast<size_t>(std::max(info.channels, 1)));
        double sum = 0.0, peak = 0.0;
        size_t count = 0;
        for (sf_count_t got; (got = sf_read_float(file, samples.data(), static_cast<sf_count_t>(samples.size()))) > 0;)
            for (sf_count_t i = 0; i < got; ++i, ++count) {
                sum += static_cast<double>(samples[static_cast<size_t>(i)]) * samples[static_cast<size_t>(i)];
                peak = std::max(peak, static_cast<double>(std::fabs(samples[static_cast<size_t>(i)])));
            }
        sf_close(file);
        ASSERT_GT(count, 0u) << "no samples decoded";
        EXPECT_GT(20.0 * std::log10(std::sqrt(sum / static_cast<double>(count)) + 1e-12), -40.0) << "nearly silent";
        EXPECT_LT(peak, 0.999) << "clipped";
    }
}

}  // namespace
