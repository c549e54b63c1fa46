// Scene objects: model matrices, Rotate, bounds, the frustum test and who deletes what.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "math/Matrix.h"
#include "scene/Mesh.h"
#include "scene/PhysData.h"
#include "scene/SceneGeoObject.h"
#include "support/Near.h"

namespace {

using testsupport::ExpectVecNear;
using testsupport::ExpectMatrixNear;

const float kVecTolerance = 1e-4f;
const float kMatrixTolerance = 1e-5f;

Mat4 Translation(float x, float y, float z) {
    Mat4 m;
    m.m[12] = x; m.m[13] = y; m.m[14] = z;
    return m;
}

Mat4 FromColumns(Vec3 c0, Vec3 c1, Vec3 c2, Vec3 c3) {
    Mat4 m;
    const Vec3 cols[4] = {c0, c1, c2, c3};
    for (int c = 0; c < 4; ++c) {
        m.m[c * 4 + 0] = cols[c].x;
        m.m[c * 4 + 1] = cols[c].y;
        m.m[c * 4 + 2] = cols[c].z;
    }
    return m;
}

// A mesh holding just the given vertex positions.
std::unique_ptr<CMesh> PointMesh(std::initializer_list<Vec3> points) {
    auto mesh = std::make_unique<CMesh>();
    mesh->vertexCount = static_cast<uint32_t>(points.size());
    mesh->vertices = new Vertex[points.size()]();
    uint32_t i = 0;
    for (const Vec3& p : points) {
        mesh->vertices[i].position[0] = p.x;
        mesh->vertices[i].position[1] = p.y;
        mesh->vertices[i].position[2] = p.z;
        ++i;
    }
    return mesh;
}

// Counts live instances, so tests can see who deleted what.
struct CountedObject : CSceneObject {
    static int alive;
    CountedObject() { ++alive; }
    ~CountedObject() override { --alive; }
};
int CountedObject::alive = 0;

struct CountedPhysData : CPhysData {
    static int alive;
    CountedPhysData() { ++alive; }
    ~CountedPhysData() override { --alive; }
};
int CountedPhysData::alive = 0;

}  // namespace

TEST(Rotate, MatchesHandComputedRotationsAboutEachAxis) {
    // 90 degrees about z turns x into y and y into -x.
    ExpectMatrixNear(Rotate(Mat4(), 90.0f, kAxisZ), FromColumns({0, 1, 0}, {-1, 0, 0}, {0, 0, 1}, {0, 0, 0}), kMatrixTolerance);
    // 90 degrees about x turns y into z and z into -y.
    ExpectMatrixNear(Rotate(Mat4(), 90.0f, kAxisX), FromColumns({1, 0, 0}, {0, 0, 1}, {0, -1, 0}, {0, 0, 0}), kMatrixTolerance);
    // 30 degrees about y: x goes towards -z.
    const float c = std::cos(30.0f * 3.14159265f / 180.0f), s = 0.5f;
    ExpectMatrixNear(Rotate(Mat4(), 30.0f, kAxisY), FromColumns({c, 0, -s}, {0, 1, 0}, {s, 0, c}, {0, 0, 0}), kMatrixTolerance);
    // About a diagonal axis by 120 degrees the three axes cycle: x -> y -> z -> x.
    ExpectMatrixNear(Rotate(Mat4(), 120.0f, Vec3(1, 1, 1)), FromColumns({0, 1, 0}, {0, 0, 1}, {1, 0, 0}, {0, 0, 0}), kMatrixTolerance);
}

TEST(ModelMatrix, ScaleMultipliesTheBasisColumnsOnly) {
    CSceneObject object(Translation(1, 2, 3), "crate");
    object.transform = Rotate(object.transform, 90.0f, kAxisZ);
    object.scale = {2, 3, 4};
    ExpectMatrixNear(object.GetModelMatrix(), FromColumns({0, 2, 0}, {-3, 0, 0}, {0, 0, 4}, {1, 2, 3}), kMatrixTolerance);
}

TEST(ModelMatrix, GeometryRotationAppliesXThenYThenZInTheLocalFrame) {
    CSceneGeoObject object({}, Translation(5, 0, 0), "turned", Vec3(90, 90, 90));
    object.scale = {2, 2, 2};
    // T * Rx * Ry * Rz * S on (1,0,0): scaled to (2,0,0), Rz -> (0,2,0), Ry keeps it, Rx -> (0,0,2).
    ExpectVecNear(TransformPoint(object.GetModelMatrix(), {1, 0, 0}), {5, 0, 2}, kVecTolerance);
    // Two angles only: Rx * Ry on (1,0,0) is Rx(0,0,-1) = (0,1,0).
    object.rotation = {90, 90, 0};
    object.scale = {1, 1, 1};
    ExpectVecNear(TransformPoint(object.GetModelMatrix(), {1, 0, 0}), {5, 1, 0}, kVecTolerance);
}

TEST(Bounds, TreeWithHiddenAndTurnedChildrenGivesTheHandComputedBox) {
    auto cube = PointMesh({{-1, -1, -1}, {1, 1, 1}, {0, 0.5f, 0}});
    auto far = PointMesh({{100, 100, 100}});
    auto unit = PointMesh({{0, 0, 0}, {1, 1, 1}});

    CSceneObject root;
    // Scaled by (2,1,1), turned 90 degrees about z, moved to x = 10: x 9..11, y -2..2, z -1..1.
    auto* turned = new CSceneGeoObject({cube.get()}, Translation(10, 0, 0), "turned", Vec3(0, 0, 90));
    turned->scale = {2, 1, 1};
    // Hidden: must not widen the box however far away it is.
    auto* hidden = new CSceneGeoObject({far.get()}, Mat4(), "umbrella", Vec3());
    hidden->visible = false;
    // A plain node moved up by 5 with a geometry child: x 0..1, y 5..6, z 0..1.
    auto* group = new CSceneObject(Translation(0, 5, 0), "group");
    group->AddChild(new CSceneGeoObject({unit.get()}, Mat4(), "leaf", Vec3()));
    root.AddChild(turned);
    root.AddChild(hidden);
    root.AddChild(group);

    root.ComputeBounds();
    const Vec3 lo(0, -2, -1), hi(11, 6, 1);
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(i);
        ExpectVecNear(root.localCorners[i], {(i & 1) ? hi.x : lo.x, (i & 2) ? hi.y : lo.y, (i & 4) ? hi.z : lo.z}, kVecTolerance);
    }
    // The children's world corners are in the parent's space.
    ExpectVecNear(turned->worldCorners[0], {11, -2, -1}, kVecTolerance);
    ExpectVecNear(group->worldCorners[7], {1, 6, 1}, kVecTolerance);

    // The root's own model matrix places the box in the world.
    root.transform = Translation(0, 0, -20);
    root.scale = {2, 2, 2};
    root.UpdateWorldCorners();
    ExpectVecNear(root.worldCorners[0], {0, -4, -22}, kVecTolerance);
    ExpectVecNear(root.worldCorners[7], {22, 12, -18}, kVecTolerance);
}

TEST(Bounds, NothingToMeasureGivesAllCornersAtTheOrigin) {
    CSceneObject empty;
    empty.localCorners[3] = {5, 5, 5};  // stale from an earlier computation
    auto* hiddenOnly = new CSceneGeoObject({}, Translation(3, 3, 3), "", Vec3());
    hiddenOnly->visible = false;
    empty.AddChild(hiddenOnly);
    empty.ComputeBounds();
    for (const Vec3& corner : empty.localCorners) ExpectVecNear(corner, {0, 0, 0}, 0.0f);

    // A geometry object whose meshes are missing or have no vertices counts as empty too.
    CMesh noVertices;
    CSceneGeoObject geo({nullptr, &noVertices}, Mat4(), "", Vec3());
    geo.ComputeBounds();
    for (const Vec3& corner : geo.localCorners) ExpectVecNear(corner, {0, 0, 0}, 0.0f);
}

TEST(Frustum, InsideStraddlingBehindTheNearPlaneAndBesides) {
    // Camera at the origin looking down -z, near 1, far 100, 90 degrees wide.
    const Mat4 clip = Perspective(90.0f, 1.0f, 1.0f, 100.0f);
    auto box = [](Vec3 lo, Vec3 hi) {
        std::unique_ptr<Vec3[]> corners(new Vec3[8]);
        for (int i = 0; i < 8; ++i) corners[i] = {(i & 1) ? hi.x : lo.x, (i & 2) ? hi.y : lo.y, (i & 4) ? hi.z : lo.z};
        return corners;
    };
    EXPECT_TRUE(IsBoxInFrustum(box({-1, -1, -12}, {1, 1, -8}).get(), clip));
    // Wider than the view on both sides and crossing the far plane: no plane has all corners.
    EXPECT_TRUE(IsBoxInFrustum(box({-500, -1, -150}, {500, 1, -50}).get(), clip));
    // Between the eye and the near plane, and wholly behind the camera.
    EXPECT_FALSE(IsBoxInFrustum(box({-0.2f, -0.2f, -0.9f}, {0.2f, 0.2f, -0.1f}).get(), clip));
    EXPECT_FALSE(IsBoxInFrustum(box({-1, -1, 2}, {1, 1, 5}).get(), clip));
    // Entirely right of the view, and entirely beyond the far plane.
    EXPECT_FALSE(IsBoxInFrustum(box({30, -1, -12}, {40, 1, -8}).get(), clip));
    EXPECT_FALSE(IsBoxInFrustum(box({-1, -1, -300}, {1, 1, -200}).get(), clip));
    // The same box through a model-view-projection: moved 20 units away it comes into view.
    const Mat4 view = Translation(0, 0, -20);
    EXPECT_TRUE(IsBoxInFrustum(box({-1, -1, 0}, {1, 1, 2}).get(), Multiply(view, clip)));
    EXPECT_FALSE(IsBoxInFrustum(box({-1, -1, 0}, {1, 1, 2}).get(), clip));
}

TEST(Lifetime, CloneSharesChildrenAndMeshesAndLeavesTheModelAlive) {
    CountedObject::alive = 0;
    CountedPhysData::alive = 0;
    CMesh mesh;
    auto* model = new CSceneGeoObject({&mesh}, Mat4(), "milk", Vec3());
    model->AddChild(new CountedObject);
    model->AddChild(new CountedObject);
    model->physData = new CountedPhysData;
    ASSERT_EQ(CountedObject::alive, 2);

    auto* clone = new CSceneGeoObject(*model);
    clone->ownsChildren = false;
    clone->transform = Translation(4, 0, 0);
    EXPECT_EQ(clone->children, model->children);
    EXPECT_EQ(clone->GetMesh(0), &mesh);
    EXPECT_EQ(clone->meshCount, 1u);
    EXPECT_EQ(clone->physData, nullptr) << "one physics record must have one owner";

    delete clone;
    EXPECT_EQ(CountedObject::alive, 2);
    EXPECT_EQ(CountedPhysData::alive, 1);
    ASSERT_NE(model->GetChild(1), nullptr);

    delete model;  // owns its children and its physics record
    EXPECT_EQ(CountedObject::alive, 0);
    EXPECT_EQ(CountedPhysData::alive, 0);
    {
        CSceneObject root;  // a plain tree owns its children too, and skips null ones
        root.AddChild(new CountedObject);
        root.AddChild(nullptr);
    }
    EXPECT_EQ(CountedObject::alive, 0);
}
