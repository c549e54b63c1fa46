#pragma once
// Pictures read whole into plain pixel arrays (through DevIL), for the programs that look at
// screenshots: tavo-shot-check and shot-compare.

#include <cstddef>
#include <vector>

struct PictureFile {
    int width = 0;
    int height = 0;
    int channels = 0;                   // 3 (RGB) or 4 (RGBA), unsigned bytes each
    std::vector<unsigned char> pixels;  // row by row

    const unsigned char* At(int x, int y) const {
        return &pixels[(static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) *
                       static_cast<size_t>(channels)];
    }
};

// Brings up the image library; once, before the first ReadPictureFile. With `bottomRowFirst`
// every picture is read bottom row first, as GL and the game keep them, whatever its file stores;
// without it, rows come in the file's order.
void StartPictureReading(bool bottomRowFirst);
// Reads any picture the image library knows, converted to `channels` (3 or 4). On failure prints
// "PROGRAM: cannot read 'PATH'" on standard error and returns false.
bool ReadPictureFile(const char* path, int channels, const char* program, PictureFile& picture);
