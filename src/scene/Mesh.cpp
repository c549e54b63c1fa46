#include "scene/Mesh.h"

#include <GL/glew.h>

#include "physics/PhysData.h"

CMesh::~CMesh() {
    delete[] vertices;
    delete[] indices;
    delete physData;
    if (vertexBuffer) glDeleteBuffers(1, &vertexBuffer);
    if (indexBuffer) glDeleteBuffers(1, &indexBuffer);
    if (vertexArray) glDeleteVertexArrays(1, &vertexArray);
}
