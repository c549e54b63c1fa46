#include "services/Settings.h"

#include <algorithm>
#include <charconv>
#include <utility>

#include "platform/PlayerFolders.h"

namespace {

const char* const kHeader =
    "# Tavo's settings, one \"key = value\" a line; lines starting with # are yours and stay.\n"
    "# The game writes this file when you change a setting; a file it cannot read wholly is\n"
    "# first kept as settings.ini.bad.\n";

// A whole decimal number, with an optional sign; nothing else.
bool ParseInt(const std::string& text, int& value) {
    if (text.empty()) return false;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (*first == '+') ++first;
    const std::from_chars_result result = std::from_chars(first, last, value);
    return result.ec == std::errc() && result.ptr == last;
}

bool ParseYesNo(const std::string& text, bool& value) {
    std::string lower = text;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    if (lower == "yes") {
        value = true;
        return true;
    }
    if (lower == "no") {
        value = false;
        return true;
    }
    return false;
}

const char* YesNo(bool value) { return value ? "yes" : "no"; }

// One whole-number setting: its key, its field and its range.
struct IntSetting {
    const char* key;
    int CSettings::*field;
    int low, high;
};

const struct {
    RenderQuality quality;
    const char* name;
} kQualityNames[] = {{RenderQuality::High, "high"}, {RenderQuality::Medium, "medium"}, {RenderQuality::Low, "low"}};

}  // namespace

const char* RenderQualityName(RenderQuality quality) {
    for (const auto& entry : kQualityNames)
        if (entry.quality == quality) return entry.name;
    return "high";
}

bool ParseRenderQuality(const std::string& text, RenderQuality& quality) {
    std::string lower = text;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    for (const auto& entry : kQualityNames)
        if (lower == entry.name) {
            quality = entry.quality;
            return true;
        }
    return false;
}

std::string CSettings::DefaultPath() {
    const std::string folder = pf::PlayerFolderPath(pf::PlayerFolder::Config);
    return folder.empty() ? std::string() : pf::JoinPath(folder, "settings.ini");
}

CSettings::CSettings() : path(DefaultPath()) {}
CSettings::CSettings(std::string filePath) : path(std::move(filePath)) {}

void CSettings::Load(std::ostream& warnings) {
    // A quality given for this run stays for the run, whatever the file says.
    const std::optional<RenderQuality> givenForThisRun = runQuality;
    *this = CSettings(path);
    runQuality = givenForThisRun;
    if (path.empty()) return;
    file.Read(path);
    foundAtLoad = file.Exists();

    // The whole-number settings share one reader (the member pointers need this class's access).
    const IntSetting ints[] = {
        {"music_volume", &CSettings::musicVolume, kMinVolume, kMaxVolume},
        {"effects_volume", &CSettings::effectsVolume, kMinVolume, kMaxVolume},
        {"mouse_speed", &CSettings::mouseSpeed, kMinMouseSpeed, kMaxMouseSpeed},
    };
    for (const pf::KeyValueFile::Entry& entry : file.Entries()) {
        const std::string quoted = "'" + entry.key + " = " + entry.value + "'";
        bool known = false;
        for (const IntSetting& setting : ints) {
            if (entry.key != setting.key) continue;
            known = true;
            int value = 0;
            if (ParseInt(entry.value, value) && value >= setting.low && value <= setting.high) {
                this->*setting.field = value;
            } else {
                file.Reject(entry.line,
                            quoted + ": a whole number from " + std::to_string(setting.low) + " to " +
                                std::to_string(setting.high) + " is wanted; " +
                                std::to_string(this->*setting.field) + " is used.");
            }
        }
        if (known) continue;
        if (entry.key == "invert_look" || entry.key == "fullscreen") {
            bool& field = entry.key == "invert_look" ? invertLook : fullscreen;
            if (!ParseYesNo(entry.value, field))
                file.Reject(entry.line, quoted + ": yes or no is wanted; " + YesNo(field) + " is used.");
        } else if (entry.key == "window") {
            int width = 0, height = 0;
            const std::string::size_type x = entry.value.find('x');
            if (entry.value == "desktop") {
                windowWidth = windowHeight = 0;
            } else if (x != std::string::npos && ParseInt(entry.value.substr(0, x), width) &&
                       ParseInt(entry.value.substr(x + 1), height) && width >= kMinWindowSide &&
                       width <= kMaxWindowSide && height >= kMinWindowSide && height <= kMaxWindowSide) {
                windowWidth = width;
                windowHeight = height;
            } else {
                file.Reject(entry.line,
                            quoted + ": WIDTHxHEIGHT (each from " + std::to_string(kMinWindowSide) + " to " +
                                std::to_string(kMaxWindowSide) + ") or desktop is wanted; desktop is used.");
            }
        } else if (entry.key == "quality") {
            if (!ParseRenderQuality(entry.value, quality))
                file.Reject(entry.line, quoted + ": high, medium or low is wanted; " +
                                            RenderQualityName(quality) + " is used.");
        } else {
            file.Reject(entry.line, "'" + entry.key + "' is not a setting; it is left out.");
        }
    }    file.Report(warnings);
}

bool CSettings::Save(std::ostream& warnings) {
    if (!changed || thisRunOnly) return true;
    if (path.empty()) {
        // No home folder at all: say so (once a save) and play on with the values in memory.
        pf::MakeFolder(std::string(), warnings);
        return false;
    }
    const std::string::size_type slash = path.rfind('/');
    if (slash != std::string::npos && !pf::MakeFolder(path.substr(0, slash), warnings)) return false;

    file.Set("music_volume", std::to_string(musicVolume));
    file.Set("effects_volume", std::to_string(effectsVolume));
    file.Set("mouse_speed", std::to_string(mouseSpeed));
    file.Set("invert_look", YesNo(invertLook));
    file.Set("fullscreen", YesNo(fullscreen));
    file.Set("window", windowWidth > 0 ? std::to_string(windowWidth) + "x" + std::to_string(windowHeight)
                                       : std::string("desktop"));
    file.Set("quality", RenderQualityName(quality));
    if (!file.Write(warnings, kHeader)) return false;
    changed = false;
    return true;
}

void CSettings::SetInt(int& field, int value, int low, int high) {
    value = std::clamp(value, low, high);
    if (field == value) return;
    field = value;
    changed = true;
}

void CSettings::SetBool(bool& field, bool value) {
    if (field == value) return;
    field = value;
    changed = true;
}

void CSettings::SetMusicVolume(int percent) { SetInt(musicVolume, percent, kMinVolume, kMaxVolume); }
void CSettings::SetEffectsVolume(int percent) { SetInt(effectsVolume, percent, kMinVolume, kMaxVolume); }
void CSettings::SetMouseSpeed(int percent) { SetInt(mouseSpeed, percent, kMinMouseSpeed, kMaxMouseSpeed); }
void CSettings::SetInvertLook(bool on) { SetBool(invertLook, on); }
void CSettings::SetFullscreen(bool on) { SetBool(fullscreen, on); }

void CSettings::SetWindowSize(int width, int height) {
    if (width <= 0 || height <= 0) {
        width = height = 0;
    } else {
        width = std::clamp(width, kMinWindowSide, kMaxWindowSide);
        height = std::clamp(height, kMinWindowSide, kMaxWindowSide);
    }
    if (width == windowWidth && height == windowHeight) return;
    windowWidth = width;
    windowHeight = height;
    changed = true;
}

void CSettings::SetQuality(RenderQuality value) {
    runQuality.reset();
    if (quality == value) return;
    quality = value;
    changed = true;
}
