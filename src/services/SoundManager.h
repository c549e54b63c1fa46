#pragma once
// The game's sound effects and its one music track at a time. The constructor brings the sound
// library up (with a careful device set-up and the fallbacks for machines without sound), sounds
// are opened on first use and kept by file name, effects play fire-and-forget on free channels,
// one music channel plays looped streamed music, and the destructor shuts the library down.
// Sound files live in "resources/sounds/".

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/SoundLibrary.h"

class CSoundManager;

struct CSoundManagerState {
    CSoundManager* owner = nullptr;
    std::unique_ptr<snd::System> system;
    // A name stays in its map from the first time it is asked for, also when its file could not
    // be opened: the handle is then null and the file is not tried again.
    std::map<std::string, std::unique_ptr<snd::Sound>> sounds;   // effects, decoded whole
    std::map<std::string, std::unique_ptr<snd::Sound>> streams;  // music, decoded while playing
    int16_t lastFootstep = 0;
    int16_t levelMusic = 0;
    snd::Channel musicChannel;  // null until music first plays
    // The player's loudness for music and for effects, 0 .. 1 (the settings' percent).
    float musicVolume = 1.0f;
    float effectsVolume = 1.0f;
    // Effects that may still be playing, so that a change of their volume is heard at once.
    std::vector<snd::Channel> effectChannels;
};

class CSoundManager {
public:
    // Writes the start-up lines; never fails (without sound the game runs silently).
    CSoundManager();
    // Releases every effect and stream, then the sound system.
    ~CSoundManager();
    CSoundManager(const CSoundManager&) = delete;
    CSoundManager& operator=(const CSoundManager&) = delete;

    // The effect or stream for a file name in the sounds folder; null when it could not be opened.
    snd::Sound* GetSound(const std::string& fileName);
    snd::Sound* GetStream(const std::string& fileName);
    // One play of an effect on a free channel.
    void PlaySound(const std::string& fileName);
    // Stops the music that plays and plays this stream in an endless loop from its beginning.
    void StartMusic(const std::string& fileName);
    void StopMusic();
    void PlayJumpSound();
    // One of "dirt1.wav" .. "dirt4.wav", never the same one twice in a row.
    void PlayFootstepSound();
    // "music" + number + ".mp3", remembered for ResumeLevelMusic.
    void PlayLevelMusic(int16_t number);
    // Starts the level's music again from its beginning (after the umbrella music).
    void ResumeLevelMusic();
    // The loudness of the music and of the effects in percent (0 .. 100, brought into range):
    // what plays now follows at once, and every later play starts at it.
    void SetMusicVolume(int percent);
    void SetEffectsVolume(int percent);
    int MusicVolume() const;
    int EffectsVolume() const;
    // Once per frame, from the main loop.
    void Update();

    // Writes the error line for a result that is not OK.
    static void CheckResult(int result, const std::string& context);

    const CSoundManagerState& State() const { return *state; }

private:
    void StartUp();
    // Plays on a free channel at `volume` (0 .. 1); `channel` receives the play.
    snd::Result PlayAt(snd::Sound* sound, float volume, snd::Channel* channel);
    static int Percent(float volume);
    snd::Sound* Open(std::map<std::string, std::unique_ptr<snd::Sound>>& cache, const std::string& fileName,
                     bool stream);

    std::unique_ptr<CSoundManagerState> state;
};
