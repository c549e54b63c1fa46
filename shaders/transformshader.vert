#version 330

// Depth only: the sun's shadow map. The light's orthographic projection comes in
// uni_ProjMatrix and light view * model in uni_ModelViewMatrix. Only depth is kept (the
// fragment stage is a formality).

layout(location = 0) in vec3 in_Vertex;

uniform mat4 uni_ProjMatrix;
uniform mat4 uni_ModelViewMatrix;

void main()
{
    gl_Position = uni_ProjMatrix * uni_ModelViewMatrix * vec4(in_Vertex, 1.0);
}
