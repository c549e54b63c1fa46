#include "physics/PhysDebugDrawer.h"

#include <GL/glew.h>

#include <iostream>

#include "render/Renderer.h"
#include "render/ShaderProgram.h"

namespace {
// One world-space segment through the renderer's streaming line buffer, with the view that the
// frame has set and the program that is current.
void DrawSegment(CRenderer* renderer, CShaderProgram* shader, const btVector3& from, const btVector3& to,
                 const btVector3& fromColor, const btVector3& toColor) {
    if (!renderer->lineVao || !renderer->lineVbo || !shader || !shader->program) return;
    const float segment[12] = {from.x(),      from.y(),      from.z(),      to.x(),      to.y(),      to.z(),
                               fromColor.x(), fromColor.y(), fromColor.z(), toColor.x(), toColor.y(), toColor.z()};
    glBindVertexArray(renderer->lineVao);
    glBindBuffer(GL_ARRAY_BUFFER, renderer->lineVbo);
    glBufferSubData(GL_ARRAY_BUFFER, 0, sizeof(segment), segment);
    const GLint modelView = glGetUniformLocation(shader->program, "uni_ModelViewMatrix");
    if (modelView >= 0) glUniformMatrix4fv(modelView, 1, GL_FALSE, renderer->viewMatrix.m);
    glDrawArrays(GL_LINES, 0, 2);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindVertexArray(0);
}
}  // namespace

void CPhysDebugDrawer::drawLine(const btVector3& from, const btVector3& to, const btVector3& fromColor,
                                const btVector3& toColor) {
    ++linesDrawn;
    if (renderer) DrawSegment(renderer, shader, from, to, fromColor, toColor);
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
