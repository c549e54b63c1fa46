#include "render/Texture.h"

#include <IL/il.h>

#include <ctime>
#include <filesystem>
#include <iostream>
#include <memory>
#include <new>
#include <optional>
#include <vector>

#include "platform/DataPaths.h"
#include "platform/WrittenFiles.h"
#include "render/Renderer.h"

namespace {

const char* kTextureFolder = "resources/textures/";

GLenum FormatForBytesPerPixel(int bpp) {
    switch (bpp) {
        case 1: return GL_LUMINANCE;
        case 2: return GL_LUMINANCE_ALPHA;
        case 3: return GL_RGB;
        case 4: return GL_RGBA;
        default: return 0;
    }
}

ILenum IlFormatFor(GLenum format) {
    switch (format) {
        case GL_LUMINANCE: return IL_LUMINANCE;
        case GL_LUMINANCE_ALPHA: return IL_LUMINANCE_ALPHA;
        case GL_RGBA: return IL_RGBA;
        default: return IL_RGB;
    }
}

// Owns one image-library image name for the length of a load.
class ScopedIlImage {
public:
    ScopedIlImage() { ilGenImages(1, &id); ilBindImage(id); }
    ~ScopedIlImage() { ilBindImage(0); ilDeleteImages(1, &id); }
    ScopedIlImage(const ScopedIlImage&) = delete;
    ScopedIlImage& operator=(const ScopedIlImage&) = delete;
private:
    ILuint id = 0;
};

uint8_t* AllocatePixels(size_t bytes) {
    uint8_t* buffer = new (std::nothrow) uint8_t[bytes];
    if (!buffer)
        std::cerr << "Loading image failed. Not enough memory. Tried to allocate " << bytes << " bytes." << std::endl;
    return buffer;
}

}  // namespace

CTexture* LoadImageFile(const std::string& name) {
    std::cout << "LOADING texture '" << name << "'" << std::endl;
    const std::string path = ContentPath(kTextureFolder + name);
    if (name.empty()) return nullptr;
    ScopedIlImage image;
    if (!ilLoadImage(path.c_str())) {
        std::cerr << "Loading image failed. Invalid filename." << std::endl;
        return nullptr;
    }
    const int width = ilGetInteger(IL_IMAGE_WIDTH);
    const int height = ilGetInteger(IL_IMAGE_HEIGHT);
    const int bpp = ilGetInteger(IL_IMAGE_BYTES_PER_PIXEL);
    const GLenum format = FormatForBytesPerPixel(bpp);
    if (!format) {
        std::cerr << "Loading image failed. Unknown image format " << bpp << std::endl;
        return nullptr;
    }
    const size_t bytes = static_cast<size_t>(width) * height * bpp;
    uint8_t* pixels = AllocatePixels(bytes);
    if (!pixels) return nullptr;
    ilCopyPixels(0, 0, 0, width, height, 1, IlFormatFor(format), IL_UNSIGNED_BYTE, pixels);

    CTexture* texture = new CTexture;
    texture->format = format;
    texture->width = width;
    texture->height = height;
    texture->pixels = pixels;
    return texture;
}

CCubeMap* LoadCubeMapFiles(const std::string& name) {
    std::cout << "LOADING cubemap '" << name << "'" << std::endl;
    const std::string path = ContentPath(kTextureFolder + name);
    const size_t dot = path.find_last_of('.');
    // A dot in the folder part is no extension.
    if (dot == std::string::npos || dot < path.find_last_of('/')) {
        std::cerr << "Loading image failed. Invalid filename. File Extension missing." << std::endl;
        return nullptr;
    }
    if (name.empty()) return nullptr;
    ScopedIlImage image;
    auto cube = std::make_unique<CCubeMap>();
    for (int k = 1; k <= 6; ++k) {
        const std::string facePath = path.substr(0, dot) + std::to_string(k) + path.substr(dot);
        if (!ilLoadImage(facePath.c_str())) {
            std::cerr << "Loading image failed. Invalid filename." << std::endl;
            return nullptr;  // faces loaded so far go with the array
        }
        if (ilGetInteger(IL_IMAGE_BYTES_PER_PIXEL) != 3) {
            std::cerr << "Loading image failed. Must be 24 bits/pixels." << std::endl;
            return nullptr;
        }
        CTexture& face = cube->faces[k - 1];
        face.width = ilGetInteger(IL_IMAGE_WIDTH);
        face.height = ilGetInteger(IL_IMAGE_HEIGHT);
        // The GPU takes every face as one square of the first face's size and reads that many
        // pixels from each buffer: anything else would be read past its end.
        const std::string size = std::to_string(face.width) + "x" + std::to_string(face.height);
        if (face.width != face.height) {
            std::cerr << "Loading image failed. Cube map face '" << facePath << "' is " << size
                      << "; faces must be square." << std::endl;
            return nullptr;
        }
        if (k > 1 && face.width != cube->faces[0].width) {
            std::cerr << "Loading image failed. Cube map face '" << facePath << "' is " << size
                      << "; faces must all be the size of the first (" << cube->faces[0].width << "x"
                      << cube->faces[0].height << ")." << std::endl;
            return nullptr;
        }
        face.pixels = AllocatePixels(static_cast<size_t>(face.width) * face.height * 3);
        if (!face.pixels) return nullptr;
        ilCopyPixels(0, 0, 0, face.width, face.height, 1, IL_RGB, IL_UNSIGNED_BYTE, face.pixels);
    }
    return cube.release();
}

namespace {

// Once GL has its copy, nothing reads the decoded pixels again: drawing and the shaders use
// the GL texture, screenshots read the framebuffer, and the HUD, sprites and pictures ask only
// for the size, which stays. GL never gives its copy back to be re-uploaded (textures are
// released only at shutdown), so the pixels are freed rather than kept beside it.
void ReleasePixels(CTexture& texture) {
    delete[] texture.pixels;
    texture.pixels = nullptr;
}

}  // namespace

void ApplyTextureFilter(GLenum target, const CRenderer& renderer) {
    const bool linear = renderer.textureFilter != 0;
    GLenum minFilter;
    switch (renderer.mipmapMode) {
        case 0: minFilter = linear ? GL_LINEAR : GL_NEAREST; break;
        case 1: minFilter = linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST; break;
        default: minFilter = linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR; break;
    }
    glTexParameteri(target, GL_TEXTURE_MAG_FILTER, linear ? GL_LINEAR : GL_NEAREST);
    glTexParameteri(target, GL_TEXTURE_MIN_FILTER, minFilter);
    glTexParameterf(target, GL_TEXTURE_MAX_ANISOTROPY_EXT, renderer.anisotropy);
}

void UploadTexture(CTexture* texture, const CRenderer& renderer) {
    if (!texture->pixels) {
        std::cerr << "ERROR: Texture pixels were released after an earlier upload!" << std::endl;
        return;
    }
    glGenTextures(1, &texture->glId);
    glBindTexture(GL_TEXTURE_2D, texture->glId);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    ApplyTextureFilter(GL_TEXTURE_2D, renderer);
    // Rows of 1- and 3-byte images are not 4-byte aligned.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, texture->format, texture->width, texture->height, 0, texture->format,
                 GL_UNSIGNED_BYTE, texture->pixels);
    glGenerateMipmap(GL_TEXTURE_2D);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 4);
    glBindTexture(GL_TEXTURE_2D, 0);
    ReleasePixels(*texture);
}

void UploadCubeMap(CCubeMap* cubeMap, const CRenderer& renderer) {
    for (const CTexture& face : cubeMap->faces)
        if (!face.pixels) {
            std::cerr << "ERROR: Cube map pixels were released after an earlier upload!" << std::endl;
            return;
        }
    GLuint id = 0;
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_CUBE_MAP, id);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    ApplyTextureFilter(GL_TEXTURE_CUBE_MAP, renderer);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (int i = 0; i < 6; ++i) {
        CTexture& face = cubeMap->faces[i];
        face.glId = id;
        glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + i, 0, GL_RGB, face.width, face.height, 0, GL_RGB,
                     GL_UNSIGNED_BYTE, face.pixels);
    }
    glGenerateMipmap(GL_TEXTURE_CUBE_MAP);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAX_LEVEL, 4);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    for (CTexture& face : cubeMap->faces) ReleasePixels(face);
}

std::string SaveScreenshot() {
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    const int width = viewport[2], height = viewport[3];
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 3);
    // Tightly packed rows, so odd widths come out right.
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(viewport[0], viewport[1], width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());

    char stamp[128];
    std::time_t now = std::time(nullptr);
    std::strftime(stamp, sizeof(stamp), "%Y%m%d%H%M%S", std::localtime(&now));
    // Several shots in one second each get a file of their own: "-2", "-3", ... after the first.
    // In the working folder, or the player's screenshots folder for an installed game.
    const std::optional<std::string> folder = pf::WrittenFileFolder(pf::WrittenFile::Screenshot);
    if (!folder) return std::string();
    const std::string base = *folder + "screen-" + stamp;
    std::string fileName = base + ".png";
    std::error_code error;
    for (int n = 2; std::filesystem::exists(fileName, error) && n < 10000; ++n)
        fileName = base + "-" + std::to_string(n) + ".png";
    bool saved = false;
    {
        ScopedIlImage image;
        ilTexImage(width, height, 1, 3, IL_RGB, IL_UNSIGNED_BYTE, pixels.data());
        // Never over an older shot; and only a file that is really there counts as saved.
        ilDisable(IL_FILE_OVERWRITE);
        saved = ilSaveImage(fileName.c_str()) == IL_TRUE && std::filesystem::file_size(fileName, error) > 0 && !error;
    }
    if (!saved) {
        std::cerr << "ERROR: Screenshot '" << fileName << "' could not be saved!" << std::endl;
        return std::string();
    }
    if (folder->empty())
        std::cout << "Screenshot '" << fileName << "' saved in game dir!" << std::endl;
    else
        std::cout << "Screenshot '" << fileName << "' saved!" << std::endl;
    return fileName;
}
