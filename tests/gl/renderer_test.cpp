// The renderer's GL start-up against real GL (its lines are checked with the game's start-up in
// game_test; drawing from buffers and client arrays, lines and the gizmo in draw_paths_test).
#include <gtest/gtest.h>

#include "render/Renderer.h"
#include "support/TestSupport.h"

using testsupport::ScopedGLContext;

namespace {

class RendererGL : public ::testing::Test {
protected:
    ScopedGLContext gl;
};

TEST_F(RendererGL, InitGLReportsTheDriverAndSetsState) {
    ASSERT_TRUE(gl.ok);
    CRenderer renderer;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    int result = renderer.InitGL();
    std::string err = testing::internal::GetCapturedStderr();
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(result, 0);
    EXPECT_EQ(err, "GLEW error: No error\n");
    EXPECT_NE(out.find("Max Supported Texture Anisotropy is " + std::to_string(int(renderer.maxAnisotropy))),
              std::string::npos) << out;
    EXPECT_GE(renderer.maxAnisotropy, 1.0f);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_PROGRAM_POINT_SIZE));
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(clear[0], 1.0f);
    EXPECT_EQ(clear[3], 0.0f);
}

}  // namespace
