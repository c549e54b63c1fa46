#include "game/OptionsState.h"

#include <iostream>

#include "gameplay/PlayState.h"
#include "gameplay/QualityPresets.h"
#include "platform/WindowLibrary.h"
#include "services/Game.h"
#include "services/InputManager.h"
#include "services/PictureQuad.h"
#include "services/Settings.h"
#include "services/SoundManager.h"
#include "services/Window.h"

COptionsState::COptionsState(CGame* game_) : CGameState(game_) { Init(); }

void COptionsState::Init() {
    selected = 0;
    returnTo = STATE_MENU;
}

void COptionsState::Enter() {
    selected = 0;
    settling = kSettlingUpdates;
}

std::string COptionsState::FooterText() const {
    const CSettings* settings = game->GetSettings();
    const CWindow* window = game->GetWindow();
    // The window's samples are fixed when it opens: a cheaper quality chosen since draws the
    // cheaper picture at once but keeps paying for them until the game starts again.
    if (Selected() == OptionRow::Quality && settings && window &&
        FrameQualityFor(settings->Quality()).frameSamples < window->OpenedSamples())
        return "Full speed at this quality from the next start";
    return "UP / DOWN choose    LEFT / RIGHT change    ESC back";
}

const char* COptionsState::RowLabel(OptionRow row) {
    switch (row) {
        case OptionRow::MusicVolume: return "Music volume";
        case OptionRow::EffectsVolume: return "Effects volume";
        case OptionRow::MouseSpeed: return "Mouse look speed";
        case OptionRow::InvertLook: return "Invert vertical look";
        case OptionRow::Fullscreen: return "Full screen";
        case OptionRow::Quality: return "Graphics quality";
        case OptionRow::Back: return "Back";
    }
    return "";
}

std::string COptionsState::ValueText(OptionRow row) const {
    const CSettings* settings = game->GetSettings();
    if (!settings) return "";
    switch (row) {
        case OptionRow::MusicVolume: return std::to_string(settings->MusicVolume()) + " %";
        case OptionRow::EffectsVolume: return std::to_string(settings->EffectsVolume()) + " %";
        case OptionRow::MouseSpeed: return std::to_string(settings->MouseSpeed()) + " %";
        case OptionRow::InvertLook: return settings->InvertLook() ? "Yes" : "No";
        case OptionRow::Fullscreen: return settings->Fullscreen() ? "Yes" : "No";
        case OptionRow::Quality: {
            switch (settings->Quality()) {
                case RenderQuality::High: return "High";
                case RenderQuality::Medium: return "Medium";
                case RenderQuality::Low: return "Low";
            }
            return "";
        }
        case OptionRow::Back: return "";
    }
    return "";
}

void COptionsState::Change(OptionRow row, int direction) {
    CSettings* settings = game->GetSettings();
    if (!settings || direction == 0) return;
    const int sign = direction < 0 ? -1 : 1;
    switch (row) {
        case OptionRow::MusicVolume:
            settings->SetMusicVolume(settings->MusicVolume() + sign * kVolumeStep);
            if (CSoundManager* sound = game->GetSoundManager()) sound->SetMusicVolume(settings->MusicVolume());
            break;
        case OptionRow::EffectsVolume:
            settings->SetEffectsVolume(settings->EffectsVolume() + sign * kVolumeStep);
            if (CSoundManager* sound = game->GetSoundManager()) {
                sound->SetEffectsVolume(settings->EffectsVolume());
                // A sample of the new loudness.
                sound->PlaySound("jump.mp3");
            }
            break;
        case OptionRow::MouseSpeed:
            // The play camera reads it at its next turn.
            settings->SetMouseSpeed(settings->MouseSpeed() + sign * kMouseSpeedStep);
            break;
        case OptionRow::InvertLook:
            settings->SetInvertLook(!settings->InvertLook());
            break;
        case OptionRow::Fullscreen: {
            const bool on = !settings->Fullscreen();
            CWindow* window = game->GetWindow();
            if (window && !window->SetFullscreen(on, settings->WindowWidth(), settings->WindowHeight())) {
                std::cerr << "WARNING: The window could not be switched " << (on ? "to full screen" : "to a window")
                          << std::endl;
                return;
            }
            settings->SetFullscreen(on);
            break;
        }
        case OptionRow::Quality: {
            // High, Medium, Low, round past either end; the play frame takes it up in its next
            // frame.
            const int count = 3;
            const int next = (static_cast<int>(settings->Quality()) + count + sign) % count;
            settings->SetQuality(static_cast<RenderQuality>(next));
            break;
        }
        case OptionRow::Back:
            return;  // Back has no value
    }
    // Written at once (atomically, and only when something changed): a crash later keeps it.
    settings->Save();
}

void COptionsState::Back() {
    const int to = returnTo;
    returnTo = STATE_MENU;
    game->ChangeState(to);
}

bool COptionsState::RowAt(int x, int y, int width, int height, OptionRow* row, int* part) {
    if (width <= 0 || height <= 0) return false;
    const int found = TextMenuRowAt(kLayout, kRowCount, static_cast<float>(y) + 0.5f, static_cast<float>(height));
    if (found < 0) return false;
    const float across = (static_cast<float>(x) + 0.5f) / static_cast<float>(width);
    if (across < 1.0f - kValueRight || across > kValueRight) return false;
    *row = static_cast<OptionRow>(found);
    *part = 0;
    if (*row != OptionRow::Back && across >= kValueLeft) *part = across < kValueCentre ? -1 : 1;
    return true;
}

void COptionsState::Update(double) {
    CInputManager* input = game->GetInputManager();
    const OptionRow row = Selected();
    const TextMenuPointer pointer = ReadTextMenuPointer(game);
    const bool moved = pointer.moved && settling == 0;
    if (settling > 0) --settling;
    if (input->KeyHit(wl::KEY_ESC) || input->PadHit(wl::PAD_B) || input->PadHit(wl::PAD_START)) {
        Back();
        return;
    }
    if (input->KeyHit(wl::KEY_ENTER) || input->PadHit(wl::PAD_A)) {
        if (row == OptionRow::Back) {
            Back();
            return;
        }
        // ENTER flips a yes / no row.
        if (row == OptionRow::InvertLook || row == OptionRow::Fullscreen) Change(row, 1);
    }
    if (input->KeyHit(wl::KEY_UP) || input->PadHit(wl::PAD_DPAD_UP)) selected = (selected + kRowCount - 1) % kRowCount;
    else if (input->KeyHit(wl::KEY_DOWN) || input->PadHit(wl::PAD_DPAD_DOWN)) selected = (selected + 1) % kRowCount;
    else if (input->KeyHit(wl::KEY_LEFT) || input->PadHit(wl::PAD_DPAD_LEFT)) Change(row, -1);
    else if (input->KeyHit(wl::KEY_RIGHT) || input->PadHit(wl::PAD_DPAD_RIGHT)) Change(row, 1);

    OptionRow under = OptionRow::Back;
    int part = 0;
    if (!pointer.shown || !RowAt(pointer.x, pointer.y, pointer.width, pointer.height, &under, &part)) return;
    if (moved || pointer.clicked) selected = static_cast<int>(under);
    if (!pointer.clicked) return;
    if (under == OptionRow::Back) Back();
    else Change(under, part);
}

void COptionsState::Render() {
    // Over the level (darkened, as the pause screen shows it) or over the menu's picture.
    if (returnTo == STATE_PAUSE) {
        auto* play = static_cast<CPlayState*>(game->GetState(STATE_PLAY));
        if (play && play->level.file) play->Render();
    } else if (CShaderProgram* ortho = BeginPicturePass(game)) {
        DrawPictureQuad(game, ortho);
    }
    DarkenFrame(game, returnTo == STATE_PAUSE ? kLevelBackdrop : kMenuBackdrop);

    int width = 0, height = 0;
    wl::GetWindowSize(&width, &height);
    const float w = static_cast<float>(width), h = static_cast<float>(height);
    const float rowHeight = kLayout.rowHeight * h;
    DrawMenuText(game, "Options", w / 2, kLayout.titleTop * h, kLayout.titleHeight * h, TextAlign::Centre, false);
    for (int i = 0; i < kRowCount; ++i) {
        const auto row = static_cast<OptionRow>(i);
        const bool chosen = i == selected;
        const float top = TextMenuRowTop(kLayout, i, h);
        if (row == OptionRow::Back) {
            DrawMenuText(game, RowLabel(row), w / 2, top, rowHeight, TextAlign::Centre, chosen);
            continue;
        }
        DrawMenuText(game, RowLabel(row), kLabelRight * w, top, rowHeight, TextAlign::Right, chosen);
        DrawMenuText(game, ValueText(row), kValueCentre * w, top, rowHeight, TextAlign::Centre, chosen);
        DrawMenuText(game, "<", kValueLeft * w, top, rowHeight, TextAlign::Left, chosen);
        DrawMenuText(game, ">", kValueRight * w, top, rowHeight, TextAlign::Right, chosen);
    }
    DrawMenuText(game, FooterText(), w / 2, kHintTop * h, kHintHeight * h, TextAlign::Centre, false);
}
