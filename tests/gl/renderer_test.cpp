// The renderer's GL start-up, mesh uploads and attribute binding against real GL.
#include <gtest/gtest.h>

#include <cstring>

#include "render/Renderer.h"
#include "render/ShaderProgram.h"
#include "support/TestSupport.h"

using testsupport::ScopedGLContext;
using testsupport::ScopedWorkDir;

namespace {

// Draws vertices as they are (clip space) and shows one attribute as the colour.
const char* kShowNormalVert = "#version 330\nin vec3 in_Vertex;\nin vec3 in_Normal;\nin vec2 in_Tex;\nout vec3 v_C;\n"
                              "void main() { v_C = in_Normal + vec3(in_Tex, 0.0) * 0.0; gl_Position = vec4(in_Vertex, 1.0); }\n";
const char* kShowTexVert = "#version 330\nin vec3 in_Vertex;\nin vec2 in_Tex;\nout vec3 v_C;\n"
                           "void main() { v_C = vec3(in_Tex, 0.25); gl_Position = vec4(in_Vertex, 1.0); }\n";
const char* kColourFrag = "#version 330\nin vec3 v_C;\nout vec4 frag_Color;\nvoid main() { frag_Color = vec4(v_C, 1.0); }\n";
const char* kLinesVert = "#version 330\nin vec3 in_Vertex;\nin vec3 in_Color;\nout vec3 v_C;\n"
                         "void main() { v_C = in_Color; gl_Position = vec4(in_Vertex, 1.0); }\n";

// A quad covering the whole viewport with normal (0.25, 0.5, 0.75) and tex (1, 0.5).
void FillScreenQuad(CMesh& mesh) {
    mesh.vertices = new Vertex[4]();
    const float xy[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    for (int i = 0; i < 4; ++i) {
        Vertex& v = mesh.vertices[i];
        v.position[0] = xy[i][0];
        v.position[1] = xy[i][1];
        v.normal[0] = 0.25f; v.normal[1] = 0.5f; v.normal[2] = 0.75f;
        v.tex[0] = 1.0f; v.tex[1] = 0.5f;
    }
    mesh.indices = new uint32_t[6]{0, 1, 2, 0, 2, 3};
    mesh.vertexCount = 4;
    mesh.faceCount = 2;
    mesh.indexCount = 6;
}

std::array<int, 3> CentrePixel(const ScopedGLContext& gl) {
    unsigned char rgb[3] = {0, 0, 0};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(gl.width / 2, gl.height / 2, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    return {rgb[0], rgb[1], rgb[2]};
}

void Draw(CRenderer& renderer, CShaderProgram& program, CMesh& mesh) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    ASSERT_TRUE(program.Use());
    if (renderer.useVBOs) {
        glBindVertexArray(mesh.vertexArray);
        glBindBuffer(GL_ARRAY_BUFFER, mesh.vertexBuffer);
        renderer.BindVertexAttributes(&program, nullptr);
        glDrawElements(GL_TRIANGLES, mesh.indexCount, GL_UNSIGNED_INT, nullptr);
        glBindVertexArray(0);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
    } else {
        // Client arrays need the default vertex array object of the compatibility context.
        glBindVertexArray(0);
        renderer.BindVertexAttributes(&program, mesh.vertices);
        glDrawElements(GL_TRIANGLES, mesh.indexCount, GL_UNSIGNED_INT, mesh.indices);
    }
}

class RendererGL : public ::testing::Test {
protected:
    ScopedWorkDir dir;
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
    auto lines = testsupport::Lines(out);
    ASSERT_EQ(lines.size(), 7u) << out;
    EXPECT_EQ(lines[0], "Renderer init");
    EXPECT_EQ(lines[1], "OpenGL 3.3 is supported. Yay!");
    EXPECT_EQ(lines[2].rfind("GL Vendor: ", 0), 0u);
    EXPECT_EQ(lines[5].rfind("Shading language support: ", 0), 0u);
    EXPECT_EQ(lines[6], "Max Supported Texture Anisotropy is " + std::to_string(int(renderer.maxAnisotropy)));
    EXPECT_GE(renderer.maxAnisotropy, 1.0f);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_PROGRAM_POINT_SIZE));
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(clear[0], 1.0f);
    EXPECT_EQ(clear[3], 0.0f);
}

TEST_F(RendererGL, MeshesDrawTheSameFromBuffersAndFromClientArrays) {
    ASSERT_TRUE(gl.ok);
    dir.Write("shaders/normal.vert", kShowNormalVert);
    dir.Write("shaders/normal.frag", kColourFrag);
    dir.Write("shaders/tex.vert", kShowTexVert);
    dir.Write("shaders/tex.frag", kColourFrag);
    CShaderProgram showNormal("normal"), showTex("tex");
    testing::internal::CaptureStdout();
    showNormal.Load();
    showTex.Load();
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE(showNormal.loaded && showTex.loaded);

    CRenderer renderer;
    glDisable(GL_CULL_FACE);
    CMesh mesh;
    FillScreenQuad(mesh);
    renderer.UploadMesh(&mesh);
    ASSERT_TRUE(mesh.IsUploaded());
    EXPECT_NE(mesh.vertexBuffer, 0u);
    EXPECT_NE(mesh.indexBuffer, 0u);

    for (bool useVBOs : {true, false, true}) {
        renderer.useVBOs = useVBOs;
        Draw(renderer, showNormal, mesh);
        auto c = CentrePixel(gl);
        EXPECT_NEAR(c[0], 64, 2) << "VBOs " << useVBOs;
        EXPECT_NEAR(c[1], 128, 2);
        EXPECT_NEAR(c[2], 191, 2);
        // A program without in_Normal still draws; only its own attributes are bound.
        Draw(renderer, showTex, mesh);
        c = CentrePixel(gl);
        EXPECT_NEAR(c[0], 255, 2) << "VBOs " << useVBOs;
        EXPECT_NEAR(c[1], 128, 2);
        EXPECT_NEAR(c[2], 64, 2);
    }
}

TEST_F(RendererGL, AxisGizmoAndLineBuffer) {
    ASSERT_TRUE(gl.ok);
    dir.Write("shaders/lines.vert", kLinesVert);
    dir.Write("shaders/lines.frag", kColourFrag);
    CShaderProgram lines("lines");
    testing::internal::CaptureStdout();
    lines.Load();
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE(lines.loaded);

    CRenderer renderer;
    renderer.CreateAxesGizmo(&lines);
    renderer.CreateLineBuffer(&lines);
    EXPECT_EQ(renderer.axesGizmo.vertexCount, 6u);
    EXPECT_EQ(renderer.axesGizmo.primitiveMode, static_cast<uint32_t>(GL_LINES));
    EXPECT_NE(renderer.lineVao, 0u);
    GLint size = 0;
    glBindBuffer(GL_ARRAY_BUFFER, renderer.lineVbo);
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    EXPECT_EQ(size, 48);

    // Drawn in clip space the unit axes run from the centre to the right and top edges.
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    lines.Use();
    glBindVertexArray(renderer.axesGizmo.vertexArray);
    glDrawArrays(GL_LINES, 0, 6);
    glBindVertexArray(0);
    // A one-pixel line on a pixel boundary may land on either side: take the brightest of a
    // small block around the expected spot.
    auto brightest = [&](int cx, int cy) {
        std::array<int, 3> best = {0, 0, 0};
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                unsigned char px[3];
                glReadPixels(cx + dx, cy + dy, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, px);
                for (int c = 0; c < 3; ++c) best[c] = std::max(best[c], int(px[c]));
            }
        return best;
    };
    auto x = brightest(gl.width * 3 / 4, gl.height / 2);
    EXPECT_EQ(x, (std::array<int, 3>{255, 0, 0}));  // X axis red, to the right
    auto y = brightest(gl.width / 2, gl.height * 3 / 4);
    EXPECT_EQ(y, (std::array<int, 3>{0, 255, 0}));  // Y axis green, upwards
    auto empty = brightest(gl.width / 4, gl.height / 4);
    EXPECT_EQ(empty, (std::array<int, 3>{0, 0, 0}));
}

}  // namespace
