#pragma once
// Helpers shared by the tests that need a GL context (they run under Xvfb).

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace testsupport {

// Creates a fresh folder, makes it the working folder, and goes back (removing it) at the end.
// The game reads shaders/ and resources/ relative to the working folder, so tests lay out their
// own content here.
class ScopedWorkDir {
public:
    ScopedWorkDir();
    ~ScopedWorkDir();
    ScopedWorkDir(const ScopedWorkDir&) = delete;
    ScopedWorkDir& operator=(const ScopedWorkDir&) = delete;
    const std::filesystem::path& Path() const { return path; }
    // Writes a text or binary file below the folder, creating folders on the way.
    void Write(const std::string& relative, const std::string& contents) const;

private:
    std::filesystem::path previous;
    std::filesystem::path path;
};

// Opens the window-library window and brings up GLEW, as the game does; closes it at the end.
class ScopedGLContext {
public:
    ScopedGLContext();
    ~ScopedGLContext();
    ScopedGLContext(const ScopedGLContext&) = delete;
    ScopedGLContext& operator=(const ScopedGLContext&) = delete;
    bool ok = false;
    int width = 0, height = 0;
};

// What an action printed on standard output and standard error.
struct Output {
    std::string out, err;
};
Output Capture(const std::function<void()>& action);

// Lines of a captured output stream.
std::vector<std::string> Lines(const std::string& text);
// Index of the first line at or after `from` that contains `needle`, or -1.
int FindLine(const std::vector<std::string>& lines, const std::string& needle, int from = 0);

// Image writers for decoding tests: pixels are given top row first, RGB or RGBA bytes.
std::string EncodePng(int width, int height, int channels, const std::vector<unsigned char>& topDown);
// Uncompressed TGA stored top-down (origin bit set), so a loader must flip it to bottom-up.
std::string EncodeTga(int width, int height, int channels, const std::vector<unsigned char>& topDown);

}  // namespace testsupport
