#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <GL/glew.h>
#include <zlib.h>

#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

#include "platform/WindowLibrary.h"

namespace fs = std::filesystem;

namespace testsupport {

Output Capture(const std::function<void()>& action) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    action();
    Output o;
    o.out = testing::internal::GetCapturedStdout();
    o.err = testing::internal::GetCapturedStderr();
    return o;
}

ScopedWorkDir::ScopedWorkDir() {
    previous = fs::current_path();
    std::random_device rd;
    path = fs::temp_directory_path() / ("tavo-test-" + std::to_string(::getpid()) + "-" + std::to_string(rd()));
    fs::create_directories(path);
    fs::current_path(path);
}

ScopedWorkDir::~ScopedWorkDir() {
    std::error_code ec;
    fs::current_path(previous, ec);
    fs::remove_all(path, ec);
}

void ScopedWorkDir::Write(const std::string& relative, const std::string& contents) const {
    fs::path file = path / relative;
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << contents;
}

ScopedGLContext::ScopedGLContext() {
    wl::Init();
    wl::VidMode mode;
    wl::GetDesktopMode(&mode);
    if (!wl::OpenWindow(mode.width, mode.height, 0, 0, 0, 0, 24, 8, wl::FULLSCREEN)) return;
    glewExperimental = GL_TRUE;
    ok = glewInit() == GLEW_OK;
    wl::GetWindowSize(&width, &height);
    glViewport(0, 0, width, height);
}

ScopedGLContext::~ScopedGLContext() { wl::Terminate(); }

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

int FindLine(const std::vector<std::string>& lines, const std::string& needle, int from) {
    for (int i = from; i < static_cast<int>(lines.size()); ++i)
        if (lines[i].find(needle) != std::string::npos) return i;
    return -1;
}

namespace {

void PutBE32(std::string& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((v >> shift) & 0xFF);
}

void PutChunk(std::string& out, const char* type, const std::string& data) {
    PutBE32(out, static_cast<uint32_t>(data.size()));
    std::string body = std::string(type, 4) + data;
    out += body;
    PutBE32(out, static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()))));
}

}  // namespace

std::string EncodePng(int width, int height, int channels, const std::vector<unsigned char>& topDown) {
    std::string raw;
    for (int y = 0; y < height; ++y) {
        raw += '\0';  // filter: none
        raw.append(reinterpret_cast<const char*>(&topDown[static_cast<size_t>(y) * width * channels]),
                   static_cast<size_t>(width) * channels);
    }
    uLongf packedSize = compressBound(raw.size());
    std::string packed(packedSize, '\0');
    compress(reinterpret_cast<Bytef*>(&packed[0]), &packedSize, reinterpret_cast<const Bytef*>(raw.data()),
             raw.size());
    packed.resize(packedSize);

    std::string png("\x89PNG\r\n\x1a\n", 8);
    std::string header;
    PutBE32(header, width);
    PutBE32(header, height);
    const char colourType = channels == 1 ? 0 : channels == 2 ? 4 : channels == 3 ? 2 : 6;
    header += std::string{8, colourType, 0, 0, 0};
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", packed);
    PutChunk(png, "IEND", "");
    return png;
}

std::string EncodeTga(int width, int height, int channels, const std::vector<unsigned char>& topDown) {
    std::string tga(18, '\0');
    tga[2] = channels == 1 ? 3 : 2;  // uncompressed grey or true colour
    tga[12] = static_cast<char>(width & 0xFF);
    tga[13] = static_cast<char>(width >> 8);
    tga[14] = static_cast<char>(height & 0xFF);
    tga[15] = static_cast<char>(height >> 8);
    tga[16] = static_cast<char>(channels * 8);
    tga[17] = static_cast<char>(0x20 | (channels == 4 ? 8 : 0));  // top-left origin, alpha bits
    for (size_t i = 0; i < topDown.size(); i += channels) {
        if (channels >= 3) {  // TGA stores BGR(A)
            tga += static_cast<char>(topDown[i + 2]);
            tga += static_cast<char>(topDown[i + 1]);
            tga += static_cast<char>(topDown[i]);
            if (channels == 4) tga += static_cast<char>(topDown[i + 3]);
        } else {
            tga += static_cast<char>(topDown[i]);
        }
    }
    return tga;
}

}  // namespace testsupport
