// shot-compare: how far apart two screenshots of the same frame are, as the peak signal-to-noise
// ratio (dB, over the 8-bit RGB channels) and the mean absolute error per channel (0..255).
// Usage: shot-compare BEFORE.png AFTER.png [--min-psnr DB]
// Prints "PSNR X dB, MAE Y, largest difference Z (W x H)". Exits with 0, with 1 when the PSNR is
// below the given floor, and with 2 when a picture cannot be read or the sizes differ.
// Identical pictures have an infinite PSNR, printed as "inf".
#include <IL/il.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
};

bool Load(const char* path, Picture& picture) {
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    const bool ok = ilLoadImage(path) == IL_TRUE && ilConvertImage(IL_RGB, IL_UNSIGNED_BYTE) == IL_TRUE;
    if (ok) {
        picture.width = ilGetInteger(IL_IMAGE_WIDTH);
        picture.height = ilGetInteger(IL_IMAGE_HEIGHT);
        const unsigned char* data = ilGetData();
        picture.rgb.assign(data, data + static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height) * 3);
    }
    ilDeleteImages(1, &image);
    if (!ok) std::fprintf(stderr, "shot-compare: cannot read '%s'\n", path);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && !(argc == 5 && std::strcmp(argv[3], "--min-psnr") == 0)) {
        std::fprintf(stderr, "usage: shot-compare BEFORE.png AFTER.png [--min-psnr DB]\n");
        return 2;
    }
    const double minPsnr = argc == 5 ? std::atof(argv[4]) : 0.0;
    ilInit();
    Picture before, after;
    if (!Load(argv[1], before) || !Load(argv[2], after)) return 2;
    if (before.width != after.width || before.height != after.height || before.rgb.empty()) {
        std::fprintf(stderr, "shot-compare: sizes differ (%d x %d, %d x %d)\n", before.width, before.height,
                     after.width, after.height);
        return 2;
    }
    double squares = 0.0, absolutes = 0.0;
    int largest = 0;
    for (size_t i = 0; i < before.rgb.size(); ++i) {
        const int difference = std::abs(before.rgb[i] - after.rgb[i]);
        squares += static_cast<double>(difference * difference);
        absolutes += difference;
        if (difference > largest) largest = difference;
    }
    const double count = static_cast<double>(before.rgb.size());
    const double meanSquare = squares / count;
    const double psnr = meanSquare > 0.0 ? 10.0 * std::log10(255.0 * 255.0 / meanSquare) : INFINITY;
    std::printf("PSNR %.2f dB, MAE %.6f, largest difference %d (%d x %d)\n", psnr, absolutes / count, largest,
                before.width, before.height);
    if (psnr < minPsnr) {
        std::printf("below the floor of %.2f dB\n", minPsnr);
        return 1;
    }
    return 0;
}
