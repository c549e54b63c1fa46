#version 330

// Lit, normal-mapped and shadowed level geometry with the power-up markers projected onto it.

layout(location = 0) in vec3 in_Vertex;
layout(location = 2) in vec3 in_Normal;
layout(location = 3) in vec2 in_Tex;
layout(location = 4) in vec3 in_Tan;
layout(location = 5) in vec3 in_BiTan;

uniform mat4 uni_ProjMatrix;
uniform mat4 uni_ModelViewMatrix;
uniform mat3 uni_NormalMatrix;
uniform mat4 uni_ModelLightMatrix;       // light view * model
uniform mat4 uni_LightNormMatrix;        // bias * light projection: light view -> shadow map
uniform sampler2D uni_ShadowMap;
uniform vec3 uni_ParallelLightDirection; // eye space, the way the light travels
uniform vec3 uni_ParallelLightColor;
uniform vec3 uni_AmbientColor;
uniform vec3 uni_SpecularColor;

// The depth program (transformshader), which asks where hidden objects show, computes the same
// position from the same inputs.
invariant gl_Position;

out vec3 v_EyePos;
out vec3 v_Normal;
out vec3 v_Tangent;     // eye space, along +u of the texture
out vec3 v_Bitangent;   // eye space, along +v of the texture
out vec2 v_Tex;
out vec3 v_ShadowCoord;
flat out float v_ShadowBias;
// What the fragments need of the uniforms alone, worked out here once per vertex.
flat out vec3 v_ToSun;
flat out vec3 v_SunLight;
flat out vec3 v_AmbientScale;
flat out vec3 v_SpecularLinear;
flat out float v_SlopeLimit;
flat out vec2 v_ShadowMapSize;
out vec3 v_ObjectPos;    // object space: the projector matrices come per object
out vec3 v_ObjectNormal;

// Shadow bias in shadow-map texels (a texel of the sun's 4096 map is about 0.05 units):
// the look-up point slides off the surface along its normal, more so the more the surface
// turns away from the sun, and keeps a small constant depth margin. The slope of the
// surface is taken care of per fragment.
const float NormalOffsetTexels = 0.4;
const float DepthBiasTexels = 0.3;

const float Gamma = 2.2;
const vec3 SunTint = vec3(1.0, 0.91, 0.78);       // warm sunlight
const float SunStrength = 1.25;
const float MinAmbient = 0.25;                    // even a black ambient colour sees some sky
const float MaxShadowSlope = 8.0;                 // steepest surface slope the shadow test follows

vec3 ToLinear(vec3 c)
{
    return pow(max(c, vec3(0.0)), vec3(Gamma));
}

void main()
{
    vec4 vertex = vec4(in_Vertex, 1.0);
    vec4 eyePos = uni_ModelViewMatrix * vertex;
    v_EyePos = eyePos.xyz;
    v_Normal = uni_NormalMatrix * in_Normal;
    v_Tangent = mat3(uni_ModelViewMatrix) * in_Tan;
    v_Bitangent = mat3(uni_ModelViewMatrix) * in_BiTan;
    v_Tex = in_Tex;
    v_ObjectPos = in_Vertex;
    v_ObjectNormal = in_Normal;

    // The light camera looks down its -z axis: a surface facing the sun has a light-space
    // normal with a positive z.
    vec3 lightNormal = mat3(uni_ModelLightMatrix) * in_Normal;
    float normalLength = length(lightNormal);
    lightNormal = normalLength > 0.0 ? lightNormal / normalLength : vec3(0.0, 0.0, 1.0);
    float cosTheta = clamp(lightNormal.z, 0.0, 1.0);
    float sinTheta = sqrt(1.0 - cosTheta * cosTheta);

    // World size of one shadow-map texel and shadow depth per world unit, read off the
    // light's normalisation matrix and the map itself.
    mat4 lightNorm = uni_LightNormMatrix;
    v_ShadowMapSize = vec2(textureSize(uni_ShadowMap, 0));
    float mapSize = float(max(textureSize(uni_ShadowMap, 0).x, 1));
    float mapUnitsPerUnit = length(vec3(lightNorm[0][0], lightNorm[1][0], lightNorm[2][0]));
    float texelsPerUnit = mapSize * mapUnitsPerUnit;
    float texel = 1.0 / max(texelsPerUnit, 1e-6);
    float depthPerUnit = length(vec3(lightNorm[0][2], lightNorm[1][2], lightNorm[2][2]));

    vec4 lightPos = uni_ModelLightMatrix * vertex;
    lightPos.xyz += lightNormal * (NormalOffsetTexels * texel * sinTheta);
    v_ShadowCoord = (lightNorm * lightPos).xyz;
    v_ShadowBias = depthPerUnit * texel * DepthBiasTexels;
    v_SlopeLimit = MaxShadowSlope * (depthPerUnit / max(mapUnitsPerUnit, 1e-9));

    v_ToSun = -normalize(uni_ParallelLightDirection);
    v_SunLight = ToLinear(uni_ParallelLightColor) * SunTint * SunStrength;
    v_AmbientScale = mix(vec3(MinAmbient), vec3(1.0), ToLinear(uni_AmbientColor));
    v_SpecularLinear = ToLinear(uni_SpecularColor);

    gl_Position = uni_ProjMatrix * eyePos;
}
