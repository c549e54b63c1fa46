#include "services/Progress.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <utility>

#include "platform/PlayerFolders.h"

namespace {

const char* const kHeader =
    "# Tavo's progress, written by the game when a level is won: per level file, whether it\n"
    "# was completed, the best time (seconds) and the most life left at its end (0 to 1).\n";

const char* const kCompleted = "completed";
const char* const kBestTime = "best_time";
const char* const kBestLife = "best_life";

// The level's name as the file keys it: the last part of a path. "" when it cannot be a key.
std::string LevelName(const std::string& levelFile) {
    const std::string::size_type slash = levelFile.rfind('/');
    const std::string name = slash == std::string::npos ? levelFile : levelFile.substr(slash + 1);
    if (name.empty() || !pf::IsText(name) || pf::Trim(name) != name || name[0] == '#' ||
        name.find_first_of("=\r\n") != std::string::npos)
        return std::string();
    return name;
}

// A plain decimal number ("23.45"): no sign, exponent, infinity or NaN.
bool ParseDecimal(const std::string& text, double& value) {
    if (text.empty() || text.find_first_not_of("0123456789.") != std::string::npos) return false;
    const char* last = text.data() + text.size();
    const std::from_chars_result result = std::from_chars(text.data(), last, value, std::chars_format::fixed);
    return result.ec == std::errc() && result.ptr == last && std::isfinite(value);
}

// To 1/100, the precision the file keeps.
double Hundredths(double value) { return std::round(value * 100.0) / 100.0; }

std::string Decimal(double value) {
    char buffer[64];
    const std::to_chars_result result =
        std::to_chars(buffer, buffer + sizeof(buffer), value, std::chars_format::fixed, 2);
    return std::string(buffer, result.ptr);
}

}  // namespace

std::string CProgress::DefaultPath() {
    const std::string folder = pf::PlayerFolderPath(pf::PlayerFolder::Data);
    return folder.empty() ? std::string() : pf::JoinPath(folder, "progress.ini");
}

CProgress::CProgress() : path(DefaultPath()) {}
CProgress::CProgress(std::string filePath) : path(std::move(filePath)) {}

void CProgress::Load(std::ostream& warnings) {
    levels.clear();
    file = pf::KeyValueFile();
    if (path.empty()) return;
    file.Read(path);
    for (const pf::KeyValueFile::Entry& entry : file.Entries()) {
        const std::string quoted = "'" + entry.key + " = " + entry.value + "'";
        const std::string::size_type dot = entry.key.rfind('.');
        const std::string level = dot == std::string::npos ? std::string() : LevelName(entry.key.substr(0, dot));
        const std::string field = dot == std::string::npos ? std::string() : entry.key.substr(dot + 1);
        if (level.empty() || (field != kCompleted && field != kBestTime && field != kBestLife)) {
            file.Reject(entry.line,
                        "'" + entry.key + "' is not LEVEL.completed, LEVEL.best_time or LEVEL.best_life; it is left out.");
            continue;
        }
        double value = 0.0;
        if (field == kCompleted) {
            if (entry.value == "yes" || entry.value == "no")
                levels[level].completed = entry.value == "yes";
            else
                file.Reject(entry.line, quoted + ": yes or no is wanted; the line is left out.");
        } else if (field == kBestTime) {
            if (ParseDecimal(entry.value, value) && value > 0.0 && value <= kLongestTime)
                levels[level].bestTime = value;
            else
                file.Reject(entry.line, quoted + ": seconds above 0 (such as 23.45) are wanted; the line is left out.");
        } else if (ParseDecimal(entry.value, value) && value >= 0.0 && value <= 1.0) {
            levels[level].bestLife = value;
        } else {
            file.Reject(entry.line, quoted + ": a life from 0 to 1 (such as 0.87) is wanted; the line is left out.");
        }
    }
    file.Report(warnings);
}

bool CProgress::AnyCompleted() const {
    for (const auto& entry : levels)
        if (entry.second.completed) return true;
    return false;
}

const CProgress::LevelRecord* CProgress::Find(const std::string& levelFile) const {
    const auto found = levels.find(LevelName(levelFile));
    return found == levels.end() ? nullptr : &found->second;
}

bool CProgress::IsCompleted(const std::string& levelFile) const {
    const LevelRecord* record = Find(levelFile);
    return record != nullptr && record->completed;
}

std::optional<double> CProgress::BestTime(const std::string& levelFile) const {
    const LevelRecord* record = Find(levelFile);
    return record != nullptr ? record->bestTime : std::nullopt;
}

std::optional<double> CProgress::BestLife(const std::string& levelFile) const {
    const LevelRecord* record = Find(levelFile);
    return record != nullptr ? record->bestLife : std::nullopt;
}

std::string CProgress::FirstNotCompleted(const std::vector<std::string>& levelFiles) const {
    for (const std::string& level : levelFiles)
        if (!IsCompleted(level)) return level;
    return std::string();
}

LevelEndRecord CProgress::RecordLevelEnd(const std::string& levelFile, double seconds, float life,
                                         std::ostream& warnings) {
    LevelEndRecord result;
    const std::string level = LevelName(levelFile);
    if (level.empty()) {
        warnings << "WARNING: The level '" << levelFile << "' has a name the progress file cannot hold; "
                 << "its end is not recorded." << std::endl;
        return result;
    }
    LevelRecord& record = levels[level];
    if (!record.completed) {
        record.completed = true;
        result.firstCompletion = true;
    }
    if (std::isfinite(seconds) && seconds > 0.0) {
        const double time = std::min(std::max(Hundredths(seconds), 0.01), kLongestTime);
        if (!record.bestTime || time < *record.bestTime) {
            record.bestTime = time;
            result.newBestTime = true;
        }
    }
    if (std::isfinite(life)) {
        const double left = Hundredths(std::min(std::max(static_cast<double>(life), 0.0), 1.0));
        if (!record.bestLife || left > *record.bestLife) {
            record.bestLife = left;
            result.newBestLife = true;
        }
    }
    const bool anyChange = result.firstCompletion || result.newBestTime || result.newBestLife;
    if (thisRunOnly) return result;
    result.saved = !anyChange || Save(level, warnings);
    return result;
}

std::vector<ProgressRecord> CProgress::Records() const {
    std::vector<ProgressRecord> records;
    for (const auto& entry : levels)
        records.push_back({entry.first, entry.second.completed, entry.second.bestTime, entry.second.bestLife});
    return records;
}

void CProgress::UseRecords(const std::vector<ProgressRecord>& records) {
    levels.clear();
    file = pf::KeyValueFile();
    thisRunOnly = true;
    for (const ProgressRecord& record : records) {
        const std::string level = LevelName(record.level);
        if (level.empty()) continue;
        levels[level] = LevelRecord{record.completed, record.bestTime, record.bestLife};
    }
}

bool CProgress::Save(const std::string& level, std::ostream& warnings) {
    if (path.empty()) {
        pf::MakeFolder(std::string(), warnings);
        return false;
    }
    const std::string::size_type slash = path.rfind('/');
    if (slash != std::string::npos && !pf::MakeFolder(path.substr(0, slash), warnings)) return false;
    const LevelRecord& record = levels[level];
    file.Set(level + "." + kCompleted, record.completed ? "yes" : "no");
    if (record.bestTime) file.Set(level + "." + kBestTime, Decimal(*record.bestTime));
    if (record.bestLife) file.Set(level + "." + kBestLife, Decimal(*record.bestLife));
    return file.Write(warnings, kHeader);
}

std::string LevelRecordName(const std::string& levelFile) {
    const std::string::size_type slash = levelFile.rfind('/');
    return slash == std::string::npos ? levelFile : levelFile.substr(slash + 1);
}

int LifePercent(double life) {
    if (!std::isfinite(life)) return 0;
    return static_cast<int>(std::lround(std::min(std::max(life, 0.0), 1.0) * 100.0));
}

std::string LevelCompleteLine(const LevelResult& result) {
    char text[96];
    std::string line = "Level complete: " + result.level;
    std::snprintf(text, sizeof text, " in %.2f s with %d%% life", result.seconds,
                  LifePercent(static_cast<double>(result.life)));
    line += text;
    if (!result.bestTime && !result.bestLife) return line + " (no records)";
    line += " (best ";
    if (result.bestTime) {
        std::snprintf(text, sizeof text, "%.2f s", *result.bestTime);
        line += text;
    } else {
        line += "-";
    }
    line += ", best life ";
    line += result.bestLife ? std::to_string(LifePercent(*result.bestLife)) + "%" : std::string("-");
    line += ")";
    if (result.record.newBestTime && result.record.newBestLife) line += " new record: time and life";
    else if (result.record.newBestTime) line += " new record: time";
    else if (result.record.newBestLife) line += " new record: life";
    return line;
}
