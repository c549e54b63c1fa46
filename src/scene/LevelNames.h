#pragma once
// The text conventions of level node names: a kind before the first '_', then key/value pairs
// separated by '_' ("PHYS_mass_5_convex_true", "TRIGGEREND_nextlevel_level2.dae").

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

// True when `text` is at least as long as `prefix` and begins with it (case-sensitive).
bool StartsWith(const std::string& text, const std::string& prefix);
// The text after the last '_', or the whole text without one.
std::string AfterLastUnderscore(const std::string& text);
// The text before the first '_', or the whole text without one.
std::string BeforeFirstUnderscore(const std::string& text);
// Adds the key/value pairs after the kind to `properties`: a trailing key without a value is
// ignored and a repeated key keeps its last value. Keys and values cannot hold '_', so an empty
// segment ("PHYS__mass_2") reads as an empty key or value.
void ParseNameProperties(const std::string& name, std::map<std::string, std::string>& properties);

// The properties of a name as written, before they become a map: every pair in name order
// (repeated keys included), and a last key without a value, which the game ignores. Tools use
// it to tell a designer what the game will make of a misspelt name.
struct NameProperties {
    std::vector<std::pair<std::string, std::string>> pairs;
    bool hasKeyWithoutValue = false;
    std::string keyWithoutValue;
};
NameProperties SplitNameProperties(const std::string& name);

// The "mass" of a movable body, read by stream extraction of a float. True when the
// properties hold no mass (`mass` = 1) or one that reads as a number; false, with `mass` = 1,
// when the value does not read. Whether the number suits the physics is the physics' matter.
bool ReadMassProperty(const std::map<std::string, std::string>& properties, float& mass);
// A movable body gets a convex-hull shape only for "convex" exactly "true", else a box.
bool ReadConvexProperty(const std::map<std::string, std::string>& properties);
// The number of a power-up marker: the text after its last '_' as a whole decimal number that
// fits 32 bits. False, with `number` = 0, for anything else ("POWERUP_MILK" has none).
bool ReadPowerUpNumber(const std::string& name, int32_t& number);
