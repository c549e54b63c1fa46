#pragma once
// Base of the physics records that meshes and scene objects carry. The physics code derives
// the concrete records; owners delete them through this virtual destructor.
class CPhysData {
public:
    CPhysData() = default;
    CPhysData(const CPhysData&) = delete;
    CPhysData& operator=(const CPhysData&) = delete;
    virtual ~CPhysData() = default;
};
