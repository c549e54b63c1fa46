#pragma once
// How much a frame spends on its looks: the samples of the whole frame (menus and HUD too), the
// shadow map's size, whether the 3D passes of play draw into a smaller framebuffer of their own
// that is stretched over the frame before the HUD (always drawn at full resolution), and
// whether the lit surfaces take the cheap program.

#include "render/ShadowTarget.h"

struct FrameQuality {
    // Samples of the whole frame (the renderer's frame target): 0 draws straight into the window.
    int frameSamples = 4;
    // Off: the 3D passes go straight into the frame's framebuffer; on, into a smaller one
    // without samples (render/SceneTarget.h).
    bool ownTarget = false;
    int scalePercent = 100;      // the own target's side, in percent of the window's
    int shadowMapSize = kShadowMapSize;
    // Every lit surface without projected markers drawn by the cheap lit program (a 2 x 2 shadow
    // filter, no highlight, no normal map).
    bool cheapLighting = false;

    bool operator==(const FrameQuality& other) const {
        return frameSamples == other.frameSamples && ownTarget == other.ownTarget && scalePercent == other.scalePercent &&
               shadowMapSize == other.shadowMapSize && cheapLighting == other.cheapLighting;
    }
    bool operator!=(const FrameQuality& other) const { return !(*this == other); }
};
