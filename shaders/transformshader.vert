#version 330

// Depth only: the sun's shadow map (the light's orthographic projection in uni_ProjMatrix and
// light view * model in uni_ModelViewMatrix), and the main pass's questions of where an
// object hidden in the last frame shows (the camera's projection and view * model). Only depth
// is kept (the fragment stage is a formality). The lit programs compute their position the
// same way, step for step, and all keep it invariant: an object asked about meets the depths of
// the lit objects exactly as its lit draw would.

layout(location = 0) in vec3 in_Vertex;

invariant gl_Position;

uniform mat4 uni_ProjMatrix;
uniform mat4 uni_ModelViewMatrix;

void main()
{
    gl_Position = uni_ProjMatrix * (uni_ModelViewMatrix * vec4(in_Vertex, 1.0));
}
