// Level benchmark: how long each shipped level takes to load, and how long one play-state update
// takes while the player walks about.
//
//   loads    every resources/levels/levelN.dae five times; the median of the game's own
//            "Level changed in" figure (the window library's real timer)
//   updates  1,000 updates of level 1 with a fixed 1/60 s frame time while a script walks,
//            runs and turns the player; median and 99th percentile of one Update (rules,
//            physics, sun rays, HUD; no drawing)
//
// Run from the repository root under an X server (Xvfb is fine):
//   xvfb-run -a -s "-screen 0 1280x720x24" build/tavo-level-bench [--runs N] [--updates N]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "game/GameImpl.h"
#include "gameplay/PlayState.h"
#include "platform/InputScript.h"
#include "platform/WindowLibrary.h"
#include "scene/PlayerObject.h"
#include "services/InputManager.h"

namespace {

double Percentile(std::vector<double> values, double fraction) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const size_t index = std::min(values.size() - 1, static_cast<size_t>(fraction * static_cast<double>(values.size())));
    return values[index];
}

double Median(const std::vector<double>& values) { return Percentile(values, 0.5); }

// Runs `action` with standard output captured; returns what it printed.
template <typename Action>
std::string CaptureOut(Action action) {
    std::ostringstream captured;
    std::streambuf* previous = std::cout.rdbuf(captured.rdbuf());
    action();
    std::cout.rdbuf(previous);
    return captured.str();
}

// Seconds from the "Level changed in X secs" line, or -1.
double LevelChangedSeconds(const std::string& out) {
    const std::string key = "Level changed in ";
    const size_t at = out.find(key);
    if (at == std::string::npos) return -1.0;
    return std::atof(out.c_str() + at + key.size());
}

// Silences the game's standard error while it runs (warnings of the shipped content are the
// content tests' business).
struct QuietErrors {
    std::ostringstream sink;
    std::streambuf* previous = std::cerr.rdbuf(sink.rdbuf());
    ~QuietErrors() { std::cerr.rdbuf(previous); }
};

bool BenchLoads(int runs) {
    std::vector<std::string> levels;
    for (int n = 1; n <= 9; ++n) {
        const std::string name = "level" + std::to_string(n) + ".dae";
        if (std::filesystem::exists("resources/levels/" + name)) levels.push_back(name);
    }
    auto game = std::make_unique<CGameImpl>();
    int init = 0;
    {
        QuietErrors quiet;
        CaptureOut([&] { init = game->Initialize(); });
    }
    if (init != 0) {
        std::cerr << "The game did not start (" << init << ")" << std::endl;
        return false;
    }
    auto* play = static_cast<CPlayState*>(game->ChangeState(STATE_PLAY));
    std::printf("%-12s %10s %10s %10s   (\"Level changed in\", %d loads each)\n", "level", "median s", "min s", "max s",
                runs);
    bool allUnder = true;
    for (const std::string& name : levels) {
        std::vector<double> seconds;
        for (int run = 0; run < runs; ++run) {
            QuietErrors quiet;
            const std::string out = CaptureOut([&] { play->LoadLevel(name); });
            seconds.push_back(LevelChangedSeconds(out));
        }
        const double median = Median(seconds);
        allUnder = allUnder && median < 0.3;
        std::printf("%-12s %10.4f %10.4f %10.4f\n", name.c_str(), median,
                    *std::min_element(seconds.begin(), seconds.end()), *std::max_element(seconds.begin(), seconds.end()));
    }
    std::printf("target: every level under 0.3 s: %s\n\n", allUnder ? "met" : "NOT met");
    {
        QuietErrors quiet;
        CaptureOut([&] { game.reset(); });
    }
    return true;
}

// A walk through level 1: forward, running, turning with A and D, a jump now and then.
wl::InputScript WalkScript(int updates) {
    wl::InputScript script;
    script.frameTime = 1.0 / 60.0;
    script.frames = updates + 10;
    script.Add(wl::InputEvent::KeyDown, 0, 'W');
    for (int frame = 60; frame < updates; frame += 240) {
        script.Add(wl::InputEvent::KeyDown, frame, wl::KEY_LSHIFT).Add(wl::InputEvent::KeyUp, frame + 90, wl::KEY_LSHIFT);
        script.Add(wl::InputEvent::KeyDown, frame + 100, 'A').Add(wl::InputEvent::KeyUp, frame + 130, 'A');
        script.Add(wl::InputEvent::KeyDown, frame + 160, 'D').Add(wl::InputEvent::KeyUp, frame + 190, 'D');
        script.Key(frame + 200, wl::KEY_SPACE);
    }
    return script;
}

bool BenchUpdates(int updates) {
    const wl::InputScript script = WalkScript(updates);
    wl::UseInputScript(&script);
    auto game = std::make_unique<CGameImpl>();
    int init = 0;
    {
        QuietErrors quiet;
        CaptureOut([&] { init = game->Initialize(); });
    }
    if (init != 0) return false;
    auto* play = static_cast<CPlayState*>(game->ChangeState(STATE_PLAY));
    {
        QuietErrors quiet;
        CaptureOut([&] { play->LoadLevel("level1.dae"); });
    }
    if (!play->level.file) {
        std::cerr << "level1.dae did not load" << std::endl;
        return false;
    }
    const Vec3 startPosition(play->player->transform[12], play->player->transform[13], play->player->transform[14]);
    std::vector<double> seconds;
    seconds.reserve(static_cast<size_t>(updates));
    {
        QuietErrors quiet;
        CaptureOut([&] {
            for (int i = 0; i < updates && game->GetCurrentState() == play; ++i) {
                // Full sun would end the walk after 20 s; the sun test still runs every update.
                play->player->life = 1.0f;
                const auto start = std::chrono::steady_clock::now();
                play->Update(1.0 / 60.0);
                const auto end = std::chrono::steady_clock::now();
                seconds.push_back(std::chrono::duration<double>(end - start).count());
                wl::SwapBuffers();  // delivers the script's keys for the next update
                game->GetInputManager()->Update();
            }
        });
    }
    const Vec3 endPosition(play->player->transform[12], play->player->transform[13], play->player->transform[14]);
    const double median = Median(seconds) * 1000.0;
    std::printf("Update over %zu updates of level1.dae (fixed 1/60 s, scripted walk):\n", seconds.size());
    std::printf("  median %.4f ms, p99 %.4f ms, max %.4f ms\n", median, Percentile(seconds, 0.99) * 1000.0,
                *std::max_element(seconds.begin(), seconds.end()) * 1000.0);
    std::printf("  the player ended %.1f units from the start\n", static_cast<double>(Length(endPosition - startPosition)));
    std::printf("target: median under 0.5 ms: %s\n", median < 0.5 ? "met" : "NOT met");
    {
        QuietErrors quiet;
        CaptureOut([&] { game.reset(); });
    }
    wl::UseInputScript(nullptr);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 5, updates = 1000;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--runs") runs = std::max(1, std::atoi(argv[i + 1]));
        else if (option == "--updates") updates = std::max(1, std::atoi(argv[i + 1]));
    }
    if (!BenchLoads(runs)) return 1;
    if (!BenchUpdates(updates)) return 1;
    return 0;
}
