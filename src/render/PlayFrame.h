#pragma once
// Draws one frame of play from its description, in four passes: shadow map from the sun, the
// lit 3D scene, debug lines, head-up display. It owns the sun's shadow target.

#include <GL/glew.h>

#include <memory>
#include <unordered_set>
#include <vector>

#include "render/PlayFrameDescription.h"
#include "render/SceneTarget.h"
#include "render/Texture.h"

class CRenderer;
class CSceneObject;

class CPlayFrameRenderer {
public:
    // Makes the shadow target. Made without a GL context (rules tests) it has none, says so on
    // standard error, and its frames skip the shadow pass.
    CPlayFrameRenderer();
    // Deletes the shadow target and the queries (the GL context must still be current).
    ~CPlayFrameRenderer();
    CPlayFrameRenderer(const CPlayFrameRenderer&) = delete;
    CPlayFrameRenderer& operator=(const CPlayFrameRenderer&) = delete;

    // Applies the frame's quality (remaking the shadow map and the scene's own target as it
    // asks), draws the frame into the renderer's frame target and leaves what the next frame and
    // the other states expect: that framebuffer bound, depth test and writes on, no blending,
    // texture unit 0.
    void Draw(CRenderer& renderer, const PlayFrameDescription& frame);

    // Null without a GL context.
    const CTexture* ShadowMap() const { return shadowMap.get(); }
    // The quality the last frame was drawn at.
    const FrameQuality& Quality() const { return quality; }

private:
    // Remakes the shadow target when the quality asks for another size.
    void ApplyQuality(const FrameQuality& wanted);

    FrameQuality quality;
    // The 3D passes' own framebuffer when the quality asks for one; its buffers are made on the
    // first frame that needs them and let go when the quality no longer does.
    CSceneTarget sceneTarget;
    std::unique_ptr<CTexture> shadowMap;
    GLuint shadowFramebuffer = 0;
    // The occlusion queries that ask where the level objects and the sky show, made as frames
    // need them.
    std::vector<GLuint> visibilityQueries;
    // The level objects that the last frame found wholly hidden: this frame asks about them
    // before drawing them. Only compared, never followed: a level loaded since leaves entries
    // that match nothing, or at worst cost one object a question.
    std::unordered_set<const CSceneObject*> hiddenLastFrame;
};
