#version 330
#extension GL_ARB_texture_gather : require

// Phong lighting from the sun with a soft sky fill, soft-edged (percentage-closer filtered)
// shadows and the material's diffuse and specular maps. Lighting is worked out in linear
// light; pictures and material colours are display values, converted on the way in and out.
// Compiled a second time with CHEAP_LIGHTING defined for the low quality: a 2 x 2 shadow filter
// and no highlight.

in vec3 v_EyePos;
in vec3 v_Normal;
in vec2 v_Tex;
in vec3 v_ShadowCoord;        // orthographic: no division by w
flat in float v_ShadowBias;
// Values of the uniforms alone, worked out per vertex rather than per fragment.
flat in vec3 v_ToSun;            // eye space, towards the sun
flat in vec3 v_SunLight;         // linear sunlight: light colour, tint and strength
flat in vec3 v_AmbientScale;     // the ambient colour's share of the sky fill
flat in vec3 v_SpecularLinear;   // the material's specular colour in linear light
flat in float v_SlopeLimit;      // steepest receiver slope followed, in depth per map unit
flat in vec2 v_ShadowMapSize;    // in texels

uniform vec3 uni_DiffuseColor;
uniform float uni_Shininess;
uniform int uni_HasDiffuseMap;
uniform int uni_HasSpecularMap;
uniform sampler2D uni_DiffuseMap;          // unit 0
uniform sampler2D uni_SpecularMap;         // unit 2
uniform sampler2D uni_ShadowMap;           // unit 3, depths, compared here (LEQUAL)

out vec4 frag_Color;

const float Gamma = 2.2;
const vec3 SkyFill = vec3(0.17, 0.22, 0.32);      // cool light from the open sky
const vec3 BounceFill = vec3(0.08, 0.07, 0.06);   // warm light bounced off the ground

// Display value to linear light: pow(c, Gamma) on 0..1 to within a third of a display level,
// from a square root and a few products. A pow is a logarithm and an exponential per channel,
// which cost a software rasterizer several times more, on every fragment.
vec3 ToLinear(vec3 c)
{
    c = max(c, vec3(0.0));
    return c * c * (0.3976224 + 0.8314977 * sqrt(c) - 0.2304458 * c);
}

// Back to display values. Light above the shoulder is rolled off instead of clipped, so
// sunlit bright surfaces keep their texture.
vec3 ToDisplay(vec3 c)
{
    const float shoulder = 0.7;
    vec3 over = max(c - shoulder, 0.0);
    c = min(c, shoulder) + (1.0 - shoulder) * (1.0 - exp(-over / (1.0 - shoulder)));
    // pow(c, 1 / Gamma) to within half a display level, from the square and fourth roots.
    c = clamp(c, 0.0, 1.0);
    vec3 root2 = sqrt(c);
    vec3 root4 = sqrt(root2);
    return 0.0647615 * root4 + 1.0407400 * root2 - 0.1618718 * c + 0.0569997 * c * root2;
}

// How fast the receiving surface's own shadow-map depth changes across the map (depth per
// unit of map coordinate), from its screen-space derivatives. Limited, so that grazing
// angles and the edges of triangles cannot push the comparison far off.
vec2 ReceiverSlope(vec3 p)
{
    vec3 dx = dFdx(p);
    vec3 dy = dFdy(p);
    float det = dx.x * dy.y - dx.y * dy.x;
    if (abs(det) < 1e-20)
        return vec2(0.0);
    vec2 slope = vec2(dx.z * dy.y - dx.y * dy.z, dx.x * dy.z - dy.x * dx.z) / det;
    float limit = v_SlopeLimit;
    return clamp(slope, vec2(-limit), vec2(limit));
}

#ifdef CHEAP_LIGHTING
// Share of the sun that reaches this point, from the 2 x 2 texels around it in one gather,
// weighted bilinearly (the low quality's harder, cheaper edge). Each texel is compared with the
// surface's own depth at its centre, as in the full filter.
float SunVisibility(vec3 p, vec2 slope, float bias)
{
    if (p.x <= 0.0 || p.x >= 1.0 || p.y <= 0.0 || p.y >= 1.0 || p.z >= 1.0)
        return 1.0;   // outside the light's box nothing casts a shadow
    vec2 size = v_ShadowMapSize;
    vec2 texelPos = p.xy * size - 0.5;
    vec2 base = floor(texelPos);
    vec2 f = texelPos - base;
    vec2 r0 = slope * ((base + 0.5) / size - p.xy);
    vec2 r1 = slope * ((base + 1.5) / size - p.xy);
    float z = p.z - bias;
    // (left, top), (right, top), (right, bottom), (left, bottom)
    vec4 d = textureGather(uni_ShadowMap, (base + 1.0) / size);
    vec4 reference = min(z + vec4(r0.x + r1.y, r1.x + r1.y, r1.x + r0.y, r0.x + r0.y), 1.0);
    vec4 lit = vec4(lessThanEqual(reference, d));
    return mix(mix(lit.w, lit.z, f.x), mix(lit.x, lit.y, f.x), f.y);
}
#else
// Share of the sun that reaches this point, filtered over the 4 x 4 texels around it with
// the weights of a 3 x 3 grid of bilinear taps, which softens the shadow edge over about four
// texels. Every texel is compared with the depth that the surface itself has at that texel's
// centre, so a surface never shadows itself, however it leans, and no large margin is needed
// that would lift shadows off the objects that cast them. The sixteen depths come in four
// gathers of 2 x 2 texels (a quarter of the fetches of sixteen filtered comparisons) and are
// compared here as a depth comparison would: reference clamped to 0..1, lit when less or equal.
float SunVisibility(vec3 p, vec2 slope, float bias)
{
    if (p.x <= 0.0 || p.x >= 1.0 || p.y <= 0.0 || p.y >= 1.0 || p.z >= 1.0)
        return 1.0;   // outside the light's box nothing casts a shadow
    vec2 size = v_ShadowMapSize;
    vec2 texelPos = p.xy * size - 0.5;   // texel centres at whole numbers
    vec2 base = floor(texelPos);
    vec2 f = texelPos - base;
    // Texels base - 1 .. base + 2 along each axis: their weights, and the surface's depth
    // offsets at their centres.
    vec4 wx = vec4(1.0 - f.x, 1.0, 1.0, f.x);
    vec4 wy = vec4(1.0 - f.y, 1.0, 1.0, f.y);
    vec4 rx = slope.x * ((base.x + vec4(-0.5, 0.5, 1.5, 2.5)) / size.x - p.x);
    vec4 ry = slope.y * ((base.y + vec4(-0.5, 0.5, 1.5, 2.5)) / size.y - p.y);
    float z = p.z - bias;
    // A gather at the corner shared by four texels returns them as (left, top), (right, top),
    // (right, bottom), (left, bottom).
    vec4 d00 = textureGather(uni_ShadowMap, base / size);
    vec4 d10 = textureGather(uni_ShadowMap, (base + vec2(2.0, 0.0)) / size);
    vec4 d01 = textureGather(uni_ShadowMap, (base + vec2(0.0, 2.0)) / size);
    vec4 d11 = textureGather(uni_ShadowMap, (base + 2.0) / size);
    // Regrouped into the four rows of the 4 x 4 block, each weighted along x, then the rows
    // along y. Only the top of the reference needs clamping: below 0 every texel passes anyway.
    vec4 zx = z + rx;
    vec4 row0 = vec4(lessThanEqual(min(zx + ry.x, 1.0), vec4(d00.w, d00.z, d10.w, d10.z)));
    vec4 row1 = vec4(lessThanEqual(min(zx + ry.y, 1.0), vec4(d00.x, d00.y, d10.x, d10.y)));
    vec4 row2 = vec4(lessThanEqual(min(zx + ry.z, 1.0), vec4(d01.w, d01.z, d11.w, d11.z)));
    vec4 row3 = vec4(lessThanEqual(min(zx + ry.w, 1.0), vec4(d01.x, d01.y, d11.x, d11.y)));
    float lit = dot(wy, vec4(dot(wx, row0), dot(wx, row1), dot(wx, row2), dot(wx, row3)));
    return lit / 9.0;
}
#endif

void main()
{
    vec3 normal = normalize(v_Normal);
    if (!gl_FrontFacing)
        normal = -normal;   // the inside of open geometry when back faces are drawn
    vec3 toEye = normalize(-v_EyePos);
    vec3 toSun = v_ToSun;

    vec3 albedo = uni_DiffuseColor;
    if (uni_HasDiffuseMap != 0)
        albedo *= texture(uni_DiffuseMap, v_Tex).rgb;
    vec3 base = ToLinear(albedo);

#ifndef CHEAP_LIGHTING
    vec3 specularColor = v_SpecularLinear;
    if (uni_HasSpecularMap != 0)
        specularColor *= texture(uni_SpecularMap, v_Tex).rgb;
#endif

    vec3 shadowPos = v_ShadowCoord;
    vec2 shadowSlope = ReceiverSlope(shadowPos);   // outside any branch: it takes derivatives
    float nDotL = dot(normal, toSun);
    float shadow = nDotL > 0.0 ? SunVisibility(shadowPos, shadowSlope, v_ShadowBias) : 0.0;
    vec3 sun = v_SunLight * shadow;

    // Sky fill: brighter on the side that faces the sun's half of the sky.
    vec3 fill = mix(BounceFill, SkyFill, 0.5 + 0.5 * nDotL);
    vec3 ambient = fill * v_AmbientScale;

#ifdef CHEAP_LIGHTING
    // The low quality leaves the highlight out (and draws normal-mapped surfaces with this
    // program too, without their normal maps).
    vec3 color = base * (ambient + sun * max(nDotL, 0.0));
#else
    float shininess = clamp(uni_Shininess, 1.0, 1024.0);
    float highlight = pow(max(dot(reflect(-toSun, normal), toEye), 0.0), shininess)
                    * smoothstep(0.0, 0.15, nDotL);

    vec3 color = base * (ambient + sun * max(nDotL, 0.0)) + specularColor * sun * highlight;
#endif
    frag_Color = vec4(ToDisplay(color), 1.0);
}
