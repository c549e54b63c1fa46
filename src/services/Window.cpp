#include "services/Window.h"

#include <cmath>
#include <iostream>

#include "platform/WindowLibrary.h"
#include "render/Renderer.h"

CWindow* CWindow::instance = nullptr;

CWindow::~CWindow() {
    wl::Terminate();
    if (instance == this) instance = nullptr;
}

std::string AspectSuffixFor(int width, int height) {
    const float aspect = static_cast<float>(width) / static_cast<float>(height);
    return aspect == 4.0f / 3.0f ? "_43" : "_169";
}

int CWindow::Open(int windowedWidth, int windowedHeight, int samples) {
    wl::Init();  // a failure shows up as a failing OpenWindow
    wl::OpenWindowHint(wl::FSAA_SAMPLES, samples);
    openedSamples = samples;
    wl::VidMode desktop;
    wl::GetDesktopMode(&desktop);
    const bool windowed = windowedWidth > 0 && windowedHeight > 0;
    const int width = windowed ? windowedWidth : desktop.width;
    const int height = windowed ? windowedHeight : desktop.height;
    if (!wl::OpenWindow(width, height, 0, 0, 0, 0, 24, 8, windowed ? wl::WINDOW : wl::FULLSCREEN)) return -1;
    fullscreen = !windowed;
    // The pictures follow the window's shape, which is the desktop's only when full screen.
    aspectSuffix = AspectSuffixFor(width, height);
    if (windowed) {
        wl::SetWindowPos((desktop.width - width) / 2, (desktop.height - height) / 2);
    } else {
        wl::SetWindowPos(desktop.width / 2 - 400, desktop.height / 2 - 300);  // ignored full screen
    }
    wl::SetWindowTitle("Tavo");
    if (fullscreen) {
        // Full screen the pointer has nothing to point at: hidden and captured from the start,
        // while its motion still turns the camera.
        wl::Disable(wl::MOUSE_CURSOR);
        mouseLocked = true;
    }
    wl::SetWindowSizeCallback(&CWindow::OnWindowResize);
    wl::SetMouseButtonCallback(&CWindow::OnMouseButton);
    return 0;
}

bool CWindow::SetFullscreen(bool on, int windowedWidth, int windowedHeight) {
    if (on == fullscreen) return true;
    if (windowedWidth <= 0 || windowedHeight <= 0) {
        windowedWidth = kDefaultWindowWidth;
        windowedHeight = kDefaultWindowHeight;
    }
    if (!wl::SetWindowMode(on ? wl::FULLSCREEN : wl::WINDOW, windowedWidth, windowedHeight)) return false;
    fullscreen = on;
    int width = 0, height = 0;
    wl::GetWindowSize(&width, &height);
    if (width > 0 && height > 0) aspectSuffix = AspectSuffixFor(width, height);
    // The size callback may not have come yet: the frame must fit the new size now.
    if (width > 0 && height > 0) OnWindowResize(width, height);
    // Full screen the pointer is captured unless a screen chooses with it; a window frees it
    // until the next click, as at the start.
    if (fullscreen && !pointerFree && !mouseLocked) {
        wl::Disable(wl::MOUSE_CURSOR);
        mouseLocked = true;
    } else if (!fullscreen && mouseLocked) {
        wl::Enable(wl::MOUSE_CURSOR);
        mouseLocked = false;
    }
    return true;
}

void CWindow::OnWindowResize(int width, int height) {
    SetViewport(width, height);
    if (instance) instance->UpdateMatrices();
}

void CWindow::KeepPointerFree(bool free) {
    pointerFree = free;
    if (free && mouseLocked) {
        wl::Enable(wl::MOUSE_CURSOR);
        mouseLocked = false;
    } else if (!free && fullscreen && !mouseLocked) {
        wl::Disable(wl::MOUSE_CURSOR);
        mouseLocked = true;
    }
}

void CWindow::OnMouseButton(int, int) {
    if (!instance || instance->mouseLocked || instance->pointerFree) return;
    wl::Disable(wl::MOUSE_CURSOR);
    instance->mouseLocked = true;
    std::cout << "Mouse locked, press ESC to unlock" << std::endl;
}

void CWindow::UpdateMatrices() {
    int width = 0, height = 0;
    wl::GetWindowSize(&width, &height);
    if (height <= 0) return;  // minimised: keep the last matrices
    const float aspect = static_cast<float>(width) / static_cast<float>(height);

    const float t = std::tan(0.39269909262657166f);  // 22.5 degrees: half of a 45 degree field
    const float top = 0.1f * t;
    const float right = top * aspect;
    Mat4 p;
    for (float& v : p.m) v = 0.0f;
    p.m[0] = 0.2f / (2.0f * right);
    p.m[5] = 0.2f / (2.0f * top);
    p.m[10] = -1.0010005f;  // -(far + near) / (far - near) for near 0.1, far 200
    p.m[11] = -1.0f;
    p.m[14] = -0.20010005f;  // -2 * far * near / (far - near)
    perspectiveMatrix = p;

    orthoMatrix = Mat4();
    orthoMatrix.m[10] = -1.0f;
}
