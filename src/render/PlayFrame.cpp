// The drawing side of a play frame: the shadow target made at start-up, and one frame of play
// in four passes (shadow map from the sun, the lit 3D scene, debug lines, head-up display),
// drawn from the description the play state fills.
#include "render/PlayFrame.h"

#include <algorithm>
#include <iostream>
#include <unordered_set>
#include <utility>
#include <vector>

#include "render/DrawPaths.h"
#include "render/Renderer.h"
#include "render/ShaderProgram.h"
#include "render/ShadowTarget.h"
#include "render/Sprite.h"
#include "scene/Mesh.h"
#include "scene/SceneObject.h"
#include "scene/SkyBox.h"

namespace {

const Vec3 kSunDirectionColor{0.0f, 1.0f, 1.0f};
const Mat4 kIdentity;

GLint Location(CShaderProgram* program, const char* name) { return program->Uniform(name); }

void SetIntIfPresent(CShaderProgram* program, const char* name, int value) {
    const GLint at = Location(program, name);
    if (at != -1) glUniform1i(at, value);
}

// `Use` of a program the frame may find missing (never loaded, or set aside by a failed load);
// the program reports itself when it cannot be used.
bool UseProgram(CShaderProgram* program) { return program != nullptr && program->Use(); }

// The per-pass values every lit program shares: projection, sun, shadow map and the projected
// marker picture.
struct LightPass {
    Mat4 projection;
    Vec3 eyeSunDirection;
    Mat4 lightNorm;
};

bool IsClip(const CSceneObject& object) { return object.clipMode == 2; }

// The two programs of a lit pass. Objects that no power-up projects onto are drawn with the
// plain program, which gives the same colour as the projecting one without its projector loop:
// a software rasterizer runs that loop for every fragment, projectors or not.
struct LitPrograms {
    CShaderProgram* plain = nullptr;      // null when it cannot be used
    CShaderProgram* projected = nullptr;  // null when projective texturing is off or it cannot be used
    CShaderProgram* current = nullptr;

    bool Usable() const { return plain || projected; }
    // Makes current the program for an object with or without projectors (the other one stands
    // in for a missing one).
    CShaderProgram* For(bool projectors) {
        CShaderProgram* wanted = (projected && (projectors || !plain)) ? projected : plain;
        if (wanted && wanted != current) glUseProgram(wanted->program);
        current = wanted;
        return wanted;
    }
};

// The window cut into tiles, for asking where something shows: with multisampling the software
// rasterizer shades every covered fragment, whether or not it passes the depth test, so a large
// surface half hidden behind others costs as much as a visible one unless it is drawn only in
// the tiles where it shows. A scissored draw without colour costs depth tests only.
struct WindowTiles {
    static constexpr int kColumns = 8, kRows = 4, kCount = kColumns * kRows;
    static constexpr uint32_t kAll = 0xffffffffu;  // one bit a tile
    int width = 0, height = 0;

    void Scissor(int tile) const {
        const int column = tile % kColumns, row = tile / kColumns;
        const int x0 = Edge(width, column, kColumns), y0 = Edge(height, row, kRows);
        glScissor(x0, y0, Edge(width, column + 1, kColumns) - x0, Edge(height, row + 1, kRows) - y0);
    }
    // Tile edges fall on multiples of 64 pixels, the blocks the rasterizer bins by, so that no
    // block is worked on for two tiles.
    static int Edge(int size, int index, int count) {
        if (index >= count) return size;
        return std::min(size, (size * index / count + 32) / 64 * 64);
    }
    // `draw` once in each tile of `mask`, scissored.
    template <typename Draw>
    void DrawIn(uint32_t mask, Draw draw) const {
        glEnable(GL_SCISSOR_TEST);
        for (int tile = 0; tile < kCount; ++tile)
            if (mask & (1u << tile)) {
                Scissor(tile);
                draw();
            }
        glDisable(GL_SCISSOR_TEST);
    }
};
static_assert(WindowTiles::kCount == 32, "one bit a tile in a uint32_t");

// Hands out the frame's occlusion queries, made as they are first needed and kept for the next
// frames.
class QueryPool {
public:
    explicit QueryPool(std::vector<GLuint>& queries_) : queries(queries_) {}
    GLuint Next() {
        if (used == queries.size()) {
            queries.push_back(0);
            glGenQueries(1, &queries.back());
        }
        return queries[used++];
    }
    // Runs `draw` inside a new any-samples query and returns the query.
    template <typename Draw>
    GLuint Ask(Draw draw) {
        const GLuint query = Next();
        glBeginQuery(GL_ANY_SAMPLES_PASSED, query);
        draw();
        glEndQuery(GL_ANY_SAMPLES_PASSED);
        return query;
    }

private:
    std::vector<GLuint>& queries;
    size_t used = 0;
};

// Whether any sample of a query passed; waits for the answer.
bool AnySamplePassed(GLuint query) {
    GLuint passed = 1;
    glGetQueryObjectuiv(query, GL_QUERY_RESULT, &passed);
    return passed != 0;
}

// One frame's drawing: the passes share the renderer, the frame's description and the shadow
// map.
class FrameDrawer {
public:
    // `width` x `height`: the framebuffer the 3D passes draw into.
    FrameDrawer(const PlayFrameDescription& frame_, CRenderer& renderer_, const CTexture* shadowMap_, int width,
                int height)
        : frame(frame_), renderer(renderer_), shadowMap(shadowMap_), tiles{width, height} {}

    // The per-pass light uniforms, each only where the program has it.
    void SetLightUniforms(CShaderProgram* program, const Mat4& projection, const Vec3& eyeSunDirection,
                          const Mat4& lightNorm);
    // The projectors acting on one object; also fills the renderer's projector arrays.
    void SetProjectorUniforms(CShaderProgram* program, CSceneObject* object);
    // "uni_HasProjectiveTexture" for one object, and its projectors when it has any.
    void SetProjectiveFlag(CShaderProgram* program, CSceneObject* object);
    void DrawShadowCasters(CShaderProgram* program);
    // Both programs of the pass made current in turn, with the pass's light uniforms set;
    // false when neither can be used.
    bool StartLitPass(LitPrograms& programs, const Mat4& projection, const Vec3& eyeSunDirection,
                      const Mat4& lightNorm);
    void DrawGizmos(CShaderProgram* program);

    // The level objects in the view, each either drawn at once or first asked where it shows:
    // those found hidden in the last frame, and the largest when it is worth asking tile by tile.
    void SortLevelObjects(const std::unordered_set<const CSceneObject*>& hiddenBefore);
    // The level objects drawn at once, lit, each inside a query that tells whether any of it
    // showed, then the figure and the power-ups. `bump` and `lit` are the started passes' programs.
    void DrawLitAtOnce(LitPrograms& bump, LitPrograms& lit, QueryPool& queries);
    // The depth of each asked object, without colour or depth writes, against what is drawn,
    // inside a query for the whole object or one a tile.
    void Ask(CShaderProgram* depth, QueryPool& queries);
    // Reads the answers, then draws the asked objects that show, lit, in the tiles where they do.
    void DrawLitWhereAskedShow(LitPrograms& bump, LitPrograms& lit);
    // The objects of this frame's view that showed nowhere: the next frame asks about them first.
    std::unordered_set<const CSceneObject*> HiddenNow() const;
    // The tiles of the framebuffer the 3D passes draw into.
    const WindowTiles& Tiles() const { return tiles; }

private:
    struct LevelDraw {
        LevelDraw(CSceneObject* object_, bool normalMapped_) : object(object_), normalMapped(normalMapped_) {}
        CSceneObject* object;
        bool normalMapped;
        bool asked = false;
        bool byTiles = false;
        std::vector<GLuint> queries;  // the lit draw's, or the asking ones (one, or one a tile)
        uint32_t shownIn = WindowTiles::kAll;
    };
    // A level object lit with its group's program, in the tiles of `mask`.
    void DrawLevelObject(const LevelDraw& draw, LitPrograms& programs, uint32_t mask);
    void DrawLevelObjectIn(CSceneObject* object, CShaderProgram* program, uint32_t mask);
    // Whether an object is worth asking about tile by tile: a few triangles to draw again per
    // tile, and a box that covers a quarter of the window or reaches behind the camera.
    bool WorthTiling(const CSceneObject& object) const;
    bool InView(CSceneObject& object) const;

    const PlayFrameDescription& frame;
    CRenderer& renderer;
    const CTexture* shadowMap;
    const WindowTiles tiles;
    std::vector<LevelDraw> level;
};

// The square of a level object's world-box diagonal.
float BoxSize(const CSceneObject& object) {
    Vec3 low = object.worldCorners[0], high = object.worldCorners[0];
    for (const Vec3& corner : object.worldCorners) {
        low = Vec3(std::min(low.x, corner.x), std::min(low.y, corner.y), std::min(low.z, corner.z));
        high = Vec3(std::max(high.x, corner.x), std::max(high.y, corner.y), std::max(high.z, corner.z));
    }
    const Vec3 diagonal = high - low;
    return Dot(diagonal, diagonal);
}

void FrameDrawer::SetLightUniforms(CShaderProgram* program, const Mat4& projection, const Vec3& eyeSunDirection,
                                  const Mat4& lightNorm) {
    GLint at = Location(program, "uni_ProjMatrix");
    if (at != -1) glUniformMatrix4fv(at, 1, GL_FALSE, projection.m);
    at = Location(program, "uni_ParallelLightDirection");
    if (at != -1) glUniform3f(at, eyeSunDirection.x, eyeSunDirection.y, eyeSunDirection.z);
    at = Location(program, "uni_ParallelLightColor");
    if (at != -1) glUniform3f(at, frame.sunColor.x, frame.sunColor.y, frame.sunColor.z);
    at = Location(program, "uni_ShadowMap");
    if (at != -1) {
        glActiveTexture(GL_TEXTURE3);
        glBindTexture(GL_TEXTURE_2D, shadowMap ? shadowMap->glId : 0);
        glUniform1i(at, 3);
    }
    at = Location(program, "uni_LightNormMatrix");
    if (at != -1) glUniformMatrix4fv(at, 1, GL_FALSE, lightNorm.m);
    at = Location(program, "uni_ProjTextureMap");
    if (at != -1) {
        glActiveTexture(GL_TEXTURE4);
        const CTexture* star = frame.projectorPicture;
        glBindTexture(GL_TEXTURE_2D, star ? star->glId : 0);
        glUniform1i(at, 4);
    }
}

void FrameDrawer::SetProjectorUniforms(CShaderProgram* program, CSceneObject* object) {
        const size_t n = object->projectorPowerUps.size();
    // Column j of every active projector's texture matrix, one array per column.
    std::vector<float> columns[4];
    for (auto& column : columns) column.assign(n * 4, 0.0f);
    uint32_t count = 0;
    for (int32_t number : object->projectorPowerUps) {
        // Not among the frame's projectors (no such power-up, or picked up and waiting to come
        // back): no marker from it.
        const auto found = frame.projectors.find(number);
        if (found == frame.projectors.end()) continue;
        const PlayFrameProjector& projector = found->second;
        if (count >= static_cast<uint32_t>(CRenderer::kMaxProjectors)) continue;
        for (int j = 0; j < 4; ++j)
            for (int r = 0; r < 4; ++r) columns[j][count * 4 + static_cast<uint32_t>(r)] = projector.textureMatrix.m[j * 4 + r];
        renderer.projectorSources[count] = projector.source;
        renderer.projectorMatrices[count] = projector.view;
        ++count;
    }
    renderer.projectorCount = count;
    SetIntIfPresent(program, "uni_ProjectorCount", static_cast<int>(count));
    // The programs hold ten entries; a longer list only ever fills the first ten.
    const GLsizei elements = static_cast<GLsizei>(std::min<size_t>(n, CRenderer::kMaxProjectors));
    static const char* const names[4] = {"uni_TextureMatrix1", "uni_TextureMatrix2", "uni_TextureMatrix3",
                                         "uni_TextureMatrix4"};
    for (int j = 0; j < 4; ++j) {
        const GLint at = Location(program, names[j]);
        if (at != -1 && elements > 0) glUniform4fv(at, elements, columns[j].data());
    }
}

void FrameDrawer::SetProjectiveFlag(CShaderProgram* program, CSceneObject* object) {
    const GLint at = Location(program, "uni_HasProjectiveTexture");
    if (at == -1) return;
    const bool projected = !object->projectorPowerUps.empty();
    glUniform1i(at, projected ? 1 : 0);
    if (projected) SetProjectorUniforms(program, object);
}

void FrameDrawer::DrawShadowCasters(CShaderProgram* program) {
    for (CSceneObject* object : frame.normalMapped) DrawSceneObject(renderer, object, program);
    for (CSceneObject* object : frame.scenery)
        if (!IsClip(*object)) DrawSceneObject(renderer, object, program);
    if (frame.figure) DrawSceneObjectTree(renderer, frame.figure, program, kIdentity, true);
    for (CSceneObject* object : frame.moving) DrawSceneObject(renderer, object, program);
    for (const PlayFrameModel& powerup : frame.powerups)
        if (powerup.shown && powerup.root) DrawSceneObjectTree(renderer, powerup.root, program, kIdentity, true);
}

bool FrameDrawer::StartLitPass(LitPrograms& programs, const Mat4& projection, const Vec3& eyeSunDirection,
                               const Mat4& lightNorm) {
    for (CShaderProgram** program : {&programs.projected, &programs.plain}) {
        if (!*program) continue;
        if (!UseProgram(*program)) {
            *program = nullptr;
            continue;
        }
        SetLightUniforms(*program, projection, eyeSunDirection, lightNorm);
        programs.current = *program;
    }
    return programs.current != nullptr;
}

bool FrameDrawer::WorthTiling(const CSceneObject& object) const {
    uint32_t triangles = 0;
    for (uint32_t i = 0; i < object.meshCount; ++i)
        if (const CMesh* mesh = object.GetMesh(i)) triangles += mesh->faceCount;
    if (triangles == 0 || triangles > 32) return false;
    const Mat4 viewProjection = Multiply(frame.view, frame.projection);
    float low[2] = {1.0f, 1.0f}, high[2] = {-1.0f, -1.0f};
    for (const Vec3& corner : object.worldCorners) {
        const float* m = viewProjection.m;
        const float w = m[3] * corner.x + m[7] * corner.y + m[11] * corner.z + m[15];
        if (w <= 1e-4f) return true;  // reaches behind the camera
        for (int axis = 0; axis < 2; ++axis) {
            const float clip = m[axis] * corner.x + m[4 + axis] * corner.y + m[8 + axis] * corner.z + m[12 + axis];
            const float ndc = clip / w;
            low[axis] = std::min(low[axis], ndc);
            high[axis] = std::max(high[axis], ndc);
        }
    }
    const float covered = std::max(0.0f, std::min(high[0], 1.0f) - std::max(low[0], -1.0f)) *
                          std::max(0.0f, std::min(high[1], 1.0f) - std::max(low[1], -1.0f));
    return covered >= 1.0f;  // a quarter of the 2 x 2 window
}

bool FrameDrawer::InView(CSceneObject& object) const {
    if (!frame.frustumCulling) return true;
    return IsBoxInFrustum(object.localCorners, Multiply(Multiply(object.GetModelMatrix(), frame.view), frame.projection));
}

void FrameDrawer::SortLevelObjects(const std::unordered_set<const CSceneObject*>& hiddenBefore) {
    for (CSceneObject* object : frame.normalMapped) level.emplace_back(object, true);
    for (CSceneObject* object : frame.scenery)
        // Invisible colliders: solid for the physics, never drawn.
        if (!IsClip(*object)) level.emplace_back(object, false);
    for (CSceneObject* object : frame.moving) {
        object->UpdateWorldCorners();
        level.emplace_back(object, false);
    }
    // Out of the view: neither drawn nor asked about, so no query is spent on them.
    level.erase(std::remove_if(level.begin(), level.end(),
                               [&](const LevelDraw& draw) { return !draw.object->visible || !InView(*draw.object); }),
                level.end());
    if (level.empty()) return;
    // The largest, when simple, is the ground or the sea that everything stands on: others hide
    // it in parts, so it is asked about tile by tile, every frame.
    auto largest = std::max_element(level.begin(), level.end(), [](const LevelDraw& a, const LevelDraw& b) {
        return BoxSize(*a.object) < BoxSize(*b.object);
    });
    if (WorthTiling(*largest->object)) largest->asked = largest->byTiles = true;
    for (LevelDraw& draw : level)
        if (hiddenBefore.count(draw.object) != 0) draw.asked = true;
}

void FrameDrawer::DrawLevelObjectIn(CSceneObject* object, CShaderProgram* program, uint32_t mask) {
    if (mask == 0) return;
    if (mask == WindowTiles::kAll) {
        DrawSceneObject(renderer, object, program);
        return;
    }
    // Counted once, as one object, however many tiles it takes.
    const uint32_t objects = renderer.objectsRendered, triangles = renderer.trianglesRendered;
    uint32_t trianglesOnce = 0;
    tiles.DrawIn(mask, [&] {
        DrawSceneObject(renderer, object, program);
        if (trianglesOnce == 0) trianglesOnce = renderer.trianglesRendered - triangles;
    });
    renderer.objectsRendered = std::min(renderer.objectsRendered, objects + 1);
    renderer.trianglesRendered = triangles + trianglesOnce;
}

void FrameDrawer::DrawLevelObject(const LevelDraw& draw, LitPrograms& programs, uint32_t mask) {
    CShaderProgram* program = programs.For(!draw.object->projectorPowerUps.empty());
    if (frame.projectiveTexturing) SetProjectiveFlag(program, draw.object);
    DrawLevelObjectIn(draw.object, program, mask);
}

void FrameDrawer::DrawLitAtOnce(LitPrograms& bump, LitPrograms& lit, QueryPool& queries) {
    // Normal-mapped scenery first, then the rest, each group with its own programs.
    for (bool normalMapped : {true, false}) {
        LitPrograms& programs = normalMapped ? bump : lit;
        if (!programs.Usable()) continue;
        programs.current = nullptr;  // another program may have been used since
        for (LevelDraw& draw : level)
            if (!draw.asked && draw.normalMapped == normalMapped)
                draw.queries.push_back(queries.Ask([&] { DrawLevelObject(draw, programs, WindowTiles::kAll); }));
    }
    if (!lit.Usable()) return;
    // No markers on the figure or the power-ups: whatever the last level object projected must
    // not carry over onto them.
    CShaderProgram* program = lit.For(false);
    if (frame.projectiveTexturing) {
        SetIntIfPresent(program, "uni_HasProjectiveTexture", 0);
        renderer.projectorCount = 0;
    }
    if (frame.figure) DrawSceneObjectTree(renderer, frame.figure, program, kIdentity, true);
    for (const PlayFrameModel& powerup : frame.powerups) {
        if (frame.projectiveTexturing) SetIntIfPresent(program, "uni_HasProjectiveTexture", 0);
        if (powerup.shown && powerup.root) DrawSceneObjectTree(renderer, powerup.root, program, kIdentity, true);
    }
}

void FrameDrawer::Ask(CShaderProgram* depth, QueryPool& queries) {
    const uint32_t objects = renderer.objectsRendered, triangles = renderer.trianglesRendered;
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    glDepthMask(GL_FALSE);
    for (LevelDraw& draw : level) {
        if (!draw.asked) continue;
        const auto ask = [&] {
            draw.queries.push_back(queries.Ask([&] { DrawSceneObject(renderer, draw.object, depth); }));
        };
        if (draw.byTiles)
            tiles.DrawIn(WindowTiles::kAll, ask);
        else
            ask();
    }
    glDepthMask(GL_TRUE);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    // Asking draws nothing that shows.
    renderer.objectsRendered = objects;
    renderer.trianglesRendered = triangles;
}

void FrameDrawer::DrawLitWhereAskedShow(LitPrograms& bump, LitPrograms& lit) {
    for (LevelDraw& draw : level) {
        if (draw.queries.empty()) continue;  // not drawn, not asked: shown for all we know
        if (draw.byTiles) {
            draw.shownIn = 0;
            for (size_t tile = 0; tile < draw.queries.size(); ++tile)
                if (AnySamplePassed(draw.queries[tile])) draw.shownIn |= 1u << tile;
        } else {
            draw.shownIn = AnySamplePassed(draw.queries[0]) ? WindowTiles::kAll : 0u;
        }
    }
    for (bool normalMapped : {true, false}) {
        LitPrograms& programs = normalMapped ? bump : lit;
        if (!programs.Usable()) continue;
        programs.current = nullptr;
        for (const LevelDraw& draw : level)
            if (draw.asked && draw.normalMapped == normalMapped) DrawLevelObject(draw, programs, draw.shownIn);
    }
}

std::unordered_set<const CSceneObject*> FrameDrawer::HiddenNow() const {
    std::unordered_set<const CSceneObject*> hidden;
    for (const LevelDraw& draw : level)
        if (!draw.byTiles && draw.shownIn == 0) hidden.insert(draw.object);
    return hidden;
}

void FrameDrawer::DrawGizmos(CShaderProgram* program) {
    glDisable(GL_DEPTH_TEST);
    for (CSceneObject* object : frame.moving) {
        DrawAxes(renderer, object, program);
        DrawBoundingBox(renderer, object, program);
    }
    for (CSceneObject* camera : frame.gizmoCameras) DrawAxes(renderer, camera, program);
    // Invisible colliders included: this is where they can be seen.
    for (CSceneObject* object : frame.scenery) {
        DrawAxes(renderer, object, program);
        DrawBoundingBox(renderer, object, program);
    }
    for (CSceneObject* object : frame.normalMapped) {
        DrawAxes(renderer, object, program);
        DrawBoundingBox(renderer, object, program);
    }
    for (const PlayFrameModel& powerup : frame.powerups)
        if (powerup.root) {
            DrawAxes(renderer, powerup.root, program);
            DrawBoundingBox(renderer, powerup.root, program);
        }
    if (frame.figure) DrawAxes(renderer, frame.figure, program);
    DrawLine(renderer, Vec3(0.0f, 0.0f, 0.0f), frame.sunDirection, kSunDirectionColor, kSunDirectionColor, program);
    if (frame.figure) DrawBoundingBox(renderer, frame.figure, program);
    glEnable(GL_DEPTH_TEST);
}

// The sky box, in the tiles of the window where some of it shows. Each tile is first asked,
// without colour, whether any sample of the sky passes its depth test there. The depth program
// asks: the sky's own program would work out its colour for every covered fragment of the
// question too. It places the box where the sky program does, with the same (invariant) x, y
// and w, and its depth pinned just inside the far plane by the projection's third row.
void DrawSkyWhereItShows(CRenderer& renderer, CSkyBox* skyBox, CShaderProgram* sky, CShaderProgram* depth,
                         const Mat4& projection, const WindowTiles& tiles, QueryPool& queries) {
    const uint32_t objects = renderer.objectsRendered, triangles = renderer.trianglesRendered;
    uint32_t shows = WindowTiles::kAll;  // without the depth program, everywhere
    if (UseProgram(depth)) {
        Mat4 pinned = projection;
        for (int column = 0; column < 4; ++column) pinned.m[column * 4 + 2] = projection.m[column * 4 + 3] * 0.99999f;
        glUniformMatrix4fv(Location(depth, "uni_ProjMatrix"), 1, GL_FALSE, pinned.m);
        std::vector<GLuint> asked;
        glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
        tiles.DrawIn(WindowTiles::kAll,
                     [&] { asked.push_back(queries.Ask([&] { DrawSkyBox(renderer, skyBox, depth); })); });
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        shows = 0;
        for (size_t tile = 0; tile < asked.size(); ++tile)
            if (AnySamplePassed(asked[tile])) shows |= 1u << tile;
        renderer.objectsRendered = objects;
        renderer.trianglesRendered = triangles;
        if (shows == 0 || !UseProgram(sky)) return;
    }
    tiles.DrawIn(shows, [&] { DrawSkyBox(renderer, skyBox, sky); });
    // Counted once, as one object, however many tiles it took.
    const CMesh* mesh = skyBox->meshCount > 0 ? skyBox->GetMesh(0) : nullptr;
    renderer.objectsRendered = objects + (shows != 0 ? 1u : 0u);
    renderer.trianglesRendered = triangles + (shows != 0 && mesh ? mesh->faceCount : 0u);
}

}  // namespace

CPlayFrameRenderer::CPlayFrameRenderer() {
    // The game makes its states after GL is up; a play state made without GL (rules tests) has
    // no shadow map, and its frame skips the shadow pass.
    if (glGenFramebuffers != nullptr) {
        shadowMap = std::make_unique<CTexture>();
        CreateShadowTarget(*shadowMap, shadowFramebuffer);
    } else {
        std::cerr << "WARNING: No GL context: the play state has no shadow map" << std::endl;
    }
}

CPlayFrameRenderer::~CPlayFrameRenderer() {
    if (!shadowMap) return;  // no GL context
    sceneTarget.Release();
    DeleteShadowTarget(*shadowMap, shadowFramebuffer);
    if (!visibilityQueries.empty())
        glDeleteQueries(static_cast<GLsizei>(visibilityQueries.size()), visibilityQueries.data());
}

void CPlayFrameRenderer::ApplyQuality(const FrameQuality& wanted) {
    if (wanted == quality) return;
    if (shadowMap && wanted.shadowMapSize != shadowMap->width) {
        DeleteShadowTarget(*shadowMap, shadowFramebuffer);
        CreateShadowTarget(*shadowMap, shadowFramebuffer, wanted.shadowMapSize);
    }
    if (!wanted.ownTarget) sceneTarget.Release();
    quality = wanted;
}

void CPlayFrameRenderer::Draw(CRenderer& renderer, const PlayFrameDescription& frame) {
    ApplyQuality(frame.quality);
    // The 3D passes' framebuffer: the frame target's, or the scene's own at the quality's share
    // of the window's side (the same shape, so the projection stands).
    int width = frame.width, height = frame.height;
    bool intoOwnTarget = false;
    if (shadowMap && quality.ownTarget && frame.width > 0 && frame.height > 0) {
        const int ownWidth = std::max(1, frame.width * quality.scalePercent / 100);
        const int ownHeight = std::max(1, frame.height * quality.scalePercent / 100);
        intoOwnTarget = sceneTarget.Ensure(ownWidth, ownHeight);
        if (intoOwnTarget) {
            width = ownWidth;
            height = ownHeight;
        }
    }
    FrameDrawer drawer(frame, renderer, shadowMap.get(), width, height);
    QueryPool queries(visibilityQueries);
    const Mat4& lightProjection = frame.lightProjection;
    const Mat4& lightNorm = frame.lightNorm;

    // Shadow pass: depth only, from the sun, into the shadow map.
    const Mat4& lightView = frame.lightView;
    renderer.lightCamera = frame.lightCamera;
    renderer.lightViewMatrix = lightView;
    if (shadowMap) {
        glBindFramebuffer(GL_FRAMEBUFFER, shadowFramebuffer);
        glViewport(0, 0, shadowMap->width, shadowMap->height);
        glClear(GL_DEPTH_BUFFER_BIT);
        renderer.frustumCulling = false;
        glEnable(GL_CULL_FACE);
        // Back faces only: what a closed object casts starts behind its lit side, so the lit
        // side never shadows itself.
        glCullFace(GL_FRONT);
        CShaderProgram* depth = frame.programs.depth;
        if (UseProgram(depth)) {
            glUniformMatrix4fv(Location(depth, "uni_ProjMatrix"), 1, GL_FALSE, lightProjection.m);
            renderer.currentCamera = frame.lightCamera;
            renderer.viewMatrix = lightView;
            drawer.DrawShadowCasters(depth);
        }
    }

    // Main pass.
    renderer.objectsRendered = 0;
    renderer.trianglesRendered = 0;
    if (intoOwnTarget) {
        sceneTarget.Begin();
    } else {
        glBindFramebuffer(GL_FRAMEBUFFER, renderer.frameTarget.Framebuffer());
        glViewport(0, 0, width, height);
    }
    renderer.frustumCulling = frame.frustumCulling;
    if (!frame.backfaceCulling) glDisable(GL_CULL_FACE);
    glCullFace(GL_BACK);

    const Mat4& projection = frame.projection;
    renderer.projectionMatrix = projection;
    renderer.currentCamera = frame.camera;
    renderer.viewMatrix = frame.view;
    // The sun direction in eye space: the transpose of the camera's rotation applied to it.
    const Vec3& sun = frame.sunDirection;
    const Mat4& cameraModel = frame.cameraModel;
    const Vec3 eyeSun{cameraModel.m[0] * sun.x + cameraModel.m[1] * sun.y + cameraModel.m[2] * sun.z,
                      cameraModel.m[4] * sun.x + cameraModel.m[5] * sun.y + cameraModel.m[6] * sun.z,
                      cameraModel.m[8] * sun.x + cameraModel.m[9] * sun.y + cameraModel.m[10] * sun.z};

    const PlayFramePrograms& programs = frame.programs;
    // With multisampling a software rasterizer shades every covered fragment, hidden or not, so
    // a level object that nothing of shows (a ground under the streets and houses that cover the
    // view) costs as much as a visible one. What showed in the last frame is drawn at once; what
    // was hidden, and the largest object tile by tile, is first asked about without colour
    // against that, and drawn only where it shows. So a hidden object is left out from the
    // frame after the one that found it hidden, and an object that comes out from behind others
    // is drawn in the first frame where it does.
    drawer.SortLevelObjects(hiddenLastFrame);
    // Cheap lighting draws the normal-mapped scenery with the plain cheap program too; objects
    // with markers keep their programs.
    CShaderProgram* cheap = quality.cheapLighting ? programs.litCheap : nullptr;
    LitPrograms bump{cheap ? cheap : programs.bump, frame.projectiveTexturing ? programs.bumpProjected : nullptr};
    drawer.StartLitPass(bump, projection, eyeSun, lightNorm);
    LitPrograms lit{cheap ? cheap : programs.lit, frame.projectiveTexturing ? programs.litProjected : nullptr};
    drawer.StartLitPass(lit, projection, eyeSun, lightNorm);
    drawer.DrawLitAtOnce(bump, lit, queries);
    CShaderProgram* depth = programs.depth;
    if (UseProgram(depth)) {
        glUniformMatrix4fv(Location(depth, "uni_ProjMatrix"), 1, GL_FALSE, projection.m);
        drawer.Ask(depth, queries);
    }
    drawer.DrawLitWhereAskedShow(bump, lit);
    hiddenLastFrame = drawer.HiddenNow();

    // The sky and the sun after the level: both lie just inside the far plane and write no
    // depth, so they show only where no object stands.
    glDepthMask(GL_FALSE);
    CSkyBox* skyBox = frame.skyBox;
    CShaderProgram* sky = programs.sky;
    if (skyBox && UseProgram(sky)) {
        drawer.SetLightUniforms(sky, projection, eyeSun, lightNorm);
        // The sky surrounds the camera wherever it goes.
        skyBox->transform.m[12] = cameraModel.m[12];
        skyBox->transform.m[13] = cameraModel.m[13];
        skyBox->transform.m[14] = cameraModel.m[14];
        skyBox->transform.m[15] = 1.0f;
        DrawSkyWhereItShows(renderer, skyBox, sky, programs.depth, projection, drawer.Tiles(), queries);
    }
    CShaderProgram* sunProgram = programs.sun;
    if (frame.sunSprite && UseProgram(sunProgram)) {
        drawer.SetLightUniforms(sunProgram, projection, eyeSun, lightNorm);
        DrawSprite(renderer, frame.sunSprite, sunProgram);
    }
    glDepthMask(GL_TRUE);

    // Debug lines.
    CShaderProgram* lines = programs.lines;
    if ((frame.gizmos || frame.physicsDebugging) && UseProgram(lines)) {
        drawer.SetLightUniforms(lines, projection, eyeSun, lightNorm);
        if (frame.gizmos) drawer.DrawGizmos(lines);
        if (frame.physicsDebugging) {
            glDisable(GL_DEPTH_TEST);
            if (frame.physicsDebugLines) frame.physicsDebugLines();
            for (const PlayFrameLine& ray : frame.sunRays)
                DrawLine(renderer, ray.from, ray.to, ray.color, ray.color, lines);
            glEnable(GL_DEPTH_TEST);
        }
    }

    if (intoOwnTarget) sceneTarget.Present(programs.ortho, renderer.frameTarget.Framebuffer(), frame.width, frame.height);

    // Head-up display, over everything, at the window's resolution.
    if (frame.hud) frame.hud();

    // Left for the next frame and the other states: window framebuffer, depth test and writes
    // on, no blending, texture unit 0.
    glActiveTexture(GL_TEXTURE0);
}
