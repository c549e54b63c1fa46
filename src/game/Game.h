#pragma once
// The game as its screens see it: the managers, the ten shader programs, material texture
// lookup and changes of screen (the texture filters' update reads it too). CGameImpl is the one
// implementation.

class CRenderer;
class CModelManager;
class CTextureManager;
class CInputManager;
class CWindow;
class CSoundManager;
class CHud;
class CShaderProgram;
class CGameState;
struct CMaterial;

// Why the picture between levels shows; it picks the picture and what is heard with it.
enum class PictureReason { Death, StageComplete, MissionComplete };

class CGame {
public:
    virtual ~CGame() = default;
    // The getters return stored pointers only; they may be null before initialisation.
    virtual CRenderer* GetRenderer() = 0;
    virtual CModelManager* GetModelManager() = 0;
    virtual CTextureManager* GetTextureManager() = 0;
    virtual CInputManager* GetInputManager() = 0;
    virtual CWindow* GetWindow() = 0;
    virtual CSoundManager* GetSoundManager() = 0;
    virtual CHud* GetHud() = 0;
    virtual CShaderProgram* GetTextureShaderPhong() = 0;
    virtual CShaderProgram* GetTextureShaderPhongProj() = 0;
    virtual CShaderProgram* GetSimpleShader() = 0;
    virtual CShaderProgram* GetTextureShader() = 0;
    virtual CShaderProgram* GetSunShader() = 0;
    virtual CShaderProgram* GetBumpShaderPhong() = 0;
    virtual CShaderProgram* GetBumpShaderPhongProj() = 0;
    virtual CShaderProgram* GetCubeShader() = 0;
    virtual CShaderProgram* GetOrthoShader() = 0;
    virtual CShaderProgram* GetTransformShader() = 0;
    // Fills the material's texture pointers from its non-empty texture file names.
    virtual void ResolveMaterialTextures(CMaterial& material) = 0;
    // The state for an id, created on first use; null, with an error message, for an id that
    // no screen has.
    virtual CGameState* GetState(int id) = 0;
    // Makes the state for an id current; an unknown id keeps the current state and gives null.
    virtual CGameState* ChangeState(int id) = 0;
    virtual CGameState* SetState(CGameState* state) = 0;
    // Changes to the picture screen, which shows the picture for `reason` until ENTER.
    virtual void ShowPicture(PictureReason reason) = 0;
    // The main loop ends after the current frame.
    virtual void Quit() = 0;
};
