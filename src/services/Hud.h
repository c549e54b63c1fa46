#pragma once
// The head-up display of the play state: life panel with its bar, sun-detector panel with its
// needle, umbrella icon with its time bar. Six flat textured quads laid out once from the window
// size in pixels; the play state moves, scales and shows them each frame and draws them last.

#include <array>
#include <memory>

#include "math/Matrix.h"

class CMesh;
class CRenderer;
class CSceneGeoObject;
class CShaderProgram;

class CHud {
public:
    enum Element : unsigned {
        kLifePanel = 0,
        kSunDetectorPanel = 1,
        kLifeBar = 2,
        kNeedle = 3,
        kUmbrellaIcon = 4,
        kUmbrellaBar = 5,
        kElementCount = 6
    };
    // Seconds of protection a full umbrella bar stands for.
    static constexpr float kUmbrellaSeconds = 22.0f;

    CHud();
    CHud(const CHud&) = delete;
    CHud& operator=(const CHud&) = delete;
    // Deletes the elements, then their meshes. GPU buffers must have been released with
    // ReleaseGLBuffers while the context lived (the HUD outlives the window).
    ~CHud();

    // Builds the six elements for a window of this size in pixels. Called once at start-up.
    void Create(unsigned windowWidth, unsigned windowHeight);
    // Null for an index not below the element count (0 before Create).
    CSceneGeoObject* GetElement(unsigned index) const;
    unsigned GetElementCount() const { return elementCount; }

    // Per-frame update from the player's health (0..1), the sun value (0..1) and the umbrella
    // time left in seconds, with the frame time in seconds.
    void Update(float health, float sunValue, float umbrellaTime, double frameTime);
    // Draws the elements over the scene with the ortho program; blended when `transparency`.
    void Draw(CRenderer& renderer, CShaderProgram* orthoProgram, const Mat4& orthoMatrix, bool transparency);
    void ReleaseGLBuffers();

    float PixelWidth() const { return pixelWidth; }
    float PixelHeight() const { return pixelHeight; }

private:
    // The meshes belong to the HUD (scene objects never own theirs); declared first so that
    // they outlive the elements that point at them.
    std::array<std::unique_ptr<CMesh>, kElementCount> meshes;
    std::array<std::unique_ptr<CSceneGeoObject>, kElementCount> elements;
    unsigned elementCount = 0;
    float pixelWidth = 0.0f;   // one pixel along x in the -1..1 square
    float pixelHeight = 0.0f;  // one pixel along y
};
