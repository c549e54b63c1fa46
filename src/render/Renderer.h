#pragma once
// The renderer core: GL start-up, the render settings the debug keys change, the matrices and
// cameras of the frame being drawn, and the GPU buffers of meshes.

#include <GL/glew.h>

#include <cstdint>
#include <string>

#include "math/Matrix.h"
#include "render/FrameTarget.h"
#include "scene/Mesh.h"

class CSceneObject;
class CShaderProgram;

// True for the GL_RENDERER of a software rasterizer: Mesa's llvmpipe, softpipe and swrast
// ("Software Rasterizer"), OpenSWR, and the like.
bool IsSoftwareRasterizer(const std::string& glRenderer);

class CRenderer {
public:
    static const int kMaxProjectors = 10;
    // InitGL's result when the driver offers no OpenGL 3.3.
    static const int kErrorNoOpenGL33 = 0x1337;

    CRenderer() = default;
    CRenderer(const CRenderer&) = delete;
    CRenderer& operator=(const CRenderer&) = delete;
    // Deletes the line buffer, then the gizmo mesh (GL context must be current).
    ~CRenderer();

    // Brings up GLEW, checks for OpenGL 3.3 and sets the global GL state.
    // Returns 0, GLEW's error code, or kErrorNoOpenGL33.
    int InitGL();
    void CreateAxesGizmo(CShaderProgram* program);
    void CreateLineBuffer(CShaderProgram* program);
    // Puts the mesh's arrays into GPU buffers; the mesh deletes them when it goes
    // (ReleaseMeshBuffers).
    void UploadMesh(CMesh* mesh);
    // Points the mesh attributes of `program` at 68-byte vertices starting at `base`:
    // a byte offset into the bound vertex buffer, or a client-memory address.
    void BindVertexAttributes(CShaderProgram* program, const void* base);

    CMesh axesGizmo;
    GLuint lineVao = 0;
    GLuint lineVbo = 0;  // 48 bytes: two positions, then two colours
    // The GL_RENDERER InitGL found names a software rasterizer (the CPU draws every pixel).
    bool softwareRendering = false;
    bool useVBOs = true;
    bool frustumCulling = true;
    CSceneObject* currentCamera = nullptr;  // not owned
    Mat4 viewMatrix;
    CSceneObject* lightCamera = nullptr;  // not owned
    Mat4 lightViewMatrix;
    CSceneObject* projectorSources[kMaxProjectors] = {};  // not owned
    Mat4 projectorMatrices[kMaxProjectors];
    uint32_t projectorCount = 0;
    uint32_t objectsRendered = 0;
    uint32_t trianglesRendered = 0;
    Mat4 projectionMatrix;
    float anisotropy = 1.0f;
    float maxAnisotropy = 1.0f;
    int textureFilter = 1;  // 0 NEAREST, 1 LINEAR
    int mipmapMode = 2;     // 0 none, 1 NEAREST between levels, 2 LINEAR between levels
    // Where the frame is drawn: the window, or multisampled buffers resolved into it.
    CFrameTarget frameTarget;
};

// Deletes the mesh's GPU buffers and vertex array (the context must be current) and zeroes their
// ids; the mesh keeps its arrays and may be uploaded again. Nothing to do for a mesh not on the GPU.
void ReleaseMeshBuffers(CMesh& mesh);

// Frame-wide GL state that the game frame sets outside any pass.
// Clears colour and depth before a state draws its frame.
void ClearFrame();
// The drawable area after the window changed size.
void SetViewport(int width, int height);
// Polygons as outlines (debug view) or filled.
void SetWireframe(bool wireframe);
