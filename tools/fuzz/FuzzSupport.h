#pragma once
// What the file-reader fuzz targets share: a private folder for the file under test, quiet
// standard streams, and the checks every mesh the readers make must pass.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <streambuf>
#include <string>

#include "scene/Mesh.h"

namespace fuzzsupport {

// Swallows what it is given: the readers' warnings would otherwise cost more than the reading.
class NullBuffer : public std::streambuf {
protected:
    int overflow(int c) override { return c == traits_type::eof() ? 0 : c; }
};

inline void SilenceStandardStreams() {
    static NullBuffer nothing;
    std::cout.rdbuf(&nothing);
    std::cerr.rdbuf(&nothing);
}

// A fresh folder of this process below TMPDIR (or /tmp); it is left behind when the process
// ends, as libFuzzer ends it by exit.
inline std::string MakePrivateFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/tavo-fuzz-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        std::abort();
    }
    return pattern;
}

inline void WriteFile(const std::string& path, const uint8_t* data, size_t size) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!file) {
        std::perror(path.c_str());
        std::abort();
    }
}

[[noreturn]] inline void Fail(const std::string& what) {
    std::fprintf(stderr, "INVARIANT BROKEN: %s\n", what.c_str());
    std::abort();
}

// What the renderer and the physics take for granted of a mesh the readers hand out: at
// least one triangle, and every index naming a vertex. Reading each vertex a triangle names
// lets AddressSanitizer see a buffer that is shorter than its count says.
inline float CheckMesh(const CMesh* mesh, const std::string& owner) {
    if (!mesh) Fail("null mesh in '" + owner + "'");
    if (mesh->faceCount == 0 || mesh->indexCount != 3 * mesh->faceCount)
        Fail("mesh of '" + owner + "' without triangles or with a stray index count");
    float sum = 0.0f;
    for (uint32_t i = 0; i < mesh->indexCount; ++i) {
        const uint32_t index = mesh->indices[i];
        if (index >= mesh->vertexCount) Fail("index past the vertices in '" + owner + "'");
        sum += mesh->vertices[index].position[0];
    }
    return sum;
}

}  // namespace fuzzsupport
