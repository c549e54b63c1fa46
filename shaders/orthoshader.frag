#version 330

// The picture keeps its own alpha, so blended HUD panels and splash pictures show the
// scene through their transparent parts. The material colour tints it (white by default),
// and an element whose picture failed to load is drawn in that colour alone.

in vec2 v_Tex;

uniform vec3 uni_DiffuseColor;
uniform int uni_HasDiffuseMap;
uniform sampler2D uni_DiffuseMap;

out vec4 frag_Color;

void main()
{
    vec4 picture = vec4(1.0);
    if (uni_HasDiffuseMap != 0)
        picture = texture(uni_DiffuseMap, v_Tex);
    frag_Color = picture * vec4(uni_DiffuseColor, 1.0);
}
