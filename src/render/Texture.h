#pragma once
// Decoded images and their GL textures.

#include <GL/glew.h>

#include <cstdint>
#include <string>

class CRenderer;

// One image in main memory until it is uploaded, then on the GPU alone. Rows are stored
// bottom-up.
struct CTexture {
    CTexture() = default;
    CTexture(const CTexture&) = delete;
    CTexture& operator=(const CTexture&) = delete;
    ~CTexture() { delete[] pixels; }

    uint32_t format = GL_RGB;  // GL_LUMINANCE, GL_LUMINANCE_ALPHA, GL_RGB or GL_RGBA
    GLuint glId = 0;           // 0 = not on the GPU yet
    int32_t height = 0;
    int32_t width = 0;
    uint8_t* pixels = nullptr;  // owned, width * height * bytes per pixel; null once uploaded
};

// A cube map: faces +X, -X, +Y, -Y, +Z, -Z. After upload all six share one GL id.
struct CCubeMap {
    CTexture faces[6];
};

// Decodes "resources/textures/<name>"; null (with a message) on failure.
CTexture* LoadImageFile(const std::string& name);
// Decodes "<stem>1<ext>" .. "<stem>6<ext>" for "resources/textures/<name>"; null (with a
// message) on failure, and for faces that are not 24-bit squares all of one size.
CCubeMap* LoadCubeMapFiles(const std::string& name);
// Both make the GL texture and then free the decoded pixels, which nothing reads after the
// upload; a second upload of the same record is refused with a message.
void UploadTexture(CTexture* texture, const CRenderer& renderer);
void UploadCubeMap(CCubeMap* cubeMap, const CRenderer& renderer);
// Applies the renderer's filter, mipmap and anisotropy settings to the bound texture target.
void ApplyTextureFilter(GLenum target, const CRenderer& renderer);
// Reads the current viewport and writes "screen-YYYYmmddHHMMSS.png" in the working folder, or in
// the player's screenshots folder (platform/WrittenFiles.h) for an installed game
// ("screen-YYYYmmddHHMMSS-2.png" and on for more shots in the same second).
// Returns the file name, or an empty string (with a message) when the file could not be written.
std::string SaveScreenshot();
