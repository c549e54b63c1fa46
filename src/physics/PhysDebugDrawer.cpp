#include "physics/PhysDebugDrawer.h"

#include <iostream>

#include "physics/BulletConvert.h"

void CPhysDebugDrawer::drawLine(const btVector3& from, const btVector3& to, const btVector3& fromColor,
                                const btVector3& toColor) {
    ++linesDrawn;
    if (lines) lines(FromBt(from), FromBt(to), FromBt(fromColor), FromBt(toColor));
}

void CPhysDebugDrawer::drawLine(const btVector3& from, const btVector3& to, const btVector3& color) {
    drawLine(from, to, color, color);
}

void CPhysDebugDrawer::drawContactPoint(const btVector3& pointOnB, const btVector3& normalOnB, btScalar,
                                        int, const btVector3& color) {
    drawLine(pointOnB, pointOnB + normalOnB, color);
}

void CPhysDebugDrawer::reportErrorWarning(const char* warningString) {
    std::cerr << warningString << std::endl;
}

void CPhysDebugDrawer::draw3dText(const btVector3&, const char* textString) {
    std::cout << "3dText: " << textString << std::endl;
}

void CPhysDebugDrawer::setDebugMode(int mode) { debugMode = mode; }

int CPhysDebugDrawer::getDebugMode() const { return debugMode; }
