#pragma once
// The player's "key = value" files (settings.ini, progress.ini).
//
//   # a comment
//   music_volume = 80
//
// One entry a line; the key and the value are trimmed; '#' starts a comment line; blank lines
// and comments are kept and written back, so the player's notes survive a save. A file that
// is not wholly right still gives everything that can be used: each problem gives one
// "WARNING: FILE line N: ..." line and the line is left out, and the file is marked unreadable.
// The reader finds what is wrong with the form (a line without '=', an empty key, a key given
// twice - the first one counts -, a line that is not text: NUL bytes or invalid UTF-8); the
// file's user finds what is wrong with the meaning (unknown keys, values out of range) and says
// so through `Reject`.
//
// An unreadable file is written again only when asked (the game asks only when the player
// changed something), and then the file as it was is first kept beside it (NAME.bad, or
// NAME.bad.1, .2 ... when an older kept copy is there: a kept copy is never replaced), so no
// byte of the player's file is ever lost.
//
// Only the standard library and POSIX.

#include <iosfwd>
#include <string>
#include <vector>

namespace pf {

class KeyValueFile {
public:
    struct Entry {
        std::string key, value;
        int line = 0;  // 1-based
    };

    // Larger files are not settings a player wrote: they are refused whole.
    static constexpr std::size_t kLargestFile = 1 << 20;
    // After this many warnings for one file, one line says that there are more.
    static constexpr int kWarningsShown = 20;

    // Reads `path`. A missing file reads as empty, without a warning; one that cannot be read
    // gives one warning and is unreadable. Warnings wait for `Report`, so that the user's own
    // (`Reject`) come out among them in line order.
    void Read(const std::string& path);
    // The same from bytes already read (`path` names the file in the warnings).
    void Parse(const std::string& path, const std::string& bytes);
    // Writes the waiting warnings in line order, one "WARNING: FILE line N: ..." line each.
    void Report(std::ostream& warnings);

    const std::string& Path() const { return path; }
    bool Exists() const { return exists; }
    bool Unreadable() const { return unreadable; }
    // The usable entries in file order (one per key).
    std::vector<Entry> Entries() const;

    // Says what is wrong with the entry on `line` (one warning naming the file and the line),
    // leaves that line out of the next write and marks the file unreadable.
    void Reject(int line, const std::string& text);

    // The value `key` gets at the next write: in place of its line, else a new line at the end.
    void Set(const std::string& key, const std::string& value);
    void Remove(const std::string& key);

    // The file as the next write will write it. `header` (comment lines, each ending in '\n')
    // goes first when the file has no lines of its own yet.
    std::string Text(const std::string& header = std::string()) const;

    // Writes the file whole (pf::WriteFileAtomically), after keeping an unreadable original
    // beside it. False, with one warning, when either fails; the file on disk is then as it was.
    bool Write(std::ostream& warnings, const std::string& header = std::string());

private:
    struct Line {
        std::string text;  // as read (without the line end)
        std::string key, value;
        int number = 0;       // 0 for lines added since the read
        bool entry = false;   // false: comment or blank line, written back as it was
        bool dropped = false; // left out of the next write
        bool changed = false; // written as "key = value" instead of `text`
    };

    struct Problem {
        int line;
        std::string text;
    };
    void Warn(int line, const std::string& text);
    Line* Find(const std::string& key);

    std::string path;
    std::vector<Line> lines;
    bool exists = false;
    bool unreadable = false;
    std::vector<Problem> problems;  // not reported yet
};

// True when `text` is valid UTF-8 without NUL bytes.
bool IsText(const std::string& text);
// `text` without leading and trailing spaces and tabs.
std::string Trim(const std::string& text);

}  // namespace pf
