#include "PictureFile.h"

#include <IL/il.h>

#include <cstdio>

void StartPictureReading(bool bottomRowFirst) {
    ilInit();
    if (bottomRowFirst) {
        ilEnable(IL_ORIGIN_SET);
        ilOriginFunc(IL_ORIGIN_LOWER_LEFT);
    }
}

bool ReadPictureFile(const char* path, int channels, const char* program, PictureFile& picture) {
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    const ILenum format = channels == 4 ? IL_RGBA : IL_RGB;
    const bool ok = ilLoadImage(path) == IL_TRUE && ilConvertImage(format, IL_UNSIGNED_BYTE) == IL_TRUE;
    if (ok) {
        picture.width = ilGetInteger(IL_IMAGE_WIDTH);
        picture.height = ilGetInteger(IL_IMAGE_HEIGHT);
        picture.channels = channels == 4 ? 4 : 3;
        const unsigned char* data = ilGetData();
        picture.pixels.assign(data, data + static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height) *
                                               static_cast<size_t>(picture.channels));
    }
    ilDeleteImages(1, &image);
    if (!ok) std::fprintf(stderr, "%s: cannot read '%s'\n", program, path);
    return ok;
}
