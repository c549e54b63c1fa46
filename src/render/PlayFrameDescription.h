#pragma once
// One frame of play as the renderer sees it: what to look through, what the sun lights and
// shades, which markers fall on what, which programs draw it, and the debug views and HUD to lay
// over it. The play state fills one each frame (gameplay/PlayStateFrame.cpp) and hands it to
// CPlayFrameRenderer; the renderer never sees the rules, so a frame can be skipped or drawn
// twice without them knowing. Pointers are not owned and need only live through the drawing.

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "math/Matrix.h"
#include "render/FrameQuality.h"

class CSceneObject;
class CShaderProgram;
class CSkyBox;
struct CSprite;
struct CTexture;

// A power-up's marker, projected onto every object that names the power-up's number.
struct PlayFrameProjector {
    Mat4 textureMatrix;              // bias * the projector's projection
    CSceneObject* source = nullptr;  // the projector camera
    Mat4 view;                       // the projector camera's view matrix
};

// A model tree drawn whole; one not shown (a power-up waiting to come back) still shows its
// gizmos.
struct PlayFrameModel {
    CSceneObject* root = nullptr;
    bool shown = true;
};

struct PlayFrameLine {
    Vec3 from;
    Vec3 to;
    Vec3 color;
};

// The programs of the passes; a null one (never loaded) leaves its part of the frame out.
struct PlayFramePrograms {
    CShaderProgram* depth = nullptr;          // shadow pass, and asking where hidden objects show
    CShaderProgram* sky = nullptr;
    CShaderProgram* sun = nullptr;            // the sun sprite
    CShaderProgram* bump = nullptr;           // normal-mapped scenery
    CShaderProgram* bumpProjected = nullptr;  // ... with projected markers
    CShaderProgram* lit = nullptr;            // everything else that is lit
    CShaderProgram* litProjected = nullptr;   // ... with projected markers
    CShaderProgram* lines = nullptr;          // debug lines
    CShaderProgram* ortho = nullptr;          // brings the frame's own target to the window
    CShaderProgram* litCheap = nullptr;       // lit surfaces at a quality with cheap lighting
};

struct PlayFrameDescription {
    // The camera: the object looked through, its view and world matrices, the projection, and
    // the window's size in pixels.
    CSceneObject* camera = nullptr;
    Mat4 view;
    Mat4 cameraModel;
    Mat4 projection;
    int width = 0;
    int height = 0;
    // What the frame spends on its looks; a change remakes the shadow map and the frame's own
    // target before the frame is drawn.
    FrameQuality quality;

    // The sun: the way its light travels, its colour, and the light camera that the shadow
    // pass looks through (view, projection, and the matrix into shadow-map coordinates).
    Vec3 sunDirection{0.0f, -1.0f, 0.0f};
    Vec3 sunColor{1.0f, 1.0f, 1.0f};
    CSceneObject* lightCamera = nullptr;
    Mat4 lightView;
    Mat4 lightProjection;
    Mat4 lightNorm;

    // Drawn behind everything, without depth; the sky box is moved onto the camera.
    CSkyBox* skyBox = nullptr;
    CSprite* sunSprite = nullptr;

    // Lit objects, which also cast shadows, in the level's own lists: normal-mapped scenery,
    // scenery (invisible colliders, clip mode 2, among it: neither drawn nor casting, only seen
    // by the gizmos), moving objects; then the player's figure and the power-ups' models.
    std::vector<CSceneObject*> normalMapped;
    std::vector<CSceneObject*> scenery;
    std::vector<CSceneObject*> moving;
    CSceneObject* figure = nullptr;
    std::vector<PlayFrameModel> powerups;

    // Projected markers: the power-ups showing one, by number, and the marker's picture. Off,
    // the plain programs draw and no marker falls anywhere.
    bool projectiveTexturing = true;
    std::map<int32_t, PlayFrameProjector> projectors;
    CTexture* projectorPicture = nullptr;

    PlayFramePrograms programs;

    // Render settings and debug views: axes and bounding boxes of everything (and of these
    // cameras), and the physics view with its own segments and the last sun test's rays.
    bool frustumCulling = true;
    bool backfaceCulling = true;
    bool gizmos = false;
    std::vector<CSceneObject*> gizmoCameras;
    bool physicsDebugging = false;
    // Hands the physics world's segments to DrawLine with the lines program current.
    std::function<void()> physicsDebugLines;
    std::vector<PlayFrameLine> sunRays;

    // The head-up display, drawn by its owner over everything; empty draws none.
    std::function<void()> hud;
};
