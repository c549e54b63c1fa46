#include "game/SplashscreenState.h"

#include <cstdio>
#include <iostream>

#include "platform/WindowLibrary.h"
#include "render/DrawPaths.h"
#include "render/TextRenderer.h"
#include "render/TextureManager.h"
#include "scene/Mesh.h"
#include "services/Game.h"
#include "services/InputManager.h"
#include "services/PictureQuad.h"
#include "services/SoundManager.h"
#include "services/Window.h"

CSplashscreenState::CSplashscreenState(CGame* game_) : CGameState(game_) { Init(); }

void CSplashscreenState::Init() { transparency = true; }

std::string CSplashscreenState::PictureName(PictureReason why) const {
    const char* stem = why == PictureReason::Death           ? "death"
                       : why == PictureReason::StageComplete ? "stage_complete"
                                                             : "mission_complete";
    return stem + game->GetWindow()->GetAspectSuffix() + ".png";
}

namespace {
std::string Seconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f s", seconds);
    return text;
}
}  // namespace

void CSplashscreenState::Show(PictureReason why, const LevelResult* levelResult) {
    reason = why;
    result.reset();
    if (levelResult && why != PictureReason::Death) result = *levelResult;
    const std::string name = PictureName(why);
    if (CMesh* quad = GetPictureQuad(game)) {
        quad->material.diffuseTexture = game->GetTextureManager()->GetPicture(name);
        // Named too, so that a first upload at draw time says which picture it is.
        quad->material.diffuseName = name;
    }
}

void CSplashscreenState::Enter() {
    CSoundManager* sound = game->GetSoundManager();
    sound->StopMusic();
    // A death gets its sound once, a finished stage or the whole mission gets music.
    if (reason == PictureReason::Death) sound->PlaySound("death.wav");
    else sound->StartMusic("levelcomplete.mp3");
}

void CSplashscreenState::Update(double) {
    CInputManager* input = game->GetInputManager();
    // An ENTER still held from the previous screen is not a new press (the input manager keeps
    // it consumed until it is released), so a picture always waits for the player.
    if (input->KeyHit(wl::KEY_ENTER) || input->PadHit(wl::PAD_START)) game->ChangeState(STATE_PLAY);
    if (input->KeyHit(wl::KEY_F9)) {
        transparency = !transparency;
        std::cout << "Transparency " << (transparency ? "enabled" : "disabled") << std::endl;
    }
}

std::vector<std::string> CSplashscreenState::ResultLines() const {
    if (!result) return {};
    std::vector<std::string> lines;
    lines.push_back("Time " + Seconds(result->seconds) + "     Life " +
                    std::to_string(LifePercent(static_cast<double>(result->life))) + "%");
    if (result->bestTime || result->bestLife) {
        lines.push_back("Best " + (result->bestTime ? Seconds(*result->bestTime) : std::string("-")) +
                        "     Best life " +
                        (result->bestLife ? std::to_string(LifePercent(*result->bestLife)) + "%" : std::string("-")));
    }
    if (result->NewRecord()) lines.push_back("New record!");
    return lines;
}

void CSplashscreenState::Render() {
    // The level stays on screen behind the picture, frozen: the play state is drawn but not
    // updated while the picture shows.
    if (CGameState* play = game->GetState(STATE_PLAY)) play->Render();
    CShaderProgram* ortho = BeginPicturePass(game);
    if (!ortho) return;
    Overlay2DState(transparency);
    DrawPictureQuad(game, ortho);
    End2DOverlay();
    DrawResult(ortho);
}

void CSplashscreenState::DrawResult(CShaderProgram* ortho) {
    CTextRenderer* text = game->GetText();
    if (!text || !result) return;
    int width = 0, height = 0;
    wl::GetWindowSize(&width, &height);
    text->SetScreenSize(width, height);
    // Above the picture's panel, whose stars reach up to 23 % of the height in both aspects:
    // the veil there is free of the picture's own words, and of the HUD at the window's foot.
    const float w = text->ScreenWidth(), h = text->ScreenHeight();
    const float lineHeight = h * 0.045f;
    float y = h * 0.06f;
    for (const std::string& line : ResultLines()) {
        const bool record = line == "New record!";
        text->DrawText(*game->GetRenderer(), ortho, game->GetWindow()->orthoMatrix, line, w / 2, y,
                       record ? lineHeight * 1.2f : lineHeight, TextAlign::Centre,
                       record ? kTextHighlight : kTextCream);
        y += lineHeight * 1.1f;
    }
}
