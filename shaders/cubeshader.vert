#version 330

// The sky box: a unit cube centred on the camera, seen from inside. Its corners double as
// the look-up directions into the sky cube map.

layout(location = 0) in vec3 in_Vertex;

uniform mat4 uni_ProjMatrix;
uniform mat4 uni_ModelViewMatrix;
uniform mat3 uni_NormalMatrix;   // of the sky box's model matrix alone: world orientation

// The depth program asks where the sky shows with the same x, y and w, step for step.
invariant gl_Position;

out vec3 v_WorldDir;
out vec3 v_EyeDir;

void main()
{
    v_WorldDir = uni_NormalMatrix * in_Vertex;

    vec4 eyePos = uni_ModelViewMatrix * vec4(in_Vertex, 1.0);
    v_EyeDir = eyePos.xyz;   // the box is centred on the eye, so this is a direction

    // Pin the sky just in front of the far plane: it never clips against the near or far
    // plane and stays behind everything drawn after it.
    vec4 clipPos = uni_ProjMatrix * eyePos;
    gl_Position = vec4(clipPos.xy, clipPos.w * 0.99999, clipPos.w);
}
