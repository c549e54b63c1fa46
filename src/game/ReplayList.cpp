#include "game/ReplayList.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "game/RunRecording.h"
#include "platform/PlayerFolders.h"

namespace {

const std::string kSuffix = ".replay";
const std::string kBestPrefix = "best_";

bool LevelNameChars(const std::string& text) {
    if (text.empty()) return false;
    for (char c : text)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_') return false;
    return true;
}

// Natural order, so that level2 comes before level10.
bool NaturalLess(const std::string& a, const std::string& b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const bool da = std::isdigit(static_cast<unsigned char>(a[i])) != 0;
        const bool db = std::isdigit(static_cast<unsigned char>(b[j])) != 0;
        if (da && db) {
            std::size_t ei = i, ej = j;
            while (ei < a.size() && std::isdigit(static_cast<unsigned char>(a[ei]))) ++ei;
            while (ej < b.size() && std::isdigit(static_cast<unsigned char>(b[ej]))) ++ej;
            // Without leading zeros the longer run of digits is the larger number.
            std::string na = a.substr(i, ei - i), nb = b.substr(j, ej - j);
            na.erase(0, std::min(na.find_first_not_of('0'), na.size()));
            nb.erase(0, std::min(nb.find_first_not_of('0'), nb.size()));
            if (na.size() != nb.size()) return na.size() < nb.size();
            if (na != nb) return na < nb;
            i = ei;
            j = ej;
            continue;
        }
        if (a[i] != b[j]) return a[i] < b[j];
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}

// "2026-12-07_23-59-01-2_level1.replay": the level after the time (and its "-N").
std::string RecentRunLevel(const std::string& fileName) {
    const std::size_t underscore = fileName.find('_', 19);
    return fileName.substr(underscore + 1, fileName.size() - kSuffix.size() - underscore - 1);
}

}  // namespace

std::string BestRunLevel(const std::string& fileName) {
    if (fileName.size() <= kBestPrefix.size() + kSuffix.size()) return "";
    if (fileName.compare(0, kBestPrefix.size(), kBestPrefix) != 0) return "";
    if (fileName.compare(fileName.size() - kSuffix.size(), kSuffix.size(), kSuffix) != 0) return "";
    const std::string level = fileName.substr(kBestPrefix.size(), fileName.size() - kBestPrefix.size() - kSuffix.size());
    return LevelNameChars(level) ? level : "";
}

std::string ReplayLabel(const std::string& fileName) {
    const std::string best = BestRunLevel(fileName);
    if (!best.empty()) return "Best: " + best;
    if (!IsRecordingFileName(fileName)) return "";
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const int month = std::atoi(fileName.substr(5, 2).c_str());
    const int day = std::atoi(fileName.substr(8, 2).c_str());
    if (month < 1 || month > 12 || day < 1 || day > 31) return "";
    return std::to_string(day) + " " + kMonths[month - 1] + " " +
           fileName.substr(11, 2) + ":" + fileName.substr(14, 2) + "  " + RecentRunLevel(fileName);
}

std::vector<ReplayListEntry> ListReplays(const std::vector<std::string>& fileNames) {
    std::vector<ReplayListEntry> best, recent;
    for (const std::string& name : fileNames) {
        const std::string label = ReplayLabel(name);
        if (label.empty()) continue;
        const bool isBest = !BestRunLevel(name).empty();
        (isBest ? best : recent).push_back({name, label, isBest});
    }
    std::sort(best.begin(), best.end(), [](const ReplayListEntry& a, const ReplayListEntry& b) {
        return NaturalLess(BestRunLevel(a.fileName), BestRunLevel(b.fileName));
    });
    // Newest first: the time, then the "-N" of a second run in the same second.
    const std::vector<std::string> oldestFirst = [&] {
        std::vector<std::string> names;
        names.reserve(recent.size());
        for (const ReplayListEntry& entry : recent) names.push_back(entry.fileName);
        return RecordingsToDelete(names, 0);
    }();
    std::vector<ReplayListEntry> list = best;
    for (auto name = oldestFirst.rbegin(); name != oldestFirst.rend(); ++name)
        list.push_back({*name, ReplayLabel(*name), false});
    return list;
}

std::string ReplaysFolder() {
    const std::string data = pf::PlayerFolderPath(pf::PlayerFolder::Data);
    return data.empty() ? std::string() : pf::JoinPath(data, "replays");
}

std::vector<ReplayListEntry> ReadReplaysFolder(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    if (folder.empty()) return {};
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (it->is_regular_file(ec)) names.push_back(it->path().filename().string());
    return ListReplays(names);
}
