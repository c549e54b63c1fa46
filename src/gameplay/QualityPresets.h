#pragma once
// What each graphics quality of the settings asks of the play frame. High is the picture the
// game has always drawn; medium and low were chosen by measuring frame-bench against the floor
// renderer on a software rasterizer (docs/architecture.md, "Graphics quality").

#include "render/FrameQuality.h"
#include "services/Settings.h"

FrameQuality FrameQualityFor(RenderQuality quality);
