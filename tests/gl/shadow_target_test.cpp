// The sun's shadow target against real GL: the depth texture read as depths and its framebuffer.
#include <gtest/gtest.h>

#include "render/ShaderProgram.h"
#include "render/ShadowTarget.h"
#include "support/TestSupport.h"

using testsupport::ScopedGLContext;
using testsupport::ScopedWorkDir;

namespace {

// Deletes its GL objects at the end of a test, as the play state does at shutdown.
struct ShadowTarget {
    ~ShadowTarget() {
        DeleteShadowTarget(shadowMap, shadowFramebuffer);
        EXPECT_EQ(shadowMap.glId, 0u);
        EXPECT_EQ(shadowFramebuffer, 0u);
    }
    CTexture shadowMap;
    GLuint shadowFramebuffer = 0;
};

// A full-viewport triangle pair at a given depth, drawn from client memory.
const float kQuad[] = {-1, -1, 1, -1, 1, 1, -1, -1, 1, 1, -1, 1};

class ShadowTargetGL : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(gl.ok); }
    // A program from inline sources, written into the test's shaders folder.
    CShaderProgram* MakeProgram(const std::string& name, const std::string& vert, const std::string& frag) {
        dir.Write("shaders/" + name + ".vert", vert);
        dir.Write("shaders/" + name + ".frag", frag);
        programs.push_back(std::make_unique<CShaderProgram>(name));
        testing::internal::CaptureStdout();
        programs.back()->Load();
        testing::internal::GetCapturedStdout();
        return programs.back().get();
    }
    void DrawQuad(CShaderProgram* program) {
        GLuint vao = 0, vbo = 0;
        glGenVertexArrays(1, &vao);
        glBindVertexArray(vao);
        glGenBuffers(1, &vbo);
        glBindBuffer(GL_ARRAY_BUFFER, vbo);
        glBufferData(GL_ARRAY_BUFFER, sizeof(kQuad), kQuad, GL_STATIC_DRAW);
        GLint at = glGetAttribLocation(program->program, "in_Vertex");
        glEnableVertexAttribArray(static_cast<GLuint>(at));
        glVertexAttribPointer(static_cast<GLuint>(at), 2, GL_FLOAT, GL_FALSE, 0, nullptr);
        glDrawArrays(GL_TRIANGLES, 0, 6);
        glDeleteBuffers(1, &vbo);
        glDeleteVertexArrays(1, &vao);
    }

    ScopedWorkDir dir;
    ScopedGLContext gl;
    std::vector<std::unique_ptr<CShaderProgram>> programs;
};

TEST_F(ShadowTargetGL, DepthDrawnIntoItIsGatheredAsDepths) {
    // Depth 0.5 (z = 0 in clip space) over the left half of the map, nothing (1.0) on the right.
    CShaderProgram* depth = MakeProgram("depthonly", "#version 330\nin vec2 in_Vertex;\n"
                                        "void main() { gl_Position = vec4(in_Vertex.x * 0.5 - 0.5, in_Vertex.y, 0.0, 1.0); }\n",
                                        "#version 330\nout vec4 frag_Color;\nvoid main() { frag_Color = vec4(1.0); }\n");
    // Shows the depth at the map's point under each pixel (red), and the 2 x 2 texels gathered
    // there compared with 0.6 the way the lit programs do (green: the share at or above it).
    CShaderProgram* show = MakeProgram(
        "showshadow", "#version 330\nin vec2 in_Vertex;\nout vec2 v_Map;\n"
                      "void main() { v_Map = in_Vertex * 0.5 + 0.5; gl_Position = vec4(in_Vertex, 0.0, 1.0); }\n",
        "#version 330\n#extension GL_ARB_texture_gather : require\nin vec2 v_Map;\n"
        "uniform sampler2D uni_ShadowMap;\nout vec4 frag_Color;\n"
        "void main() { vec4 lit = vec4(lessThanEqual(vec4(0.6), textureGather(uni_ShadowMap, v_Map)));\n"
        "  frag_Color = vec4(texture(uni_ShadowMap, v_Map).r, dot(lit, vec4(0.25)), 0.0, 1.0); }\n");
    ASSERT_TRUE(depth->loaded && show->loaded);

    ShadowTarget target;
    CreateShadowTarget(target.shadowMap, target.shadowFramebuffer, 64);
    GLint unit = 0;  // left bound on unit 3, the unit the lit programs read it from
    glGetIntegerv(GL_ACTIVE_TEXTURE, &unit);
    EXPECT_EQ(unit, GL_TEXTURE3);
    glBindFramebuffer(GL_FRAMEBUFFER, target.shadowFramebuffer);
    glViewport(0, 0, 64, 64);
    glEnable(GL_DEPTH_TEST);
    glClear(GL_DEPTH_BUFFER_BIT);
    ASSERT_TRUE(depth->Use());
    DrawQuad(depth);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, gl.width, gl.height);
    glDisable(GL_DEPTH_TEST);
    glClear(GL_COLOR_BUFFER_BIT);
    ASSERT_TRUE(show->Use());
    glActiveTexture(GL_TEXTURE3);
    glBindTexture(GL_TEXTURE_2D, target.shadowMap.glId);
    glUniform1i(glGetUniformLocation(show->program, "uni_ShadowMap"), 3);
    DrawQuad(show);
    glActiveTexture(GL_TEXTURE0);

    unsigned char left[3] = {0, 0, 0}, right[3] = {0, 0, 0};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(gl.width / 4, gl.height / 2, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, left);
    glReadPixels(gl.width * 3 / 4, gl.height / 2, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, right);
    // Left: depth 0.5, in front of 0.6 (in shadow). Right: the cleared 1.0 (lit).
    EXPECT_NEAR(left[0], 128, 1);
    EXPECT_EQ(left[1], 0);
    EXPECT_EQ(right[0], 255);
    EXPECT_EQ(right[1], 255);
    glEnable(GL_DEPTH_TEST);
}

}  // namespace
