#pragma once
// The full-screen quad that the menu and the splash pictures are drawn on: the model manager's
// screen quad, shared by the menu and the splash screen (each puts its own picture on it) and
// the play state (which lets the last picture go when it is entered).

class CGame;
class CMesh;
class CShaderProgram;

// The quad whose material carries the current picture; null before the model manager exists.
CMesh* GetPictureQuad(CGame* game);
// Makes the ortho program current and gives it (and the renderer) the window's orthographic
// matrix; null when the program cannot be used, and then nothing is to be drawn.
CShaderProgram* BeginPicturePass(CGame* game);
// Draws the quad with the picture its material names, as a 2D element with the identity
// transform.
void DrawPictureQuad(CGame* game, CShaderProgram* orthoProgram);
// Darkens the whole frame drawn so far to `brightness` (0 .. 1) of itself, with the quad in
// that grey and no picture (its own picture is left as it was).
void DarkenFrame(CGame* game, float brightness);
