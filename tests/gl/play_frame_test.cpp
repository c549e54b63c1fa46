// One frame of play on real GL with the shipped shaders: shadows from the sun, invisible
// colliders, the projected-marker programs and the GL state left behind.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <cmath>
#include <filesystem>
#include <vector>

#include "game/GameImpl.h"
#include "gameplay/PlayState.h"
#include "platform/InputScript.h"
#include "platform/WindowLibrary.h"
#include "render/Renderer.h"
#include "scene/Level.h"
#include "scene/Mesh.h"
#include "services/InputManager.h"
#include "services/Window.h"
#include "support/TestSupport.h"

using testsupport::ScopedWorkDir;

namespace {

const std::filesystem::path kRepoShaders = std::filesystem::current_path() / "shaders";

// An axis-aligned box (or, with no height, a ground square facing up) with outward normals;
// the level frees its meshes.
CMesh* MakeBox(float halfX, float halfY, float halfZ, float grey) {
    auto* mesh = new CMesh();
    struct Face {
        float n[3], u[3], v[3];
    };
    const Face faces[6] = {{{0, 1, 0}, {0, 0, -1}, {1, 0, 0}}, {{0, -1, 0}, {1, 0, 0}, {0, 0, -1}},
                           {{1, 0, 0}, {0, 1, 0}, {0, 0, -1}}, {{-1, 0, 0}, {0, 0, -1}, {0, 1, 0}},
                           {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}},  {{0, 0, -1}, {0, 1, 0}, {1, 0, 0}}};
    const int faceCount = halfY > 0.0f ? 6 : 1;
    mesh->vertices = new Vertex[static_cast<size_t>(faceCount) * 4]();
    mesh->indices = new uint32_t[static_cast<size_t>(faceCount) * 6];
    const float half[3] = {halfX, halfY, halfZ};
    for (int f = 0; f < faceCount; ++f) {
        const Face& face = faces[f];
        const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
        for (int c = 0; c < 4; ++c) {
            Vertex& vertex = mesh->vertices[f * 4 + c];
            for (int k = 0; k < 3; ++k) {
                vertex.position[k] =
                    (face.n[k] + face.u[k] * corners[c][0] + face.v[k] * corners[c][1]) * half[k];
                vertex.normal[k] = face.n[k];
            }
        }
        const uint32_t base = static_cast<uint32_t>(f * 4);
        const uint32_t order[6] = {0, 2, 1, 0, 3, 2};  // counter-clockwise seen from outside
        for (int i = 0; i < 6; ++i) mesh->indices[f * 6 + i] = base + order[i];
    }
    mesh->vertexCount = static_cast<uint32_t>(faceCount * 4);
    mesh->indexCount = static_cast<uint32_t>(faceCount * 6);
    mesh->faceCount = static_cast<uint32_t>(faceCount * 2);
    for (float& c : mesh->material.diffuse) c = grey;
    for (float& c : mesh->material.ambient) c = grey;
    for (float& c : mesh->material.specular) c = 0.0f;
    return mesh;
}

struct Pixel {
    int r = 0, g = 0, b = 0;
    int Sum() const { return r + g + b; }
};

class PlayFrame : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::copy(kRepoShaders, dir.Path() / "shaders");
        script.frames = 100;
    }
    void Start() {
        wl::UseInputScript(&script);
        int result = -1;
        const testsupport::Output start = testsupport::Capture([&] {
            result = game->Initialize();
            play = std::make_unique<CPlayState>(game.get());
        });
        ASSERT_EQ(result, 0) << start.out << start.err;
        game->SetState(play.get());
        renderer = game->GetRenderer();
        wl::GetWindowSize(&width, &height);

        // A 40 x 40 ground at y = 0 and a 2-unit box standing 3 to 5 units above it.
        play->level.file = std::make_unique<CLevel>("frame_test.dae");
        ground = AddStatic(MakeBox(20, 0, 20, 0.8f), Vec3(0, 0, 0));
        occluder = AddStatic(MakeBox(1, 1, 1, 0.5f), Vec3(0, 4, 0));
        // The free camera looks down at the middle of the ground from the south.
        camera = play->cameras.freeCamera.get();
        camera->SetViewMatrix(LookAt(Vec3(0, 20, 20), Vec3(0, 0, 0), Vec3(0, 1, 0)));
        camera->transform = Inverse(camera->viewMatrix);
        play->cameras.active = camera;
    }
    CSceneGeoObject* AddStatic(CMesh* mesh, const Vec3& position, int clipMode = 0) {
        renderer->UploadMesh(mesh);
        Mat4 transform;
        transform.m[12] = position.x;
        transform.m[13] = position.y;
        transform.m[14] = position.z;
        auto object = std::make_unique<CSceneGeoObject>(std::vector<CMesh*>{mesh}, transform, "box", Vec3());
        object->clipMode = clipMode;
        object->ComputeBounds();
        object->UpdateWorldCorners();
        play->level.file->staticObjects.push_back(std::move(object));
        return play->level.file->staticObjects.back().get();
    }
    // Draws one frame as the main loop does and returns the errors it printed.
    std::string Frame() {
        testing::internal::CaptureStderr();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        play->Render();
        glFinish();
        return testing::internal::GetCapturedStderr();
    }
    // The pixel where a world point appears through the free camera.
    Pixel At(const Vec3& world) {
        const Mat4 clip = Multiply(camera->viewMatrix, game->GetWindow()->perspectiveMatrix);
        const float* m = clip.m;
        const float x = m[0] * world.x + m[4] * world.y + m[8] * world.z + m[12];
        const float y = m[1] * world.x + m[5] * world.y + m[9] * world.z + m[13];
        const float w = m[3] * world.x + m[7] * world.y + m[11] * world.z + m[15];
        unsigned char rgb[3] = {0, 0, 0};
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(static_cast<int>((x / w * 0.5f + 0.5f) * static_cast<float>(width)),
                     static_cast<int>((y / w * 0.5f + 0.5f) * static_cast<float>(height)), 1, 1, GL_RGB,
                     GL_UNSIGNED_BYTE, rgb);
        return {rgb[0], rgb[1], rgb[2]};
    }
    std::vector<unsigned char> Screen() {
        std::vector<unsigned char> pixels(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }
    void TearDown() override {
        play.reset();
        game.reset();
    }

    ScopedWorkDir dir;
    wl::InputScript script;
    std::unique_ptr<CGameImpl> game = std::make_unique<CGameImpl>();
    std::unique_ptr<CPlayState> play;
    CRenderer* renderer = nullptr;
    CSceneCamera* camera = nullptr;
    CSceneGeoObject* ground = nullptr;
    CSceneGeoObject* occluder = nullptr;
    int width = 0, height = 0;
};

TEST_F(PlayFrame, AnOccluderShadowsTheGroundAlongASlantingOrAStraightDownSun) {
    Start();
    // A slanting sun throws the box's shadow 4 units east of it.
    play->sky.light.direction = Normalize(Vec3(1, -1, 0));
    Frame();
    const Pixel shaded = At({4, 0, 0});
    const Pixel sunny = At({-4, 0, 0});
    const Pixel sunnyFar = At({4, 0, -6});
    EXPECT_GT(sunny.Sum(), shaded.Sum() + 90) << "sun " << sunny.Sum() << " shade " << shaded.Sum();
    EXPECT_GT(sunnyFar.Sum(), shaded.Sum() + 90);
    EXPECT_NEAR(sunny.Sum(), sunnyFar.Sum(), 20);

    // Every level without a sun marker has the sun straight down: the light view must still work.
    play->sky.light.direction = Vec3(0, -1, 0);
    Frame();
    const Pixel below = At({0, 0, 0});
    const Pixel aside = At({-6, 0, 3});
    EXPECT_GT(aside.Sum(), below.Sum() + 90) << "aside " << aside.Sum() << " below " << below.Sum();
    // Turned a hair off vertical, the shadow stays where it was.
    play->sky.light.direction = Normalize(Vec3(1e-4f, -1, 0));
    Frame();
    EXPECT_NEAR(At({0, 0, 0}).Sum(), below.Sum(), 12);
}

TEST_F(PlayFrame, InvisibleCollidersAreNeitherSeenNorCastShadows) {
    Start();
    play->sky.light.direction = Normalize(Vec3(1, -1, 0));
    Frame();
    const std::vector<unsigned char> without = Screen();
    const uint32_t objects = renderer->objectsRendered;
    // A CLIP wall in front of the camera and over the sunny ground.
    AddStatic(MakeBox(6, 3, 1, 0.1f), Vec3(0, 3, 10), 2);
    AddStatic(MakeBox(2, 1, 2, 0.1f), Vec3(-8, 4, 0), 2);
    Frame();
    EXPECT_EQ(renderer->objectsRendered, objects);
    EXPECT_TRUE(Screen() == without) << "a CLIP object changed the picture";
    // The same wall as drawn scenery does both.
    play->level.file->staticObjects.back()->clipMode = 0;
    Frame();
    EXPECT_EQ(renderer->objectsRendered, objects + 1);
    EXPECT_FALSE(Screen() == without);
}

TEST_F(PlayFrame, WhatIsHiddenIsLeftOutOfTheLitPassAndThePictureStaysTheSame) {
    Start();
    // Looking steeply down, the 40 x 40 ground fills the whole view.
    camera->SetViewMatrix(LookAt(Vec3(0, 20, 5), Vec3(0, 0, 0), Vec3(0, 1, 0)));
    camera->transform = Inverse(camera->viewMatrix);
    play->sky.light.direction = Normalize(Vec3(1, -1, 0));
    Frame();
    const std::vector<unsigned char> without = Screen();
    const uint32_t objects = renderer->objectsRendered;
    // A larger plane just below the ground is hidden everywhere: neither shaded nor seen.
    CSceneGeoObject* below = AddStatic(MakeBox(30, 0, 30, 0.2f), Vec3(0, -0.5f, 0));
    Frame();
    EXPECT_EQ(renderer->objectsRendered, objects);
    EXPECT_TRUE(Screen() == without);
    // A small box buried in the ground is drawn in its first frame, found hidden there, and left
    // out from the next frame on. Raised, it is drawn in the first frame where it shows.
    CSceneGeoObject* buried = AddStatic(MakeBox(2, 0.5f, 2, 0.3f), Vec3(0, -2, 0));
    Frame();
    EXPECT_EQ(renderer->objectsRendered, objects + 1);
    Frame();
    EXPECT_EQ(renderer->objectsRendered, objects);
    EXPECT_TRUE(Screen() == without);
    buried->transform.m[13] = 1.0f;
    buried->UpdateWorldCorners();
    Frame();
    EXPECT_EQ(renderer->objectsRendered, objects + 1);
    EXPECT_FALSE(Screen() == without);
    buried->transform.m[12] = 500.0f;  // out of the view from here on
    buried->UpdateWorldCorners();
    // Lifted over the ground it covers the view, and is drawn.
    below->transform.m[13] = 0.5f;
    below->UpdateWorldCorners();
    Frame();
    EXPECT_EQ(renderer->objectsRendered, objects + 1);
    EXPECT_FALSE(Screen() == without);
    // Back below and seen from further off, it shows beyond the ground's near edge only: drawn in
    // those tiles of the window alone, it is there, a darker grey than the ground and not sky.
    below->transform.m[13] = -0.5f;
    below->UpdateWorldCorners();
    camera->SetViewMatrix(LookAt(Vec3(0, 10, 50), Vec3(0, 0, 0), Vec3(0, 1, 0)));
    camera->transform = Inverse(camera->viewMatrix);
    Frame();
    const Pixel plane = At({0, -0.5f, 25}), onGround = At({0, 0, 10});
    EXPECT_LT(plane.Sum() + 60, onGround.Sum()) << plane.Sum() << " " << onGround.Sum();
    EXPECT_NEAR(plane.b, plane.r, 12) << "sky blue where the plane should show";
    // Above the level the sky shows, drawn in the tiles where it does.
    unsigned char top[3] = {0, 0, 0};
    glReadPixels(width / 2, height - 2, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, top);
    EXPECT_GT(top[2], top[0] + 30) << "no sky above the level";
    // The plane and the sky are drawn now; the sky was not where the ground filled the view.
    EXPECT_EQ(renderer->objectsRendered, objects + 2);
}

TEST_F(PlayFrame, ProjectedMarkerProgramsAreOnlyUsedWhileProjectiveTexturingIsOn) {
    // Both marker programs fail to load: using one would print its "Cannot use shader" line.
    dir.Write("shaders/textureshaderphongproj.frag", "broken");
    dir.Write("shaders/bumpshaderphongproj.frag", "broken");
    Start();
    play->level.file->normalMappedObjects.push_back(std::make_unique<CSceneGeoObject>());
    play->debug.projectiveTexturing = false;
    std::string err = Frame();
    EXPECT_EQ(err.find("proj"), std::string::npos) << err;
    // The plain lit program drew the ground.
    EXPECT_GT(At({-4, 0, 0}).Sum(), 90);
    play->debug.projectiveTexturing = true;
    err = Frame();
    EXPECT_NE(err.find("Cannot use shader 'textureshaderphongproj' in it's current state!"), std::string::npos) << err;
    EXPECT_NE(err.find("Cannot use shader 'bumpshaderphongproj' in it's current state!"), std::string::npos) << err;
}

TEST_F(PlayFrame, LeavesTheGLStateTheNextFrameExpects) {
    Start();
    for (bool culling : {true, false}) {
        play->debug.backfaceCulling = culling;
        play->debug.gizmoDrawing = true;
        play->debug.physicsDebugging = true;
        Frame();
        GLint value = -1;
        glGetIntegerv(GL_FRAMEBUFFER_BINDING, &value);
        EXPECT_EQ(value, 0);
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
        EXPECT_FALSE(glIsEnabled(GL_BLEND));
        GLboolean depthWrites = GL_FALSE;
        glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
        EXPECT_EQ(depthWrites, GL_TRUE);
        EXPECT_EQ(glIsEnabled(GL_CULL_FACE) == GL_TRUE, culling);
        glGetIntegerv(GL_CULL_FACE_MODE, &value);
        EXPECT_EQ(value, GL_BACK);
        glGetIntegerv(GL_ACTIVE_TEXTURE, &value);
        EXPECT_EQ(value, GL_TEXTURE0);
        GLint viewport[4] = {0, 0, 0, 0};
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(viewport[2], width);
        EXPECT_EQ(viewport[3], height);
    }
}

// A marker program that shows what the frame told it: red = projector count / 10, green = the
// projective flag, for the object under each pixel.
const char* kShowProjectorsVert =
    "#version 330\nin vec3 in_Vertex;\nuniform mat4 uni_ProjMatrix;\nuniform mat4 uni_ModelViewMatrix;\n"
    "void main() { gl_Position = uni_ProjMatrix * uni_ModelViewMatrix * vec4(in_Vertex, 1.0); }\n";
const char* kShowProjectorsFrag =
    "#version 330\nuniform int uni_ProjectorCount;\nuniform int uni_HasProjectiveTexture;\n"
    "uniform vec4 uni_TextureMatrix1[10];\nout vec4 frag_Color;\n"
    "void main() { frag_Color = vec4(float(uni_ProjectorCount) / 10.0, float(uni_HasProjectiveTexture),"
    " uni_TextureMatrix1[0].x + uni_TextureMatrix1[1].x, 1.0); }\n";

TEST_F(PlayFrame, ObjectsGetTheProjectorsOfThePowerUpsStillWaitingForPickUp) {
    dir.Write("shaders/textureshaderphongproj.vert", kShowProjectorsVert);
    dir.Write("shaders/textureshaderphongproj.frag", kShowProjectorsFrag);
    // The plain lit program, which objects without projectors get, shows itself as half green.
    dir.Write("shaders/textureshaderphong.vert", kShowProjectorsVert);
    dir.Write("shaders/textureshaderphong.frag",
              "#version 330\nout vec4 frag_Color;\nvoid main() { frag_Color = vec4(0.0, 0.5, 0.0, 1.0); }\n");
    Start();
    // The ground names power-ups 1 and 2 ("PU_12"); the box names none.
    ground->projectorPowerUps = {1, 2};
    for (int number : {1, 2}) {
        auto powerup = std::make_unique<CPowerup>();
        powerup->number = number;
        powerup->projector = std::make_unique<CSceneCamera>();
        powerup->projectorMatrix.m[0] = 0.25f;  // column 1, first row: told apart in the blue channel
        play->level.powerups[number] = std::move(powerup);
    }
    Frame();
    Pixel onGround = At({-6, 0, -4});
    EXPECT_NEAR(onGround.r, 51, 2);   // two projectors
    EXPECT_EQ(onGround.g, 255);       // flag on
    EXPECT_NEAR(onGround.b, 128, 2);  // both texture matrices sent
    Pixel onBox = At({0, 5, 0});
    EXPECT_NEAR(onBox.g, 128, 1);     // the box has no projectors: the plain program
    // Power-up 2 picked up and waiting to come back: one projector is left.
    play->level.powerups[2]->respawnTimer = 5.0f;
    Frame();
    onGround = At({-6, 0, -4});
    EXPECT_NEAR(onGround.r, 25, 2);
    EXPECT_NEAR(onGround.b, 64, 2);
    // A number without a power-up is skipped.
    ground->projectorPowerUps = {7, 1};
    Frame();
    EXPECT_NEAR(At({-6, 0, -4}).r, 25, 2);
}

}  // namespace
