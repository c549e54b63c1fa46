// The content the game ships (shaders/, resources/) as the game itself loads it.
#include <gtest/gtest.h>

#include "game/GameImpl.h"
#include "platform/InputScript.h"
#include "platform/WindowLibrary.h"
#include "render/ShaderProgram.h"
#include "support/TestSupport.h"

namespace {

TEST(ShippedContent, EveryShaderProgramCompilesAndLinks) {
    testsupport::ScopedGLContext gl;
    ASSERT_TRUE(gl.ok);
    for (const char* name : {"textureshaderphong", "textureshaderphongproj", "simpleshader", "textureshader",
                             "sunshader", "bumpshaderphong", "bumpshaderphongproj", "cubeshader", "orthoshader",
                             "transformshader"}) {
        CShaderProgram program(name);
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        program.Load();
        std::string err = testing::internal::GetCapturedStderr();
        std::string out = testing::internal::GetCapturedStdout();
        EXPECT_TRUE(program.loaded) << name << "\n" << err;
        EXPECT_EQ(err, "") << name;
        EXPECT_NE(out.find(std::string("Shader '") + name + "' successfully loaded!"), std::string::npos);
    }
}

TEST(ShippedContent, GameStartsAndRunsItsMenuWithoutErrors) {
    wl::InputScript script;
    script.frames = 5;
    wl::UseInputScript(&script);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    {
        CGameImpl game;
        ASSERT_EQ(game.Initialize(), 0);
        game.Run();
    }
    std::string err = testing::internal::GetCapturedStderr();
    std::string out = testing::internal::GetCapturedStdout();
    for (const std::string& line : testsupport::Lines(err)) {
        EXPECT_EQ(line.rfind("ERROR:", 0), std::string::npos) << line;
        EXPECT_EQ(line.find("Cannot use shader"), std::string::npos) << line;
        EXPECT_EQ(line.find("shader failed"), std::string::npos) << line;
    }
    EXPECT_NE(out.find("Shader 'orthoshader' successfully loaded!"), std::string::npos);
}

}  // namespace
