#version 330

// The pass draws without blending, so the picture's alpha becomes coverage: the opaque disc
// is drawn solid and the soft rim is dithered with a 4 x 4 ordered pattern.

uniform sampler2D uni_TextureMap;
uniform vec3 uni_ParallelLightColor;

out vec4 frag_Color;

float OrderedThreshold(vec2 pixel)
{
    const float bayer[16] = float[16](0.0, 8.0, 2.0, 10.0,
                                      12.0, 4.0, 14.0, 6.0,
                                      3.0, 11.0, 1.0, 9.0,
                                      15.0, 7.0, 13.0, 5.0);
    ivec2 p = ivec2(mod(pixel, 4.0));
    return (bayer[p.y * 4 + p.x] + 0.5) / 16.0;
}

vec4 SunPicture(vec2 uv)
{
    if (textureSize(uni_TextureMap, 0).x > 1)
        return texture(uni_TextureMap, uv);
    // No picture bound: a plain disc with a soft rim.
    float r = length(uv - 0.5) * 2.0;
    return vec4(1.0, 0.95, 0.8, 1.0 - smoothstep(0.3, 0.45, r));
}

void main()
{
    // Sprite coordinates start at the top; the picture's rows start at the bottom.
    vec4 sun = SunPicture(vec2(gl_PointCoord.x, 1.0 - gl_PointCoord.y));
    if (sun.a < OrderedThreshold(gl_FragCoord.xy))
        discard;
    frag_Color = vec4(min(sun.rgb * uni_ParallelLightColor, vec3(1.0)), 1.0);
}
