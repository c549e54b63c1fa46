#include "game/RunRecording.h"

#include <algorithm>
#include <cctype>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <system_error>

#include "game/StartOptions.h"
#include "platform/AtomicFile.h"
#include "platform/InputScript.h"
#include "platform/PlayerFolders.h"
#include "scene/LevelLoader.h"
#include "services/Progress.h"
#include "services/Settings.h"

namespace {

bool IsDigits(const std::string& text, std::size_t from, std::size_t count) {
    if (from + count > text.size()) return false;
    for (std::size_t i = from; i < from + count; ++i)
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
    return true;
}

// "YYYY-MM-DD_HH-MM-SS" at the start of `name`.
bool StartsWithTime(const std::string& name) {
    static const char kShape[] = "0000-00-00_00-00-00";
    if (name.size() < sizeof kShape - 1) return false;
    for (std::size_t i = 0; i + 1 < sizeof kShape; ++i) {
        if (kShape[i] == '0' ? !std::isdigit(static_cast<unsigned char>(name[i])) : name[i] != kShape[i]) return false;
    }
    return true;
}

// The time and the number after it ("-2"; 1 without), for ordering; false when not ours.
bool SplitRecordingName(const std::string& name, std::string* time, long* number) {
    if (!IsRecordingFileName(name)) return false;
    *time = name.substr(0, 19);
    *number = 1;
    if (name[19] == '-') *number = std::strtol(name.c_str() + 20, nullptr, 10);
    return true;
}

// A level's name without folder and extension, reduced to letters, digits, '-' and '_'.
std::string CleanLevelName(const std::string& level) {
    std::string base = level.substr(level.find_last_of('/') == std::string::npos ? 0 : level.find_last_of('/') + 1);
    const std::size_t dot = base.find_last_of('.');
    if (dot != std::string::npos && dot > 0) base.resize(dot);
    std::string clean;
    for (char c : base) {
        const bool ok = std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_';
        clean += ok ? c : '_';
    }
    if (clean.empty()) clean = "level";
    if (clean.size() > 64) clean.resize(64);
    return clean;
}

// The progress file's longest time is the longest a recording carries.
static_assert(CProgress::kLongestTime == wl::kMaxRecordSeconds);

std::vector<wl::ScriptRecord> RecordingProgress(const std::vector<ProgressRecord>& records) {
    std::vector<wl::ScriptRecord> carried;
    for (const ProgressRecord& record : records) {
        // What a script cannot hold ('#' starts a comment; an absurdly long name or list, which
        // only a hand-edited progress file has) is left out, so that the recording still plays.
        if (record.level.find('#') != std::string::npos || record.level.size() > wl::kMaxRecordNameLength) continue;
        if (carried.size() == wl::kMaxScriptRecords) break;
        carried.push_back({record.level, record.completed, record.bestTime, record.bestLife});
    }
    return carried;
}

}  // namespace

std::vector<ProgressRecord> ProgressOfRecording(const wl::InputScript& script) {
    std::vector<ProgressRecord> records;
    for (const wl::ScriptRecord& record : script.progress)
        records.push_back({record.level, record.completed, record.bestTime, record.bestLife});
    return records;
}

std::string RecordingFileName(const std::string& localTime, const std::string& level) {
    return localTime + "_" + CleanLevelName(level) + ".replay";
}

std::string BestRunFileName(const std::string& level) { return "best_" + CleanLevelName(level) + ".replay"; }

bool IsRecordingFileName(const std::string& name) {
    const std::string suffix = ".replay";
    if (!StartsWithTime(name) || name.size() <= 19 + suffix.size() + 1) return false;
    if (name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) return false;
    std::size_t at = 19;
    if (name[at] == '-') {
        std::size_t digits = 0;
        while (IsDigits(name, at + 1 + digits, 1)) ++digits;
        if (digits == 0 || digits > 4) return false;
        at += 1 + digits;
    }
    if (name[at] != '_') return false;
    const std::size_t levelEnd = name.size() - suffix.size();
    if (levelEnd <= at + 1) return false;
    for (std::size_t i = at + 1; i < levelEnd; ++i) {
        const char c = name[i];
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_') return false;
    }
    return true;
}

std::vector<std::string> RecordingsToDelete(std::vector<std::string> names, int keep) {
    struct Entry {
        std::string time;
        long number;
        std::string name;
    };
    std::vector<Entry> ours;
    for (const std::string& name : names) {
        Entry e{"", 0, name};
        if (SplitRecordingName(name, &e.time, &e.number)) ours.push_back(e);
    }
    std::sort(ours.begin(), ours.end(), [](const Entry& a, const Entry& b) {
        if (a.time != b.time) return a.time < b.time;
        if (a.number != b.number) return a.number < b.number;
        return a.name < b.name;
    });
    std::vector<std::string> doomed;
    const std::size_t kept = static_cast<std::size_t>(std::max(keep, 0));
    for (std::size_t i = 0; i + kept < ours.size(); ++i) doomed.push_back(ours[i].name);
    return doomed;
}

SessionStart TakeSessionStart(const CSettings* settings, const std::vector<ProgressRecord>& progress) {
    SessionStart start;
    if (settings) {
        start.mouseSpeed = settings->MouseSpeed();
        start.invertLook = settings->InvertLook();
    }
    start.progress = progress;
    return start;
}

std::string SaveRunRecording(const StartOptions& options, const SessionStart& start, std::ostream& out,
                             std::ostream& warnings) {
    if (!wl::Recording()) return "";
    const wl::Recorded recorded = wl::TakeRecording();
    if (recorded.levels.empty()) return "";  // no level played: nothing to keep
    if (!recorded.complete) {
        warnings << "WARNING: The run was longer than a recording holds (a day at 60 frames a second); "
                    "it was not saved."
                 << std::endl;
        return "";
    }
    const std::string data = pf::PlayerFolderPath(pf::PlayerFolder::Data);
    if (data.empty()) {
        warnings << "WARNING: No folder for the player's files: the run's recording was not saved." << std::endl;
        return "";
    }
    const std::string folder = pf::JoinPath(data, "replays");
    if (!pf::MakeFolder(folder, warnings)) return "";

    const std::string version = StartVersionLine().substr(std::string("tavo ").size());
    const std::vector<wl::ScriptRecord> progress = RecordingProgress(start.progress);
    const std::string text = wl::RecordingText(recorded, version, options.levelPath,
                                               start.mouseSpeed, start.invertLook, &progress);
    char stamp[32] = "";
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d_%H-%M-%S", &local);
    std::string name = RecordingFileName(stamp, recorded.levels.front().name);
    std::error_code ec;
    for (int n = 2; std::filesystem::exists(pf::JoinPath(folder, name), ec) && n < 1000; ++n)
        name = RecordingFileName(std::string(stamp) + "-" + std::to_string(n), recorded.levels.front().name);
    const std::string path = pf::JoinPath(folder, name);
    std::string error;
    if (!pf::WriteFileAtomically(path, text, &error)) {
        warnings << "WARNING: The run's recording could not be written to '" << path << "': " << error << std::endl;
        return "";
    }
    out << "Replay saved: " << path << std::endl;

    // The oldest of the game's own recordings go; other files in the folder are left alone.
    std::vector<std::string> names;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (it->is_regular_file(ec)) names.push_back(it->path().filename().string());
    for (const std::string& old : RecordingsToDelete(names, kKeptRecordings))
        std::filesystem::remove(pf::JoinPath(folder, old), ec);

    // Each level's best run replaces the one before, whole or not at all.
    for (const wl::BestRun& best : recorded.bestRuns) {
        const wl::Recorded cut = wl::CutRecording(recorded, best.frame + kFramesAfterBestRun);
        const std::string bestPath = pf::JoinPath(folder, BestRunFileName(best.level));
        const std::string bestText = wl::RecordingText(cut, version, options.levelPath,
                                                       start.mouseSpeed, start.invertLook, &progress);
        if (pf::WriteFileAtomically(bestPath, bestText, &error))
            out << "Best run saved: " << bestPath << std::endl;
        else
            warnings << "WARNING: The best run of " << best.level << " could not be written to '" << bestPath
                     << "': " << error << std::endl;
    }
    return path;
}

bool ReadRecording(const std::string& path, const std::string& program, wl::InputScript* script, std::ostream& errors) {
    // Larger than a day's recording at 60 frames a second with a frame time on every frame.
    const std::size_t kLargestScript = 512u * 1024u * 1024u;
    std::string text, readError;
    if (!pf::ReadWholeFile(path, text, kLargestScript, &readError)) {
        errors << program << ": cannot read input script '" << path << "': " << readError << std::endl;
        return false;
    }
    std::string error;
    if (!wl::ParseInputScript(text, script, &error)) {
        errors << program << ": input script '" << path << "', " << error << std::endl;
        return false;
    }
    // A recording plays back as it went only on the levels it was made on.
    for (const wl::ScriptLevel& level : script->levels) {
        const std::string file = LevelFilePath(level.name);
        const std::string now = wl::FileChecksum(file);
        if (now.empty()) {
            errors << program << ": input script '" << path << "' plays level " << level.name << ", whose file "
                   << file << " cannot be read" << std::endl;
            return false;
        }
        if (now != level.checksum) {
            errors << program << ": input script '" << path << "' was recorded on level " << level.name
                   << " as it was then; its file " << file << " has changed since (checksum " << level.checksum
                   << ", now " << now << "): the run would not play back as it went" << std::endl;
            return false;
        }
    }
    const std::string version = StartVersionLine().substr(std::string("tavo ").size());
    if (!script->version.empty() && script->version != version)
        errors << program << ": WARNING: input script '" << path << "' was recorded by tavo " << script->version
               << ", this is tavo " << version << ": it may play differently" << std::endl;
    return true;
}
