#pragma once
// One named GLSL program: "shaders/<name>.vert" and, optionally, "shaders/<name>.frag".
// The GL objects are created once and reused by later loads, so a reload keeps the
// program id that draw code may hold.

#include <GL/glew.h>

#include <functional>
#include <map>
#include <string>

class CShaderProgram {
public:
    // `defines`: "#define" lines put after the first line (the "#version") of each stage.
    explicit CShaderProgram(const std::string& name, std::string defines = std::string());
    CShaderProgram(const CShaderProgram&) = delete;
    CShaderProgram& operator=(const CShaderProgram&) = delete;
    // Deletes the program, then both shader objects (the GL context must be current).
    ~CShaderProgram();

    // Reads, compiles and links; `loaded` is true only if all of it succeeded.
    void Load();
    // Makes the program current; false (with a message) when it is not loaded.
    bool Use();

    // Locations of a uniform / vertex attribute (-1 where the program has none), asked of GL
    // once per name and link: the draw paths ask for about twenty per mesh and pass.
    GLint Uniform(const char* uniformName);
    GLint Attribute(const char* attributeName);

    void CompileStage(GLenum type, const std::string& source, GLuint& shaderId);
    void LinkProgram();

    std::string name;
    std::string defines;
    bool loaded = false;
    bool vertexOnly = false;
    GLuint vertexShader = 0;
    GLuint fragmentShader = 0;
    GLuint program = 0;

private:
    // Emptied by every link: a relinked program may place its names elsewhere.
    std::map<std::string, GLint, std::less<>> uniforms;
    std::map<std::string, GLint, std::less<>> attributes;
};
