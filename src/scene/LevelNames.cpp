#include "scene/LevelNames.h"

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

void ParseNameProperties(const std::string& name, std::map<std::string, std::string>& properties) {
    std::string::size_type p = name.find('_');
    while (p != std::string::npos && p < name.size()) {
        const std::string::size_type k = name.find('_', p + 1);
        if (k == std::string::npos) return;  // a key without a value
        std::string::size_type v = name.find('_', k + 1);
        if (v == std::string::npos) v = name.size();
        properties[name.substr(p + 1, k - p - 1)] = name.substr(k + 1, v - k - 1);
        p = v;
    }
}
