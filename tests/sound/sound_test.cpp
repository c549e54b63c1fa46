// The sound layer and the sound manager on real OpenAL Soft and libsndfile.
//
// OpenAL Soft reads its configuration once, at its first call, so each output runs in a process
// of its own (see main): "wave" records the mix into a WAV file that the tests decode again,
// "none" has no device that opens, "lost" has a device that fails once it starts writing.
// The wave output mixes in real time, so those tests wait for what they play.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <thread>

#include "platform/SoundLibrary.h"
#include "services/SoundManager.h"
#include "support/SoundAnalysis.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;
using soundcheck::Recording;
using testsupport::Lines;

namespace {

fs::path g_outputFolder;
fs::path g_waveFile;

constexpr int kRate = 44100;
// The tests' streams keep a short queue of decoded frames (0.37 s); test music is longer, so it
// only plays on if the per-frame update keeps topping the queue up.
constexpr int kTestChunkFrames = 4096;
constexpr int kTestChunks = 4;
const double kQueueSeconds = static_cast<double>(kTestChunkFrames) * kTestChunks / kRate;

int CountLines(const std::string& text, const std::string& needle) {
    int count = 0;
    for (const std::string& line : Lines(text))
        if (line.find(needle) != std::string::npos) ++count;
    return count;
}

std::vector<std::string> ErrorLines(const std::string& text) {
    std::vector<std::string> errors;
    for (const std::string& line : Lines(text))
        if (line.rfind("ERROR:", 0) == 0) errors.push_back(line);
    return errors;
}

// A folder with resources/sounds/ as the working folder, a sound manager started in it with
// its output captured, and helpers to let time pass as the game's frames would.
class SoundTest : public ::testing::Test {
protected:
    void WriteSound(const std::string& name, const std::vector<float>& samples, int channels = 1) {
        const fs::path path = dir.Path() / "resources" / "sounds" / name;
        fs::create_directories(path.parent_path());
        ASSERT_TRUE(soundcheck::Write(path.string(), samples, channels)) << path;
    }
    // Short stand-ins for the game's own sounds.
    void WriteGameSounds() {
        WriteSound("death.wav", soundcheck::Tone(300, 0.1));
        WriteSound("jump.mp3", soundcheck::Tone(600, 0.1));
        for (int i = 1; i <= 4; ++i) WriteSound("dirt" + std::to_string(i) + ".wav", soundcheck::Tone(200.0 * i, 0.05));
        WriteSound("mainmenu.mp3", soundcheck::Tone(440, 0.5));
        WriteSound("music1.mp3", soundcheck::Tone(500, 0.5));
        WriteSound("invincible.mp3", soundcheck::Tone(700, 0.5));
    }
    void WriteBytes(const std::string& name, const std::string& bytes) { dir.Write("resources/sounds/" + name, bytes); }

    void StartManager() {
        Capture();
        manager = std::make_unique<CSoundManager>();
        if (shortStreamQueue) manager->State().system->SetStreamBufferSize(kTestChunkFrames, kTestChunks);
    }
    // For tests that only look at what comes after the start-up lines.
    void StartManagerQuietly() {
        StartManager();
        Collect();
        out.clear();
        err.clear();
        Capture();
    }
    void Capture() {
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        capturing = true;
    }
    // Ends the capture; what was written since the last call is in out / err.
    void Collect() {
        if (!capturing) return;
        out += testing::internal::GetCapturedStdout();
        err += testing::internal::GetCapturedStderr();
        std::cout << std::dec;
        capturing = false;
    }
    // Frames of about 5 ms for this long, each ending with the sound update.
    void Pump(double seconds) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (std::chrono::steady_clock::now() < end) {
            manager->Update();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    // Shuts the manager down (which closes the wave file) and decodes what was recorded.
    Recording Finish() {
        manager.reset();
        Collect();
        Recording recording;
        EXPECT_TRUE(soundcheck::Load(g_waveFile.string(), &recording)) << g_waveFile;
        EXPECT_EQ(recording.rate, kRate);
        return recording;
    }
    void TearDown() override {
        manager.reset();
        Collect();
    }

    testsupport::ScopedWorkDir dir;
    std::unique_ptr<CSoundManager> manager;
    bool shortStreamQueue = true;
    bool capturing = false;
    std::string out, err;
};

// A tune whose beginning is marked: `marker` Hz for 80 ms, then `body` Hz, `seconds` long.
std::vector<float> MarkedTune(double marker, double body, double seconds) {
    return soundcheck::Join(soundcheck::Tone(marker, 0.08), soundcheck::Tone(body, seconds - 0.08));
}

// ---------------------------------------------------------------------------------------------
// The wave-file output.

using WaveOutput = SoundTest;

TEST_F(WaveOutput, StartUpNamesTheLibraryAndTheDevice) {
    StartManager();
    Collect();
    // The real version, each part printed in hexadecimal: a decimal part above 9 would give it away.
    const std::vector<std::string> expected = {
        "Initializing Sound", std::string("Sound provided by OpenAL Soft version ") + TAVO_OPENAL_VERSION,
        "Available sound drivers:", "\tDevice 0: Wave File Writer", "OpenAL Soft using driver 0",
        "Using STEREO speaker mode", "OpenAL Soft initialized"};
    EXPECT_EQ(Lines(out), expected) << err;
    EXPECT_TRUE(ErrorLines(err).empty()) << err;
}

TEST_F(WaveOutput, EffectsPlayTheirSamplesOnce) {
    WriteSound("beep.wav", soundcheck::Sweep(500, 1500, 0.25));
    WriteSound("jump.mp3", soundcheck::Sweep(2000, 1000, 0.2));
    StartManager();
    Pump(0.2);
    manager->PlaySound("beep.wav");
    Pump(0.5);
    manager->PlayJumpSound();
    Pump(0.5);
    const Recording recording = Finish();

    EXPECT_TRUE(ErrorLines(err).empty()) << err;
    const auto stretches = soundcheck::Sounding(recording, 0.01, 0.02);
    ASSERT_EQ(stretches.size(), 2u) << "expected the beep and the jump, once each";
    EXPECT_NEAR(stretches[0].Length(), 0.25, 0.03);
    EXPECT_NEAR(stretches[1].Length(), 0.2, 0.03);
    EXPECT_NEAR(stretches[1].start - stretches[0].start, 0.5, 0.1);
    // The very samples of each file, as libsndfile decodes them, at the start of its stretch.
    for (size_t i = 0; i < 2; ++i) {
        const std::string name = i == 0 ? "beep.wav" : "jump.mp3";
        SCOPED_TRACE(name);
        Recording reference;
        ASSERT_TRUE(soundcheck::Load((dir.Path() / "resources" / "sounds" / name).string(), &reference));
        const auto match = soundcheck::Find(recording, reference);
        EXPECT_GT(match.correlation, 0.98);
        EXPECT_NEAR(match.seconds, stretches[i].start, 0.006);
    }
}

// Music longer than the stream's queue, played for more than two rounds: one unbroken stretch
// (streamed on time, no gap at the joins) with the tune's start marker once per round, and
// silence after StopMusic.
class WaveMusic : public SoundTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(WaveMusic, StreamsAndLoopsWithoutAGapThenStops) {
    const std::string name = "tune" + GetParam();
    const double length = kQueueSeconds + 0.35;
    WriteSound(name, soundcheck::Stereo(MarkedTune(1500, 500, length)), 2);
    StartManager();
    manager->StartMusic(name);
    Pump(2.0);
    manager->StopMusic();
    Pump(0.3);
    const Recording recording = Finish();

    EXPECT_TRUE(ErrorLines(err).empty()) << err;
    const auto stretches = soundcheck::Sounding(recording, 0.01);
    ASSERT_EQ(stretches.size(), 1u) << "the music broke off or has a gap";
    EXPECT_NEAR(stretches[0].Length(), 2.0, 0.15);
    const auto starts = soundcheck::ToneOnsets(recording, 1500, 0.1);
    ASSERT_EQ(starts.size(), 3u) << "expected the tune's beginning three times";
    EXPECT_NEAR(starts[0], stretches[0].start, 0.01);
    EXPECT_NEAR(starts[1] - starts[0], length, 0.012);
    EXPECT_NEAR(starts[2] - starts[1], length, 0.012);
    EXPECT_LT(soundcheck::Rms(recording, recording.Seconds() - 0.2, 0.2), 0.001) << "still playing after StopMusic";
}

INSTANTIATE_TEST_SUITE_P(Formats, WaveMusic, ::testing::Values(".wav", ".mp3", ".ogg"),
                         [](const auto& test) { return test.param.substr(1); });

TEST_F(WaveOutput, StartingTheSameMusicAgainRestartsItFromTheBeginning) {
    const double length = kQueueSeconds + 0.35;
    WriteSound("mainmenu.mp3", MarkedTune(1500, 500, length));
    StartManager();
    manager->StartMusic("mainmenu.mp3");
    Pump(0.45);
    manager->StartMusic("mainmenu.mp3");
    Pump(0.5);
    manager->StopMusic();
    manager->StopMusic();  // stopping again is harmless
    Pump(0.4);
    const Recording recording = Finish();

    EXPECT_EQ(CountLines(out, "LOADING sound (streamed): mainmenu.mp3"), 1) << "the stream is opened once";
    EXPECT_TRUE(ErrorLines(err).empty()) << err;
    const auto starts = soundcheck::ToneOnsets(recording, 1500, 0.05);
    ASSERT_EQ(starts.size(), 2u);
    // The second start comes where it was asked for, long before the end of the tune.
    EXPECT_GT(starts[1] - starts[0], 0.4);
    EXPECT_LT(starts[1] - starts[0], 0.65);
    const auto stretches = soundcheck::Sounding(recording, 0.01);
    ASSERT_FALSE(stretches.empty());
    EXPECT_NEAR(stretches.back().end - starts[1], 0.5, 0.1) << "the music did not stop with StopMusic";
    EXPECT_LT(soundcheck::Rms(recording, recording.Seconds() - 0.25, 0.25), 0.001);
}

TEST_F(WaveOutput, TheGameQueueCarriesMusicOverASlowFrame) {
    shortStreamQueue = false;
    WriteSound("mainmenu.mp3", MarkedTune(1500, 500, 1.0));
    StartManager();
    manager->StartMusic("mainmenu.mp3");
    Pump(0.1);
    // A frame that uploads big pictures on a slow machine.
    std::this_thread::sleep_for(std::chrono::milliseconds(2000));
    Pump(0.6);
    manager->StopMusic();
    Pump(0.2);
    const Recording recording = Finish();

    const auto stretches = soundcheck::Sounding(recording, 0.01);
    ASSERT_EQ(stretches.size(), 1u) << "the music broke off during the slow frame";
    EXPECT_NEAR(stretches[0].Length(), 2.7, 0.15);
    const auto starts = soundcheck::ToneOnsets(recording, 1500, 0.1);
    ASSERT_EQ(starts.size(), 3u);
    EXPECT_NEAR(starts[2] - starts[0], 2.0, 0.012);
}

TEST_F(WaveOutput, LevelMusicComesBackFromItsBeginningAfterTheUmbrellaMusic) {
    WriteSound("music3.mp3", MarkedTune(1100, 700, 1.5));
    WriteSound("invincible.mp3", soundcheck::Tone(1800, 1.5));
    StartManager();
    // The level loader passes the digit of "level3.dae".
    manager->PlayLevelMusic(3);
    Pump(0.4);
    manager->StartMusic("invincible.mp3");
    Pump(0.4);
    manager->ResumeLevelMusic();
    Pump(0.4);
    EXPECT_EQ(manager->State().levelMusic, 3);
    const Recording recording = Finish();

    EXPECT_EQ(CountLines(out, "LOADING sound (streamed): music3.mp3"), 1);
    EXPECT_EQ(CountLines(out, "LOADING sound (streamed): invincible.mp3"), 1);
    EXPECT_TRUE(ErrorLines(err).empty()) << err;
    const auto levelStarts = soundcheck::ToneOnsets(recording, 1100, 0.05);
    ASSERT_EQ(levelStarts.size(), 2u);
    EXPECT_NEAR(levelStarts[1] - levelStarts[0], 0.8, 0.1);
    const double umbrella = levelStarts[0] + 0.5;
    EXPECT_GT(soundcheck::ToneLevel(recording, 1800, umbrella, 0.2), 0.1);
    EXPECT_LT(soundcheck::ToneLevel(recording, 700, umbrella, 0.2), 0.01) << "two tunes at once";
    EXPECT_GT(soundcheck::ToneLevel(recording, 700, levelStarts[1] + 0.15, 0.2), 0.1);
    EXPECT_LT(soundcheck::ToneLevel(recording, 1800, levelStarts[1] + 0.15, 0.2), 0.01);
}

// The player's volumes change what plays at once: the music under way drops to half and to
// nothing, an effect under way drops to 30 %, and a later effect starts at the new volume.
TEST_F(WaveOutput, MusicAndEffectsFollowThePlayersVolumesAtOnce) {
    WriteSound("music1.mp3", soundcheck::Tone(500, 4.0));
    WriteSound("beep.wav", soundcheck::Tone(1200, 0.8));
    WriteSound("blip.wav", soundcheck::Tone(900, 0.2));
    StartManager();
    manager->PlayLevelMusic(1);
    Pump(0.4);
    manager->SetMusicVolume(50);
    Pump(0.4);
    manager->SetMusicVolume(0);
    manager->PlaySound("beep.wav");
    Pump(0.4);
    manager->SetEffectsVolume(30);
    Pump(0.6);
    manager->PlaySound("blip.wav");
    Pump(0.4);
    manager->SetEffectsVolume(100);
    manager->PlaySound("blip.wav");
    Pump(0.4);
    EXPECT_EQ(manager->MusicVolume(), 0);
    EXPECT_EQ(manager->EffectsVolume(), 100);
    const Recording recording = Finish();
    EXPECT_TRUE(ErrorLines(err).empty()) << err;

    const auto sounding = soundcheck::Sounding(recording, 0.01);
    ASSERT_FALSE(sounding.empty());
    const double start = sounding.front().start;  // the music's first sample
    // The beep's own start splashes over the blip's frequency: only onsets after it count.
    std::vector<double> blips;
    for (double onset : soundcheck::ToneOnsets(recording, 900, 0.01))
        if (onset > start + 1.5) blips.push_back(onset);
    ASSERT_EQ(blips.size(), 2u) << "two blips, the quiet one too: " << ::testing::PrintToString(blips) << " from " << start;
    struct Stretch {
        const char* what;
        double frequency, from, expected;  // expected: relative to the first stretch of its sound
    };
    const double musicFull = soundcheck::ToneLevel(recording, 500, start + 0.1, 0.2);
    const double beepFull = soundcheck::ToneLevel(recording, 1200, start + 0.85, 0.2);
    const double blipFull = soundcheck::ToneLevel(recording, 900, blips[1] + 0.03, 0.12);
    ASSERT_GT(musicFull, 0.05);
    ASSERT_GT(beepFull, 0.05);
    ASSERT_GT(blipFull, 0.05);
    const Stretch stretches[] = {
        {"music at 50 %", 500, start + 0.5, 0.5 * musicFull},
        {"music at 0 %", 500, start + 0.9, 0.0},
        {"beep under way at 30 %", 1200, start + 1.3, 0.3 * beepFull},
        {"blip started at 30 %", 900, blips[0] + 0.03, 0.3 * blipFull},
    };
    for (const Stretch& stretch : stretches) {
        const double length = stretch.frequency == 900 ? 0.12 : 0.2;
        EXPECT_NEAR(soundcheck::ToneLevel(recording, stretch.frequency, stretch.from, length), stretch.expected,
                    0.06 * musicFull)
            << stretch.what;
    }
}

// ---------------------------------------------------------------------------------------------
// No sound device: OpenAL Soft's only device cannot open.

using NoDevice = SoundTest;


TEST_F(NoDevice, StartUpSaysSoAndEveryCallSucceedsSilently) {
    WriteGameSounds();
    StartManager();
    Collect();
    const std::string startOut = out, startErr = err;
    out.clear();
    err.clear();
    // No device list between the version and the end of the start-up (WaveOutput has the rest).
    const auto lines = Lines(startOut);
    ASSERT_EQ(lines.size(), 3u) << startOut;
    EXPECT_EQ(lines[2], "OpenAL Soft initialized");
    EXPECT_EQ(ErrorLines(startErr), std::vector<std::string>{"ERROR: OpenAL Soft found no suitable sound devices for "
                                                             "playpack! No sounds can be played ..."});
    snd::OutputType output = snd::OUTPUTTYPE_AUTODETECT;
    manager->State().system->GetOutput(&output);
    EXPECT_EQ(output, snd::OUTPUTTYPE_NOSOUND);

    Capture();
    manager->StartMusic("mainmenu.mp3");
    manager->StopMusic();
    manager->PlaySound("death.wav");
    manager->PlayJumpSound();
    for (int i = 0; i < 10; ++i) manager->PlayFootstepSound();
    manager->PlayLevelMusic(1);
    manager->StartMusic("invincible.mp3");
    manager->ResumeLevelMusic();
    // More effects than there are channels.
    for (int i = 0; i < 150; ++i) manager->PlaySound("death.wav");
    Pump(1.2);
    Collect();
    EXPECT_TRUE(ErrorLines(err).empty()) << err;
    EXPECT_EQ(err.find("WARNING"), std::string::npos) << err;

    // The silent output still runs in time: effects end, and the 0.5 s level music loops on.
    int playing = -1;
    manager->State().system->GetChannelsPlaying(&playing);
    EXPECT_EQ(playing, 1);
    bool musicPlaying = false;
    EXPECT_EQ(manager->State().musicChannel.IsPlaying(&musicPlaying), snd::OK);
    EXPECT_TRUE(musicPlaying);
}

TEST_F(NoDevice, MissingFilesAreReportedOnceAndNotOpenedAgain) {
    StartManagerQuietly();
    for (int i = 0; i < 3; ++i) manager->PlayJumpSound();
    for (int i = 0; i < 2; ++i) manager->PlayLevelMusic(12);  // the start-up left the stream in hexadecimal
    // The file appears later: the name is settled, it is not tried again.
    WriteSound("jump.mp3", soundcheck::Tone(600, 0.1));
    manager->PlayJumpSound();
    Collect();

    EXPECT_EQ(CountLines(out, "LOADING sound: jump.mp3"), 1) << out;
    EXPECT_EQ(CountLines(out, "LOADING sound (streamed): music12.mp3"), 1) << out;
    EXPECT_EQ(CountLines(err, "ERROR: Sound layer returned error: 'FMOD_ERR_FILE_NOTFOUND' while: createSound"), 1) << err;
    EXPECT_EQ(CountLines(err, "while: playSound"), 4) << err;
    EXPECT_EQ(CountLines(err, "ERROR: Sound layer returned error: 'FMOD_ERR_FILE_NOTFOUND' while: createStream"), 1) << err;
    EXPECT_EQ(CountLines(err, "while: startMusic"), 2) << err;
    EXPECT_EQ(ErrorLines(err).size(), 8u) << err;
    EXPECT_EQ(manager->State().sounds.at("jump.mp3"), nullptr);
    EXPECT_EQ(manager->State().streams.at("music12.mp3"), nullptr);
    EXPECT_EQ(manager->State().levelMusic, 12);
}

TEST_F(NoDevice, BrokenSoundFilesAreReportedAndTheGameGoesOn) {
    const std::string wav = [] {
        testsupport::ScopedWorkDir scratch;
        soundcheck::Write("whole.wav", soundcheck::Tone(440, 0.5), 1);
        std::ifstream in("whole.wav", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }();
    ASSERT_GT(wav.size(), 44u);
    WriteBytes("empty.wav", "");
    WriteBytes("half.wav", wav.substr(0, wav.size() / 2));
    std::string brokenHeader = wav;
    brokenHeader.replace(16, 4, "\xff\xff\xff\xff");  // the format chunk's length
    WriteBytes("header.wav", brokenHeader);
    WriteBytes("picture.wav", testsupport::EncodePng(4, 4, 3, std::vector<unsigned char>(48, 200)));

    StartManagerQuietly();
    for (const char* name : {"empty.wav", "half.wav", "header.wav", "picture.wav"}) manager->PlaySound(name);
    for (const char* name : {"empty.wav", "half.wav", "header.wav", "picture.wav"}) manager->PlaySound(name);
    Pump(0.1);
    Collect();

    for (const char* name : {"empty.wav", "header.wav", "picture.wav"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(CountLines(err, std::string("ERROR: Sound file 'resources/sounds/") + name + "' cannot be decoded"), 1)
            << err;
    }
    EXPECT_EQ(CountLines(err, "ERROR: Sound layer returned error: 'FMOD_ERR_FORMAT' while: createSound"), 3) << err;
    // Twice for each of the three that did not open, and never for the half file, which plays.
    EXPECT_EQ(CountLines(err, "while: playSound"), 6) << err;
    EXPECT_EQ(CountLines(err, "WARNING: Sound file 'resources/sounds/half.wav' is shorter than its header says"), 1)
        << err;
    ASSERT_NE(manager->State().sounds.at("half.wav"), nullptr);
    int64_t frames = 0;
    manager->State().sounds.at("half.wav")->GetFormat(&frames, nullptr, nullptr);
    EXPECT_NEAR(static_cast<double>(frames), 0.25 * kRate, 40.0);
}

TEST_F(NoDevice, MusicThatEndsEarlyIsReportedOnceAndLoopsOn) {
    {
        testsupport::ScopedWorkDir scratch;
        ASSERT_TRUE(soundcheck::Write("whole.mp3", soundcheck::Tone(440, 0.6), 1));
        std::ifstream in("whole.mp3", std::ios::binary);
        const std::string mp3(std::istreambuf_iterator<char>(in), {});
        // Cut in the middle: the header still promises the whole tune.
        WriteBytes("music2.mp3", mp3.substr(0, mp3.size() / 2));
    }
    StartManagerQuietly();
    manager->PlayLevelMusic(2);
    Pump(1.5);  // several rounds of the short file
    bool playing = false;
    manager->State().musicChannel.IsPlaying(&playing);
    Collect();
    EXPECT_TRUE(playing);
    EXPECT_EQ(CountLines(err, "WARNING: Music stream 'resources/sounds/music2.mp3' ended early"), 1) << err;
    EXPECT_TRUE(ErrorLines(err).empty()) << err;
}

TEST_F(NoDevice, FootstepsNeverRepeatAndUseTheFourSounds) {
    WriteGameSounds();
    StartManagerQuietly();
    std::srand(20261207);
    std::vector<int> counts(5, 0);
    int previous = manager->State().lastFootstep;
    EXPECT_EQ(previous, 0);
    for (int i = 0; i < 1000; ++i) {
        manager->PlayFootstepSound();
        const int step = manager->State().lastFootstep;
        ASSERT_GE(step, 1);
        ASSERT_LE(step, 4);
        ASSERT_NE(step, previous) << "call " << i;
        ++counts[static_cast<size_t>(step)];
        previous = step;
    }
    Collect();
    for (int n = 1; n <= 4; ++n) {
        EXPECT_GT(counts[static_cast<size_t>(n)], 200) << "dirt" << n << ".wav";
        EXPECT_EQ(CountLines(out, "LOADING sound: dirt" + std::to_string(n) + ".wav"), 1);
    }
    EXPECT_TRUE(ErrorLines(err).empty()) << err;
}

// The last name of the table, and values beyond either end of it.
TEST(ResultNames, CheckResultWritesTheNameOfTheValue) {
    for (const auto& [value, name] : std::vector<std::pair<int, std::string>>{
             {97, "FMOD_ERR_MUSIC_NOCALLBACK"}, {98, "UNKNOWN ERROR VALUE!"}, {-1, "UNKNOWN ERROR VALUE!"}}) {
        testing::internal::CaptureStderr();
        CSoundManager::CheckResult(value, "test");
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "ERROR: Sound layer returned error: '" + name + "' while: test\n");
    }
}

// The layer itself, on the silent output.
class SilentSystem : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(snd::System::Create(&system), snd::OK);
        ASSERT_EQ(system->SetOutput(snd::OUTPUTTYPE_NOSOUND), snd::OK);
        const fs::path folder = dir.Path();
        ASSERT_TRUE(soundcheck::Write((folder / "long.wav").string(), soundcheck::Tone(440, 5.0), 1));
        ASSERT_TRUE(soundcheck::Write((folder / "short.wav").string(), soundcheck::Tone(440, 0.05), 1));
    }
    testsupport::ScopedWorkDir dir;
    std::unique_ptr<snd::System> system;
};

TEST_F(SilentSystem, SpeakerModesItCannotMixForFailInitUntilStereoIsChosen) {
    ASSERT_EQ(system->SetSpeakerMode(snd::SPEAKERMODE_PROLOGIC), snd::OK);
    EXPECT_EQ(system->Init(100, snd::INIT_3D_RIGHTHANDED, nullptr), snd::ERR_OUTPUT_CREATEBUFFER);
    ASSERT_EQ(system->SetSpeakerMode(snd::SPEAKERMODE_STEREO), snd::OK);
    EXPECT_EQ(system->Init(100, snd::INIT_3D_RIGHTHANDED, nullptr), snd::OK);
    EXPECT_EQ(system->Init(100, snd::INIT_3D_RIGHTHANDED, nullptr), snd::ERR_INITIALIZED);
}

TEST_F(SilentSystem, AnOutputThatCannotStartLeavesASystemThatStillAnswers) {
    // OpenAL Soft makes no context below 8 kHz.
    ASSERT_EQ(system->SetSoftwareFormat(1000, snd::SOUND_FORMAT_PCMFLOAT, 0, 0, snd::DSP_RESAMPLER_LINEAR), snd::OK);
    testing::internal::CaptureStderr();
    EXPECT_EQ(system->Init(100, snd::INIT_NORMAL, nullptr), snd::ERR_OUTPUT_INIT);
    const std::string initErr = testing::internal::GetCapturedStderr();
    EXPECT_NE(initErr.find("WARNING: Sound cannot even be mixed without output"), std::string::npos) << initErr;
    std::unique_ptr<snd::Sound> sound;
    EXPECT_EQ(system->CreateSound("short.wav", snd::MODE_DEFAULT, &sound), snd::OK);
    ASSERT_NE(sound, nullptr);
    snd::Channel channel;
    EXPECT_EQ(system->PlaySound(snd::CHANNEL_FREE, sound.get(), false, &channel), snd::OK);
    EXPECT_TRUE(channel.IsNull());
    EXPECT_EQ(system->Update(), snd::OK);
}

TEST_F(SilentSystem, AHundredChannelsAndHandlesThatGoStale) {
    ASSERT_EQ(system->Init(100, snd::INIT_NORMAL, nullptr), snd::OK);
    std::unique_ptr<snd::Sound> longSound, shortSound;
    ASSERT_EQ(system->CreateSound("long.wav", snd::MODE_DEFAULT, &longSound), snd::OK);
    ASSERT_EQ(system->CreateSound("short.wav", snd::MODE_DEFAULT, &shortSound), snd::OK);

    std::vector<snd::Channel> channels(100);
    for (auto& channel : channels) ASSERT_EQ(system->PlaySound(snd::CHANNEL_FREE, longSound.get(), false, &channel), snd::OK);
    int playing = 0;
    system->GetChannelsPlaying(&playing);
    EXPECT_EQ(playing, 100);
    // One more: the effect that started first makes room, and its handle no longer reaches it.
    snd::Channel extra;
    ASSERT_EQ(system->PlaySound(snd::CHANNEL_FREE, longSound.get(), false, &extra), snd::OK);
    EXPECT_EQ(extra.Index(), channels[0].Index());
    bool isPlaying = true;
    EXPECT_EQ(channels[0].IsPlaying(&isPlaying), snd::ERR_INVALID_HANDLE);
    EXPECT_EQ(channels[0].Stop(), snd::ERR_INVALID_HANDLE);
    EXPECT_EQ(extra.IsPlaying(&isPlaying), snd::OK);
    EXPECT_TRUE(isPlaying) << "a stale handle stopped the play that took its channel";

    for (auto& channel : channels) channel.Stop();
    extra.Stop();
    // A short effect ends by itself as the silent output mixes on; its channel is given again.
    snd::Channel first, second;
    ASSERT_EQ(system->PlaySound(snd::CHANNEL_FREE, shortSound.get(), false, &first), snd::OK);
    for (int i = 0; i < 40; ++i) {
        system->Update();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    first.IsPlaying(&isPlaying);
    EXPECT_FALSE(isPlaying);
    EXPECT_EQ(first.Stop(), snd::OK);  // harmless after the end
    ASSERT_EQ(system->PlaySound(snd::CHANNEL_FREE, longSound.get(), false, &second), snd::OK);
    EXPECT_EQ(first.Stop(), second.Index() == first.Index() ? snd::ERR_INVALID_HANDLE : snd::OK);
    second.IsPlaying(&isPlaying);
    EXPECT_TRUE(isPlaying);
}

// ---------------------------------------------------------------------------------------------
// A device that opens and then fails to write (the wave output into /dev/full).

using LostDevice = SoundTest;

TEST_F(LostDevice, IsReportedOnceAndTheGameGoesOnSilently) {
    WriteSound("mainmenu.mp3", soundcheck::Tone(440, 0.5));
    WriteSound("death.wav", soundcheck::Tone(300, 0.1));
    StartManager();
    manager->StartMusic("mainmenu.mp3");
    Pump(1.0);
    for (int i = 0; i < 5; ++i) {
        manager->PlaySound("death.wav");
        manager->StartMusic("mainmenu.mp3");
        manager->StopMusic();
        Pump(0.05);
    }
    Collect();
    EXPECT_NE(out.find("\tDevice 0: Wave File Writer"), std::string::npos) << out;
    EXPECT_NE(out.find("OpenAL Soft initialized"), std::string::npos) << out;
    EXPECT_EQ(CountLines(err, "WARNING: Sound device 'Wave File Writer' stopped working; the game goes on without sound"),
              1)
        << err;
    EXPECT_TRUE(ErrorLines(err).empty()) << err;
}

}  // namespace

// Usage: sound_tests --sound-output=wave|none|lost [gtest flags]
int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    std::string output = "wave";
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--sound-output=", 15) == 0) output = argv[i] + 15;

    g_outputFolder = fs::temp_directory_path() / ("tavo-sound-" + std::to_string(::getpid()));
    fs::create_directories(g_outputFolder);
    g_waveFile = g_outputFolder / "mix.wav";
    std::string file = g_waveFile.string();
    if (output == "none") file = (g_outputFolder / "no-such-folder" / "mix.wav").string();
    else if (output == "lost") file = "/dev/full";
    else if (output != "wave") {
        std::cerr << "unknown --sound-output " << output << std::endl;
        return 2;
    }
    const fs::path config = g_outputFolder / "alsoft.conf";
    std::ofstream(config) << "[general]\ndrivers = wave\nchannels = stereo\nsample-type = int16\nfrequency = 44100\n"
                             "hrtf = false\ndither = false\noutput-limiter = false\n[wave]\nfile = "
                          << file << "\n";
    // Before the first OpenAL call: OpenAL Soft reads its configuration only once.
    setenv("ALSOFT_CONF", config.c_str(), 1);
    unsetenv("ALSOFT_DRIVERS");
    const int result = RUN_ALL_TESTS();
    std::error_code ignored;
    fs::remove_all(g_outputFolder, ignored);
    return result;
}
