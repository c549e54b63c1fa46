#version 330

// 2D pictures: HUD elements, the menu and the full-screen splash pictures.
// Positions are in the orthographic unit square; the element's model matrix places them.

layout(location = 0) in vec3 in_Vertex;
layout(location = 3) in vec2 in_Tex;

uniform mat4 uni_OrthoMatrix;
uniform mat4 uni_ModelMatrix;

out vec2 v_Tex;

void main()
{
    v_Tex = in_Tex;
    gl_Position = uni_OrthoMatrix * uni_ModelMatrix * vec4(in_Vertex, 1.0);
}
