#include "gameplay/QualityPresets.h"

// Measured on llvmpipe with two cores (frame-bench against the floor renderer, levels 1 to 5,
// 1280 x 720 and 1920 x 1080): multisampling costs a software rasterizer nearly as much at 2x
// as at 4x, a multisampled window costs its share in every frame whatever is drawn, and the lit
// fragments dominate the rest, so the cheaper qualities drop the samples, draw the 3D scene on
// fewer pixels and (Low) with the cheap lit program.
FrameQuality FrameQualityFor(RenderQuality quality) {
    FrameQuality frame;
    switch (quality) {
        case RenderQuality::High:
            break;  // 4x multisampled, the 4096 shadow map: the picture the game has always drawn
        case RenderQuality::Medium:
            frame.frameSamples = 0;
            frame.ownTarget = true;
            frame.scalePercent = 67;
            frame.shadowMapSize = 2048;
            break;
        case RenderQuality::Low:
            frame.frameSamples = 0;
            frame.ownTarget = true;
            frame.scalePercent = 50;
            frame.shadowMapSize = 1024;
            frame.cheapLighting = true;
            break;
    }
    return frame;
}
