#include "game/ReplaysState.h"

#include <algorithm>
#include <iostream>
#include <sstream>

#include "game/RunRecording.h"
#include "platform/InputScript.h"
#include "platform/PlayerFolders.h"
#include "platform/WindowLibrary.h"
#include "services/Game.h"
#include "services/InputManager.h"
#include "services/PictureQuad.h"

namespace {
// Splits `text` into lines no wider than `width` at `pixelHeight`, at spaces where it can.
std::vector<std::string> WrapText(const CTextRenderer& writer, const std::string& text, float pixelHeight,
                                  float width) {
    std::vector<std::string> lines;
    std::istringstream words(text);
    std::string word, line;
    while (words >> word) {
        std::string longer = line;
        if (!longer.empty()) longer += ' ';
        longer += word;
        if (!line.empty() && writer.MeasureText(longer, pixelHeight).width > width) {
            lines.push_back(line);
            line = word;
        } else {
            line = longer;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}
}  // namespace

CReplaysState::CReplaysState(CGame* game_) : CGameState(game_) { Init(); }

void CReplaysState::Init() {
    runs.clear();
    selected = first = 0;
    message.clear();
}

void CReplaysState::Enter() {
    // Read each time: a run just played, or a file the player copied in, shows at once.
    folder = ReplaysFolder();
    runs = ReadReplaysFolder(folder);
    selected = first = 0;
    message.clear();
    settling = kSettlingUpdates;
}

void CReplaysState::Select(int index) {
    const int count = static_cast<int>(runs.size()) + 1;  // and Back
    selected = ((index % count) + count) % count;
    // The page follows the selection; Back is always shown.
    if (selected < static_cast<int>(runs.size())) {
        if (selected < first) first = selected;
        if (selected >= first + kPageRows) first = selected - kPageRows + 1;
    }
}

int CReplaysState::ShownRows() const {
    const int shownRuns = runs.empty() ? 1 : std::min(static_cast<int>(runs.size()) - first, kPageRows);
    return shownRuns + 1;
}

int CReplaysState::IndexOfRow(int row) const {
    const int rows = ShownRows();
    if (row < 0 || row >= rows) return -1;
    if (row == rows - 1) return static_cast<int>(runs.size());  // Back
    return runs.empty() ? -1 : first + row;
}

int CReplaysState::RowAt(int x, int y, int width, int height) const {
    if (width <= 0 || height <= 0) return -1;
    const float across = (static_cast<float>(x) + 0.5f) / static_cast<float>(width) - 0.5f;
    if (across < -kRowHalfWidth || across > kRowHalfWidth) return -1;
    return TextMenuRowAt(kLayout, ShownRows(), static_cast<float>(y) + 0.5f, static_cast<float>(height));
}

void CReplaysState::Choose(int index) {
    if (index < 0) return;
    if (index >= static_cast<int>(runs.size())) {
        game->ChangeState(STATE_MENU);
        return;
    }
    const ReplayListEntry& run = runs[static_cast<size_t>(index)];
    const std::string path = pf::JoinPath(folder, run.fileName);
    // Checked here, so that a file that cannot play leaves the game as it is; the watched
    // session reads it again (and gives its warnings then).
    wl::InputScript script;
    std::ostringstream problems;
    if (!ReadRecording(path, "tavo", &script, problems)) {
        std::string line = problems.str();
        while (!line.empty() && line.back() == '\n') line.pop_back();
        std::cerr << line << std::endl;
        // The folder is the player's own: the screen names the file alone.
        const std::string prefix = folder + "/";
        for (std::size_t at = line.find(prefix); at != std::string::npos; at = line.find(prefix))
            line.erase(at, prefix.size());
        message = line.compare(0, 6, "tavo: ") == 0 ? line.substr(6) : line;
        return;
    }
    message.clear();
    game->WatchRecording(path);
}

void CReplaysState::Update(double) {
    CInputManager* input = game->GetInputManager();
    const TextMenuPointer pointer = ReadTextMenuPointer(game);
    const bool moved = pointer.moved && settling == 0;
    if (settling > 0) --settling;
    if (input->KeyHit(wl::KEY_ESC) || input->PadHit(wl::PAD_B) || input->PadHit(wl::PAD_START)) {
        game->ChangeState(STATE_MENU);
        return;
    }
    if (input->KeyHit(wl::KEY_ENTER) || input->PadHit(wl::PAD_A)) {
        Choose(selected);
        return;
    }
    // UP and DOWN come round past either end, as on the other menus; the wheel steps too.
    if (input->KeyHit(wl::KEY_UP) || input->PadHit(wl::PAD_DPAD_UP) || input->wheelDelta > 0) Select(selected - 1);
    else if (input->KeyHit(wl::KEY_DOWN) || input->PadHit(wl::PAD_DPAD_DOWN) || input->wheelDelta < 0)
        Select(selected + 1);

    if (!pointer.shown) return;
    const int index = IndexOfRow(RowAt(pointer.x, pointer.y, pointer.width, pointer.height));
    if (index < 0) return;
    if (moved || pointer.clicked) selected = index;
    if (pointer.clicked) Choose(index);
}

void CReplaysState::Render() {
    if (CShaderProgram* ortho = BeginPicturePass(game)) DrawPictureQuad(game, ortho);
    DarkenFrame(game, kBackdrop);

    int width = 0, height = 0;
    wl::GetWindowSize(&width, &height);
    const float w = static_cast<float>(width), h = static_cast<float>(height);
    const float rowHeight = kLayout.rowHeight * h;
    DrawMenuText(game, "Replays", w / 2, kLayout.titleTop * h, kLayout.titleHeight * h, TextAlign::Centre, false);
    const int rows = ShownRows();
    for (int row = 0; row < rows; ++row) {
        const int index = IndexOfRow(row);
        const float top = TextMenuRowTop(kLayout, row, h);
        if (index < 0) {
            DrawMenuText(game, "No recorded runs yet", w / 2, top, rowHeight, TextAlign::Centre, false);
            continue;
        }
        const bool back = index == static_cast<int>(runs.size());
        DrawMenuText(game, back ? std::string("Back") : runs[static_cast<size_t>(index)].label, w / 2, top, rowHeight,
                     TextAlign::Centre, index == selected);
    }

    std::string footer = "UP / DOWN choose    ENTER watch    ESC back";
    if (static_cast<int>(runs.size()) > kPageRows)
        footer = std::to_string(first + 1) + " - " + std::to_string(first + rows - 1) + " of " +
                 std::to_string(runs.size()) + "    " + footer;
    DrawMenuText(game, footer, w / 2, kFooterTop * h, kFooterHeight * h, TextAlign::Centre, false);
    if (message.empty() || !game->GetText()) return;
    const float lineHeight = kMessageHeight * h;
    float top = kMessageTop * h;
    for (const std::string& line : WrapText(*game->GetText(), message, lineHeight, 0.9f * w)) {
        DrawMenuText(game, line, w / 2, top, lineHeight, TextAlign::Centre, true);
        top += lineHeight;
    }
}
