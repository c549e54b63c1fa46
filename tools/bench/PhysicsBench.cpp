// Physics benchmark: builds a level-sized world (about 2,000 static triangles, 20 crates, 5
// triggers, 10 power-ups, the character with its push box) and times, over 10,000 fixed frames
// of 1/60 s, one Step and the sun test's eight rays. Prints median and 99th percentile.
//
// Wall time includes whatever else the machine runs (a busy 2-core machine preempts the
// process for whole scheduler slices of several milliseconds); the thread's own CPU time is
// printed beside it so that the cost of the physics itself can be told apart.
//
// Usage: build/physics-bench [frames]

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <sstream>
#include <vector>

#include "gameplay/Powerup.h"
#include "physics/PhysCharacter.h"
#include "physics/PhysicsWorld.h"
#include "PhysicsKit.h"  // in-memory meshes, shared with the physics tests
#include "scene/CallbackTrigger.h"
#include "scene/Mesh.h"
#include "scene/PhysData.h"
#include "scene/PlayerObject.h"

namespace {

using Clock = std::chrono::steady_clock;

double ThreadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) * 1e-6;
}

// Rolling ground of n x n quads over +-half units.
std::unique_ptr<CMesh> MakeGround(int n, float half) {
    std::vector<Vec3> p;
    std::vector<uint32_t> idx;
    for (int z = 0; z <= n; ++z)
        for (int x = 0; x <= n; ++x) {
            const float fx = -half + 2.0f * half * static_cast<float>(x) / static_cast<float>(n);
            const float fz = -half + 2.0f * half * static_cast<float>(z) / static_cast<float>(n);
            p.emplace_back(fx, 0.3f * std::sin(fx * 0.2f) * std::cos(fz * 0.15f), fz);
        }
    const uint32_t row = static_cast<uint32_t>(n + 1);
    for (uint32_t z = 0; z < static_cast<uint32_t>(n); ++z)
        for (uint32_t x = 0; x < static_cast<uint32_t>(n); ++x) {
            const uint32_t i = z * row + x;
            idx.insert(idx.end(), {i, i + row, i + 1, i + 1, i + row, i + row + 1});
        }
    return MakeMesh(p, idx);
}

struct Stats {
    double median, p99;
};

Stats Summarise(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    const size_t n = samples.size();
    return {samples[n / 2], samples[std::min(n - 1, static_cast<size_t>(std::ceil(0.99 * static_cast<double>(n))) - 1)]};
}

}  // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10000;
    // The world's own progress lines are not part of the report.
    std::ostringstream quiet;
    std::streambuf* console = std::cout.rdbuf(quiet.rdbuf());

    CPhysicsWorld world;
    world.Init();
    std::vector<std::unique_ptr<CMesh>> meshes;
    std::vector<std::unique_ptr<CSceneObject>> objects;
    auto geo = [&](CMesh* mesh, const Mat4& transform, const char* name) {
        objects.emplace_back(new CSceneGeoObject({mesh}, transform, name, Vec3()));
        return objects.back().get();
    };

    // Static scenery: ground (1,800 triangles) and 17 walls and pillars (204 triangles).
    meshes.push_back(MakeGround(30, 90.0f));
    world.AddStaticMesh(geo(meshes.back().get(), Mat4(), "ground"));
    for (int i = 0; i < 17; ++i) {
        const float a = static_cast<float>(i) * 0.37f;
        const Vec3 at(40.0f * std::cos(a * 2.0f), 0.0f, 40.0f * std::sin(a * 3.0f));
        meshes.push_back(MakeBoxMesh(Vec3(at.x - 1.0f, -1.0f, at.z - 4.0f), Vec3(at.x + 1.0f, 5.0f, at.z + 4.0f)));
        world.AddStaticMesh(geo(meshes.back().get(), Mat4(), "wall"));
    }
    int staticTriangles = 0;
    for (auto& mesh : meshes) staticTriangles += static_cast<int>(mesh->faceCount);

    // 20 crates near the player's route: 12 boxes of one model, 8 convex rocks of another.
    meshes.push_back(MakeBoxMesh(Vec3(-0.5f, -0.5f, 0.0f), Vec3(0.5f, 0.5f, 1.0f)));
    CMesh* crate = meshes.back().get();
    meshes.push_back(MakeMesh({{-0.6f, 0.0f, -0.5f}, {0.7f, 0.0f, -0.4f}, {0.0f, 0.0f, 0.8f}, {0.1f, 1.1f, 0.0f},
                               {-0.3f, 0.6f, 0.4f}},
                              {0, 1, 2, 0, 3, 1, 1, 3, 2, 2, 3, 0, 0, 4, 3, 2, 4, 0}));
    CMesh* rock = meshes.back().get();
    const Vec3 xAxis(1.0f, 0.0f, 0.0f);
    for (int i = 0; i < 20; ++i) {
        const float a = static_cast<float>(i) * 0.314159f;
        const Vec3 at(12.0f * std::cos(a), 2.0f, 12.0f * std::sin(a));
        if (i < 12)
            world.AddDynamicObject(geo(crate, Rotate(Translation(at), -90.0f, xAxis), "PHYS_mass_2"), 2.0f, false);
        else
            world.AddDynamicObject(geo(rock, Translation(at), "PHYS_convex_true"), 5.0f, true);
    }

    // 5 trigger volumes on the route, 10 power-ups around it.
    for (int i = 0; i < 5; ++i) {
        meshes.push_back(MakeBoxMesh(Vec3(-2.0f, 0.0f, -2.0f), Vec3(2.0f, 3.0f, 2.0f)));
        auto* trigger = new CCallbackTrigger({meshes.back().get()}, "TRIGGER");
        const float a = static_cast<float>(i) * 1.2566f;
        trigger->transform = Translation(Vec3(10.0f * std::cos(a), 0.0f, 10.0f * std::sin(a)));
        objects.emplace_back(trigger);
        world.AddTrigger(trigger);
    }
    CPlayerObject player;
    player.transform = Translation(Vec3(10.0f, 1.0f, 0.0f));
    std::vector<CPowerup> powerups(10);
    for (int i = 0; i < 10; ++i) {
        const float a = static_cast<float>(i) * 0.6283f + 0.3f;
        powerups[static_cast<size_t>(i)].object.reset(
            new CSceneGeoObject({}, Translation(Vec3(9.0f * std::cos(a), 1.5f, 9.0f * std::sin(a))), "powerup", Vec3()));
        powerups[static_cast<size_t>(i)].type = i % 2;
        powerups[static_cast<size_t>(i)].player = &player;
        CPowerup& powerup = powerups[static_cast<size_t>(i)];
        world.AddPowerup(powerup.object.get(), i, [&powerup] { OnPowerupTouched(powerup); });
    }
    std::unique_ptr<CPhysCharacter> character(world.CreateCharacter(&player));
    world.AddKinematicObject(&player);
    world.DeactivateBody(&player);

    const Vec3 sun = Normalize(Vec3(0.3f, -1.0f, 0.2f));
    std::vector<double> stepTimes, rayTimes, stepCpu, rayCpu;
    for (auto* v : {&stepTimes, &rayTimes, &stepCpu, &rayCpu}) v->reserve(static_cast<size_t>(frames));
    int shaded = 0;
    bool pushBox = false;
    const double dt = 1.0 / 60.0;
    for (int frame = 0; frame < frames; ++frame) {
        // Walk a circle of radius 10 at 8 units/s, shove with the push box every other 3 s.
        const float t = static_cast<float>(frame) * static_cast<float>(dt);
        character->SetWalkVelocity(Vec3(-8.0f * std::sin(0.8f * t), 0.0f, 8.0f * std::cos(0.8f * t)));
        const bool wantPushBox = (frame / 180) % 2 == 1;
        if (wantPushBox != pushBox) {
            if (wantPushBox)
                world.ActivateBody(&player);
            else
                world.DeactivateBody(&player);
            pushBox = wantPushBox;
        }
        if (frame % 600 == 300 && character->CanJump()) character->Jump();
        for (auto& powerup : powerups)
            powerup.respawnTimer = std::max(0.0f, powerup.respawnTimer - static_cast<float>(dt));
        player.life = 1.0f - 0.5f * (0.5f + 0.5f * std::sin(0.05f * t));
        const float s = 0.02f - (1.0f - player.life) * 0.019f;
        player.scale = Vec3(s, s, s);
        character->SetLife(player.life);

        const double c0 = ThreadCpuMs();
        const auto t0 = Clock::now();
        world.Step(dt);
        const auto t1 = Clock::now();
        const double c1 = ThreadCpuMs();
        // The sun test: eight rays of 500 units from points around the figure.
        const Vec3 at(player.transform[12], player.transform[13], player.transform[14]);
        for (int i = 0; i < 8; ++i) {
            const Vec3 p = at + Vec3(i & 1 ? 0.5f : -0.5f, i & 2 ? 3.1f : 0.5f, i & 4 ? 0.5f : -0.5f);
            if (world.RayFraction(p, p - sun * 500.0f) < 1.0f) ++shaded;
        }
        const auto t2 = Clock::now();
        const double c2 = ThreadCpuMs();
        stepCpu.push_back(c1 - c0);
        rayCpu.push_back(c2 - c1);
        stepTimes.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
        rayTimes.push_back(std::chrono::duration<double, std::milli>(t2 - t1).count());
    }

    character.reset();
    powerups.clear();
    objects.clear();
    meshes.clear();
    delete player.physData;
    player.physData = nullptr;
    world.Destroy();
    std::cout.rdbuf(console);

    const Stats step = Summarise(stepTimes), rays = Summarise(rayTimes);
    const Stats stepOwn = Summarise(stepCpu), raysOwn = Summarise(rayCpu);
    std::printf("Physics benchmark: %d static triangles, 20 dynamic bodies, 5 triggers, 10 power-ups, character\n",
                staticTriangles);
    std::printf("%d frames of 1/60 s (%d of %d rays shaded)\n", frames, shaded, frames * 8);
    std::printf("                  wall time                       thread CPU time\n");
    std::printf("Step             median %.4f ms  p99 %.4f ms   median %.4f ms  p99 %.4f ms   (target: median < 0.2 ms)\n",
                step.median, step.p99, stepOwn.median, stepOwn.p99);
    std::printf("8 x RayFraction  median %.4f ms  p99 %.4f ms   median %.4f ms  p99 %.4f ms   (target: < 0.02 ms)\n",
                rays.median, rays.p99, raysOwn.median, raysOwn.p99);
    return 0;
}
