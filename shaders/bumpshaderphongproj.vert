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
uniform sampler2DShadow uni_ShadowMap;

out vec3 v_EyePos;
out vec3 v_Normal;
out vec3 v_Tangent;     // eye space, along +u of the texture
out vec3 v_Bitangent;   // eye space, along +v of the texture
out vec2 v_Tex;
out vec4 v_ShadowCoord;
out float v_ShadowBias;
out vec3 v_ObjectPos;    // object space: the projector matrices come per object
out vec3 v_ObjectNormal;

// Shadow bias in shadow-map texels (a texel of the sun's 4096 map is about 0.05 units):
// the look-up point slides off the surface along its normal, more so the more the surface
// turns away from the sun, and keeps a small constant depth margin. The slope of the
// surface is taken care of per fragment.
const float NormalOffsetTexels = 0.4;
const float DepthBiasTexels = 0.3;

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
    float mapSize = float(max(textureSize(uni_ShadowMap, 0).x, 1));
    float texelsPerUnit = mapSize * length(vec3(lightNorm[0][0], lightNorm[1][0], lightNorm[2][0]));
    float texel = 1.0 / max(texelsPerUnit, 1e-6);
    float depthPerUnit = length(vec3(lightNorm[0][2], lightNorm[1][2], lightNorm[2][2]));

    vec4 lightPos = uni_ModelLightMatrix * vertex;
    lightPos.xyz += lightNormal * (NormalOffsetTexels * texel * sinTheta);
    v_ShadowCoord = lightNorm * lightPos;
    v_ShadowBias = depthPerUnit * texel * DepthBiasTexels;

    gl_Position = uni_ProjMatrix * eyePos;
}
