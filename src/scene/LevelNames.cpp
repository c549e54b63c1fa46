#include "scene/LevelNames.h"

#include <cerrno>
#include <cstdlib>
#include <sstream>

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

std::string AfterLastUnderscore(const std::string& text) {
    const std::string::size_type last = text.rfind('_');
    return last == std::string::npos ? text : text.substr(last + 1);
}

std::string BeforeFirstUnderscore(const std::string& text) {
    return text.substr(0, text.find('_'));
}

NameProperties SplitNameProperties(const std::string& name) {
    NameProperties result;
    std::string::size_type p = name.find('_');
    while (p != std::string::npos && p < name.size()) {
        const std::string::size_type k = name.find('_', p + 1);
        if (k == std::string::npos) {
            result.hasKeyWithoutValue = true;
            result.keyWithoutValue = name.substr(p + 1);
            break;
        }
        std::string::size_type v = name.find('_', k + 1);
        if (v == std::string::npos) v = name.size();
        result.pairs.emplace_back(name.substr(p + 1, k - p - 1), name.substr(k + 1, v - k - 1));
        p = v;
    }
    return result;
}

void ParseNameProperties(const std::string& name, std::map<std::string, std::string>& properties) {
    for (const auto& pair : SplitNameProperties(name).pairs) properties[pair.first] = pair.second;
}

bool ReadMassProperty(const std::map<std::string, std::string>& properties, float& mass) {
    mass = 1.0f;
    const auto found = properties.find("mass");
    if (found == properties.end()) return true;
    std::istringstream text(found->second);
    float value = 1.0f;
    if (!(text >> value)) return false;
    mass = value;
    return true;
}

bool ReadConvexProperty(const std::map<std::string, std::string>& properties) {
    const auto found = properties.find("convex");
    return found != properties.end() && found->second == "true";
}

bool ReadPowerUpNumber(const std::string& name, int32_t& number) {
    number = 0;
    const std::string text = AfterLastUnderscore(name);
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    // The whole text, up to a '\0' inside it too, must be the number.
    const bool whole = !text.empty() && end == text.c_str() + text.size();
    if (!whole || errno != 0 || value < INT32_MIN || value > INT32_MAX) return false;
    number = static_cast<int32_t>(value);
    return true;
}
