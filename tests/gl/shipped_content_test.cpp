// The shipped sky as the game loads it. (That every shipped program compiles and links, and
// that the game starts without errors, is the real binary's run: tavo_binary_1920x1080.)
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "math/Matrix.h"
#include "render/Renderer.h"
#include "render/ShaderProgram.h"
#include "render/Texture.h"
#include "render/TextureManager.h"
#include "scene/Mesh.h"
#include "support/TestSupport.h"

namespace {

// The shipped sky faces, the cube-map loader and the sky program together: looking level at the
// horizon, the sky must be above and the ground haze below, in every direction.
TEST(ShippedContent, SkyBoxIsTheRightWayUpAllAround) {
    testsupport::ScopedGLContext gl;
    ASSERT_TRUE(gl.ok);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    CTextureManager textures;
    CRenderer renderer;
    CShaderProgram cube("cubeshader");
    cube.Load();
    CCubeMap* sky = textures.GetCubeMap("sky.jpg");
    testing::internal::GetCapturedStderr();
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE(cube.loaded);
    ASSERT_NE(sky, nullptr);
    UploadCubeMap(sky, renderer);

    // The eight corners of a unit cube, triangles facing inward, as the sky box is built.
    CMesh box;
    box.vertices = new Vertex[8]();
    for (int i = 0; i < 8; ++i) {
        box.vertices[i].position[0] = (i & 1) ? 0.5f : -0.5f;
        box.vertices[i].position[1] = (i & 2) ? 0.5f : -0.5f;
        box.vertices[i].position[2] = (i & 4) ? -0.5f : 0.5f;
    }
    box.indices = new uint32_t[36]{0, 2, 3, 0, 3, 1, 1, 3, 7, 1, 7, 5, 5, 7, 6, 5, 6, 4,
                                   4, 6, 2, 4, 2, 0, 4, 0, 5, 5, 0, 1, 2, 6, 7, 2, 7, 3};
    box.vertexCount = 8;
    box.faceCount = 12;
    box.indexCount = 36;
    renderer.UploadMesh(&box);

    glEnable(GL_CULL_FACE);
    glEnable(GL_DEPTH_TEST);
    ASSERT_TRUE(cube.Use());
    const Mat4 projection = Perspective(45.0f, float(gl.width) / float(gl.height), 0.1f, 200.0f);
    glUniformMatrix4fv(glGetUniformLocation(cube.program, "uni_ProjMatrix"), 1, GL_FALSE, projection.m);
    float identity3[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    glUniformMatrix3fv(glGetUniformLocation(cube.program, "uni_NormalMatrix"), 1, GL_FALSE, identity3);
    const float sunDown[3] = {0, -1, 0}, noHalo[3] = {0, 0, 0};
    glUniform3fv(glGetUniformLocation(cube.program, "uni_ParallelLightDirection"), 1, sunDown);
    glUniform3fv(glGetUniformLocation(cube.program, "uni_ParallelLightColor"), 1, noHalo);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_CUBE_MAP, sky->faces[0].glId);
    glUniform1i(glGetUniformLocation(cube.program, "uni_CubeMap"), 0);

    // Mean colour of one screen row (a few clouds may cross it).
    auto row = [&](int y) {
        std::vector<unsigned char> rgb(gl.width * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, y, gl.width, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        std::array<int, 3> mean = {0, 0, 0};
        for (int x = 0; x < gl.width; ++x)
            for (int c = 0; c < 3; ++c) mean[c] += rgb[x * 3 + c];
        for (int& m : mean) m /= gl.width;
        return mean;
    };
    // Eight headings around the horizon, through the faces and across their seams.
    for (int heading = 0; heading < 360; heading += 45) {
        const float a = static_cast<float>(heading) * 3.14159265f / 180.0f;
        const Mat4 view = LookAt(Vec3(0, 0, 0), Vec3(std::sin(a), 0, -std::cos(a)), Vec3(0, 1, 0));
        glUniformMatrix4fv(glGetUniformLocation(cube.program, "uni_ModelViewMatrix"), 1, GL_FALSE, view.m);
        glClearColor(1, 0, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glBindVertexArray(box.vertexArray);
        glBindBuffer(GL_ARRAY_BUFFER, box.vertexBuffer);  // attribute pointers read this binding
        renderer.BindVertexAttributes(&cube, nullptr);
        glDrawElements(GL_TRIANGLES, 36, GL_UNSIGNED_INT, nullptr);
        glBindVertexArray(0);
        if (heading == 45 && std::getenv("TAVO_SAVE_SKY_SHOT")) SaveScreenshot();
        auto top = row(gl.height - 4);
        auto bottom = row(3);
        EXPECT_FALSE(top[0] > 200 && top[1] < 50 && top[2] > 200) << "sky not drawn at heading " << heading;
        EXPECT_GT(top[2], top[0] + 40) << "no blue sky above the horizon at heading " << heading;
        EXPECT_GT(top[2] - top[0], bottom[2] - bottom[0] + 40)
            << "the sky is not above the ground haze at heading " << heading;
    }
}

}  // namespace
