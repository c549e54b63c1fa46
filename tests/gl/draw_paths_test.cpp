// The draw paths against real GL: culling and counters, meshes not on the GPU, late texture
// uploads, material units, sprites, the sky box, projector matrices and the HUD.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

#include "render/DrawPaths.h"
#include "render/Renderer.h"
#include "render/ShaderProgram.h"
#include "render/Sprite.h"
#include "render/Texture.h"
#include "scene/Mesh.h"
#include "scene/SceneGeoObject.h"
#include "scene/SkyBox.h"
#include "services/Hud.h"
#include "support/TestSupport.h"

using testsupport::ScopedGLContext;
using testsupport::ScopedWorkDir;

namespace {

// Lit by nothing: the diffuse colour, times the diffuse map when there is one. The normal and
// specular maps tint it only when present, so all six map uniforms stay active.
const char* kObjectVert =
    "#version 330\nin vec3 in_Vertex;\nin vec2 in_Tex;\nuniform mat4 uni_ProjMatrix;\n"
    "uniform mat4 uni_ModelViewMatrix;\nout vec2 v_Tex;\n"
    "void main() { v_Tex = in_Tex; gl_Position = uni_ProjMatrix * uni_ModelViewMatrix * vec4(in_Vertex, 1.0); }\n";
const char* kObjectFrag =
    "#version 330\nin vec2 v_Tex;\nuniform vec3 uni_DiffuseColor;\n"
    "uniform int uni_HasDiffuseMap;\nuniform sampler2D uni_DiffuseMap;\n"
    "uniform int uni_HasNormalMap;\nuniform sampler2D uni_NormalMap;\n"
    "uniform int uni_HasSpecularMap;\nuniform sampler2D uni_SpecularMap;\nout vec4 frag_Color;\n"
    "void main() {\n  vec3 c = uni_DiffuseColor;\n"
    "  if (uni_HasDiffuseMap != 0) c *= texture(uni_DiffuseMap, v_Tex).rgb;\n"
    "  if (uni_HasNormalMap != 0) c *= texture(uni_NormalMap, v_Tex).rgb;\n"
    "  if (uni_HasSpecularMap != 0) c *= texture(uni_SpecularMap, v_Tex).rgb;\n"
    "  frag_Color = vec4(c, 1.0);\n}\n";
const char* kSpriteVert =
    "#version 330\nin vec3 in_Vertex;\nuniform mat4 uni_ProjMatrix;\nuniform mat4 uni_ModelViewMatrix;\n"
    "void main() { gl_PointSize = 16.0; gl_Position = uni_ProjMatrix * uni_ModelViewMatrix * vec4(in_Vertex, 1.0); }\n";
const char* kSpriteFrag =
    "#version 330\nuniform sampler2D uni_TextureMap;\nout vec4 frag_Color;\n"
    "void main() { frag_Color = vec4(texture(uni_TextureMap, gl_PointCoord).rgb, 1.0) + vec4(0.0, 0.0, 1.0, 0.0); }\n";
const char* kSkyVert =
    "#version 330\nin vec3 in_Vertex;\nuniform mat4 uni_ProjMatrix;\nuniform mat4 uni_ModelViewMatrix;\n"
    "uniform mat3 uni_NormalMatrix;\nout vec3 v_Dir;\n"
    "void main() { v_Dir = uni_NormalMatrix * in_Vertex; gl_Position = uni_ProjMatrix * uni_ModelViewMatrix * vec4(in_Vertex, 1.0); }\n";
const char* kSkyFrag =
    "#version 330\nin vec3 v_Dir;\nuniform samplerCube uni_CubeMap;\nout vec4 frag_Color;\n"
    "void main() { frag_Color = texture(uni_CubeMap, v_Dir); }\n";
const char* kOrthoVert =
    "#version 330\nin vec3 in_Vertex;\nuniform mat4 uni_OrthoMatrix;\nuniform mat4 uni_ModelMatrix;\n"
    "void main() { gl_Position = uni_OrthoMatrix * uni_ModelMatrix * vec4(in_Vertex, 1.0); }\n";
const char* kOrthoFrag =
    "#version 330\nuniform vec3 uni_DiffuseColor;\nout vec4 frag_Color;\nvoid main() { frag_Color = vec4(uni_DiffuseColor, 1.0); }\n";

// A unit cube around the origin, counter-clockwise seen from outside, texture coordinates
// spanning each face.
std::unique_ptr<CMesh> MakeCube() {
    auto mesh = std::make_unique<CMesh>();
    mesh->vertices = new Vertex[8]();
    for (int i = 0; i < 8; ++i) {
        Vertex& v = mesh->vertices[i];
        v.position[0] = (i & 1) ? 0.5f : -0.5f;
        v.position[1] = (i & 2) ? 0.5f : -0.5f;
        v.position[2] = (i & 4) ? 0.5f : -0.5f;
        v.tex[0] = (i & 1) ? 1.0f : 0.0f;
        v.tex[1] = (i & 2) ? 1.0f : 0.0f;
    }
    mesh->indices = new uint32_t[36]{0, 2, 3, 0, 3, 1, 4, 5, 7, 4, 7, 6, 0, 4, 6, 0, 6, 2,
                                     1, 3, 7, 1, 7, 5, 0, 1, 5, 0, 5, 4, 2, 6, 7, 2, 7, 3};
    mesh->vertexCount = 8;
    mesh->faceCount = 12;
    mesh->indexCount = 36;
    return mesh;
}

// A decoded image of one colour, not yet on the GPU.
std::unique_ptr<CTexture> MakeTexture(unsigned char r, unsigned char g, unsigned char b) {
    auto texture = std::make_unique<CTexture>();
    texture->width = texture->height = 2;
    texture->format = GL_RGB;
    texture->pixels = new uint8_t[12];
    for (int i = 0; i < 4; ++i) {
        texture->pixels[i * 3] = r;
        texture->pixels[i * 3 + 1] = g;
        texture->pixels[i * 3 + 2] = b;
    }
    return texture;
}

Mat4 Translation(float x, float y, float z) {
    Mat4 m;
    m.m[12] = x;
    m.m[13] = y;
    m.m[14] = z;
    return m;
}

class DrawPaths : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gl.ok);
        const std::pair<const char*, const char*> sources[] = {
            {kObjectVert, kObjectFrag}, {kSpriteVert, kSpriteFrag}, {kSkyVert, kSkyFrag}, {kOrthoVert, kOrthoFrag}};
        const char* names[] = {"object", "sprite", "sky", "ortho"};
        for (int i = 0; i < 4; ++i) {
            dir.Write(std::string("shaders/") + names[i] + ".vert", sources[i].first);
            dir.Write(std::string("shaders/") + names[i] + ".frag", sources[i].second);
        }
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        renderer = std::make_unique<CRenderer>();
        renderer->InitGL();
        for (auto* program : {&object, &sprite, &sky, &ortho}) program->Load();
        testing::internal::GetCapturedStderr();
        testing::internal::GetCapturedStdout();
        for (auto* program : {&object, &sprite, &sky, &ortho}) ASSERT_TRUE(program->loaded) << program->name;
        glDisable(GL_CULL_FACE);
        glClearColor(1, 1, 1, 1);
        // The depth buffer of a new window is not cleared for us.
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

        // A camera at z = 5 looking down -Z.
        renderer->viewMatrix = LookAt(Vec3(0, 0, 5), Vec3(0, 0, 0), Vec3(0, 1, 0));
        renderer->projectionMatrix =
            Perspective(45.0f, static_cast<float>(gl.width) / static_cast<float>(gl.height), 0.1f, 100.0f);
        cube = MakeCube();
        renderer->UploadMesh(cube.get());
    }
    void TearDown() override {
        cube.reset();
        renderer.reset();
    }

    void Use(CShaderProgram& program) {
        ASSERT_TRUE(program.Use());
        glUniformMatrix4fv(glGetUniformLocation(program.program, "uni_ProjMatrix"), 1, GL_FALSE,
                           renderer->projectionMatrix.m);
    }
    std::unique_ptr<CSceneGeoObject> CubeAt(float x, float y, float z) {
        auto o = std::make_unique<CSceneGeoObject>(std::vector<CMesh*>{cube.get()}, Translation(x, y, z), "cube", Vec3());
        o->ComputeBounds();
        o->UpdateWorldCorners();
        return o;
    }
    void ResetCounters() { renderer->objectsRendered = renderer->trianglesRendered = 0; }
    std::array<int, 3> Pixel(int x, int y) {
        unsigned char px[3] = {0, 0, 0};
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, px);
        return {px[0], px[1], px[2]};
    }
    std::vector<unsigned char> Screen() {
        std::vector<unsigned char> pixels(static_cast<size_t>(gl.width) * static_cast<size_t>(gl.height) * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, gl.width, gl.height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }
    int CountPixels(const std::array<int, 3>& colour) {
        const auto pixels = Screen();
        int n = 0;
        for (size_t i = 0; i < pixels.size(); i += 3)
            if (pixels[i] == colour[0] && pixels[i + 1] == colour[1] && pixels[i + 2] == colour[2]) ++n;
        return n;
    }

    ScopedWorkDir dir;
    ScopedGLContext gl;
    std::unique_ptr<CRenderer> renderer;
    CShaderProgram object{"object"}, sprite{"sprite"}, sky{"sky"}, ortho{"ortho"};
    std::unique_ptr<CMesh> cube;
};

TEST_F(DrawPaths, CullingDecidesWhatIsDrawnAndCountedAndOnlyATreesRootIsCulled) {
    Use(object);
    auto front = CubeAt(0, 0, 0);
    auto behind = CubeAt(0, 0, 10);  // wholly behind the camera
    auto aside = CubeAt(40, 0, 0);   // wholly beyond the right plane
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    ResetCounters();
    DrawSceneObject(*renderer, front.get(), &object);
    EXPECT_EQ(renderer->objectsRendered, 1u);
    EXPECT_EQ(renderer->trianglesRendered, 12u);
    EXPECT_EQ(Pixel(gl.width / 2, gl.height / 2), (std::array<int, 3>{255, 255, 255}));  // white material

    ResetCounters();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    DrawSceneObject(*renderer, behind.get(), &object);
    DrawSceneObject(*renderer, aside.get(), &object);
    EXPECT_EQ(renderer->objectsRendered, 0u);
    EXPECT_EQ(CountPixels({0, 0, 0}), gl.width * gl.height);
    // With culling off the same objects are sent to GL and counted (though off screen).
    renderer->frustumCulling = false;
    DrawSceneObject(*renderer, behind.get(), &object);
    DrawSceneObject(*renderer, aside.get(), &object);
    EXPECT_EQ(renderer->objectsRendered, 2u);
    renderer->frustumCulling = true;
    glClearColor(1, 1, 1, 1);
    ResetCounters();
    front->visible = false;
    DrawSceneObject(*renderer, front.get(), &object);
    EXPECT_EQ(renderer->objectsRendered, 0u);

    // A figure: a body in view and an arm far off to the side, under a root without meshes.
    auto root = std::make_unique<CSceneObject>(Mat4(), "root");
    root->AddChild(CubeAt(0, 0, 0).release());
    root->AddChild(CubeAt(30, 0, 0).release());
    root->ComputeBounds();
    root->UpdateWorldCorners();
    DrawSceneObjectTree(*renderer, root.get(), &object, Mat4(), true);
    EXPECT_EQ(renderer->objectsRendered, 3u);  // root, body and arm: the arm is not culled alone
    EXPECT_EQ(renderer->trianglesRendered, 24u);
    // The whole tree moved behind the camera by its parent matrix: nothing, unless it is a
    // subtree (no cull flag).
    ResetCounters();
    DrawSceneObjectTree(*renderer, root.get(), &object, Translation(0, 0, 20), true);
    EXPECT_EQ(renderer->objectsRendered, 0u);
    DrawSceneObjectTree(*renderer, root.get(), &object, Translation(0, 0, 20), false);
    EXPECT_EQ(renderer->objectsRendered, 3u);
    // A hidden child is skipped with its subtree; the rest is drawn.
    ResetCounters();
    root->GetChild(0)->visible = false;
    DrawSceneObjectTree(*renderer, root.get(), &object, Mat4(), true);
    EXPECT_EQ(renderer->objectsRendered, 2u);
}

TEST_F(DrawPaths, MeshesNotOnTheGpuAreReportedAndNotCounted) {
    Use(object);
    auto raw = MakeCube();  // never uploaded
    CSceneGeoObject level(std::vector<CMesh*>{cube.get(), raw.get()}, Mat4(), "half", Vec3());
    level.ComputeBounds();
    // A tree whose root cannot be drawn: its (drawable) child is not reached either.
    CSceneGeoObject tree(std::vector<CMesh*>{raw.get()}, Mat4(), "tree", Vec3());
    tree.AddChild(CubeAt(0, 0, 0).release());
    tree.ComputeBounds();

    ResetCounters();
    testing::internal::CaptureStderr();
    DrawSceneObject(*renderer, &level, &object);  // first mesh drawn, then the stop
    DrawSceneObjectTree(*renderer, &tree, &object, Mat4(), true);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "ERROR: CANT DRAW A MODEL NOT LOADED INTO VRAM!\nERROR: CANT DRAW A MODEL NOT LOADED INTO VRAM!\n");
    EXPECT_EQ(renderer->objectsRendered, 0u);
    EXPECT_EQ(renderer->trianglesRendered, 12u);
}

TEST_F(DrawPaths, LateTextureUploadWarnsOnceAndStays) {
    Use(object);
    auto red = MakeTexture(255, 0, 0);
    auto white = MakeTexture(255, 255, 255);
    auto grey = MakeTexture(128, 128, 128);
    cube->material.diffuseTexture = red.get();
    cube->material.diffuseName = "red.png";
    cube->material.normalTexture = white.get();
    cube->material.normalName = "flat_normal.png";
    cube->material.specularTexture = grey.get();
    cube->material.specularName = "shine.png";
    auto front = CubeAt(0, 0, 0);

    testing::internal::CaptureStderr();
    DrawSceneObject(*renderer, front.get(), &object);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "WARNING: Late VRAM loading of Diff texture 'red.png'!\n"
              "WARNING: Late VRAM loading of Normal texture 'flat_normal.png'!\n"
              "WARNING: Late VRAM loading of Spec texture 'shine.png'!\n");
    const auto centre = Pixel(gl.width / 2, gl.height / 2);
    EXPECT_NEAR(centre[0], 128, 2);  // red x white x grey
    EXPECT_EQ(centre[1], 0);

    testing::internal::CaptureStderr();
    DrawSceneObject(*renderer, front.get(), &object);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    // Every unit is left unbound and unit 0 active.
    GLint active = 0, bound = -1;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    EXPECT_EQ(active, GL_TEXTURE0);
    for (GLenum unit : {GL_TEXTURE0, GL_TEXTURE1, GL_TEXTURE2}) {
        glActiveTexture(unit);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        EXPECT_EQ(bound, 0);
    }
    glActiveTexture(GL_TEXTURE0);
    for (CTexture* t : {red.get(), white.get(), grey.get()}) glDeleteTextures(1, &t->glId);
}

TEST_F(DrawPaths, MaterialBindsItsMapsToUnitsZeroOneTwo) {
    Use(object);
    auto diffuse = MakeTexture(255, 0, 0), normal = MakeTexture(0, 255, 0), specular = MakeTexture(0, 0, 255);
    for (CTexture* t : {diffuse.get(), normal.get(), specular.get()}) UploadTexture(t, *renderer);
    CMaterial material;
    material.diffuse[1] = 0.5f;
    material.diffuseTexture = diffuse.get();
    material.normalTexture = normal.get();
    material.specularTexture = specular.get();
    auto uniform = [&](const char* name) {
        GLint v = -7;
        glGetUniformiv(object.program, glGetUniformLocation(object.program, name), &v);
        return v;
    };
    const struct { const char* flag; const char* sampler; CTexture* texture; } maps[] = {
        {"uni_HasDiffuseMap", "uni_DiffuseMap", diffuse.get()},
        {"uni_HasNormalMap", "uni_NormalMap", normal.get()},
        {"uni_HasSpecularMap", "uni_SpecularMap", specular.get()}};
    // Without maps, then with: the flags follow, and each sampler reads its own unit, even with
    // no map there (left at unit 0 it would read the diffuse map again). Nothing bound after.
    CMaterial plain;
    for (CMaterial* m : {&plain, &material}) {
        BindMaterial(*renderer, *m, &object);
        for (int unit = 0; unit < 3; ++unit) {
            SCOPED_TRACE(maps[unit].sampler);
            EXPECT_EQ(uniform(maps[unit].flag), m == &material ? 1 : 0);
            EXPECT_EQ(uniform(maps[unit].sampler), unit);
            GLint bound = -1;
            glActiveTexture(static_cast<GLenum>(GL_TEXTURE0 + unit));
            glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
            EXPECT_EQ(static_cast<GLuint>(bound), m == &material ? maps[unit].texture->glId : 0u);
            glBindTexture(GL_TEXTURE_2D, 0);
        }
        glActiveTexture(GL_TEXTURE0);
        GLfloat colour[3] = {0, 0, 0};
        glGetUniformfv(object.program, glGetUniformLocation(object.program, "uni_DiffuseColor"), colour);
        EXPECT_FLOAT_EQ(colour[1], m->diffuse[1]);
    }
    for (CTexture* t : {diffuse.get(), normal.get(), specular.get()}) glDeleteTextures(1, &t->glId);
}

TEST_F(DrawPaths, SpriteIsDrawnWithOrWithoutItsPicture) {
    Use(sprite);
    auto picture = MakeTexture(255, 255, 0);  // drawn yellow, plus blue from the program: white
    UploadTexture(picture.get(), *renderer);
    CSprite sun;
    sun.texture = picture.get();
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    DrawSprite(*renderer, &sun, &sprite);
    EXPECT_EQ(Pixel(gl.width / 2, gl.height / 2), (std::array<int, 3>{255, 255, 255}));

    // Without a picture, or with one not on the GPU, the point is still drawn (blue only).
    testing::internal::CaptureStderr();
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, 0);
    sun.texture = nullptr;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    DrawSprite(*renderer, &sun, &sprite);
    const auto bare = Pixel(gl.width / 2, gl.height / 2);
    auto decoded = MakeTexture(255, 0, 0);
    sun.texture = decoded.get();
    DrawSprite(*renderer, &sun, &sprite);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "SPRITE WITHOUT TEXTURE\nERROR: DIFF TEXTURE NOT LOADED INTO VRAM!\n");
    EXPECT_EQ(bare[2], 255);
    EXPECT_EQ(decoded->glId, 0u);  // sprites never upload late
    glDeleteTextures(1, &picture->glId);
    glClearColor(1, 1, 1, 1);
}

TEST_F(DrawPaths, SkyBoxBindsItsCubeMapAndReportsWhatIsMissing) {
    CCubeMap faces;
    const unsigned char colours[6][3] = {{255, 0, 0}, {0, 255, 255}, {0, 255, 0},
                                         {255, 0, 255}, {0, 0, 255}, {255, 255, 0}};
    for (int i = 0; i < 6; ++i) {
        faces.faces[i].width = faces.faces[i].height = 1;
        faces.faces[i].pixels = new uint8_t[3]{colours[i][0], colours[i][1], colours[i][2]};
    }
    auto box = MakeCube();
    // Seen from inside: reverse the winding so the faces point inwards.
    for (uint32_t i = 0; i < box->indexCount; i += 3) std::swap(box->indices[i + 1], box->indices[i + 2]);
    CSkyBox skyBox;
    skyBox.meshes = {box.get()};
    skyBox.meshCount = 1;
    skyBox.scale = Vec3(20, 20, 20);

    Use(sky);
    renderer->viewMatrix = LookAt(Vec3(0, 0, 0), Vec3(0, 0, -1), Vec3(0, 1, 0));
    testing::internal::CaptureStderr();
    ResetCounters();
    DrawSkyBox(*renderer, &skyBox, &sky);  // not uploaded
    renderer->UploadMesh(box.get());
    box->material.diffuseTexture = &faces.faces[0];
    DrawSkyBox(*renderer, &skyBox, &sky);  // cube map only decoded
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "ERROR: CANT DRAW THE SKYBOX, MESH NOT LOADED INTO VRAM!\nERROR: DIFF TEXTURE NOT LOADED INTO VRAM!\n");
    EXPECT_EQ(renderer->objectsRendered, 1u);  // drawn without its picture

    UploadCubeMap(&faces, *renderer);
    glEnable(GL_CULL_FACE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    testing::internal::CaptureStderr();
    DrawSkyBox(*renderer, &skyBox, &sky);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    glDisable(GL_CULL_FACE);
    EXPECT_EQ(renderer->objectsRendered, 2u);
    // Looking down -Z the -Z face (yellow) fills the middle of the screen.
    EXPECT_EQ(Pixel(gl.width / 2, gl.height / 2), (std::array<int, 3>{255, 255, 0}));
    GLint boundCube = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_CUBE_MAP, &boundCube);
    EXPECT_EQ(static_cast<GLuint>(boundCube), faces.faces[0].glId);  // the cube-map binding stays
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    glDeleteTextures(1, &faces.faces[0].glId);
}

// The projector uniforms only need to be active: a negligible share of them reaches the colour.
const char* kProjectorVert =
    "#version 330\nin vec3 in_Vertex;\nuniform mat4 uni_ProjMatrix;\nuniform mat4 uni_ModelViewMatrix;\n"
    "uniform vec4 uni_ModelProjectorMatrix1[3];\nuniform vec4 uni_ModelProjectorMatrix2[3];\n"
    "uniform vec4 uni_ModelProjectorMatrix3[3];\nuniform vec4 uni_ModelProjectorMatrix4[3];\n"
    "uniform mat4 uni_ModelProjectorMatrix[3];\nout vec4 v_P;\n"
    "void main() {\n  v_P = vec4(0.0);\n  for (int i = 0; i < 3; ++i) {\n"
    "    mat4 p = mat4(uni_ModelProjectorMatrix1[i], uni_ModelProjectorMatrix2[i], uni_ModelProjectorMatrix3[i],"
    " uni_ModelProjectorMatrix4[i]);\n"
    "    v_P += p * vec4(in_Vertex, 1.0) + uni_ModelProjectorMatrix[i] * vec4(in_Vertex, 1.0);\n  }\n"
    "  gl_Position = uni_ProjMatrix * uni_ModelViewMatrix * vec4(in_Vertex, 1.0);\n}\n";
const char* kProjectorFrag =
    "#version 330\nin vec4 v_P;\nout vec4 frag_Color;\nvoid main() { frag_Color = vec4(1.0) + v_P * 1e-9; }\n";

TEST_F(DrawPaths, ProjectorMatricesFollowTheObjectsList) {
    dir.Write("shaders/projector.vert", kProjectorVert);
    dir.Write("shaders/projector.frag", kProjectorFrag);
    CShaderProgram projector("projector");
    testing::internal::CaptureStdout();
    projector.Load();
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE(projector.loaded);
    Use(projector);

    renderer->projectorCount = 2;
    renderer->projectorMatrices[0] = Translation(1, 2, 3);
    renderer->projectorMatrices[1] = LookAt(Vec3(4, 5, 6), Vec3(0, 0, 0), Vec3(0, 1, 0));
    auto lit = CubeAt(0.25f, 0, 0);
    lit->rotation = Vec3(10, 20, 30);
    lit->projectorPowerUps = {7};
    auto read = [&](const std::string& name, float* out) {
        glGetUniformfv(projector.program, glGetUniformLocation(projector.program, name.c_str()), out);
    };
    // Array k holds column k of projector i times the model matrix. -5 marks what the draw must
    // overwrite, or leave alone.
    auto column = [](int k, int i) {
        return "uni_ModelProjectorMatrix" + std::to_string(k + 1) + "[" + std::to_string(i) + "]";
    };
    auto markAll = [&] {
        const float marker[4] = {-5, -5, -5, -5};
        for (int k = 0; k < 4; ++k)
            for (int i = 0; i < 3; ++i)
                glUniform4fv(glGetUniformLocation(projector.program, column(k, i).c_str()), 1, marker);
    };
    markAll();
    DrawSceneObject(*renderer, lit.get(), &projector);
    ASSERT_EQ(renderer->objectsRendered, 1u);
    for (int i = 0; i < 3; ++i) {  // only projectorCount entries are sent
        const Mat4 expected = Multiply(lit->GetModelMatrix(), renderer->projectorMatrices[i]);
        for (int k = 0; k < 4; ++k) {
            float sent[4] = {0, 0, 0, 0};
            read(column(k, i), sent);
            for (int r = 0; r < 4; ++r)
                EXPECT_NEAR(sent[r], i < 2 ? expected.m[k * 4 + r] : -5.0f, 1e-5f) << column(k, i);
        }
    }
    // An object that no projector lights leaves the arrays alone ...
    auto unlit = CubeAt(0, 0, 0);
    markAll();
    DrawSceneObject(*renderer, unlit.get(), &projector);
    float left[4] = {0, 0, 0, 0};
    read(column(2, 0), left);
    EXPECT_EQ(left[2], -5.0f);
    // ... and a model tree sends whole matrices, projector times the world matrix, whatever its list.
    const Mat4 parent = Translation(0, 0.5f, 0);
    DrawSceneObjectTree(*renderer, unlit.get(), &projector, parent, true);
    for (int i = 0; i < 2; ++i) {
        const Mat4 expected = Multiply(Multiply(unlit->GetModelMatrix(), parent), renderer->projectorMatrices[i]);
        Mat4 sent;
        read("uni_ModelProjectorMatrix[" + std::to_string(i) + "]", sent.m);
        for (int e = 0; e < 16; ++e) EXPECT_NEAR(sent.m[e], expected.m[e], 1e-5f) << "projector " << i << ", " << e;
    }
}

TEST_F(DrawPaths, HudDrawsItsVisibleElementsOverTheScene) {
    CHud hud;
    hud.Create(static_cast<unsigned>(gl.width), static_cast<unsigned>(gl.height));
    // No pictures: every element keeps a null texture and is drawn in its plain colour.
    for (unsigned i = 0; i < hud.GetElementCount(); ++i) renderer->UploadMesh(hud.GetElement(i)->GetMesh(0));
    hud.Update(1.0f, 0.0f, 0.0f, 0.0);  // no umbrella: icon and bar hidden

    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    ResetCounters();
    const Mat4 orthoMatrix;
    hud.Draw(*renderer, &ortho, orthoMatrix, true);
    EXPECT_EQ(renderer->objectsRendered, 4u);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    // Inside the life panel (centred a quarter from the left, 25 to 125 px up), and beside it.
    EXPECT_EQ(Pixel(gl.width / 4, 60), (std::array<int, 3>{255, 255, 255}));
    EXPECT_EQ(Pixel(gl.width / 4 - 110, 60), (std::array<int, 3>{0, 0, 0}));
    EXPECT_EQ(Pixel(gl.width / 4, 130), (std::array<int, 3>{0, 0, 0}));
    // The umbrella icon's place stays empty while it is hidden ...
    EXPECT_EQ(Pixel(40, gl.height - 50), (std::array<int, 3>{0, 0, 0}));
    // ... and shows with umbrella time left.
    hud.Update(1.0f, 0.0f, 5.0f, 0.0);
    ResetCounters();
    hud.Draw(*renderer, &ortho, orthoMatrix, false);
    EXPECT_EQ(renderer->objectsRendered, 6u);
    EXPECT_EQ(Pixel(40, gl.height - 50), (std::array<int, 3>{255, 255, 255}));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));  // turned off for the HUD only

    // Buffers released (as at shutdown): each element is reported, none is counted.
    hud.ReleaseGLBuffers();
    ResetCounters();
    testing::internal::CaptureStderr();
    hud.Draw(*renderer, &ortho, orthoMatrix, true);
    const auto errors = testsupport::Lines(testing::internal::GetCapturedStderr());
    EXPECT_EQ(errors, std::vector<std::string>(6, "ERROR: CANT DRAW A MODEL NOT LOADED INTO VRAM!"));
    EXPECT_EQ(renderer->objectsRendered, 0u);
    glClearColor(1, 1, 1, 1);
}

}  // namespace
