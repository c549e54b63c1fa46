#version 330

// The sky: the cube map looked up with the world direction (GL's cube-map face rules), with a
// warm haze around the sun. Without a sky picture a plain gradient stands in.

in vec3 v_WorldDir;
in vec3 v_EyeDir;

uniform samplerCube uni_CubeMap;
uniform vec3 uni_ParallelLightDirection;   // sun direction in eye space (light travels along it)
uniform vec3 uni_ParallelLightColor;

out vec4 frag_Color;

const vec3 HaloTint = vec3(1.0, 0.85, 0.6);

void main()
{
    vec3 dir = normalize(v_WorldDir);
    vec3 sky;
    if (textureSize(uni_CubeMap, 0).x > 1) {
        // The sky is seen magnified at any usual window size (a 512-texel face spans a
        // quarter turn), so its top level is what a filtered look-up would read anyway, and
        // the level of detail of a cube-map look-up is costly to work out in software.
        sky = textureLod(uni_CubeMap, dir, 0.0).rgb;
    } else {
        // No sky picture: a plain gradient from a hazy horizon to a deeper zenith.
        float up = clamp(dir.y, -1.0, 1.0);
        sky = mix(vec3(0.78, 0.84, 0.90), vec3(0.32, 0.52, 0.82), smoothstep(0.0, 0.6, up));
        sky = mix(sky, vec3(0.45, 0.42, 0.38), smoothstep(0.0, -0.2, up));
    }

    // The haze lets the sun sprite sit in a glow rather than on flat sky.
    vec3 toSun = -normalize(uni_ParallelLightDirection);
    float c = max(dot(normalize(v_EyeDir), toSun), 0.0);
    // c^48 and c^6 by repeated squaring: exact powers, cheaper than pow's log and exp.
    float c2 = c * c;
    float c4 = c2 * c2;
    float c8 = c4 * c4;
    float c16 = c8 * c8;
    float halo = 0.35 * (c16 * c16 * c16) + 0.12 * (c4 * c2);
    sky += halo * HaloTint * uni_ParallelLightColor * (1.0 - 0.5 * sky);

    frag_Color = vec4(min(sky, vec3(1.0)), 1.0);
}
