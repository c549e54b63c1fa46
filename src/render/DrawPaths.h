#pragma once
// The operations that put one thing on the screen with the program the caller made current:
// lines, bounding boxes, axes, sprites, the sky box, level objects, model trees and 2D elements.
// Each sets its per-object uniforms, binds its textures, draws, counts what it drew in the
// renderer and puts back the GL state it touched. Per-pass state (program, projection, depth
// test, blending) belongs to the caller.

#include "math/Matrix.h"

class CRenderer;
class CSceneObject;
class CSkyBox;
class CShaderProgram;
struct CMaterial;
struct CSprite;

// One coloured segment in world space through the renderer's 48-byte line buffer (or client
// memory when vertex buffers are off).
void DrawLine(CRenderer& renderer, const Vec3& from, const Vec3& to, const Vec3& fromColor, const Vec3& toColor,
              CShaderProgram* program);
// The twelve edges of the object's world corners, in magenta.
void DrawBoundingBox(CRenderer& renderer, CSceneObject* object, CShaderProgram* program);
// The object's local axes as unit lines (red X, green Y, blue Z).
void DrawAxes(CRenderer& renderer, CSceneObject* object, CShaderProgram* program);
void DrawSprite(CRenderer& renderer, CSprite* sprite, CShaderProgram* program);
void DrawSkyBox(CRenderer& renderer, CSkyBox* skyBox, CShaderProgram* program);
// Colours and the three maps (units 0 diffuse, 1 normal, 2 specular). A map that is only
// decoded is uploaded here, with a warning, and stays uploaded.
void BindMaterial(CRenderer& renderer, CMaterial& material, CShaderProgram* program);
// One level object without its children, culled by its bounding box.
void DrawSceneObject(CRenderer& renderer, CSceneObject* object, CShaderProgram* program);
// A model tree; only the root is culled, and only when `cull` is set.
void DrawSceneObjectTree(CRenderer& renderer, CSceneObject* object, CShaderProgram* program, const Mat4& parentMatrix,
                         bool cull);
// A picture or HUD element with the ortho program; "uni_OrthoMatrix" is the caller's
// (Begin2DPass).
void Draw2DElement(CRenderer& renderer, CSceneObject* element, CShaderProgram* program);

// The pass of pictures and HUD elements. Begin2DPass makes the ortho program current and gives
// it, and the renderer, the orthographic matrix; false (nothing is to be drawn) when the program
// cannot be used. Overlay2DState turns the depth test off and blending (by source alpha) on or
// off, for what is drawn over the scene; End2DOverlay puts back the depth test and no blending,
// the state the 3D passes expect.
bool Begin2DPass(CRenderer& renderer, CShaderProgram* program, const Mat4& orthoMatrix);
void Overlay2DState(bool blend);
// As Overlay2DState, but what is drawn multiplies the frame by its colour: a quad of grey g
// darkens everything under it to g of its brightness (the pause screen over the play frame).
void Overlay2DMultiply();
void End2DOverlay();
