#version 330

// Unlit textured geometry: the diffuse map (or the plain diffuse colour) as it is.

layout(location = 0) in vec3 in_Vertex;
layout(location = 3) in vec2 in_Tex;

uniform mat4 uni_ProjMatrix;
uniform mat4 uni_ModelViewMatrix;

out vec2 v_Tex;

void main()
{
    v_Tex = in_Tex;
    gl_Position = uni_ProjMatrix * uni_ModelViewMatrix * vec4(in_Vertex, 1.0);
}
