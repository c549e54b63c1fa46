#pragma once
// The player's settings: settings.ini in the player's config folder ($XDG_CONFIG_HOME/tavo,
// ~/.config/tavo), "key = value" lines (platform/KeyValueFile.h):
//
//   music_volume   = 0 .. 100 (percent; 100)
//   effects_volume = 0 .. 100 (percent; 100)
//   mouse_speed    = 10 .. 400 (percent of the game's look speed; 100)
//   invert_look    = yes | no (no)
//   fullscreen     = yes | no (yes)
//   window         = WIDTHxHEIGHT, each side 64 .. 16384, or "desktop" (desktop: the desktop's size)
//   quality        = high | medium | low (high)
//
// Without the file every value is its default, which is how the game has always played.
// A value that cannot be used is warned about (file and line) and its default is used; an
// unknown key is warned about and left out when the file is next written, after the file as it
// was has been kept as settings.ini.bad. The file is written (whole, atomically) only by `Save`
// and only when a value changed since the last load or save.

#include <iostream>
#include <optional>
#include <string>

#include "platform/KeyValueFile.h"

// What the play frame spends on its looks; the gameplay is the same at every one.
enum class RenderQuality { High, Medium, Low };

// "high", "medium", "low".
const char* RenderQualityName(RenderQuality quality);
// false for any other word (case matters not).
bool ParseRenderQuality(const std::string& text, RenderQuality& quality);

class CSettings {
public:
    static constexpr int kMinVolume = 0, kMaxVolume = 100;
    static constexpr int kMinMouseSpeed = 10, kMaxMouseSpeed = 400;
    static constexpr int kMinWindowSide = 64, kMaxWindowSide = 16384;

    // settings.ini in the player's config folder; "" when there is no such folder.
    static std::string DefaultPath();

    // The defaults, to be loaded from and saved to DefaultPath() (or `path`).
    CSettings();
    explicit CSettings(std::string path);

    // Back to the defaults, then the file's usable values. A missing file is no problem and
    // gives no warning.
    void Load(std::ostream& warnings = std::cerr);
    // Writes the file when a value changed since the last load or save (making the folder when
    // needed); true when the file is up to date, false (with one warning) when it could not be
    // written.
    bool Save(std::ostream& warnings = std::cerr);
    bool Changed() const { return changed; }
    // From now on Save writes nothing: the values are this run's alone (a watched replay plays
    // with the settings it was recorded with and leaves the player's file as it was).
    void KeepToThisRun() { thisRunOnly = true; }
    const std::string& Path() const { return path; }
    // The file had lines that could not be used (and is kept as .bad before the next write).
    bool Unreadable() const { return file.Unreadable(); }
    // The last Load found a file (the player has been to the options, or wrote one).
    bool FileFoundAtLoad() const { return foundAtLoad; }

    int MusicVolume() const { return musicVolume; }
    int EffectsVolume() const { return effectsVolume; }
    int MouseSpeed() const { return mouseSpeed; }
    bool InvertLook() const { return invertLook; }
    bool Fullscreen() const { return fullscreen; }
    // 0 x 0: the desktop's size.
    int WindowWidth() const { return windowWidth; }
    int WindowHeight() const { return windowHeight; }
    // This run's quality: the one given for this run alone if any, else the saved one.
    RenderQuality Quality() const { return runQuality.value_or(quality); }

    // Values out of range are brought into it.
    void SetMusicVolume(int percent);
    void SetEffectsVolume(int percent);
    void SetMouseSpeed(int percent);
    void SetInvertLook(bool on);
    void SetFullscreen(bool on);
    // 0 x 0 for the desktop's size; other sides are brought into 64 .. 16384.
    void SetWindowSize(int width, int height);
    // The player's choice: saved, and it replaces one given for this run alone.
    void SetQuality(RenderQuality value);
    // For this run only (--quality): not saved; the saved value stays as it was.
    void SetQualityForThisRun(RenderQuality value) { runQuality = value; }

private:
    void SetInt(int& field, int value, int low, int high);
    void SetBool(bool& field, bool value);

    std::string path;
    pf::KeyValueFile file;
    bool changed = false;
    bool thisRunOnly = false;
    bool foundAtLoad = false;

    int musicVolume = 100;
    int effectsVolume = 100;
    int mouseSpeed = 100;
    bool invertLook = false;
    bool fullscreen = true;
    int windowWidth = 0, windowHeight = 0;
    RenderQuality quality = RenderQuality::High;
    std::optional<RenderQuality> runQuality;
};
