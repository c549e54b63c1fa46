#include "render/TextureManager.h"

#include <IL/il.h>

#include <iostream>

#include "render/Renderer.h"

CTextureManager::CTextureManager() {
    ilInit();
    ilEnable(IL_ORIGIN_SET);
    ilOriginFunc(IL_ORIGIN_LOWER_LEFT);
    ilEnable(IL_TYPE_SET);
    ilTypeFunc(IL_UNSIGNED_BYTE);
}

CTextureManager::~CTextureManager() = default;

bool CTextureManager::LoadTexture(const std::string& name) {
    CTexture* texture = LoadImageFile(name);
    if (!texture) {
        std::cerr << "ERROR: Texture map file '" << name << "' could not be loaded!" << std::endl;
        return false;
    }
    textures[name].reset(texture);  // a replaced record is freed here
    return true;
}

CTexture* CTextureManager::GetTexture(const std::string& name) {
    auto it = textures.find(name);
    if (it != textures.end()) return it->second.get();
    std::cerr << "WARNING: Texture map '" << name << "' not preloaded!" << std::endl;
    if (!LoadTexture(name)) return nullptr;
    return textures[name].get();
}

CTexture* CTextureManager::GetPicture(const std::string& name) {
    auto it = textures.find(name);
    if (it != textures.end()) return it->second.get();
    if (!LoadTexture(name)) return nullptr;
    pictures.insert(name);
    return textures[name].get();
}

void CTextureManager::ReleasePictures() {
    for (const std::string& name : pictures) {
        auto it = textures.find(name);
        if (it == textures.end()) continue;
        if (it->second->glId) glDeleteTextures(1, &it->second->glId);
        textures.erase(it);
    }
    pictures.clear();
}

bool CTextureManager::LoadCubeMap(const std::string& name) {
    CCubeMap* cube = LoadCubeMapFiles(name);
    if (!cube) {
        std::cerr << "ERROR: CubeMap '" << name << "' could not be loaded!" << std::endl;
        return false;
    }
    cubeMaps[name].reset(cube);
    return true;
}

CCubeMap* CTextureManager::GetCubeMap(const std::string& name) {
    auto it = cubeMaps.find(name);
    if (it != cubeMaps.end()) return it->second.get();
    std::cerr << "WARNING: CubeMap '" << name << "' not preloaded!" << std::endl;
    if (!LoadCubeMap(name)) return nullptr;
    return cubeMaps[name].get();
}

void CTextureManager::GetAllTextures(std::vector<CTexture*>& out) const {
    for (const auto& entry : textures) out.push_back(entry.second.get());
}

void CTextureManager::GetAllCubeMaps(std::vector<CCubeMap*>& out) const {
    for (const auto& entry : cubeMaps) out.push_back(entry.second.get());
}

void CTextureManager::ReleaseGLTextures() {
    for (auto& entry : textures) {
        CTexture& texture = *entry.second;
        if (texture.glId) glDeleteTextures(1, &texture.glId);
        texture.glId = 0;
    }
    for (auto& entry : cubeMaps) {
        CCubeMap& cube = *entry.second;
        if (cube.faces[0].glId) glDeleteTextures(1, &cube.faces[0].glId);
        for (CTexture& face : cube.faces) face.glId = 0;
    }
}

void UpdateTextureFilters(const CTextureManager& manager, const CRenderer& renderer) {
    std::vector<CTexture*> textures;
    manager.GetAllTextures(textures);
    for (CTexture* texture : textures) {
        if (!texture->glId) continue;  // gets the current settings at its later upload
        glBindTexture(GL_TEXTURE_2D, texture->glId);
        ApplyTextureFilter(GL_TEXTURE_2D, renderer);
        glBindTexture(GL_TEXTURE_2D, 0);
    }

    std::vector<CCubeMap*> cubeMaps;
    manager.GetAllCubeMaps(cubeMaps);
    for (CCubeMap* cube : cubeMaps) {
        if (!cube->faces[0].glId) {
            std::cout << "WARNING: Tried to update cubemap filtering on a cubemap which is not loaded!" << std::endl;
            continue;
        }
        glBindTexture(GL_TEXTURE_CUBE_MAP, cube->faces[0].glId);
        ApplyTextureFilter(GL_TEXTURE_CUBE_MAP, renderer);
        glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    }
}
