#pragma once
// The one geometry record of the game: built by the model manager and the level loader,
// uploaded and drawn by the renderer, read by the physics.

#include <cstdint>
#include <string>

struct CTexture;
class CPhysData;

// 17 floats, 68 bytes, interleaved exactly as uploaded to vertex buffers.
struct Vertex {
    float position[3];
    float color[3];  // only the renderer's axis gizmo fills it
    float normal[3];
    float tex[2];
    float tangent[3];
    float bitangent[3];
};
static_assert(sizeof(Vertex) == 68, "vertex layout is shared with the GPU buffers");

struct CMaterial {
    float diffuse[3] = {1.0f, 1.0f, 1.0f};
    float ambient[3] = {1.0f, 1.0f, 1.0f};
    float specular[3] = {1.0f, 1.0f, 1.0f};
    float shininess = 128.0f;
    CTexture* diffuseTexture = nullptr;   // not owned (the texture manager owns images)
    CTexture* specularTexture = nullptr;  // not owned
    CTexture* normalTexture = nullptr;    // not owned
    std::string diffuseName;              // file names in resources/textures, no folders
    std::string specularName;
    std::string normalName;
};

class CMesh {
public:
    CMesh() = default;
    CMesh(const CMesh&) = delete;
    CMesh& operator=(const CMesh&) = delete;
    // Frees the arrays and the physics record, and deletes the GPU objects it owns through the
    // release function its uploader left (the GL context must still be current when a mesh with
    // GPU objects is destroyed).
    ~CMesh();

    Vertex* vertices = nullptr;  // owned (new[])
    CMaterial material;
    uint32_t vertexCount = 0;
    uint32_t faceCount = 0;
    uint32_t indexCount = 0;
    uint32_t materialIndex = 0;
    uint32_t* indices = nullptr;  // owned (new[]), three per triangle
    uint32_t vertexBuffer = 0;    // GL ids, 0 until uploaded
    uint32_t indexBuffer = 0;
    uint32_t vertexArray = 0;     // 0 means "not uploaded"
    uint32_t primitiveMode = 4;   // GL_TRIANGLES; the gizmo uses GL_LINES
    CPhysData* physData = nullptr;  // owned; cached collision shape of this mesh
    // Set by whatever put the mesh on the GPU (the renderer); deletes the buffers and zeroes
    // their ids. Null while nothing is on the GPU.
    void (*releaseGpuBuffers)(CMesh& mesh) = nullptr;

    bool IsUploaded() const { return vertexArray != 0; }
};
