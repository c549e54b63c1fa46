#pragma once
// The game object: owns every manager, the ten shader programs and the screens, runs the
// start-up sequence and the main loop, and tears everything down in a fixed order.

#include <map>
#include <memory>
#include <string>

#include "game/StartOptions.h"
#include "scene/ModelManager.h"
#include "services/Game.h"
#include "services/GameState.h"

class CSceneObject;

class CGameImpl : public CGame {
public:
    CGameImpl();
    CGameImpl(const CGameImpl&) = delete;
    CGameImpl& operator=(const CGameImpl&) = delete;
    // Safe after an Initialize that stopped half way: every step skips what was never made.
    ~CGameImpl() override;

    // 0 on success, else the error value of the step that failed (-1 window, the GL
    // extension loader's code, or 4919 without OpenGL 3.3).
    int Initialize();
    // What the command line asked for (a window size or full screen, a level to start in); set
    // before Initialize. Without it the game opens at the menu, full screen or in a window as
    // the player's settings say.
    void SetStartOptions(const StartOptions& options) { startOptions = options; }
    // The main loop; returns when the running flag is cleared.
    void Run();

    CRenderer* GetRenderer() override { return renderer.get(); }
    CModelManager* GetModelManager() override { return modelManager.get(); }
    CTextureManager* GetTextureManager() override { return textureManager.get(); }
    CInputManager* GetInputManager() override { return inputManager.get(); }
    CWindow* GetWindow() override { return window.get(); }
    CSoundManager* GetSoundManager() override { return soundManager.get(); }
    CHud* GetHud() override { return hud.get(); }
    CSettings* GetSettings() override { return settings.get(); }
    CProgress* GetProgress() override { return progress.get(); }
    CTextRenderer* GetText() override { return text.get(); }
    CShaderProgram* GetShader(ShaderId id) override { return shaders[static_cast<size_t>(id)].get(); }
    void ResolveMaterialTextures(CMaterial& material) override;
    CGameState* GetState(int id) override;
    CGameState* ChangeState(int id) override;
    CGameState* SetState(CGameState* state) override;
    void ShowPicture(PictureReason reason, const LevelResult* result) override;
    void Quit() override { running = false; }
    void WatchRecording(const std::string& path) override;

    // One frame's debug keys (F1 .. F12, HOME), handled before the state updates.
    void HandleGlobalKeys();
    void LoadShaderPrograms();
    void ReloadShaderPrograms();
    void PreloadTextures();
    // Resolves the textures of every mesh in the tree and puts the meshes on the GPU.
    void UploadSceneObjectTree(CSceneObject* object);

    CGameState* GetCurrentState() const { return currentState; }
    bool IsRunning() const { return running; }
    bool ShowsFrameStatsEachSecond() const { return showFrameStatsEachSecond; }
    bool IsWireframe() const { return wireframe; }
    // True when --level named a file that did not load: the session ends with status 1 rather
    // than running, so the script that started it learns of the failure.
    bool StartLevelFailed() const { return startLevelFailed; }
    // The recording the player chose to watch when the session ended; "" when none.
    const std::string& WatchRequest() const { return watchRequest; }
    // A software rasterizer draws and the player has no settings file yet: the start-up and
    // the menu say that a faster graphics quality is in the options.
    bool ShowsSoftwareRenderingHint() const { return softwareRenderingHint; }

private:
    StartOptions startOptions;
    // False when the last frame skipped drawing (drawPlayFrames off), so a screenshot draws it.
    bool lastFrameDrawn = true;
    bool startLevelFailed = false;
    std::string watchRequest;
    bool softwareRenderingHint = false;
    // Clears and draws the current state, as the loop does after an update.
    void DrawFrame();
    // The screen with this id if it has been made, else null (it is not made here).
    CGameState* MadeState(int id) const;
    // --level: from the menu straight into the play state with that level file.
    void StartInLevelFile(const std::string& path);
    // Built-in GPU objects, the three game models and the built-in meshes that start-up puts
    // on the GPU.
    void PreloadModels();
    // The HUD's pictures are looked up and its quads uploaded, element by element.
    void PreloadHud();

    std::unique_ptr<CRenderer> renderer;
    std::unique_ptr<CWindow> window;
    std::unique_ptr<CTextureManager> textureManager;
    std::unique_ptr<CInputManager> inputManager;
    std::unique_ptr<CModelManager> modelManager;
    std::unique_ptr<CSoundManager> soundManager;
    std::unique_ptr<CHud> hud;
    std::unique_ptr<CTextRenderer> text;
    std::unique_ptr<CSettings> settings;
    std::unique_ptr<CProgress> progress;
    CGameState* currentState = nullptr;  // one of `states`, or a state a caller owns
    // The screens made so far (game/Screens.cpp makes them), by id.
    std::map<int, std::unique_ptr<CGameState>> states;
    std::unique_ptr<CShaderProgram> shaders[kShaderProgramCount];  // by ShaderId
    bool running = false;
    bool showFrameStatsEachSecond = false;
    bool wireframe = false;
};
