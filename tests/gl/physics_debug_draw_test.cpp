// The physics debug view on real GL: the library's lines reach the framebuffer through the
// renderer's line path with the shipped colour program.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>

#include "physics/MeshPhysData.h"
#include "physics/PhysDebugDrawer.h"
#include "physics/PhysicsWorld.h"
#include "render/Renderer.h"
#include "render/ShaderProgram.h"
#include "scene/Mesh.h"
#include "scene/SceneGeoObject.h"
#include "support/TestSupport.h"

using testsupport::ScopedGLContext;

namespace {

// A closed box mesh between two corners.
std::unique_ptr<CMesh> BoxMesh(float lo, float hi) {
    auto mesh = std::make_unique<CMesh>();
    mesh->vertices = new Vertex[8]();
    for (int i = 0; i < 8; ++i) {
        mesh->vertices[i].position[0] = i & 1 ? hi : lo;
        mesh->vertices[i].position[1] = i & 2 ? hi : lo;
        mesh->vertices[i].position[2] = i & 4 ? hi : lo;
    }
    mesh->indices = new uint32_t[36]{0, 2, 1, 1, 2, 3, 4, 5, 6, 5, 7, 6, 0, 1, 4, 1, 5, 4,
                                     2, 6, 3, 3, 6, 7, 0, 4, 2, 2, 4, 6, 1, 3, 5, 3, 7, 5};
    mesh->vertexCount = 8;
    mesh->faceCount = 12;
    mesh->indexCount = 36;
    return mesh;
}

// Brightest red found along the middle row between two x positions.
int RedAlongMiddleRow(const ScopedGLContext& gl, int fromX, int toX) {
    std::vector<unsigned char> row(static_cast<size_t>(gl.width) * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, gl.height / 2, gl.width, 1, GL_RGB, GL_UNSIGNED_BYTE, row.data());
    int best = 0;
    for (int x = fromX; x <= toX; ++x) best = std::max(best, static_cast<int>(row[static_cast<size_t>(x) * 3]));
    return best;
}

}  // namespace

TEST(PhysicsDebugDrawGL, BoundingBoxOfABodyAppearsOnScreen) {
    ScopedGLContext gl;
    ASSERT_TRUE(gl.ok);
    CShaderProgram simple("simpleshader");  // the shipped program, read from shaders/
    testing::internal::CaptureStdout();
    simple.Load();
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE(simple.loaded);
    {
        CRenderer renderer;
        renderer.CreateLineBuffer(&simple);
        ASSERT_TRUE(simple.Use());
        // Identity projection and view: world coordinates are clip coordinates.
        const Mat4 identity;
        glUniformMatrix4fv(glGetUniformLocation(simple.program, "uni_ProjMatrix"), 1, GL_FALSE, identity.m);

        CPhysicsWorld world;
        world.Init();
        std::unique_ptr<CMesh> mesh = BoxMesh(-0.5f, 0.5f);
        CSceneGeoObject box({mesh.get()}, Mat4(), "box", Vec3());
        world.AddStaticMesh(&box);

        glDisable(GL_DEPTH_TEST);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        world.SetDebugDrawer(&renderer, &simple, 0);
        world.DebugDraw();
        EXPECT_EQ(RedAlongMiddleRow(gl, 0, gl.width - 1), 0);  // mode 0: nothing

        world.SetDebugDrawer(&renderer, &simple, CPhysDebugDrawer::kLevelDebugMode);
        world.DebugDraw();
        EXPECT_EQ(world.GetDebugDrawer()->linesDrawn, 12u);
        // The box's bounds stand a little outside x = +-0.5, which is a quarter of the screen
        // in from either edge; the library draws bounds in red.
        const int quarter = gl.width / 4;
        EXPECT_GT(RedAlongMiddleRow(gl, 3 * quarter - 4, 3 * quarter + 12), 200);
        EXPECT_GT(RedAlongMiddleRow(gl, quarter - 12, quarter + 4), 200);
        EXPECT_EQ(RedAlongMiddleRow(gl, quarter + 20, 3 * quarter - 20), 0);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

        delete mesh->physData;
        mesh->physData = nullptr;
        world.Destroy();
    }
}
