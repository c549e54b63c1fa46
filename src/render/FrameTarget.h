#pragma once
// The framebuffer every screen draws its frame into. The window is opened with the samples of
// the quality the game starts at: a software rasterizer pays for a multisampled window's buffers
// in every frame (clearing them, resolving them at the swap) whatever is drawn, which a cheap
// frame cannot afford. A frame that wants more samples than the window has (High chosen in a
// game started at Low) draws into this target's multisampled buffers, which End resolves into
// the window before it is shown or read; any other frame draws straight into the window. (The
// window's samples lie mirrored from a framebuffer's, so only the window gives High's picture
// bit for bit: a resolved target differs on some edge pixels.)

#include <GL/glew.h>

class CFrameTarget {
public:
    CFrameTarget() = default;
    // Releases the buffers (GL context current).
    ~CFrameTarget();
    CFrameTarget(const CFrameTarget&) = delete;
    CFrameTarget& operator=(const CFrameTarget&) = delete;

    // Binds where this frame is drawn: the window when it has `samples` or more, else buffers of
    // that many samples at the window's size, made (and the old ones released) when the size or
    // samples changed. Buffers GL cannot make are said once on standard error; the frame then
    // goes to the window.
    void Begin(int width, int height, int samples);
    // Resolves a multisampled frame into the window and binds the window for drawing and
    // reading (screenshots, the swap); nothing to do for a frame drawn there.
    void End();
    // What the frame's passes bind when they go back from a framebuffer of their own.
    GLuint Framebuffer() const { return drawing ? framebuffer : 0; }
    void Release();

private:
    int windowSamples = -1;  // asked of GL at the first Begin
    int width = 0, height = 0, samples = 0;
    bool failed = false;   // these buffers could not be made: not tried again for the same ones
    bool drawing = false;  // between Begin and End with buffers of its own bound
    bool twoStep = false;  // the window's format differs: resolved through a plain texture first
    GLuint framebuffer = 0, colorBuffer = 0, depthBuffer = 0;
    GLuint resolveFramebuffer = 0, resolveTexture = 0;
};
