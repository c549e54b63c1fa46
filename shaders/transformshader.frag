#version 330

// Depth only: the shadow pass renders into a depth texture with no colour buffer, so this
// stage writes nothing that is kept. It exists so that start-up loads a complete program
// instead of reporting a missing file.

out vec4 frag_Color;

void main()
{
    frag_Color = vec4(1.0);
}
