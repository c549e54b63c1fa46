#include "render/ShaderProgram.h"

#include <fstream>
#include <iostream>
#include <sstream>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/DataPaths.h"

namespace {

const GLsizei kInfoLogSize = 8096;

bool ReadWholeFile(const std::string& path, std::string* text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    *text = buffer.str();
    return true;
}

// The defines go after the first line: GLSL wants "#version" before anything else.
std::string WithDefines(const std::string& source, const std::string& defines) {
    if (defines.empty()) return source;
    const std::string::size_type end = source.find('\n');
    if (end == std::string::npos) return source + "\n" + defines;
    return source.substr(0, end + 1) + defines + source.substr(end + 1);
}

}  // namespace

CShaderProgram::CShaderProgram(const std::string& name_, std::string defines_)
    : name(name_), defines(std::move(defines_)) {}

CShaderProgram::~CShaderProgram() {
    if (program) glDeleteProgram(program);
    if (vertexShader) glDeleteShader(vertexShader);
    if (fragmentShader) glDeleteShader(fragmentShader);
}

void CShaderProgram::Load() {
    loaded = false;
    std::cout << "Loading shader '" << name << "'" << std::endl;

    const std::string vertexPath = ContentPath("shaders/" + name + ".vert");
    std::string vertexText;
    if (!ReadWholeFile(vertexPath, &vertexText)) {
        std::cerr << "Vertex shader file '" << vertexPath << "' not found!" << std::endl;
        return;
    }

    const std::string fragmentPath = ContentPath("shaders/" + name + ".frag");
    std::string fragmentText;
    if (ReadWholeFile(fragmentPath, &fragmentText)) {
        vertexOnly = false;
    } else {
        std::cout << "Fragment shader file '" << fragmentPath << "' not found!" << std::endl;
        std::cout << "ASSUMING this is a VERTEX-ONLY shader!" << std::endl;
        vertexOnly = true;
    }

    CompileStage(GL_VERTEX_SHADER, WithDefines(vertexText, defines), vertexShader);
    if (!vertexShader) return;
    if (!vertexOnly) {
        CompileStage(GL_FRAGMENT_SHADER, WithDefines(fragmentText, defines), fragmentShader);
        if (!fragmentShader) return;
    }
    LinkProgram();
    if (!program) return;

    std::cout << "Shader '" << name << "' successfully loaded!" << std::endl;
    loaded = true;
}

void CShaderProgram::CompileStage(GLenum type, const std::string& source, GLuint& shaderId) {
    if (!shaderId) {
        shaderId = glCreateShader(type);
        if (!shaderId) {
            std::cerr << "Could not create shader of type " << static_cast<unsigned>(type) << std::endl;
            return;
        }
    }
    std::cout << "Compiling shader " << name << std::endl;
    const GLchar* text = source.c_str();
    const GLint length = static_cast<GLint>(source.size());
    glShaderSource(shaderId, 1, &text, &length);
    glCompileShader(shaderId);

    GLint status = GL_FALSE;
    glGetShaderiv(shaderId, GL_COMPILE_STATUS, &status);
    if (status != GL_TRUE) {
        std::cerr << "Compilation of type " << static_cast<unsigned>(type) << " shader failed." << std::endl;
        std::vector<GLchar> log(kInfoLogSize);
        GLsizei written = 0;
        glGetShaderInfoLog(shaderId, kInfoLogSize, &written, log.data());
        if (written > 0) std::cerr << std::string(log.data(), written) << std::endl;
        glDeleteShader(shaderId);
        shaderId = 0;
    }
}

void CShaderProgram::LinkProgram() {
    if (!program) {
        program = glCreateProgram();
        if (!program) {
            std::cerr << "Could not create GL program!" << std::endl;
            return;
        }
    }
    // A shader object deleted after a failed compile stays attached until detached, and a
    // fragment stage dropped since the last load must go too; attaching an already attached
    // shader again is a (harmless) GL error, so only attach what is missing.
    GLuint attached[8] = {};
    GLsizei attachedCount = 0;
    glGetAttachedShaders(program, 8, &attachedCount, attached);
    bool hasVertex = false, hasFragment = false;
    for (GLsizei i = 0; i < attachedCount; ++i) {
        if (attached[i] == vertexShader) hasVertex = true;
        else if (!vertexOnly && attached[i] == fragmentShader) hasFragment = true;
        else glDetachShader(program, attached[i]);
    }
    if (!hasVertex) glAttachShader(program, vertexShader);
    if (!vertexOnly) {
        if (!hasFragment) glAttachShader(program, fragmentShader);
        glBindFragDataLocation(program, 0, "frag_Color");
    }
    std::cout << "Linking program" << std::endl;
    glLinkProgram(program);
    uniforms.clear();
    attributes.clear();

    GLint status = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &status);
    if (status != GL_TRUE) {
        std::cerr << "Program linking failed." << std::endl;
        std::vector<GLchar> log(kInfoLogSize);
        GLsizei written = 0;
        glGetProgramInfoLog(program, kInfoLogSize, &written, log.data());
        if (written > 0) std::cerr << std::string(log.data(), written) << std::endl;
        glDeleteProgram(program);
        program = 0;
    }
}

namespace {

GLint CachedLocation(std::map<std::string, GLint, std::less<>>& cache, GLuint program, const char* name,
                     bool uniform) {
    const auto found = cache.find(std::string_view(name));
    if (found != cache.end()) return found->second;
    GLint location = -1;
    if (program != 0) location = uniform ? glGetUniformLocation(program, name) : glGetAttribLocation(program, name);
    cache.emplace(name, location);
    return location;
}

}  // namespace

GLint CShaderProgram::Uniform(const char* uniformName) {
    return CachedLocation(uniforms, program, uniformName, true);
}

GLint CShaderProgram::Attribute(const char* attributeName) {
    return CachedLocation(attributes, program, attributeName, false);
}

bool CShaderProgram::Use() {
    if (!loaded) {
        std::cerr << "Cannot use shader '" << name << "' in it's current state!" << std::endl;
        return false;
    }
    glUseProgram(program);
    return true;
}
