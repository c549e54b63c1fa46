#include "game/MenuState.h"

#include "game/GameImpl.h"
#include "game/TextMenu.h"
#include "gameplay/PlayState.h"
#include "platform/WindowLibrary.h"
#include "render/DrawPaths.h"
#include "render/TextRenderer.h"
#include "render/TextureManager.h"
#include "scene/Mesh.h"
#include "scene/SceneGeoObject.h"
#include "services/Game.h"
#include "services/InputManager.h"
#include "services/PictureQuad.h"
#include "services/Progress.h"
#include "services/SoundManager.h"
#include "services/Window.h"

namespace {
const char* const kPill = "menu_entry.png";
const char* const kSelectedPill = "menu_entry_selected.png";
// The labels: dark chocolate on the chosen entry's sun-yellow pill, cream on the others.
const Vec3 kChosenLabel(0.30f, 0.16f, 0.06f);
const Vec3 kLabel(0.93f, 0.87f, 0.77f);
// The label's line box, in window heights.
constexpr float kLabelHeight = 0.055f;
}  // namespace

const char* MenuEntryLabel(MenuEntry entry) {
    switch (entry) {
        case MenuEntry::Continue: return "Continue";
        case MenuEntry::Start: return "Start";
        case MenuEntry::Options: return "Options";
        case MenuEntry::Replays: return "Replays";
        case MenuEntry::Quit: return "Quit";
    }
    return "";
}

double MenuLayout::Centre(int index, int count) {
    return kMiddle + (static_cast<double>(index) - static_cast<double>(count - 1) / 2.0) * kStep * Scale(count);
}

int MenuEntryAt(int x, int y, int width, int height, int count) {
    if (width <= 0 || height <= 0) return -1;
    // The pills keep their shape in any window: their size goes by the height alone.
    const double across = (static_cast<double>(x) + 0.5 - width / 2.0) / height;
    const double down = (static_cast<double>(y) + 0.5) / height;
    const double halfWidth = MenuLayout::kPillWidth * MenuLayout::Scale(count) / 2;
    const double halfHeight = MenuLayout::kPillHeight * MenuLayout::Scale(count) / 2;
    if (across < -halfWidth || across > halfWidth) return -1;
    for (int i = 0; i < count; ++i) {
        const double centre = MenuLayout::Centre(i, count);
        if (down >= centre - halfHeight && down <= centre + halfHeight) return i;
    }
    return -1;
}

CMenuState::CMenuState(CGame* game_) : CGameState(game_) { Init(); }

void CMenuState::Init() {
    entries = {MenuEntry::Start, MenuEntry::Options, MenuEntry::Replays, MenuEntry::Quit};
    selected = 0;
}

std::string CMenuState::PictureName() const { return "menu" + game->GetWindow()->GetAspectSuffix() + ".jpg"; }

void CMenuState::ShowPicture() {
    CMesh* quad = GetPictureQuad(game);
    if (!quad) return;
    const std::string name = PictureName();
    quad->material.diffuseTexture = game->GetTextureManager()->GetPicture(name);
    // Named too, so that a first upload at draw time says which picture it is.
    quad->material.diffuseName = name;
    pills[0] = game->GetTextureManager()->GetPicture(kPill);
    pills[1] = game->GetTextureManager()->GetPicture(kSelectedPill);
}

void CMenuState::Enter() {
    CSoundManager* sound = game->GetSoundManager();
    sound->StopMusic();
    sound->StartMusic("mainmenu.mp3");
    entries = {MenuEntry::Start, MenuEntry::Options, MenuEntry::Replays, MenuEntry::Quit};
    const CProgress* progress = game->GetProgress();
    if (progress && progress->AnyCompleted() && !ShippedLevels().empty())
        entries.insert(entries.begin(), MenuEntry::Continue);
    selected = 0;
    ShowPicture();
}

void CMenuState::Select(int index) {
    const int count = static_cast<int>(entries.size());
    selected = ((index % count) + count) % count;
}

void CMenuState::Update(double) {
    CInputManager* input = game->GetInputManager();
    // A pad's A or Start confirms and its D-pad chooses, beside the keys.
    const bool confirmed =
        input->KeyHit(wl::KEY_ENTER) || input->PadHit(wl::PAD_START) || input->PadHit(wl::PAD_A);
    if (confirmed) Choose(Selected());
    // UP and DOWN in the same frame move once: DOWN is not asked for when UP was hit. Past
    // either end the selection comes round to the other.
    if (input->KeyHit(wl::KEY_UP) || input->PadHit(wl::PAD_DPAD_UP)) Select(selected - 1);
    else if (input->KeyHit(wl::KEY_DOWN) || input->PadHit(wl::PAD_DPAD_DOWN)) Select(selected + 1);
    // The keypad digits or, for keyboards without a keypad, the digits of the main row.
    for (int number = 1; number <= 9; ++number) {
        const bool keypad = input->KeyHit(wl::KEY_KP_1 + number - 1);
        const bool mainRow = input->KeyHit('0' + number);
        if (keypad || mainRow) LoadLevelByNumber(this, number);
    }
    // A click in the frame that ENTER chose in is not a second choice.
    if (!confirmed) FollowMouse();
}

void CMenuState::Choose(MenuEntry entry) {
    std::string level;
    switch (entry) {
        case MenuEntry::Continue:
            level = game->GetProgress() ? ContinueLevel(*game->GetProgress()) : std::string();
            break;
        case MenuEntry::Start: level = kFirstLevelFileName; break;
        case MenuEntry::Options: game->ChangeState(STATE_OPTIONS); return;
        case MenuEntry::Replays: game->ChangeState(STATE_REPLAYS); return;
        case MenuEntry::Quit: game->Quit(); return;
    }
    if (level.empty()) return;
    game->GetSoundManager()->StopMusic();
    auto* play = static_cast<CPlayState*>(game->ChangeState(STATE_PLAY));
    if (play) play->LoadLevel(level);
}

void CMenuState::FollowMouse() {
    CInputManager* input = game->GetInputManager();
    // A captured pointer is hidden and points nowhere the player can see.
    if (wl::CursorHidden()) return;
    int x = 0, y = 0, width = 0, height = 0;
    wl::GetMousePos(&x, &y);
    wl::GetWindowSize(&width, &height);
    const int index = MenuEntryAt(x, y, width, height, static_cast<int>(entries.size()));
    const bool clicked = input->ButtonHit(wl::MOUSE_BUTTON_LEFT);
    if (index < 0) return;
    // Only a pointer that moves selects: one left resting on an entry does not undo the keys.
    const bool moved = input->mouseDeltaX != 0 || input->mouseDeltaY != 0;
    if (moved || clicked) Select(index);
    if (clicked) Choose(Selected());
}

void CMenuState::Render() {
    CShaderProgram* ortho = BeginPicturePass(game);
    if (!ortho) return;
    DrawPictureQuad(game, ortho);
    DrawEntries(ortho);
    DrawHint();
}

void CMenuState::DrawHint() {
    const auto* impl = dynamic_cast<const CGameImpl*>(game);
    if (!impl || !impl->ShowsSoftwareRenderingHint()) return;
    int width = 0, height = 0;
    wl::GetWindowSize(&width, &height);
    const int count = static_cast<int>(entries.size());
    const double pillsEnd = MenuLayout::Centre(count - 1, count) + MenuLayout::kPillHeight * MenuLayout::Scale(count) / 2;
    DrawMenuText(game, kSoftwareRenderingHint, static_cast<float>(width) / 2,
                 static_cast<float>((pillsEnd + MenuLayout::kHintGap) * height),
                 static_cast<float>(MenuLayout::kHintHeight * height), TextAlign::Centre, false);
}

void CMenuState::DrawEntries(CShaderProgram* ortho) {
    CMesh* quad = GetPictureQuad(game);
    if (!quad) return;
    int width = 0, height = 0;
    wl::GetWindowSize(&width, &height);
    if (width <= 0 || height <= 0) return;
    const int count = static_cast<int>(entries.size());
    const double scale = MenuLayout::Scale(count);

    // The pills: the picture quad (-1 .. 1 both ways under the identity orthographic matrix)
    // scaled and moved onto each entry's place, its picture changed for the draw and put back.
    const CMaterial picture = quad->material;
    Overlay2DState(true);
    for (int i = 0; i < count; ++i) {
        quad->material.diffuseTexture = pills[i == selected ? 1 : 0];
        quad->material.diffuseName = i == selected ? kSelectedPill : kPill;
        if (!quad->material.diffuseTexture) continue;
        Mat4 place;
        place.m[0] = static_cast<float>(MenuLayout::kPictureWidth * scale * height / width);
        place.m[5] = static_cast<float>(MenuLayout::kPictureHeight * scale);
        place.m[13] = static_cast<float>(1.0 - 2.0 * MenuLayout::Centre(i, count));
        CSceneGeoObject element({quad}, place, "", Vec3());
        Draw2DElement(*game->GetRenderer(), &element, ortho);
    }
    quad->material = picture;
    End2DOverlay();

    CTextRenderer* text = game->GetText();
    if (!text) return;
    text->SetScreenSize(width, height);
    const float h = text->ScreenHeight();
    const float size = h * kLabelHeight * static_cast<float>(scale);
    for (int i = 0; i < count; ++i) {
        const float centre = static_cast<float>(MenuLayout::Centre(i, count)) * h;
        text->DrawText(*game->GetRenderer(), ortho, game->GetWindow()->orthoMatrix,
                       MenuEntryLabel(entries[static_cast<size_t>(i)]), text->ScreenWidth() / 2, centre - size / 2,
                       size, TextAlign::Centre, i == selected ? kChosenLabel : kLabel);
    }
}
