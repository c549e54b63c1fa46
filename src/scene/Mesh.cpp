#include "scene/Mesh.h"

#include "scene/PhysData.h"

CMesh::~CMesh() {
    delete[] vertices;
    delete[] indices;
    delete physData;
    if (releaseGpuBuffers) releaseGpuBuffers(*this);
}
