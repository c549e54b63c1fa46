#include "game/GameImpl.h"

#include <cstdlib>
#include <iostream>

#include "game/MenuState.h"
#include "game/RunRecording.h"
#include "game/Screens.h"
#include "game/SplashscreenState.h"
#include "gameplay/PlayState.h"
#include "gameplay/QualityPresets.h"
#include "platform/InputScript.h"
#include "platform/WindowLibrary.h"
#include "render/Renderer.h"
#include "render/ShaderProgram.h"
#include "render/TextRenderer.h"
#include "render/TextureManager.h"
#include "scene/LevelLoader.h"
#include "scene/Mesh.h"
#include "scene/SceneGeoObject.h"
#include "services/Hud.h"
#include "services/InputManager.h"
#include "services/Progress.h"
#include "services/Settings.h"
#include "services/SoundManager.h"
#include "services/Window.h"

namespace {
// Longest wait for input on a screen that waits for it; the sound streams (about 3 s queued)
// are topped up at least this often.
const double kIdleWaitSeconds = 0.1;
}  // namespace

CGameImpl::CGameImpl() = default;

CGameImpl::~CGameImpl() {
    // Models first: their meshes delete GPU buffers while the context still exists.
    modelManager.reset();
    // The screens, in id order.
    for (auto& entry : states) entry.second.reset();
    states.clear();
    currentState = nullptr;
    // Shader programs, each deleting its GL program and shader objects.
    for (auto& shader : shaders) shader.reset();
    // The renderer deletes its line buffer and gizmo while the context still exists.
    renderer.reset();
    // Texture objects go while the context exists too; the images themselves are freed
    // with the texture manager after the window.
    if (textureManager && window) textureManager->ReleaseGLTextures();
    if (hud && window) hud->ReleaseGLBuffers();
    if (text && window) text->ReleaseGLBuffers();
    // Terminating the window library closes the window and its GL context.
    window.reset();
    textureManager.reset();
    inputManager.reset();
    // Shuts the sound system down.
    soundManager.reset();
    hud.reset();
    text.reset();
}

int CGameImpl::Initialize() {
    // The player's files first: the settings say how the window opens. Unreadable ones warn
    // and leave their values at the game's own.
    settings = std::make_unique<CSettings>();
    settings->Load();
    if (startOptions.watchingRecording) settings->KeepToThisRun();
    if (startOptions.quality) settings->SetQualityForThisRun(*startOptions.quality);
    progress = std::make_unique<CProgress>();
    progress->Load();
    // A watched run's level ends are not the player's.
    if (startOptions.watchingRecording) progress->KeepToThisRun();
    renderer = std::make_unique<CRenderer>();
    window = std::make_unique<CWindow>();
    CWindow::instance = window.get();
    textureManager = std::make_unique<CTextureManager>();
    inputManager = std::make_unique<CInputManager>();
    modelManager = std::make_unique<CModelManager>();
    // Brings the sound system up at once.
    soundManager = std::make_unique<CSoundManager>();
    hud = std::make_unique<CHud>();
    text = std::make_unique<CTextRenderer>();

    // The player's loudness from the start.
    soundManager->SetMusicVolume(settings->MusicVolume());
    soundManager->SetEffectsVolume(settings->EffectsVolume());

    // The command line decides for this run; without it the settings: full screen, or a
    // window of their size (a sensible one for "desktop").
    int windowWidth = startOptions.windowWidth, windowHeight = startOptions.windowHeight;
    const bool commandLineChose = startOptions.fullscreen || (windowWidth > 0 && windowHeight > 0);
    if (!commandLineChose && !settings->Fullscreen()) {
        windowWidth = settings->WindowWidth() > 0 ? settings->WindowWidth() : kDefaultWindowWidth;
        windowHeight = settings->WindowHeight() > 0 ? settings->WindowHeight() : kDefaultWindowHeight;
    }
    // With the samples of the quality it starts at; another chosen later is drawn at once, at
    // its full speed from the next start (render/FrameTarget.h).
    int result = window->Open(windowWidth, windowHeight, FrameQualityFor(settings->Quality()).frameSamples);
    if (result != 0) {
        std::cout << "Window system threw an error." << std::endl;
        return result;
    }
    std::cout << "Window initialized" << std::endl;
    // A recording turns the camera with the look settings it was played with, whatever the
    // player's own are, so that it plays the same anywhere; a script that names none takes the
    // player's.
    const wl::InputScript* script = wl::RunningInputScript();
    if (script && script->lookSettingsGiven) {
        settings->SetMouseSpeed(script->mouseSpeed);
        settings->SetInvertLook(script->invertLook);
    }
    // So does the progress it started with: the menu's entries, where Continue leads and the
    // records a level's end reports are the run's, and the player's file is left alone.
    if (script && script->progressGiven) progress->UseRecords(ProgressOfRecording(*script));

    int width = 0, height = 0;
    wl::GetWindowSize(&width, &height);
    hud->Create(static_cast<unsigned>(width), static_cast<unsigned>(height));
    std::cout << "HUD initialized" << std::endl;

    result = renderer->InitGL();
    if (result != 0) {
        std::cout << "Renderer threw an error." << std::endl;
        return result;
    }
    std::cout << "Renderer initialized" << std::endl;
    // The game never lowers the quality by itself; a player who has not been to the options
    // yet learns where it is. A watched run is not the player at the menu.
    softwareRenderingHint =
        renderer->softwareRendering && !settings->FileFoundAtLoad() && !startOptions.watchingRecording;
    if (softwareRenderingHint) std::cout << kSoftwareRenderingHint << std::endl;

    // A scripted run must replay the same way every time, random choices included; a real
    // one's seed goes into its recording.
    std::srand(wl::RandomSeed());

    LoadShaderPrograms();
    PreloadTextures();
    if (text->Load(*textureManager, *renderer)) text->SetScreenSize(width, height);
    PreloadModels();
    PreloadHud();

    std::cout << "Game init in " << wl::GetTime() << " secs" << std::endl;
    std::cout << "Changing to menu..." << std::endl;
    ChangeState(STATE_MENU);
    // Back from watching a recorded run: where it was chosen.
    if (startOptions.openOnReplays) ChangeState(STATE_REPLAYS);
    if (!startOptions.levelPath.empty()) StartInLevelFile(startOptions.levelPath);
    return 0;
}

void CGameImpl::StartInLevelFile(const std::string& path) {
    // A level named on the command line is a path even without a folder, so a designer's
    // "mylevel.dae" is the file in the working folder, not a shipped level of that name.
    const std::string level = LevelPathFromCommandLine(path);
    std::cout << "Starting in level file " << level << std::endl;
    auto* play = static_cast<CPlayState*>(ChangeState(STATE_PLAY));
    if (play) play->LoadLevel(level);
    // A level that does not load sends the play state back to the menu; say so once more in
    // the words of the command line. PlayGame then ends the session with status 1.
    if (currentState != GetState(STATE_PLAY)) {
        startLevelFailed = true;
        std::cerr << "ERROR: Could not start in level file " << level << ", exiting" << std::endl;
    }
}

void CGameImpl::PreloadHud() {
    for (unsigned i = 0; i < hud->GetElementCount(); ++i) {
        CMesh* mesh = hud->GetElement(i)->GetMesh(0);
        ResolveMaterialTextures(mesh->material);
        renderer->UploadMesh(mesh);
    }
}

void CGameImpl::Run() {
    std::cout << "Starting game loop" << std::endl;
    std::cout << "************************************************" << std::endl;
    std::cout << "*** Press F1 for a listing of debug commands ***" << std::endl;
    std::cout << "************************************************" << std::endl;

    running = true;
    int frames = 0;
    double lastReport = 0.0;
    double lastFrameStart = 0.0;
    double frameTime = 0.0;
    const CGameState* drawnState = nullptr;

    while (running) {
        // The menu and the pictures change only when the player does something. Without
        // vertical sync (software rendering, virtual displays) drawing them again and again
        // would keep a core busy for nothing: they wait for input instead, a tenth of a second
        // at most so that the music stays topped up, and the last frame stays on screen.
        if (currentState->WaitsForInput() && !wl::WaitEvents(kIdleWaitSeconds) && currentState == drawnState) {
            soundManager->Update();
            running = running && wl::GetWindowParam(wl::OPENED);
            inputManager->Update();
            continue;
        }
        ++frames;
        const double now = wl::GetTime();
        if (lastFrameStart != 0.0) frameTime = now - lastFrameStart;

        const uint32_t objects = renderer->objectsRendered;
        const uint32_t triangles = renderer->trianglesRendered;
        renderer->objectsRendered = 0;
        renderer->trianglesRendered = 0;

        const double elapsed = now - lastReport;
        lastFrameStart = now;
        if (elapsed > 5.0 || (showFrameStatsEachSecond && elapsed > 1.0)) {
            std::cout << frames / elapsed << "fps/" << elapsed / frames * 1000.0 << "ms (over " << elapsed
                      << " secs)" << std::endl;
            std::cout << std::dec << objects << " objects with " << triangles << " Tris rendered last frame"
                      << std::endl;
            frames = 0;
            lastReport = now;
        }

        HandleGlobalKeys();
        // Asked of the screen the frame began on: one that answers ESC itself (play pauses,
        // pause resumes, options go back) has read the press by the time the loop looks.
        CGameState* const frameState = currentState;
        const bool escapeEnds = currentState->EscapeEndsGame();
        currentState->Update(frameTime);
        // Fetched again: a state change made during Update renders the new state now.
        lastFrameDrawn = startOptions.drawPlayFrames || currentState != MadeState(STATE_PLAY);
        if (lastFrameDrawn) DrawFrame();
        drawnState = currentState;
        wl::SwapBuffers();
        soundManager->Update();

        // A press that arrives in the swap of a frame that left the menu (for a level that took
        // long to load and draw) is the new screen's, next frame: play pauses, it does not quit.
        const bool escHit = escapeEnds && currentState == frameState && inputManager->KeyHit(wl::KEY_ESC);
        running = running && wl::GetWindowParam(wl::OPENED) && !escHit;
        inputManager->Update();
    }
}

void CGameImpl::DrawFrame() {
    int width = 0, height = 0;
    wl::GetWindowSize(&width, &height);
    renderer->frameTarget.Begin(width, height, FrameQualityFor(settings->Quality()).frameSamples);
    ClearFrame();
    currentState->Render();
    renderer->frameTarget.End();
}

void CGameImpl::ResolveMaterialTextures(CMaterial& material) {
    if (!material.diffuseName.empty()) material.diffuseTexture = textureManager->GetTexture(material.diffuseName);
    if (!material.specularName.empty()) material.specularTexture = textureManager->GetTexture(material.specularName);
    if (!material.normalName.empty()) material.normalTexture = textureManager->GetTexture(material.normalName);
}

CGameState* CGameImpl::GetState(int id) {
    if (CGameState* made = MadeState(id)) return made;
    std::unique_ptr<CGameState> state = MakeScreen(id, this);
    if (!state) {
        std::cerr << "ERROR: No game state has the id " << std::dec << id << std::endl;
        return nullptr;
    }
    return (states[id] = std::move(state)).get();
}

CGameState* CGameImpl::MadeState(int id) const {
    const auto made = states.find(id);
    return made == states.end() ? nullptr : made->second.get();
}

CGameState* CGameImpl::ChangeState(int id) {
    CGameState* state = GetState(id);
    // An unknown id must not leave the loop without a state: keep the current one.
    if (!state) return nullptr;
    return SetState(state);
}

CGameState* CGameImpl::SetState(CGameState* state) {
    currentState = state;
    // The menu, the pause screen and the options are chosen on with the pointer; play turns
    // the camera with it.
    const bool choosesWithPointer = state == MadeState(STATE_MENU) || state == MadeState(STATE_PAUSE) ||
                                    state == MadeState(STATE_OPTIONS) || state == MadeState(STATE_REPLAYS);
    if (window) window->KeepPointerFree(choosesWithPointer);
    state->Enter();
    return state;
}

void CGameImpl::ShowPicture(PictureReason reason, const LevelResult* result) {
    auto* splash = static_cast<CSplashscreenState*>(GetState(STATE_SPLASHSCREEN));
    if (!splash) return;
    splash->Show(reason, result);
    SetState(splash);
}

void CGameImpl::WatchRecording(const std::string& path) {
    // A watched run that chose a run to watch ends there: its own end is the watch's end.
    if (!startOptions.watchingRecording) watchRequest = path;
    running = false;
}
