// tavo-shot-check: tells whether a screenshot of the play state shows a real scene with the HUD
// where the game puts it, for the end-to-end runs of the real binary.
// Usage: tavo-shot-check SCREENSHOT HUD_LIFE_PICTURE
//
// A real scene has many colours: a black, single-colour or garbled frame has few. The life panel
// sits 200 x 100 pixels wide, centred a quarter of the width from the left, 25 pixels above the
// bottom edge, whatever the window size; the solid parts of its picture (the heart, the word,
// not the slot the life bar covers) must show up there. Prints what it
// measured and exits with 0 when both hold, 1 when not, 2 when a picture cannot be read.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <vector>

#include "PictureFile.h"

namespace {

// An opaque texel whose eight neighbours share its colour.
bool Solid(const PictureFile& picture, int x, int y) {
    const unsigned char* centre = picture.At(x, y);
    if (centre[3] < 250) return false;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const int nx = x + dx, ny = y + dy;
            if (nx < 0 || ny < 0 || nx >= picture.width || ny >= picture.height) return false;
            const unsigned char* n = picture.At(nx, ny);
            if (n[3] < 250 || std::abs(n[0] - centre[0]) + std::abs(n[1] - centre[1]) + std::abs(n[2] - centre[2]) > 24)
                return false;
        }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: tavo-shot-check SCREENSHOT HUD_LIFE_PICTURE\n");
        return 2;
    }
    // Both pictures bottom row first, whatever their files store.
    StartPictureReading(true);
    PictureFile shot, panel;
    if (!ReadPictureFile(argv[1], 4, "tavo-shot-check", shot) || !ReadPictureFile(argv[2], 4, "tavo-shot-check", panel))
        return 2;

    // Colours, at 5 bits a channel so that dithering and filtering do not count.
    std::set<unsigned> colours;
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x) {
            const unsigned char* p = shot.At(x, y);
            colours.insert((unsigned(p[0]) >> 3) << 10 | (unsigned(p[1]) >> 3) << 5 | (unsigned(p[2]) >> 3));
        }

    // The life panel: each opaque texel of the picture, sampled to 200 x 100 pixels, against the
    // screenshot at its place.
    const int left = shot.width / 4 - 100, bottom = 25;
    int opaque = 0, matching = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x) {
            const int sx = left + x, sy = bottom + y;
            if (sx < 0 || sy < 0 || sx >= shot.width || sy >= shot.height) continue;
            const int tx = (x * panel.width) / 200, ty = (y * panel.height) / 100;
            const unsigned char* t = panel.At(tx, ty);
            // The life bar covers the panel's slot: only the panel's own opaque parts count, and
            // of those only the inside of a shape, as filtering blends thin lines and edges.
            const bool underLifeBar = x >= 25 && x < 175 && y >= 42 && y < 58;
            if (underLifeBar || !Solid(panel, tx, ty)) continue;
            ++opaque;
            const unsigned char* s = shot.At(sx, sy);
            const int difference = std::abs(s[0] - t[0]) + std::abs(s[1] - t[1]) + std::abs(s[2] - t[2]);
            if (difference <= 48) ++matching;
        }
    const double hudShare = opaque > 0 ? double(matching) / opaque : 0.0;
    const bool manyColours = colours.size() >= 256;
    const bool hudInPlace = opaque > 300 && hudShare >= 0.9;
    std::printf("%s: %dx%d, %zu colours, life panel %.0f%% of %d texels in place\n", argv[1], shot.width, shot.height,
                colours.size(), hudShare * 100.0, opaque);
    if (!manyColours) std::printf("FAIL: too few colours for a rendered scene\n");
    if (!hudInPlace) std::printf("FAIL: the life panel is not where the HUD puts it\n");
    return manyColours && hudInPlace ? 0 : 1;
}
