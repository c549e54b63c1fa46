#include "platform/KeyValueFile.h"

#include <sys/stat.h>

#include <algorithm>
#include <ostream>
#include <utility>

#include "platform/AtomicFile.h"

namespace pf {

bool IsText(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == 0) return false;
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t length = 0;
        unsigned min = 0, code = 0;
        if ((c & 0xE0) == 0xC0) {
            length = 2, min = 0x80, code = c & 0x1Fu;
        } else if ((c & 0xF0) == 0xE0) {
            length = 3, min = 0x800, code = c & 0x0Fu;
        } else if ((c & 0xF8) == 0xF0) {
            length = 4, min = 0x10000, code = c & 0x07u;
        } else {
            return false;
        }
        if (i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k) {
            const unsigned char next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3Fu);
        }
        // Overlong forms, surrogates and code points past Unicode's end are not UTF-8.
        if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        i += length;
    }
    return true;
}

std::string Trim(const std::string& text) {
    const std::string::size_type first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    const std::string::size_type last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

void KeyValueFile::Warn(int line, const std::string& text) {
    unreadable = true;
    problems.push_back({line, text});
}

void KeyValueFile::Report(std::ostream& warnings) {
    std::stable_sort(problems.begin(), problems.end(),
                     [](const Problem& a, const Problem& b) { return a.line < b.line; });
    for (std::size_t i = 0; i < problems.size(); ++i) {
        if (i + 1 == static_cast<std::size_t>(kWarningsShown) && problems.size() > i + 1) {
            warnings << "WARNING: " << path << ": " << problems.size() - i << " more problems, not listed." << std::endl;
            break;
        }
        warnings << "WARNING: " << path;
        if (problems[i].line > 0) warnings << " line " << problems[i].line;
        warnings << ": " << problems[i].text << std::endl;
    }
    problems.clear();
}

void KeyValueFile::Read(const std::string& filePath) {
    std::string bytes, error;
    bool missing = false;
    if (ReadWholeFile(filePath, bytes, kLargestFile, &error, &missing)) {
        Parse(filePath, bytes);
        return;
    }
    std::string name = filePath;
    *this = KeyValueFile();
    path = std::move(name);
    if (missing) return;
    exists = true;
    Warn(0, "cannot be read (" + error + "); the defaults are used.");
}

void KeyValueFile::Parse(const std::string& filePath, const std::string& bytes) {
    std::string name = filePath;  // (may be this file's own path, cleared next)
    *this = KeyValueFile();
    path = std::move(name);
    exists = true;
    std::size_t start = 0;
    // A byte order mark is not part of the first key.
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) start = 3;
    int number = 0;
    while (start < bytes.size()) {
        std::string::size_type end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();  // a last line without its end is read as it is
        Line line;
        line.text = bytes.substr(start, end - start);
        line.number = ++number;
        start = end + 1;
        if (!line.text.empty() && line.text.back() == '\r') line.text.pop_back();

        if (!IsText(line.text)) {
            line.dropped = true;
            lines.push_back(line);
            Warn(line.number, "is not text (binary bytes or not UTF-8); it is left out.");
            continue;
        }
        const std::string trimmed = Trim(line.text);
        if (trimmed.empty() || trimmed[0] == '#') {
            lines.push_back(line);
            continue;
        }
        const std::string::size_type equals = trimmed.find('=');
        if (equals == std::string::npos) {
            line.dropped = true;
            lines.push_back(line);
            Warn(line.number, "'" + trimmed + "' is not 'key = value'; it is left out.");
            continue;
        }
        line.entry = true;
        line.key = Trim(trimmed.substr(0, equals));
        line.value = Trim(trimmed.substr(equals + 1));
        if (line.key.empty()) {
            line.dropped = true;
            lines.push_back(line);
            Warn(line.number, "'" + trimmed + "' has no key; it is left out.");
            continue;
        }
        const Line* first = Find(line.key);
        if (first != nullptr) {
            line.dropped = true;
            const int firstNumber = first->number;
            lines.push_back(line);
            Warn(line.number,
                 "'" + line.key + "' is given again (line " + std::to_string(firstNumber) +
                     " counts); this one is left out.");
            continue;
        }
        lines.push_back(line);
    }
}

std::vector<KeyValueFile::Entry> KeyValueFile::Entries() const {
    std::vector<Entry> entries;
    for (const Line& line : lines)
        if (line.entry && !line.dropped) entries.push_back({line.key, line.value, line.number});
    return entries;
}

KeyValueFile::Line* KeyValueFile::Find(const std::string& key) {
    for (Line& line : lines)
        if (line.entry && !line.dropped && line.key == key) return &line;
    return nullptr;
}

void KeyValueFile::Reject(int lineNumber, const std::string& text) {
    for (Line& line : lines)
        if (line.number == lineNumber) line.dropped = true;
    Warn(lineNumber, text);
}

void KeyValueFile::Set(const std::string& key, const std::string& value) {
    if (Line* line = Find(key)) {
        if (line->value != value) {
            line->value = value;
            line->changed = true;
        }
        return;
    }
    Line line;
    line.entry = true;
    line.changed = true;
    line.key = key;
    line.value = value;
    lines.push_back(line);
}

void KeyValueFile::Remove(const std::string& key) {
    if (Line* line = Find(key)) line->dropped = true;
}

std::string KeyValueFile::Text(const std::string& header) const {
    bool hasOwn = false;
    for (const Line& line : lines) hasOwn = hasOwn || (!line.dropped && line.number > 0);
    std::string text = hasOwn ? std::string() : header;
    for (const Line& line : lines) {
        if (line.dropped) continue;
        text += line.entry && line.changed ? line.key + " = " + line.value : line.text;
        text += '\n';
    }
    return text;
}

bool KeyValueFile::Write(std::ostream& warnings, const std::string& header) {
    const std::string text = Text(header);
    std::string error;
    struct stat info {};
    // (A file that went away meanwhile has nothing left to keep.)
    if (unreadable && exists && lstat(path.c_str(), &info) == 0) {
        const std::string kept = KeepBeside(path, &error);
        if (kept.empty()) {
            warnings << "WARNING: " << path << " is not written: " << error << "." << std::endl;
            return false;
        }
        warnings << "The file as it was is kept as " << kept << "." << std::endl;
    }
    if (!WriteFileAtomically(path, text, &error)) {
        warnings << "WARNING: " << path << " is not saved: " << error << "." << std::endl;
        return false;
    }
    // The file now is what was written: read it back from the text, quietly.
    Parse(path, text);
    return true;
}

}  // namespace pf
