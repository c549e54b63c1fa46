// shot-compare: how far apart two screenshots of the same frame are, as the peak signal-to-noise
// ratio (dB, over the 8-bit RGB channels) and the mean absolute error per channel (0..255).
// Usage: shot-compare BEFORE.png AFTER.png [--min-psnr DB]
// Prints "PSNR X dB, MAE Y, largest difference Z (W x H)". Exits with 0, with 1 when the PSNR is
// below the given floor, and with 2 when a picture cannot be read or the sizes differ.
// Identical pictures have an infinite PSNR, printed as "inf".
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "PictureFile.h"

int main(int argc, char** argv) {
    if (argc != 3 && !(argc == 5 && std::strcmp(argv[3], "--min-psnr") == 0)) {
        std::fprintf(stderr, "usage: shot-compare BEFORE.png AFTER.png [--min-psnr DB]\n");
        return 2;
    }
    const double minPsnr = argc == 5 ? std::atof(argv[4]) : 0.0;
    StartPictureReading(false);
    PictureFile before, after;
    if (!ReadPictureFile(argv[1], 3, "shot-compare", before) || !ReadPictureFile(argv[2], 3, "shot-compare", after))
        return 2;
    if (before.width != after.width || before.height != after.height || before.pixels.empty()) {
        std::fprintf(stderr, "shot-compare: sizes differ (%d x %d, %d x %d)\n", before.width, before.height,
                     after.width, after.height);
        return 2;
    }
    double squares = 0.0, absolutes = 0.0;
    int largest = 0;
    for (size_t i = 0; i < before.pixels.size(); ++i) {
        const int difference = std::abs(before.pixels[i] - after.pixels[i]);
        squares += static_cast<double>(difference * difference);
        absolutes += difference;
        if (difference > largest) largest = difference;
    }
    const double count = static_cast<double>(before.pixels.size());
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
