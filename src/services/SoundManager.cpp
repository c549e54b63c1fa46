#include "services/SoundManager.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iostream>

#include "platform/DataPaths.h"

namespace {

const char* const kSoundFolder = "resources/sounds/";
// What the game says runs its sound, in the start-up lines.
const char* const kSoundLibraryName = "OpenAL Soft";
constexpr int kChannels = 100;
constexpr int kDriverNameLength = 256;

// Speaker-mode lines by mode number; other values are unknown.
const char* const kSpeakerModeLines[] = {
    "Using RAW speaker mode",      "Using MONO speaker mode", "Using STEREO speaker mode",
    "Using QUAD speaker mode",     "Using SURROUND speaker mode", "Using 5.1 speaker mode",
    "Using 7.1 speaker mode",      "Using ProLogic speaker mode",
};

}  // namespace

CSoundManager::CSoundManager() { StartUp(); }

CSoundManager::~CSoundManager() {
    // Sounds first: they hold buffers that belong to the system's output.
    for (auto& entry : state->sounds) entry.second.reset();
    for (auto& entry : state->streams) entry.second.reset();
    state->system.reset();
    state->sounds.clear();
    state->streams.clear();
    state.reset();
}

void CSoundManager::StartUp() {
    std::cout << "Initializing Sound" << std::endl;
    state = std::make_unique<CSoundManagerState>();
    state->owner = this;
    snd::Result result = snd::System::Create(&state->system);
    if (result != snd::OK) {
        CheckResult(result, "System Creation");
        return;
    }
    snd::System& system = *state->system;

    unsigned version = 0;
    result = system.GetVersion(&version);
    if (result != snd::OK) CheckResult(result, "System getVersion");
    // The parts are printed in hexadecimal, and the stream stays so until the first frame
    // statistics switch it back.
    std::cout << "Sound provided by " << kSoundLibraryName << " version " << std::hex << (version >> 16) << "."
              << ((version >> 8) & 0xff) << "." << (version & 0xff) << std::endl;

    int drivers = 0;
    result = system.GetNumDrivers(&drivers);
    if (result != snd::OK) CheckResult(result, "Get Num Drivers");

    if (drivers == 0) {
        std::cerr << "ERROR: " << kSoundLibraryName
                  << " found no suitable sound devices for playpack! No sounds can be played ..." << std::endl;
        result = system.SetOutput(snd::OUTPUTTYPE_NOSOUND);
        if (result != snd::OK) CheckResult(result, "Set Output");
    } else {
        char name[kDriverNameLength] = {};
        std::cout << "Available sound drivers:" << std::endl;
        for (int i = 0; i < drivers; ++i) {
            result = system.GetDriverInfo(i, name, kDriverNameLength);
            if (result != snd::OK) CheckResult(result, "Get Driver Info");
            std::cout << "\tDevice " << i << ": " << name << std::endl;
        }

        int driver = 0;
        result = system.GetDriver(&driver);
        if (result != snd::OK) CheckResult(result, "Get Driver");
        std::cout << kSoundLibraryName << " using driver " << driver << std::endl;

        unsigned caps = 0;
        snd::SpeakerMode speakerMode = snd::SPEAKERMODE_STEREO;
        result = system.GetDriverCaps(0, &caps, &speakerMode);
        if (result != snd::OK) CheckResult(result, "Get Driver Caps");
        if (speakerMode >= snd::SPEAKERMODE_RAW && speakerMode <= snd::SPEAKERMODE_PROLOGIC)
            std::cout << kSpeakerModeLines[speakerMode] << std::endl;
        else
            std::cerr << "ERROR: Using unknown speaker mode!" << std::endl;
        result = system.SetSpeakerMode(speakerMode);
        if (result != snd::OK) CheckResult(result, "set speaker mode");

        if (caps & snd::CAPS_HARDWARE) std::cout << "Device supports hardware mixing." << std::endl;
        if (caps & snd::CAPS_HARDWARE_EMULATED) {
            std::cerr << "WARNING: Device uses emulated hardware mixing, this is suboptimal for sound latency!"
                      << std::endl;
            result = system.SetDSPBufferSize(1024, 10);
            if (result != snd::OK) CheckResult(result, "setDSPBufferSize");
        }

        name[0] = '\0';
        result = system.GetDriverInfo(driver, name, kDriverNameLength);
        if (result != snd::OK) CheckResult(result, "Get Driver Info");
        // These chips crackle at their own rate: mix at 48 kHz for them.
        if (std::string(name).find("SigmaTel") != std::string::npos) {
            result = system.SetSoftwareFormat(48000, snd::SOUND_FORMAT_PCMFLOAT, 0, 0, snd::DSP_RESAMPLER_LINEAR);
            if (result != snd::OK) CheckResult(result, "setSoftwareFormat");
        }
    }

    result = system.Init(kChannels, snd::INIT_3D_RIGHTHANDED, nullptr);
    if (result != snd::OK) CheckResult(result, "FMOD init");
    if (result == snd::ERR_OUTPUT_CREATEBUFFER) {
        std::cerr << "WARNING: Selected speaker mode not supported, falling back to stereo!" << std::endl;
        const snd::Result modeResult = system.SetSpeakerMode(snd::SPEAKERMODE_STEREO);
        if (modeResult != snd::OK) CheckResult(modeResult, "Stereo fallback");
        result = system.Init(kChannels, snd::INIT_3D_RIGHTHANDED, nullptr);
        if (result != snd::OK) {
            CheckResult(result, "FMOD fallback init");
            std::cerr << "ERROR: Could not initialize stereo mode either, giving up..." << std::endl;
        }
    }
    if (result == snd::OK) std::cout << kSoundLibraryName << " initialized" << std::endl;
}

snd::Sound* CSoundManager::Open(std::map<std::string, std::unique_ptr<snd::Sound>>& cache,
                                const std::string& fileName, bool stream) {
    auto found = cache.find(fileName);
    if (found != cache.end()) return found->second.get();
    std::cout << (stream ? "LOADING sound (streamed): " : "LOADING sound: ") << fileName << std::endl;
    std::unique_ptr<snd::Sound>& handle = cache[fileName];
    snd::Result result = snd::ERR_UNINITIALIZED;
    if (state->system) {
        const std::string path = ContentPath(kSoundFolder + fileName);
        result = stream ? state->system->CreateStream(path, snd::MODE_LOOP_NORMAL, &handle)
                        : state->system->CreateSound(path, snd::MODE_DEFAULT, &handle);
    }
    if (result != snd::OK) CheckResult(result, stream ? "createStream" : "createSound");
    return handle.get();
}

snd::Sound* CSoundManager::GetSound(const std::string& fileName) { return Open(state->sounds, fileName, false); }

snd::Sound* CSoundManager::GetStream(const std::string& fileName) { return Open(state->streams, fileName, true); }

snd::Result CSoundManager::PlayAt(snd::Sound* sound, float volume, snd::Channel* channel) {
    if (!state->system) return snd::ERR_UNINITIALIZED;
    // A play starts as recorded; any other loudness is set before the first sample is heard.
    const bool quieter = volume < 1.0f;
    const snd::Result result = state->system->PlaySound(snd::CHANNEL_FREE, sound, quieter, channel);
    if (result == snd::OK && quieter && !channel->IsNull()) {
        channel->SetVolume(volume);
        channel->SetPaused(false);
    }
    return result;
}

void CSoundManager::PlaySound(const std::string& fileName) {
    snd::Sound* sound = GetSound(fileName);
    snd::Channel channel;
    const snd::Result result = PlayAt(sound, state->effectsVolume, &channel);
    if (result != snd::OK) CheckResult(result, "playSound");
    if (!channel.IsNull()) state->effectChannels.push_back(channel);
}

int CSoundManager::Percent(float volume) { return static_cast<int>(std::lround(volume * 100.0f)); }

void CSoundManager::SetMusicVolume(int percent) {
    state->musicVolume = static_cast<float>(std::clamp(percent, 0, 100)) / 100.0f;
    if (!state->musicChannel.IsNull()) state->musicChannel.SetVolume(state->musicVolume);
}

void CSoundManager::SetEffectsVolume(int percent) {
    state->effectsVolume = static_cast<float>(std::clamp(percent, 0, 100)) / 100.0f;
    // The effects under way follow at once, like the music.
    for (snd::Channel& channel : state->effectChannels) channel.SetVolume(state->effectsVolume);
}

int CSoundManager::MusicVolume() const { return Percent(state->musicVolume); }

int CSoundManager::EffectsVolume() const { return Percent(state->effectsVolume); }

void CSoundManager::StartMusic(const std::string& fileName) {
    if (!state->musicChannel.IsNull()) state->musicChannel.Stop();
    snd::Sound* stream = GetStream(fileName);
    if (stream) stream->SetLoopCount(-1);
    const snd::Result result = PlayAt(stream, state->musicVolume, &state->musicChannel);
    if (result != snd::OK) CheckResult(result, "startMusic");
}

void CSoundManager::StopMusic() {
    // The handle stays: stopping it again is harmless.
    if (!state->musicChannel.IsNull()) state->musicChannel.Stop();
}

void CSoundManager::PlayJumpSound() { PlaySound("jump.mp3"); }

void CSoundManager::PlayFootstepSound() {
    // A number from 1 to 4 other than the last one. The scale is rand()'s own range, so that
    // every number comes up whatever the C library's RAND_MAX is.
    int16_t number = 0;
    while (number == 0 || number == state->lastFootstep)
        number = static_cast<int16_t>(std::rand() * (1.0 / (static_cast<double>(RAND_MAX) + 1.0)) * 4.0 + 1.0);
    state->lastFootstep = number;
    PlaySound("dirt" + std::to_string(number) + ".wav");
}

void CSoundManager::PlayLevelMusic(int16_t number) {
    state->levelMusic = number;
    StartMusic("music" + std::to_string(number) + ".mp3");
}

void CSoundManager::ResumeLevelMusic() { StartMusic("music" + std::to_string(state->levelMusic) + ".mp3"); }

void CSoundManager::Update() {
    if (state->system) state->system->Update();
    // Effects that ended let their channels go (a stale handle answers with an error).
    auto& channels = state->effectChannels;
    channels.erase(std::remove_if(channels.begin(), channels.end(),
                                  [](const snd::Channel& channel) {
                                      bool playing = false;
                                      return channel.IsPlaying(&playing) != snd::OK || !playing;
                                  }),
                   channels.end());
}

// The result names are our sound layer's own codes; the line names the layer, not a library
// that is not there.
void CSoundManager::CheckResult(int result, const std::string& context) {
    const char* name = snd::ResultName(result);
    std::cerr << "ERROR: Sound layer returned error: '" << (name ? name : "UNKNOWN ERROR VALUE!") << "' while: " << context
              << std::endl;
}
