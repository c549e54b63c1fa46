#pragma once
// The text conventions of level node names: a kind before the first '_', then key/value pairs
// separated by '_' ("PHYS_mass_5_convex_true", "TRIGGEREND_nextlevel_level2.dae").

#include <map>
#include <string>

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
