#pragma once
// The sky: one mesh (the model manager's inward-facing sky cube) drawn with a cube map.

#include "scene/SceneGeoObject.h"

struct CTexture;

class CSkyBox : public CSceneGeoObject {
public:
    CSkyBox();
    ~CSkyBox() override;

    CTexture* cubeMap = nullptr;  // first face of the cube map; the texture manager owns it
};
