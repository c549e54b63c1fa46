// The graphics qualities on the shipped level 1: each draws the shade where the sun test finds
// it, switching back and forth leaves no GL object behind and High's picture as it was, and the
// sun test answers the same at every one.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <memory>
#include <vector>

#include "game/GameImpl.h"
#include "gameplay/PlayState.h"
#include "gameplay/QualityPresets.h"
#include "gameplay/SunTest.h"
#include "physics/PhysicsWorld.h"
#include "platform/InputScript.h"
#include "platform/WindowLibrary.h"
#include "render/Renderer.h"
#include "scene/PlayerObject.h"
#include "services/Settings.h"
#include "services/Window.h"
#include "support/TestSupport.h"

namespace {

const RenderQuality kQualities[] = {RenderQuality::High, RenderQuality::Medium, RenderQuality::Low};

// A point of the level's ground, and whether the sun test's ray from it is blocked.
struct GroundSpot {
    Vec3 world;
    bool shaded;
    int x, y;  // window pixel
};

class Qualities : public ::testing::Test {
protected:
    // The game started at `startAt` (which gives the window its samples), in level 1.
    void Start(RenderQuality startAt = RenderQuality::High) {
        script.frames = 100000;
        wl::UseInputScript(&script);
        StartOptions options;
        options.quality = startAt;
        game->SetStartOptions(options);
        int result = -1;
        const testsupport::Output output = testsupport::Capture([&] {
            result = game->Initialize();
            play = static_cast<CPlayState*>(game->ChangeState(STATE_PLAY));
            if (play) play->LoadLevel("level1.dae");
        });
        ASSERT_EQ(result, 0) << output.out << output.err;
        ASSERT_NE(play, nullptr);
        ASSERT_NE(play->level.physicsWorld, nullptr) << output.err;
        wl::GetWindowSize(&width, &height);
        // The free camera looks down on the start from above and behind.
        const Vec3 start = play->level.file->startPosition;
        camera = play->cameras.freeCamera.get();
        eye = start + Vec3(0, 18, 14);
        camera->SetViewMatrix(LookAt(eye, start, Vec3(0, 1, 0)));
        camera->transform = Inverse(camera->viewMatrix);
        play->cameras.active = camera;
    }
    void TearDown() override { game.reset(); }

    // One frame as the game's loop draws it: into the quality's frame target, resolved into the
    // window.
    void Draw(RenderQuality quality) {
        game->GetSettings()->SetQualityForThisRun(quality);
        CFrameTarget& target = game->GetRenderer()->frameTarget;
        target.Begin(width, height, FrameQualityFor(quality).frameSamples);
        ClearFrame();
        play->Render();
        target.End();
        glFinish();
    }
    std::vector<unsigned char> Screen() const {
        std::vector<unsigned char> pixels(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }
    int Brightness(const std::vector<unsigned char>& screen, int x, int y) const {
        const size_t at = (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3;
        return screen[at] + screen[at + 1] + screen[at + 2];
    }
    bool Shaded(const Vec3& point) {
        const Vec3 towardsSun = play->sky.light.direction * -kSunRayLength;
        return play->level.physicsWorld->RayFraction(point, point + towardsSun) < 1.0f;
    }
    // Spots of the ground at the start's height, seen by the camera above the HUD, wholly in
    // shade or in sun half a unit around (no shadow edge near them), as the sun test's rays say.
    std::vector<GroundSpot> FindSpots() {
        CPhysicsWorld& world = *play->level.physicsWorld;
        const Vec3 start = play->level.file->startPosition;
        const Vec3 down(0, -40, 0);  // from a unit above the start
        const float groundAtStart = start.y + 1.0f - world.RayFraction(start + Vec3(0, 1, 0), start + down) * 41.0f;
        const Mat4 clip = Multiply(camera->viewMatrix, game->GetWindow()->perspectiveMatrix);
        std::vector<GroundSpot> spots;
        for (float dz = -10.0f; dz <= 10.0f; dz += 0.75f)
            for (float dx = -14.0f; dx <= 14.0f; dx += 0.75f) {
                const Vec3 top = start + Vec3(dx, 20, dz);
                const float fraction = world.RayFraction(top, top + Vec3(0, -60, 0));
                if (fraction >= 1.0f) continue;
                const Vec3 ground = top + Vec3(0, -60, 0) * fraction;
                if (std::abs(ground.y - groundAtStart) > 0.05f) continue;
                const Vec3 point = ground + Vec3(0, 0.05f, 0);
                const bool shaded = Shaded(point);
                bool even = true;
                for (const Vec3& step : {Vec3(0.5f, 0, 0), Vec3(-0.5f, 0, 0), Vec3(0, 0, 0.5f), Vec3(0, 0, -0.5f)})
                    even = even && Shaded(point + step) == shaded;
                // Seen: nothing between the camera and the point.
                if (!even || world.RayFraction(eye, point) < 0.995f) continue;
                const float* m = clip.m;
                const float x = m[0] * point.x + m[4] * point.y + m[8] * point.z + m[12];
                const float y = m[1] * point.x + m[5] * point.y + m[9] * point.z + m[13];
                const float w = m[3] * point.x + m[7] * point.y + m[11] * point.z + m[15];
                if (w <= 0.0f) continue;
                const int px = static_cast<int>((x / w * 0.5f + 0.5f) * static_cast<float>(width));
                const int py = static_cast<int>((y / w * 0.5f + 0.5f) * static_cast<float>(height));
                // Clear of the window's edges and of the HUD along the bottom.
                if (px < 8 || px >= width - 8 || py < height * 2 / 5 || py >= height - 8) continue;
                spots.push_back({point, shaded, px, py});
            }
        return spots;
    }

    static int RenderbufferCount() {
        int count = 0;
        for (GLuint id = 1; id < 4096; ++id) count += glIsRenderbuffer(id) ? 1 : 0;
        return count;
    }
    // Every texture, buffer, vertex array, framebuffer, renderbuffer and program name in use.
    static int GLObjectCount() {
        int count = 0;
        for (GLuint id = 1; id < 4096; ++id)
            count += (glIsTexture(id) ? 1 : 0) + (glIsBuffer(id) ? 1 : 0) + (glIsVertexArray(id) ? 1 : 0) +
                     (glIsFramebuffer(id) ? 1 : 0) + (glIsRenderbuffer(id) ? 1 : 0) + (glIsProgram(id) ? 1 : 0);
        return count;
    }

    void SwitchBackAndForth();

    wl::InputScript script;
    std::unique_ptr<CGameImpl> game = std::make_unique<CGameImpl>();
    CPlayState* play = nullptr;
    CSceneCamera* camera = nullptr;
    Vec3 eye;
    int width = 0, height = 0;
};

// The street of level 1 lies half in the houses' shade: at every quality the spots that the
// sun test finds shaded come out darker than the sunlit ones, spot by spot on average.
TEST_F(Qualities, EveryQualityDrawsTheShadeWhereTheSunTestFindsIt) {
    Start();
    const std::vector<GroundSpot> spots = FindSpots();
    int shaded = 0;
    for (const GroundSpot& spot : spots) shaded += spot.shaded ? 1 : 0;
    const int sunlit = static_cast<int>(spots.size()) - shaded;
    ASSERT_GE(shaded, 10) << sunlit << " sunlit";
    ASSERT_GE(sunlit, 10);
    for (RenderQuality quality : kQualities) {
        SCOPED_TRACE(RenderQualityName(quality));
        Draw(quality);
        Draw(quality);
        const std::vector<unsigned char> screen = Screen();
        double shadeSum = 0.0, sunSum = 0.0;
        int darkerThanMeanSun = 0;
        for (const GroundSpot& spot : spots) (spot.shaded ? shadeSum : sunSum) += Brightness(screen, spot.x, spot.y);
        const double shadeMean = shadeSum / shaded, sunMean = sunSum / sunlit;
        for (const GroundSpot& spot : spots)
            if (spot.shaded && Brightness(screen, spot.x, spot.y) < (shadeMean + sunMean) / 2) ++darkerThanMeanSun;
        EXPECT_GT(sunMean, shadeMean * 1.4) << "sun " << sunMean << " shade " << shadeMean;
        // Nearly every shaded spot on its own, not only on average.
        EXPECT_GE(darkerThanMeanSun, shaded * 9 / 10) << darkerThanMeanSun << " of " << shaded;
    }
}

// Each change shows in the next frame and remakes the shadow map and the frame's own targets;
// switching many times leaves as many GL objects as High had, and High's picture as it was:
// in a game started at High (a multisampled window) and in one started at Low (High drawn into
// multisampled buffers of its own, resolved into the window).
TEST_F(Qualities, SwitchingBackAndForthLeavesNoGLObjectAndHighAsItWas) {
    Start();
    SwitchBackAndForth();
}

TEST_F(Qualities, SwitchingBackAndForthInAGameStartedAtLow) {
    Start(RenderQuality::Low);
    GLint windowSamples = -1;
    glGetIntegerv(GL_SAMPLES, &windowSamples);
    EXPECT_EQ(windowSamples, 0) << "a game started at Low has a window without samples";
    // Renderbuffers: the depth of Medium's smaller scene target; High's multisampled colour
    // and depth, with the scene target let go.
    Draw(RenderQuality::Medium);
    EXPECT_EQ(RenderbufferCount(), 1);
    Draw(RenderQuality::High);
    EXPECT_EQ(RenderbufferCount(), 2) << "High draws into multisampled buffers of its own";
    SwitchBackAndForth();
}

void Qualities::SwitchBackAndForth() {
    Draw(RenderQuality::High);
    Draw(RenderQuality::High);
    const std::vector<unsigned char> high = Screen();
    const int objectsAtHigh = GLObjectCount();
    Draw(RenderQuality::Low);
    const std::vector<unsigned char> low = Screen();
    EXPECT_NE(low, high) << "Low shows in the very next frame";
    EXPECT_GT(GLObjectCount(), objectsAtHigh) << "Low draws into a framebuffer of its own";
    for (int round = 0; round < 8; ++round)
        for (RenderQuality quality : {RenderQuality::Medium, RenderQuality::Low, RenderQuality::High,
                                      RenderQuality::Low, RenderQuality::Medium})
            Draw(quality);
    Draw(RenderQuality::High);
    EXPECT_EQ(GLObjectCount(), objectsAtHigh);
    Draw(RenderQuality::High);
    EXPECT_TRUE(Screen() == high) << "High's picture changed after the switching";
}

// The sun test casts physics rays: the figure in the start's shade and on a sunlit spot takes
// the same sun value at every quality.
TEST_F(Qualities, TheSunTestAnswersTheSameAtEveryQuality) {
    Start();
    const std::vector<GroundSpot> spots = FindSpots();
    std::vector<Vec3> places = {play->level.file->startPosition};
    for (const GroundSpot& spot : spots)
        if (!spot.shaded) {
            places.push_back(spot.world);
            break;
        }
    ASSERT_EQ(places.size(), 2u);
    std::vector<float> atHigh;
    for (RenderQuality quality : kQualities) {
        SCOPED_TRACE(RenderQualityName(quality));
        std::vector<float> values;
        for (const Vec3& place : places) {
            play->player->transform.m[12] = place.x;
            play->player->transform.m[13] = place.y;
            play->player->transform.m[14] = place.z;
            Draw(quality);
            values.push_back(play->ComputeSunValue());
        }
        if (atHigh.empty()) atHigh = values;
        EXPECT_EQ(values, atHigh);
    }
    EXPECT_GT(atHigh[1], atHigh[0]) << "the sunlit spot is sun to the sun test too";
}

}  // namespace
