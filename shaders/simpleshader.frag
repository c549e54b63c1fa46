#version 330

in vec3 v_Color;

out vec4 frag_Color;

void main()
{
    frag_Color = vec4(v_Color, 1.0);
}
