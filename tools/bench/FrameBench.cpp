// Times one rendered play frame: a shipped level with the player on its start, seen by the
// follow camera, drawn by the play state's Render (shadow pass, main pass, HUD) and presented.
// Each frame is waited for (glFinish after the swap), so every sample is one whole frame.
//
// Usage (from the repository root, on a display of the size to measure):
//   frame-bench [--frames N] [--level levelN.dae] [--quality high|medium|low] [--screenshot FILE.png]
// (--quality: the graphics quality drawn, as tavo's option; without it the settings' own.)
// Prints "frame WxH: median X ms, p99 Y ms, mean Z ms (N frames, level, objects, triangles),
// peak RSS M MB, CPU C ms/frame": the process's high-water mark of resident memory (from /proc)
// and the processor time of all its threads (the driver's rasterizer threads too) per measured
// frame, which other programs on a busy machine disturb less than the wall-clock times.
#include <GL/glew.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "ProcessCpu.h"

#include "game/GameImpl.h"
#include "gameplay/PlayState.h"
#include "gameplay/QualityPresets.h"
#include "platform/WindowLibrary.h"
#include "render/Renderer.h"
#include "render/Texture.h"
#include "scene/LevelLoader.h"
#include "scene/ModelManager.h"
#include "scene/PlayerObject.h"
#include "services/Settings.h"

namespace {

void UploadObjects(CGameImpl& game, std::vector<std::unique_ptr<CSceneGeoObject>>& objects) {
    for (auto& object : objects) {
        for (uint32_t i = 0; i < object->meshCount; ++i) {
            CMesh* mesh = object->GetMesh(i);
            if (!mesh || mesh->IsUploaded()) continue;
            game.ResolveMaterialTextures(mesh->material);
            game.GetRenderer()->UploadMesh(mesh);
        }
        object->UpdateWorldCorners();
    }
}

double Percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    const size_t index = static_cast<size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[index];
}

// VmHWM of /proc/self/status in MB, or -1 where it cannot be read.
long PeakRssMb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6) / 1024;
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    int frames = 60;
    std::string levelName = "level1.dae";
    std::string screenshot;  // a file to copy the last frame's picture to
    std::optional<RenderQuality> quality;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--frames") frames = std::max(1, std::atoi(argv[i + 1]));
        else if (option == "--level") levelName = argv[i + 1];
        else if (option == "--screenshot") screenshot = argv[i + 1];
        else if (option == "--quality") {
            RenderQuality given = RenderQuality::High;
            if (!ParseRenderQuality(argv[i + 1], given)) {
                std::fprintf(stderr, "frame-bench: '%s' is not a quality (high, medium or low)\n", argv[i + 1]);
                return 2;
            }
            quality = given;
        }
    }

    // The game's own start-up, with its chatter kept out of the report.
    std::ostringstream startLog;
    std::streambuf* out = std::cout.rdbuf(startLog.rdbuf());
    std::streambuf* err = std::cerr.rdbuf(startLog.rdbuf());
    auto game = std::make_unique<CGameImpl>();
    if (quality) {
        StartOptions options;
        options.quality = quality;
        game->SetStartOptions(options);
    }
    const int result = game->Initialize();
    auto play = result == 0 ? std::make_unique<CPlayState>(game.get()) : nullptr;
    std::string error;
    std::unique_ptr<CLevel> level =
        result == 0 ? ReadLevelFile("resources/levels/" + levelName, levelName, error) : nullptr;
    if (result != 0 || !level) {
        std::cout.rdbuf(out);
        std::cerr.rdbuf(err);
        std::cerr << "frame-bench: cannot start (" << result << ") or read the level: " << error << "\n"
                  << startLog.str();
        return 1;
    }

    UploadObjects(*game, level->staticObjects);
    UploadObjects(*game, level->normalMappedObjects);
    UploadObjects(*game, level->dynamicObjects);
    CPlayerObject* player = game->GetModelManager()->GetPlayer("schoko.dae");
    if (player) {
        player->transform.m[12] = level->startPosition.x;
        player->transform.m[13] = level->startPosition.y;
        player->transform.m[14] = level->startPosition.z;
        player->UpdateWorldCorners();
    }
    play->sky.light.direction = Normalize(level->sunDirection);
    play->level.file = std::move(level);
    play->player = player;
    play->cameras.playerCamera->anchor = player;
    play->cameras.active = play->cameras.playerCamera.get();
    game->SetState(play.get());
    std::cout.rdbuf(out);

    int width = 0, height = 0;
    wl::GetWindowSize(&width, &height);
    CRenderer* renderer = game->GetRenderer();
    std::vector<double> samples;
    // The frames' own messages (content reported missing) stay out of the report too.
    const int warmUp = 3;
    double cpuStart = 0.0;
    for (int frame = 0; frame < warmUp + frames; ++frame) {
        if (frame == warmUp) cpuStart = ProcessCpuMs();
        const auto start = std::chrono::steady_clock::now();
        if (player) play->cameras.playerCamera->Update();
        // As the game's frame: into the quality's frame target, resolved into the window.
        renderer->frameTarget.Begin(width, height, FrameQualityFor(game->GetSettings()->Quality()).frameSamples);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        play->Render();
        renderer->frameTarget.End();
        if (frame == warmUp + frames - 1 && !screenshot.empty()) {
            const std::string saved = SaveScreenshot();
            // Copied, not renamed: the target may be on another file system.
            std::error_code failed;
            if (!saved.empty()) {
                std::filesystem::copy_file(saved, screenshot, std::filesystem::copy_options::overwrite_existing, failed);
                std::filesystem::remove(saved);
            }
            // Past the captured std::cerr, straight to the terminal.
            if (saved.empty() || failed) std::fprintf(stderr, "frame-bench: screenshot not saved to %s\n", screenshot.c_str());
        }
        wl::SwapBuffers();
        glFinish();
        const auto end = std::chrono::steady_clock::now();
        if (frame >= warmUp) samples.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    const double cpuPerFrame = (ProcessCpuMs() - cpuStart) / frames;
    std::cerr.rdbuf(err);

    double mean = 0.0;
    for (double s : samples) mean += s;
    mean /= static_cast<double>(samples.size());
    std::printf(
        "frame %dx%d: median %.1f ms, p99 %.1f ms, mean %.1f ms (%d frames, %s, %u objects, %u triangles), peak RSS %ld "
        "MB, CPU %.1f ms/frame\n",
        width, height, Percentile(samples, 0.5), Percentile(samples, 0.99), mean, frames, levelName.c_str(),
        renderer->objectsRendered, renderer->trianglesRendered, PeakRssMb(), cpuPerFrame);
    std::fflush(stdout);
    // The play state is let go as the game does, through the menu, whose chatter stays out of
    // the report too: the report is the last line.
    std::cout.rdbuf(startLog.rdbuf());
    game->SetState(game->GetState(STATE_MENU));
    play.reset();
    std::cout.rdbuf(out);
    return 0;
}
