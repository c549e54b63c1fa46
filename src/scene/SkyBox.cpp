#include "scene/SkyBox.h"

CSkyBox::CSkyBox() = default;

CSkyBox::~CSkyBox() = default;
