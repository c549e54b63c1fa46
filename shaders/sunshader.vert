#version 330

// The sun: one textured point sprite. Its point (in_Vertex, world space) is the anchor from
// which the sun is pushed far out along the direction towards the sun, so it appears where
// the light comes from, whatever the point's own position. The size follows the camera's
// focal length, giving the sun a fixed apparent size as a real sun has.

layout(location = 0) in vec3 in_Vertex;

uniform mat4 uni_ProjMatrix;
uniform mat4 uni_ModelViewMatrix;          // the view matrix
uniform vec3 uni_ParallelLightDirection;   // eye space, the way the light travels

const float SunDistance = 10000.0;
const float SunSize = 40.0;   // pixels per unit of focal length: about 97 px at a 45 degree field

void main()
{
    vec3 toSun = -normalize(uni_ParallelLightDirection);
    vec4 anchor = uni_ModelViewMatrix * vec4(in_Vertex, 1.0);
    vec3 eyePos = anchor.xyz / anchor.w + toSun * SunDistance;

    vec4 clipPos = uni_ProjMatrix * vec4(eyePos, 1.0);
    // Just inside the far plane while the sun is ahead of the camera; behind it the point
    // is pushed out of the view volume and clipped.
    float depth = (eyePos.z < 0.0) ? 0.99999 : 2.0;
    gl_Position = vec4(clipPos.xy, clipPos.w * depth, clipPos.w);

    gl_PointSize = max(SunSize * abs(uni_ProjMatrix[1][1]), 8.0);
}
