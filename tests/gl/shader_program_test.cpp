// Loading, failing and reloading shader programs against real GL.
#include <gtest/gtest.h>

#include "render/ShaderProgram.h"
#include "support/TestSupport.h"

using testsupport::FindLine;
using testsupport::Capture;
using testsupport::Lines;
using testsupport::Output;
using testsupport::ScopedGLContext;
using testsupport::ScopedWorkDir;

namespace {

const char* kVertex = "#version 330\nin vec3 in_Vertex;\nuniform mat4 uni_ProjMatrix;\n"
                      "void main() { gl_Position = uni_ProjMatrix * vec4(in_Vertex, 1.0); }\n";
const char* kFragment = "#version 330\nout vec4 frag_Color;\nvoid main() { frag_Color = vec4(1.0); }\n";
const char* kBrokenFragment = "#version 330\nout vec4 frag_Color;\nvoid main() { frag_Color = vec4(1.0) }\n";

class ShaderPrograms : public ::testing::Test {
protected:
    ScopedWorkDir dir;
    ScopedGLContext gl;
};

TEST_F(ShaderPrograms, VertexOnlyProgramLoads) {
    ASSERT_TRUE(gl.ok);
    dir.Write("shaders/depthonly.vert", kVertex);
    CShaderProgram program("depthonly");
    EXPECT_EQ(Capture([&] { program.Load(); }).err, "");
    EXPECT_TRUE(program.loaded);
    EXPECT_TRUE(program.vertexOnly);
    EXPECT_EQ(program.fragmentShader, 0u);
    EXPECT_TRUE(program.Use());
}

TEST_F(ShaderPrograms, MissingVertexFileLeavesTheProgramUnloaded) {
    ASSERT_TRUE(gl.ok);
    CShaderProgram program("nothing");
    Output c = Capture([&] {
        program.Load();
        EXPECT_FALSE(program.Use());
    });
    EXPECT_EQ(c.err,
              "Vertex shader file 'shaders/nothing.vert' not found!\n"
              "Cannot use shader 'nothing' in it's current state!\n");
    EXPECT_EQ(program.program, 0u);
}

TEST_F(ShaderPrograms, FragmentSyntaxErrorThenFixAndReloadKeepsTheProgramId) {
    ASSERT_TRUE(gl.ok);
    dir.Write("shaders/lit.vert", kVertex);
    dir.Write("shaders/lit.frag", kFragment);
    CShaderProgram program("lit");
    program.Load();
    ASSERT_TRUE(program.loaded);
    const GLuint id = program.program;

    dir.Write("shaders/lit.frag", kBrokenFragment);
    Output broken = Capture([&] {
        program.Load();
        EXPECT_FALSE(program.Use());
        EXPECT_FALSE(program.Use());
    });
    EXPECT_FALSE(program.loaded);
    EXPECT_EQ(FindLine(Lines(broken.out), "Linking program"), -1);
    auto err = Lines(broken.err);
    ASSERT_GE(err.size(), 4u) << broken.err;
    EXPECT_EQ(err[0], "Compilation of type 35632 shader failed.");
    EXPECT_FALSE(err[1].empty());  // the driver's log
    EXPECT_EQ(std::count(err.begin(), err.end(), "Cannot use shader 'lit' in it's current state!"), 2);
    EXPECT_EQ(program.fragmentShader, 0u);

    dir.Write("shaders/lit.frag", kFragment);
    Output fixed = Capture([&] { program.Load(); });
    EXPECT_EQ(fixed.err, "");
    EXPECT_TRUE(program.loaded);
    EXPECT_NE(program.fragmentShader, 0u);
    EXPECT_EQ(program.program, id);
    EXPECT_TRUE(program.Use());
}

TEST_F(ShaderPrograms, LinkFailureIsReportedAndTheProgramDeleted) {
    ASSERT_TRUE(gl.ok);
    // The fragment stage calls a function that no stage defines: it compiles, but cannot link.
    dir.Write("shaders/mismatch.vert", kVertex);
    dir.Write("shaders/mismatch.frag",
              "#version 330\nout vec4 frag_Color;\nvec4 Shade();\nvoid main() { frag_Color = Shade(); }\n");
    CShaderProgram program("mismatch");
    Output c = Capture([&] { program.Load(); });
    EXPECT_NE(c.err.find("Program linking failed."), std::string::npos) << c.err;
    EXPECT_FALSE(program.loaded);
    EXPECT_EQ(program.program, 0u);
}

}  // namespace
