#pragma once
// The level checker's findings: what the game makes of every node of a level file (read by the
// game's own level reader), and what would make the level load wrong or not be playable.
// Nothing here needs a window: meshes stay in memory and no physics world is built.

#include <string>
#include <utility>
#include <vector>

enum class Severity { Error, Warning };

struct Finding {
    std::string node;  // the node's name, or what is missing ("TAVO_START"), or "(file)"
    Severity severity = Severity::Error;
    std::string text;
};

struct CheckedNode {
    std::string name;
    int depth = 0;
    std::string kind;         // "start", "sun", "power-up", "ignored", "trigger", "dynamic", ...
    std::string description;  // one line for people
    // Further facts for scripts, each value already written as JSON.
    std::vector<std::pair<std::string, std::string>> fields;
};

struct LevelCheck {
    std::string file;  // the path the checker opened
    bool read = false;
    std::vector<CheckedNode> nodes;
    std::vector<Finding> findings;
    std::vector<std::string> nextLevels;  // paths of the existing levels its end triggers lead to
    int Count(Severity severity) const;
};

// Checks one level file (a path, opened as given). Content (textures, music) is looked up
// in the working folder's resources/, as the game does.
LevelCheck CheckLevelFile(const std::string& path);

// Checks the files and, with `follow`, every level their end triggers lead to, each once, in
// the order of the chain; a chain that leads back into itself gets a warning on the trigger
// that closes the loop.
std::vector<LevelCheck> CheckLevels(const std::vector<std::string>& paths, bool follow);

// "FILE: NODE: error|warning: text".
std::string FindingLine(const std::string& file, const Finding& finding);
// The whole report for people (nodes, then findings, then a summary line) or as one JSON
// document.
std::string TextReport(const std::vector<LevelCheck>& checks);
std::string JsonReport(const std::vector<LevelCheck>& checks);
// A JSON string literal for `text` (quotes, backslashes and control characters escaped;
// bytes of other texts are passed through, so UTF-8 stays UTF-8).
std::string JsonString(const std::string& text);
