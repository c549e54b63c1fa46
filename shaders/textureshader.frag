#version 330

in vec2 v_Tex;

uniform vec3 uni_DiffuseColor;
uniform int uni_HasDiffuseMap;
uniform sampler2D uni_DiffuseMap;

out vec4 frag_Color;

void main()
{
    vec4 albedo = vec4(uni_DiffuseColor, 1.0);
    if (uni_HasDiffuseMap != 0)
        albedo *= texture(uni_DiffuseMap, v_Tex);
    frag_Color = albedo;
}
