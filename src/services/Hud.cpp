#include "services/Hud.h"

#include <algorithm>

#include "render/DrawPaths.h"
#include "render/Renderer.h"
#include "render/ShaderProgram.h"
#include "scene/Mesh.h"
#include "scene/SceneGeoObject.h"

namespace {

// A w x h rectangle with its bottom-left corner at the origin, showing the whole picture.
std::unique_ptr<CMesh> MakeRectangle(float w, float h, const char* texture) {
    auto mesh = std::make_unique<CMesh>();
    mesh->vertices = new Vertex[4]();
    const float corners[4][4] = {{0, h, 0, 1}, {w, h, 1, 1}, {0, 0, 0, 0}, {w, 0, 1, 0}};
    for (int i = 0; i < 4; ++i) {
        mesh->vertices[i].position[0] = corners[i][0];
        mesh->vertices[i].position[1] = corners[i][1];
        mesh->vertices[i].tex[0] = corners[i][2];
        mesh->vertices[i].tex[1] = corners[i][3];
    }
    mesh->indices = new uint32_t[6]{2, 1, 0, 2, 3, 1};
    mesh->vertexCount = 4;
    mesh->faceCount = 2;
    mesh->indexCount = 6;
    mesh->material.diffuseName = texture;
    return mesh;
}

}  // namespace

CHud::CHud() = default;

CHud::~CHud() = default;

void CHud::Create(unsigned windowWidth, unsigned windowHeight) {
    // A zero size (a minimised window) would make every length infinite.
    pixelWidth = 2.0f / static_cast<float>(std::max(1u, windowWidth));
    pixelHeight = 2.0f / static_cast<float>(std::max(1u, windowHeight));
    const float px = pixelWidth, py = pixelHeight;

    struct Layout { const char* texture; float w, h, x, y; };
    const Layout layout[kElementCount] = {
        {"hud_life.png", 200 * px, 100 * py, -0.5f - 100 * px, -1.0f + 25 * py},
        {"hud_sundetector.png", 200 * px, 100 * py, 0.5f - 100 * px, -1.0f + 25 * py},
        {"hud_lifebar.png", 150 * px, 16 * py, -0.5f - 75 * px, -1.0f + 67 * py},
        // The needle is a 16 x 32 px marker centred on its reading, reaching past the band.
        {"hud_detector.png", 16 * px, 32 * py, 0.5f + 64 * px, -1.0f + 69 * py},
        {"umbrella_icon.png", 48 * px, 48 * py, -1.0f + 25 * px, 1.0f - 75 * py},
        {"hud_lifebar.png", 150 * px, 16 * py, -1.0f + 90 * px, 1.0f - 59 * py},
    };
    for (unsigned i = 0; i < kElementCount; ++i) {
        const Layout& l = layout[i];
        meshes[i] = MakeRectangle(l.w, l.h, l.texture);
        Mat4 transform;
        transform.m[12] = l.x;
        transform.m[13] = l.y;
        elements[i] = std::make_unique<CSceneGeoObject>(std::vector<CMesh*>{meshes[i].get()}, transform, l.texture,
                                                        Vec3());
    }
    elementCount = kElementCount;
}

CSceneGeoObject* CHud::GetElement(unsigned index) const {
    return index < elementCount ? elements[index].get() : nullptr;
}

void CHud::Update(float health, float sunValue, float umbrellaTime, double frameTime) {
    if (elementCount < kElementCount) return;
    const float timerFraction = umbrellaTime * (1.0f / kUmbrellaSeconds);
    const float needleTarget = 0.5f + 64 * pixelWidth - 144 * pixelWidth * sunValue;
    elements[kUmbrellaIcon]->visible = timerFraction > 0.0f;
    elements[kUmbrellaBar]->visible = timerFraction > 0.0f;
    // The bars start at their left edge, so scaling x shortens them towards the left.
    elements[kLifeBar]->scale = Vec3(health, 1, 1);
    // The needle glides: it closes the gap at twice the gap per second, so it never overshoots
    // while a frame lasts less than half a second.
    float& needleX = elements[kNeedle]->transform.m[12];
    needleX = static_cast<float>(needleX + (static_cast<double>(needleTarget) - needleX) * frameTime * 2.0);
    elements[kUmbrellaBar]->scale = Vec3(timerFraction, 1, 1);
}

void CHud::Draw(CRenderer& renderer, CShaderProgram* orthoProgram, const Mat4& orthoMatrix, bool transparency) {
    if (!Begin2DPass(renderer, orthoProgram, orthoMatrix)) return;
    Overlay2DState(transparency);
    for (unsigned i = 0; i < elementCount; ++i) Draw2DElement(renderer, elements[i].get(), orthoProgram);
    End2DOverlay();
}

void CHud::ReleaseGLBuffers() {
    for (auto& mesh : meshes) {
        if (mesh) ReleaseMeshBuffers(*mesh);
    }
}
