#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <random>

namespace pf {

namespace {

void SetError(std::string* error, const std::string& text) {
    if (error != nullptr) *error = text;
}

std::string Reason(int number) { return std::strerror(number); }

std::string FolderOf(const std::string& path) {
    const std::string::size_type slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// A name no other writer picks: the process id, a random number and a counter (two threads of
// one process and two processes started in the same instant both differ).
std::string TemporaryName(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    static const unsigned seed = [] {
        try {
            return std::random_device{}();
        } catch (...) {
            return static_cast<unsigned>(getpid()) * 2654435761u;
        }
    }();
    const unsigned n = counter.fetch_add(1);
    std::mt19937 generator(seed ^ (n * 0x9E3779B9u));
    return path + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(generator() % 100000000u) + "-" +
           std::to_string(n);
}

bool WriteAll(int fd, const std::string& bytes, int& reason) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0) {
            if (errno == EINTR) continue;
            reason = errno;
            return false;
        }
        if (written == 0) {
            reason = ENOSPC;
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, const std::string& bytes, std::string* error) {
    const std::string temporary = TemporaryName(path);
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        SetError(error, "cannot make '" + temporary + "': " + Reason(errno));
        return false;
    }
    // The new file keeps the old one's permissions (a player may have made it private).
    struct stat old {};
    if (stat(path.c_str(), &old) == 0) (void)fchmod(fd, old.st_mode & 07777);

    int reason = 0;
    bool ok = WriteAll(fd, bytes, reason);
    if (ok && fsync(fd) != 0) {
        reason = errno;
        ok = false;
    }
    if (close(fd) != 0 && ok) {
        reason = errno;
        ok = false;
    }
    if (ok && rename(temporary.c_str(), path.c_str()) != 0) {
        reason = errno;
        ok = false;
    }
    if (!ok) {
        unlink(temporary.c_str());
        SetError(error, "cannot write '" + path + "': " + Reason(reason));
        return false;
    }
    // The rename itself reaches the disk with the folder's entry; where the folder cannot be
    // opened the file is still whole, just possibly the old one after a power cut.
    const int folder = open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        (void)fsync(folder);
        close(folder);
    }
    return true;
}

bool ReadWholeFile(const std::string& path, std::string& bytes, std::size_t limit, std::string* error, bool* missing) {
    bytes.clear();
    if (missing != nullptr) *missing = false;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        // A path through a plain file names no file either.
        if (missing != nullptr) *missing = errno == ENOENT || errno == ENOTDIR;
        SetError(error, Reason(errno));
        return false;
    }
    struct stat info {};
    if (fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        close(fd);
        SetError(error, "it is a folder");
        return false;
    }
    char buffer[8192];
    for (;;) {
        const ssize_t got = read(fd, buffer, sizeof(buffer));
        if (got < 0) {
            if (errno == EINTR) continue;
            const int reason = errno;
            close(fd);
            SetError(error, Reason(reason));
            return false;
        }
        if (got == 0) break;
        if (bytes.size() + static_cast<std::size_t>(got) > limit) {
            close(fd);
            SetError(error, "it is longer than " + std::to_string(limit) + " bytes");
            return false;
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    close(fd);
    return true;
}

std::string KeepBeside(const std::string& path, std::string* error) {
    std::string lastError = "no free name";
    for (int n = 0; n < 1000; ++n) {
        const std::string kept = path + ".bad" + (n == 0 ? std::string() : "." + std::to_string(n));
        if (link(path.c_str(), kept.c_str()) == 0) return kept;
        if (errno == EEXIST) continue;
        if (errno == ENOENT) {
            // Nothing to keep (and a free name): the file went away meanwhile.
            struct stat info {};
            if (stat(path.c_str(), &info) != 0) {
                SetError(error, "'" + path + "' is gone");
                return std::string();
            }
        }
        // No hard links here (some file systems): a copy, made only where no file is.
        std::string bytes;
        if (!ReadWholeFile(path, bytes, static_cast<std::size_t>(64) << 20, &lastError)) break;
        struct stat existing {};
        if (lstat(kept.c_str(), &existing) == 0) continue;
        if (WriteFileAtomically(kept, bytes, &lastError)) return kept;
        break;
    }
    SetError(error, "cannot keep a copy of '" + path + "': " + lastError);
    return std::string();
}

}  // namespace pf
