#pragma once
// Files written whole: the bytes go to a temporary file beside the target ("NAME.tmp-PID-RANDOM"),
// which is flushed to the disk and then renamed over the target, so a reader (or the next start
// after a crash or a full disk) sees either the old file or the new one, never a mix. When two
// processes write the same file at once, the last rename wins and the file is whole.
//
// Only the standard library and POSIX; nothing here throws.

#include <string>

namespace pf {

// Writes `bytes` to `path` atomically. On failure (folder missing or not writable, a write
// error such as a full disk) the old file is left byte for byte as it was, the temporary file is
// removed, `error` (when given) says why, and the result is false.
bool WriteFileAtomically(const std::string& path, const std::string& bytes, std::string* error = nullptr);

// Reads the whole file into `bytes`, at most `limit` bytes. False (with `error`) when it
// cannot be opened or read, or is longer than the limit; `missing` tells a file that is not there.
bool ReadWholeFile(const std::string& path, std::string& bytes, std::size_t limit, std::string* error = nullptr,
                   bool* missing = nullptr);

// Keeps the file at `path` under a free name beside it: NAME.bad, else NAME.bad.1, NAME.bad.2,
// ..., so an earlier kept copy is never replaced. A hard link where the file system allows one
// (instant, and the old bytes cannot change under it), else a copy. Returns the name used, or ""
// (with `error`) when the file could not be kept.
std::string KeepBeside(const std::string& path, std::string* error = nullptr);

}  // namespace pf
