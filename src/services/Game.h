#pragma once
// The game as its screens see it: the managers, the shader programs, material texture lookup
// and changes of screen. CGameImpl is the one implementation.

#include <string>

#include "render/ShaderPrograms.h"

class CRenderer;
class CModelManager;
class CTextureManager;
class CInputManager;
class CWindow;
class CSoundManager;
class CSettings;
class CProgress;
class CTextRenderer;
class CHud;
class CShaderProgram;
class CGameState;
struct CMaterial;
struct LevelResult;

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
    // The player's settings (read at start-up, written when the player changes one) and the
    // levels completed with their records.
    virtual CSettings* GetSettings() = 0;
    virtual CProgress* GetProgress() = 0;
    // Words and numbers over the frame; draws nothing when the glyph atlas did not load.
    virtual CTextRenderer* GetText() = 0;
    // One of the programs of render/ShaderPrograms.h (loaded or not, once start-up loaded them).
    virtual CShaderProgram* GetShader(ShaderId id) = 0;
    // Fills the material's texture pointers from its non-empty texture file names.
    virtual void ResolveMaterialTextures(CMaterial& material) = 0;
    // The state for an id, created on first use; null, with an error message, for an id that
    // no screen has.
    virtual CGameState* GetState(int id) = 0;
    // Makes the state for an id current; an unknown id keeps the current state and gives null.
    virtual CGameState* ChangeState(int id) = 0;
    virtual CGameState* SetState(CGameState* state) = 0;
    // Changes to the picture screen, which shows the picture for `reason` until ENTER; a level's
    // end passes its result (this run and the records), which the picture shows beside its words.
    virtual void ShowPicture(PictureReason reason, const LevelResult* result) = 0;
    // The main loop ends after the current frame.
    virtual void Quit() = 0;
    // The main loop ends after the current frame, as Quit, and the recorded run at `path` is
    // shown from a fresh start (as `tavo --replay` shows it); then the game goes on at the
    // Replays screen. A watched run that asks for another only ends.
    virtual void WatchRecording(const std::string& path) = 0;
};
