#version 330

// Coloured debug lines: axis gizmos, bounding boxes, the sun direction, sun rays and
// physics lines. Points arrive in world space (view alone) or object space (view * model).

layout(location = 0) in vec3 in_Vertex;
layout(location = 1) in vec3 in_Color;

uniform mat4 uni_ProjMatrix;
uniform mat4 uni_ModelViewMatrix;

out vec3 v_Color;

void main()
{
    v_Color = in_Color;
    gl_Position = uni_ProjMatrix * uni_ModelViewMatrix * vec4(in_Vertex, 1.0);
}
