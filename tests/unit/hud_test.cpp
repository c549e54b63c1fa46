// The head-up display's layout and per-frame update, in window pixels (no window needed: the
// HUD is built from a size and only its upload needs GL).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "math/Matrix.h"
#include "scene/Mesh.h"
#include "scene/SceneGeoObject.h"
#include "services/Hud.h"

namespace {

struct Rect {
    float left, right, bottom, top;
};

// Where an element's quad lands on screen: its vertices through its model matrix.
Rect ScreenRect(const CHud& hud, unsigned index) {
    CSceneGeoObject* element = hud.GetElement(index);
    const CMesh* mesh = element->GetMesh(0);
    const Mat4 model = element->GetModelMatrix();
    Rect r{1e9f, -1e9f, 1e9f, -1e9f};
    for (uint32_t i = 0; i < mesh->vertexCount; ++i) {
        const float* p = mesh->vertices[i].position;
        const Vec3 s = TransformPoint(model, Vec3(p[0], p[1], p[2]));
        r.left = std::min(r.left, s.x);
        r.right = std::max(r.right, s.x);
        r.bottom = std::min(r.bottom, s.y);
        r.top = std::max(r.top, s.y);
    }
    return r;
}

// Pixel positions on a 1024 x 768 window, counted from the left and bottom edges, turned into
// the -1..1 square.
float X(float pixels) { return -1.0f + pixels * 2.0f / 1024.0f; }
float Y(float pixels) { return -1.0f + pixels * 2.0f / 768.0f; }

void ExpectRect(const CHud& hud, unsigned index, float left, float right, float bottom, float top) {
    const Rect r = ScreenRect(hud, index);
    const float eps = 1e-5f;
    EXPECT_NEAR(r.left, X(left), eps) << "element " << index;
    EXPECT_NEAR(r.right, X(right), eps) << "element " << index;
    EXPECT_NEAR(r.bottom, Y(bottom), eps) << "element " << index;
    EXPECT_NEAR(r.top, Y(top), eps) << "element " << index;
}

TEST(Hud, ElementsOnA1024By768Window) {
    CHud hud;
    hud.Create(1024, 768);
    ASSERT_EQ(hud.GetElementCount(), 6u);

    // Sun detector: 200 x 100 px, centred on the quarter line from the right, 25 px up.
    ExpectRect(hud, 1, 768 - 100, 768 + 100, 25, 125);
    // Life bar inside the life panel, 150 x 16 px.
    ExpectRect(hud, 2, 256 - 75, 256 + 75, 67, 83);
    // Needle: a 16 x 32 px marker centred 72 px right of the detector's centre line (no sun),
    // reaching 6 px past the 20 px band above and below.
    ExpectRect(hud, 3, 768 + 64, 768 + 80, 69, 101);
    // The umbrella's bar 90 px from the left and 43 px below the top.
    ExpectRect(hud, 5, 90, 240, 768 - 59, 768 - 43);

    // Texture coordinates follow the corners: the whole picture, right way up.
    for (unsigned i = 0; i < 6; ++i)
        for (uint32_t v = 0; v < 4; ++v) {
            const Vertex& vertex = hud.GetElement(i)->GetMesh(0)->vertices[v];
            EXPECT_EQ(vertex.tex[0], vertex.position[0] > 0 ? 1.0f : 0.0f) << "element " << i << " vertex " << v;
            EXPECT_EQ(vertex.tex[1], vertex.position[1] > 0 ? 1.0f : 0.0f) << "element " << i << " vertex " << v;
        }
}

TEST(Hud, LifeBarShrinksToItsLeftEndAndTheUmbrellaBarShowsTheTimeLeft) {
    CHud hud;
    hud.Create(1024, 768);
    hud.Update(0.5f, 0.0f, 0.0f, 0.0);
    ExpectRect(hud, 2, 256 - 75, 256, 67, 83);  // 75 px, same left end
    hud.Update(0.0f, 0.0f, 0.0f, 0.0);
    const Rect empty = ScreenRect(hud, 2);
    EXPECT_FLOAT_EQ(empty.left, X(256 - 75));
    EXPECT_FLOAT_EQ(empty.right, empty.left);  // zero width

    hud.Update(1.0f, 0.0f, 11.0f, 0.0);
    ExpectRect(hud, 2, 256 - 75, 256 + 75, 67, 83);
    EXPECT_TRUE(hud.GetElement(4)->visible);
    EXPECT_TRUE(hud.GetElement(5)->visible);
    ExpectRect(hud, 5, 90, 90 + 75, 768 - 59, 768 - 43);  // half of 22 s: 75 px
    hud.Update(1.0f, 0.0f, 0.0f, 0.0);
    EXPECT_FALSE(hud.GetElement(4)->visible);
    EXPECT_FALSE(hud.GetElement(5)->visible);
    // The rest of the HUD stays up.
    for (unsigned i = 0; i < 4; ++i) EXPECT_TRUE(hud.GetElement(i)->visible);
}

TEST(Hud, NeedleGlidesToItsTargetWithoutOvershoot) {
    CHud hud;
    hud.Create(1024, 768);
    const float px = hud.PixelWidth();
    auto needleX = [&] { return hud.GetElement(3)->transform.m[12]; };
    // The marker's left edge, 8 px left of its reading.
    EXPECT_FLOAT_EQ(needleX(), 0.5f + 64 * px);

    // Full sun: the reading is 72 px left of the centre line. A quarter-second frame closes
    // half the gap.
    const float target = 0.5f - 80 * px;
    const float start = needleX();
    hud.Update(1.0f, 1.0f, 0.0f, 0.25);
    EXPECT_NEAR(needleX(), start + (target - start) * 0.5f, 1e-6f);

    // Frame times just under half a second, and assorted smaller ones: never past the target,
    // never moving away from it (once the gap is below float resolution it may stand still).
    const double frames[] = {0.49, 0.1, 0.3, 0.016, 0.45, 0.2, 0.49, 0.49, 0.49, 0.49, 0.49, 0.49};
    float gap = target - needleX();
    ASSERT_LT(gap, 0.0f);
    for (double dt : frames) {
        hud.Update(1.0f, 1.0f, 0.0f, dt);
        const float newGap = target - needleX();
        EXPECT_LE(newGap, 0.0f) << "overshot at dt " << dt;
        EXPECT_GE(newGap, gap) << "moved away at dt " << dt;
        gap = newGap;
    }
    EXPECT_NEAR(needleX(), target, 0.01f * px);

    // Back to the shade: it returns the other way, again without passing the target.
    const float shadeTarget = 0.5f + 64 * px;
    for (int i = 0; i < 60; ++i) {
        hud.Update(1.0f, 0.0f, 0.0f, 0.2);
        EXPECT_LE(needleX(), shadeTarget);
    }
    EXPECT_NEAR(needleX(), shadeTarget, 0.01f * px);
}

TEST(Hud, LayoutFollowsTheWindowSize) {
    CHud hud;
    hud.Update(0.5f, 0.5f, 3.0f, 0.1);  // before Create: there is nothing to move, and nothing breaks
    hud.Create(1920, 1080);
    const Rect life = ScreenRect(hud, 0);
    EXPECT_NEAR(life.right - life.left, 400.0f / 1920.0f, 1e-6f);
    EXPECT_NEAR(life.top - life.bottom, 200.0f / 1080.0f, 1e-6f);
    // A zero size must not produce infinite coordinates.
    CHud degenerate;
    degenerate.Create(0, 0);
    EXPECT_TRUE(std::isfinite(ScreenRect(degenerate, 0).left));
}

}  // namespace
