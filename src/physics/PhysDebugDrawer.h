#pragma once
// Lets the physics library draw its view of the world (bounding boxes, contact points, and
// shapes where the mode asks for them) as coloured segments, handed to whoever draws them (the
// play state gives the renderer's line drawing). Text goes to standard output.

#include <LinearMath/btIDebugDraw.h>

#include <cstdint>

#include "physics/DebugLines.h"

class CPhysDebugDrawer : public btIDebugDraw {
public:
    // The mode the game sets at every level load: bounding boxes, feature text, contact points,
    // text, profile timings, constraints and the fast wireframe (no full wireframe).
    static const int kLevelDebugMode = 10446;

    CPhysDebugDrawer() = default;
    ~CPhysDebugDrawer() override = default;

    void drawLine(const btVector3& from, const btVector3& to, const btVector3& fromColor,
                  const btVector3& toColor) override;
    void drawLine(const btVector3& from, const btVector3& to, const btVector3& color) override;
    // A unit line along the contact normal; depth and lifetime are not shown.
    void drawContactPoint(const btVector3& pointOnB, const btVector3& normalOnB, btScalar distance,
                          int lifeTime, const btVector3& color) override;
    void reportErrorWarning(const char* warningString) override;
    void draw3dText(const btVector3& location, const char* textString) override;
    void setDebugMode(int mode) override;
    int getDebugMode() const override;

    DebugLineSink lines;  // empty draws nothing (segments are only counted)
    int debugMode = 0;
    // Segments handed on since the world was built: frame statistics and checks read it.
    uint64_t linesDrawn = 0;
};
