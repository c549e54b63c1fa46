#include "render/Renderer.h"

#include <cctype>
#include <cstddef>
#include <cstring>
#include <iostream>

#include "render/ShaderProgram.h"

namespace {

const GLsizei kStride = sizeof(Vertex);

const void* Offset(const void* base, size_t bytes) {
    return static_cast<const char*>(base) + bytes;
}

void SetVertex(Vertex& v, float x, float y, float z, float r, float g, float b) {
    std::memset(&v, 0, sizeof(v));
    v.position[0] = x; v.position[1] = y; v.position[2] = z;
    v.color[0] = r; v.color[1] = g; v.color[2] = b;
}

}  // namespace

CRenderer::~CRenderer() {
    if (lineVbo) glDeleteBuffers(1, &lineVbo);
    if (lineVao) glDeleteVertexArrays(1, &lineVao);
    // axesGizmo deletes its own buffers as a member.
}

bool IsSoftwareRasterizer(const std::string& glRenderer) {
    std::string name;
    for (char c : glRenderer) name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const char* word : {"llvmpipe", "softpipe", "software rasterizer", "swrast", "swr", "lavapipe"}) {
        const std::size_t at = name.find(word);
        if (at == std::string::npos) continue;
        // "swr" as a word of its own ("SWR (LLVM ...)"), not inside another name.
        const std::size_t end = at + std::strlen(word);
        const bool wordStart = at == 0 || !std::isalnum(static_cast<unsigned char>(name[at - 1]));
        const bool wordEnd = end == name.size() || !std::isalnum(static_cast<unsigned char>(name[end]));
        if (wordStart && wordEnd) return true;
    }
    return false;
}

int CRenderer::InitGL() {
    std::cout << "Renderer init" << std::endl;
    glewExperimental = GL_TRUE;
    GLenum result = glewInit();
    std::cerr << "GLEW error: " << glewGetErrorString(result) << std::endl;
    if (result != GLEW_OK) return static_cast<int>(result);
    // glewInit may leave a GL error behind on some drivers; nothing reads it.
    int kept = 0;
    if (!GLEW_VERSION_3_3) {
        std::cerr << "OpenGL 3.3 is not supported! Exiting..." << std::endl;
        kept = kErrorNoOpenGL33;
    } else {
        std::cout << "OpenGL 3.3 is supported. Yay!" << std::endl;
    }
    auto glText = [](GLenum what) {
        const GLubyte* s = glGetString(what);
        return s ? reinterpret_cast<const char*>(s) : "";
    };
    std::cout << "GL Vendor: " << glText(GL_VENDOR) << std::endl;
    std::cout << "GL Renderer: " << glText(GL_RENDERER) << std::endl;
    softwareRendering = IsSoftwareRasterizer(glText(GL_RENDERER));
    std::cout << "GL Version: " << glText(GL_VERSION) << std::endl;
    std::cout << "Shading language support: " << glText(GL_SHADING_LANGUAGE_VERSION) << std::endl;

    glEnable(GL_CULL_FACE);
    glClearColor(1.0f, 1.0f, 1.0f, 0.0f);
    glEnable(0x8861);  // GL_POINT_SPRITE (compatibility contexts)
    glEnable(GL_PROGRAM_POINT_SIZE);
    glEnable(GL_DEPTH_TEST);

    glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &maxAnisotropy);
    std::cout << "Max Supported Texture Anisotropy is " << maxAnisotropy << std::endl;
    return kept;
}

void CRenderer::CreateAxesGizmo(CShaderProgram* program) {
    Vertex* v = new Vertex[6];
    SetVertex(v[0], 0, 0, 0, 1, 0, 0);
    SetVertex(v[1], 1, 0, 0, 1, 0, 0);
    SetVertex(v[2], 0, 0, 0, 0, 1, 0);
    SetVertex(v[3], 0, 1, 0, 0, 1, 0);
    SetVertex(v[4], 0, 0, 0, 0, 0, 1);
    SetVertex(v[5], 0, 0, 1, 0, 0, 1);
    delete[] axesGizmo.vertices;
    axesGizmo.vertices = v;
    axesGizmo.vertexCount = 6;
    axesGizmo.primitiveMode = GL_LINES;

    axesGizmo.releaseGpuBuffers = &ReleaseMeshBuffers;
    glGenVertexArrays(1, &axesGizmo.vertexArray);
    glBindVertexArray(axesGizmo.vertexArray);
    glGenBuffers(1, &axesGizmo.vertexBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, axesGizmo.vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, 6 * sizeof(Vertex), v, GL_STATIC_DRAW);

    GLint position = program->Attribute("in_Vertex");
    GLint color = program->Attribute("in_Color");
    glEnableVertexAttribArray(position);
    glVertexAttribPointer(position, 3, GL_FLOAT, GL_FALSE, kStride, Offset(nullptr, offsetof(Vertex, position)));
    glEnableVertexAttribArray(color);
    glVertexAttribPointer(color, 3, GL_FLOAT, GL_FALSE, kStride, Offset(nullptr, offsetof(Vertex, color)));

    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void CRenderer::CreateLineBuffer(CShaderProgram* program) {
    glGenVertexArrays(1, &lineVao);
    glBindVertexArray(lineVao);
    glGenBuffers(1, &lineVbo);
    glBindBuffer(GL_ARRAY_BUFFER, lineVbo);
    glBufferData(GL_ARRAY_BUFFER, 48, nullptr, GL_STREAM_DRAW);

    GLint position = program->Attribute("in_Vertex");
    GLint color = program->Attribute("in_Color");
    glEnableVertexAttribArray(position);
    glVertexAttribPointer(position, 3, GL_FLOAT, GL_FALSE, 0, Offset(nullptr, 0));
    glEnableVertexAttribArray(color);
    glVertexAttribPointer(color, 3, GL_FLOAT, GL_FALSE, 0, Offset(nullptr, 24));

    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void CRenderer::UploadMesh(CMesh* mesh) {
    mesh->releaseGpuBuffers = &ReleaseMeshBuffers;
    glGenVertexArrays(1, &mesh->vertexArray);
    glBindVertexArray(mesh->vertexArray);
    glGenBuffers(1, &mesh->vertexBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, mesh->vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(mesh->vertexCount) * sizeof(Vertex), mesh->vertices,
                 GL_STATIC_DRAW);
    glGenBuffers(1, &mesh->indexBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, mesh->indexBuffer);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(mesh->indexCount) * sizeof(uint32_t),
                 mesh->indices, GL_STATIC_DRAW);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

void CRenderer::BindVertexAttributes(CShaderProgram* program, const void* base) {
    struct Attribute { const char* name; GLint components; size_t offset; bool optional; };
    static const Attribute attributes[] = {
        {"in_Vertex", 3, offsetof(Vertex, position), false},
        {"in_Normal", 3, offsetof(Vertex, normal), true},
        {"in_Tex", 2, offsetof(Vertex, tex), true},
        {"in_Tan", 3, offsetof(Vertex, tangent), true},
        {"in_BiTan", 3, offsetof(Vertex, bitangent), true},
    };
    for (const Attribute& a : attributes) {
        GLint location = program->Attribute(a.name);
        if (a.optional && location == -1) continue;
        glEnableVertexAttribArray(location);
        glVertexAttribPointer(location, a.components, GL_FLOAT, GL_FALSE, kStride, Offset(base, a.offset));
    }
}

void ReleaseMeshBuffers(CMesh& mesh) {
    if (mesh.vertexBuffer) glDeleteBuffers(1, &mesh.vertexBuffer);
    if (mesh.indexBuffer) glDeleteBuffers(1, &mesh.indexBuffer);
    if (mesh.vertexArray) glDeleteVertexArrays(1, &mesh.vertexArray);
    mesh.vertexBuffer = mesh.indexBuffer = mesh.vertexArray = 0;
    mesh.releaseGpuBuffers = nullptr;
}

void ClearFrame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void SetViewport(int width, int height) {
    glViewport(0, 0, width, height);
}

void SetWireframe(bool wireframe) {
    glPolygonMode(GL_FRONT_AND_BACK, wireframe ? GL_LINE : GL_FILL);
}
