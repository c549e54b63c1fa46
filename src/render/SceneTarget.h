#pragma once
// A framebuffer of the play frame's own for its 3D passes, used by the cheaper qualities: no
// samples and fewer pixels than the window. Drawn into, then brought to the frame's framebuffer
// by a quad over the whole of it (that one may be multisampled, which a blit may not write to,
// and it is larger), before the HUD is drawn there at full resolution.

#include <GL/glew.h>

class CShaderProgram;

class CSceneTarget {
public:
    CSceneTarget() = default;
    // Releases the framebuffer, renderbuffer, texture and quad (GL context current).
    ~CSceneTarget();
    CSceneTarget(const CSceneTarget&) = delete;
    CSceneTarget& operator=(const CSceneTarget&) = delete;

    // Remakes the buffers when the size differs from the last call (releasing the old ones).
    // False when GL could not make a complete framebuffer (said once on standard error, not
    // tried again for the same size).
    bool Ensure(int width, int height);
    // Binds the framebuffer, sets the viewport to it and clears it.
    void Begin();
    // Covers the frame's framebuffer (`frameFramebuffer`, `frameWidth` x `frameHeight`, bound on
    // return) with what was drawn, stretched, through the ortho program. Leaves the depth test
    // on, no blending and texture unit 0 active.
    void Present(CShaderProgram* ortho, GLuint frameFramebuffer, int frameWidth, int frameHeight);
    // Lets every GL object go.
    void Release();

private:
    bool Make(int width, int height);

    int width = 0, height = 0;
    bool failed = false;  // the last Make failed
    GLuint framebuffer = 0;
    GLuint texture = 0;   // the colour, which the quad shows
    GLuint depthBuffer = 0;
    GLuint quadVao = 0, quadVbo = 0;
};
