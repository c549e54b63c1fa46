#version 330

// Phong lighting of a normal-mapped surface from the sun with a soft sky fill, soft-edged
// (percentage-closer filtered) shadows and the material's diffuse and specular maps.
// Lighting is worked out in linear light; pictures and material colours are display values,
// converted on the way in and out.

in vec3 v_EyePos;
in vec3 v_Normal;
in vec3 v_Tangent;
in vec3 v_Bitangent;
in vec2 v_Tex;
in vec4 v_ShadowCoord;
in float v_ShadowBias;

uniform vec3 uni_DiffuseColor;
uniform vec3 uni_AmbientColor;
uniform vec3 uni_SpecularColor;
uniform float uni_Shininess;
uniform int uni_HasDiffuseMap;
uniform int uni_HasSpecularMap;
uniform int uni_HasNormalMap;
uniform sampler2D uni_DiffuseMap;          // unit 0
uniform sampler2D uni_NormalMap;           // unit 1, tangent space, +y along +v
uniform sampler2D uni_SpecularMap;         // unit 2
uniform sampler2DShadow uni_ShadowMap;     // unit 3, compared with LEQUAL
uniform mat4 uni_LightNormMatrix;          // bias * light projection
uniform vec3 uni_ParallelLightDirection;   // eye space, the way the light travels
uniform vec3 uni_ParallelLightColor;

out vec4 frag_Color;

const float Gamma = 2.2;
const vec3 SunTint = vec3(1.0, 0.91, 0.78);       // warm sunlight
const float SunStrength = 1.25;
const vec3 SkyFill = vec3(0.17, 0.22, 0.32);      // cool light from the open sky
const vec3 BounceFill = vec3(0.08, 0.07, 0.06);   // warm light bounced off the ground
const float MinAmbient = 0.25;                    // even a black ambient colour sees some sky
const float MaxShadowSlope = 8.0;                 // steepest surface slope the shadow test follows

vec3 ToLinear(vec3 c)
{
    return pow(max(c, vec3(0.0)), vec3(Gamma));
}

// Back to display values. Light above the shoulder is rolled off instead of clipped, so
// sunlit bright surfaces keep their texture.
vec3 ToDisplay(vec3 c)
{
    const float shoulder = 0.7;
    vec3 over = max(c - shoulder, 0.0);
    c = min(c, shoulder) + (1.0 - shoulder) * (1.0 - exp(-over / (1.0 - shoulder)));
    return pow(clamp(c, 0.0, 1.0), vec3(1.0 / Gamma));
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
    mat4 n = uni_LightNormMatrix;
    float depthPerMapUnit = length(vec3(n[0][2], n[1][2], n[2][2]))
                          / max(length(vec3(n[0][0], n[1][0], n[2][0])), 1e-9);
    float limit = MaxShadowSlope * depthPerMapUnit;
    return clamp(slope, vec2(-limit), vec2(limit));
}

// Share of the sun that reaches this point, filtered over the 4 x 4 texels around it with
// the weights of a 3 x 3 grid of bilinear taps, which softens the shadow edge over about four
// texels. Every texel is compared with the depth that the surface itself has at that texel's
// centre, so a surface never shadows itself, however it leans, and no large margin is needed
// that would lift shadows off the objects that cast them.
float SunVisibility(vec3 p, vec2 slope, float bias)
{
    if (p.x <= 0.0 || p.x >= 1.0 || p.y <= 0.0 || p.y >= 1.0 || p.z >= 1.0)
        return 1.0;   // outside the light's box nothing casts a shadow
    vec2 size = vec2(textureSize(uni_ShadowMap, 0));
    vec2 texelPos = p.xy * size - 0.5;   // texel centres at whole numbers
    vec2 base = floor(texelPos);
    vec2 f = texelPos - base;
    float lit = 0.0;
    for (int j = -1; j <= 2; ++j) {
        float wy = (j == -1) ? 1.0 - f.y : ((j == 2) ? f.y : 1.0);
        for (int i = -1; i <= 2; ++i) {
            float wx = (i == -1) ? 1.0 - f.x : ((i == 2) ? f.x : 1.0);
            vec2 centre = (base + vec2(i, j) + 0.5) / size;
            float reference = p.z - bias + dot(slope, centre - p.xy);
            lit += wx * wy * textureLod(uni_ShadowMap, vec3(centre, reference), 0.0);
        }
    }
    return lit / 9.0;
}

// The shading normal: the normal map read in the tangent frame of the mesh. The tangent is
// made perpendicular to the normal; the bitangent keeps the mesh's handedness, so mirrored
// texture coordinates stay right.
vec3 ShadingNormal(vec3 normal)
{
    vec3 mapped = texture(uni_NormalMap, v_Tex).xyz * 2.0 - 1.0;
    if (uni_HasNormalMap == 0)
        return normal;
    vec3 tangent = v_Tangent - normal * dot(normal, v_Tangent);
    if (dot(tangent, tangent) < 1e-12 || dot(v_Bitangent, v_Bitangent) < 1e-12)
        return normal;   // no tangent frame in the mesh
    tangent = normalize(tangent);
    vec3 bitangent = cross(normal, tangent);
    if (dot(bitangent, v_Bitangent) < 0.0)
        bitangent = -bitangent;
    return normalize(tangent * mapped.x + bitangent * mapped.y + normal * max(mapped.z, 0.0));
}

void main()
{
    vec3 geometric = normalize(v_Normal);
    if (!gl_FrontFacing)
        geometric = -geometric;   // the inside of open geometry when back faces are drawn
    vec3 normal = ShadingNormal(geometric);
    vec3 toEye = normalize(-v_EyePos);
    vec3 toSun = -normalize(uni_ParallelLightDirection);

    vec3 albedo = uni_DiffuseColor;
    if (uni_HasDiffuseMap != 0)
        albedo *= texture(uni_DiffuseMap, v_Tex).rgb;
    vec3 base = ToLinear(albedo);

    vec3 specularColor = ToLinear(uni_SpecularColor);
    if (uni_HasSpecularMap != 0)
        specularColor *= texture(uni_SpecularMap, v_Tex).rgb;

    vec3 shadowPos = v_ShadowCoord.xyz / v_ShadowCoord.w;
    vec2 shadowSlope = ReceiverSlope(shadowPos);   // outside any branch: it takes derivatives
    float nDotL = dot(normal, toSun);
    // The surface itself must face the sun too: bumps on its far side stay in its shadow.
    float facing = smoothstep(0.0, 0.1, dot(geometric, toSun));
    float shadow = (nDotL > 0.0 && facing > 0.0)
                 ? SunVisibility(shadowPos, shadowSlope, v_ShadowBias) * facing : 0.0;
    vec3 sun = ToLinear(uni_ParallelLightColor) * SunTint * SunStrength * shadow;

    // Sky fill: brighter on the side that faces the sun's half of the sky.
    vec3 fill = mix(BounceFill, SkyFill, 0.5 + 0.5 * nDotL);
    vec3 ambient = fill * mix(vec3(MinAmbient), vec3(1.0), ToLinear(uni_AmbientColor));

    float shininess = clamp(uni_Shininess, 1.0, 1024.0);
    float highlight = pow(max(dot(reflect(-toSun, normal), toEye), 0.0), shininess)
                    * smoothstep(0.0, 0.15, nDotL);

    vec3 color = base * (ambient + sun * max(nDotL, 0.0)) + specularColor * sun * highlight;
    frag_Color = vec4(ToDisplay(color), 1.0);
}
