#pragma once
// Keeps every decoded image and cube map by file name, so that models, pictures, sprites and
// the HUD share one copy.

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "render/Texture.h"

class CRenderer;

class CTextureManager {
public:
    // Brings up the image library (bottom-up rows, unsigned bytes).
    CTextureManager();
    CTextureManager(const CTextureManager&) = delete;
    CTextureManager& operator=(const CTextureManager&) = delete;
    // Frees the images. GL textures must have been released with ReleaseGLTextures while the
    // context was alive; the destructor never calls GL.
    ~CTextureManager();

    bool LoadTexture(const std::string& name);
    // The stored image, loading it on first use (with a warning); null if it cannot be loaded.
    CTexture* GetTexture(const std::string& name);
    // A full-screen picture (menu, splash), decoded when it is first shown rather than at
    // start-up: at 1920 x 1080 each is 6 to 8 MB decoded, and most are never shown in a
    // session. Null (after the loader's error) if it cannot be loaded.
    CTexture* GetPicture(const std::string& name);
    // Frees the pictures shown so far, GL texture and all (the context must be current): play
    // shows none, and at 1920 x 1080 each holds about 8 MB. Pointers to them are dangling
    // afterwards; the next GetPicture decodes the picture again.
    void ReleasePictures();
    bool LoadCubeMap(const std::string& name);
    CCubeMap* GetCubeMap(const std::string& name);

    void GetAllTextures(std::vector<CTexture*>& out) const;
    void GetAllCubeMaps(std::vector<CCubeMap*>& out) const;

    // Deletes every GL texture and marks the images as not uploaded. Called by the game while
    // its GL context still exists, before the window library takes the context away.
    void ReleaseGLTextures();

private:
    std::map<std::string, std::unique_ptr<CTexture>> textures;
    std::map<std::string, std::unique_ptr<CCubeMap>> cubeMaps;
    std::set<std::string> pictures;  // the names GetPicture loaded
};

// Re-applies the renderer's current filter settings to every uploaded texture and cube map.
void UpdateTextureFilters(const CTextureManager& manager, const CRenderer& renderer);
