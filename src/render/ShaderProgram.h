#pragma once
// One named GLSL program: "shaders/<name>.vert" and, optionally, "shaders/<name>.frag".
// The GL objects are created once and reused by later loads, so a reload keeps the
// program id that draw code may hold.

#include <GL/glew.h>

#include <string>

class CShaderProgram {
public:
    explicit CShaderProgram(const std::string& name);
    CShaderProgram(const CShaderProgram&) = delete;
    CShaderProgram& operator=(const CShaderProgram&) = delete;
    // Deletes the program, then both shader objects (the GL context must be current).
    ~CShaderProgram();

    // Reads, compiles and links; `loaded` is true only if all of it succeeded.
    void Load();
    // Makes the program current; false (with a message) when it is not loaded.
    bool Use();

    void CompileStage(GLenum type, const std::string& source, GLuint& shaderId);
    void LinkProgram();

    std::string name;
    bool loaded = false;
    bool vertexOnly = false;
    GLuint vertexShader = 0;
    GLuint fragmentShader = 0;
    GLuint program = 0;
};
