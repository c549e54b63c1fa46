#pragma once
// The game's one window: opens it full screen at the desktop's resolution or as a window of a
// given size, switches between the two while the game runs, picks the picture aspect suffix,
// and keeps the projection matrices that depend on the window size.

#include <string>

#include "math/Matrix.h"

class CWindow {
public:
    CWindow() = default;
    CWindow(const CWindow&) = delete;
    CWindow& operator=(const CWindow&) = delete;
    // Terminates the window library, which closes the window and its GL context.
    ~CWindow();

    // 0 on success, -1 when the window cannot be opened. A width and height of 0 open the
    // full-screen window at the desktop's size; anything else opens a window of that size.
    // `samples`: the default framebuffer's multisampling, that of the quality the game starts
    // at (a frame wanting more draws into the renderer's frame target).
    int Open(int windowedWidth = 0, int windowedHeight = 0, int samples = 4);
    // The samples the window was opened with (a lower quality chosen since still pays for them).
    int OpenedSamples() const { return openedSamples; }
    std::string GetAspectSuffix() const { return aspectSuffix; }
    // Full screen at the desktop's size, or a window of width x height (0 x 0: 1280 x 720),
    // at once and keeping the GL context; the pictures' aspect and the pointer follow. False
    // when the window library could not switch.
    bool SetFullscreen(bool on, int windowedWidth = 0, int windowedHeight = 0);
    void UpdateMatrices();

    // Window-library callbacks; they reach the window through `instance`.
    static void OnWindowResize(int width, int height);
    static void OnMouseButton(int button, int action);

    // True while a screen is shown that the pointer chooses on (the menu): the pointer shows and
    // a click does not capture it. False again captures it at once when full screen; a window
    // keeps it until the next click, as at the start.
    void KeepPointerFree(bool free);

    // The process-wide window, set by the game right after it constructs the window. The
    // callbacks carry no user pointer, so this is how they find it.
    static CWindow* instance;

    bool mouseLocked = false;
    bool pointerFree = false;
    bool fullscreen = false;
    std::string aspectSuffix = "_169";
    int openedSamples = 0;
    Mat4 orthoMatrix;
    Mat4 perspectiveMatrix;
};

// The window a player gets who asks for one without a size.
inline constexpr int kDefaultWindowWidth = 1280, kDefaultWindowHeight = 720;

// "_43" for an exact 4:3 desktop (compared in single precision), "_169" otherwise.
std::string AspectSuffixFor(int width, int height);
