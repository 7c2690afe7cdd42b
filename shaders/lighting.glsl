// Scene lights and per-pixel lighting. Light directions point from the
// light's target towards the light; spot cone angles are half angles in
// degrees.

struct Light {
    int type;
    vec3 diffuse;
    vec3 position;
    vec3 direction;
    float attenuation_start;
    float attenuation_end;
    float hotspot_beam;
    float falloff;
};

struct LightModel {
    vec3 ambient;
};

uniform Light g_Lights[MAX_LIGHTS];
uniform LightModel g_LightModel;
// One past the highest slot whose light is on, set with the lights: the loop
// below stops there instead of running every slot per fragment.
uniform int g_LightCount;

// The highlight's sharpness, x^32, by five squarings: as exact as pow() and
// a fraction of its cost per fragment.
float specularPower(float x) {
    x *= x;
    x *= x;
    x *= x;
    x *= x;
    return x * x;
}

// Full strength up to attenuation_start, fading to nothing at
// attenuation_end. A light without a range (both 0, like the sun) or with an
// inverted one is not attenuated.
float lightAttenuation(int i, float distance) {
    float range = g_Lights[i].attenuation_end - g_Lights[i].attenuation_start;
    if (range <= 0.0) return 1.0;
    return clamp((g_Lights[i].attenuation_end - distance) / range, 0.0, 1.0);
}

// 1 inside the hotspot cone, 0 outside the falloff cone, smooth between.
float spotCone(int i, vec3 toLight) {
    float cosAngle = dot(toLight, g_Lights[i].direction);
    float outer = max(g_Lights[i].falloff, g_Lights[i].hotspot_beam);
    float cosOuter = cos(radians(outer));
    float cosInner = cos(radians(clamp(g_Lights[i].hotspot_beam, 0.0, outer)));
    if (cosInner - cosOuter < 1e-5) return cosAngle >= cosOuter ? 1.0 : 0.0;
    return smoothstep(cosOuter, cosInner, cosAngle);
}

// Adds the diffuse and specular light of every active light reaching a
// surface point with unit normal `normal`, seen along unit vector `toEye`.
// The engine builds the mesh programs also with NO_SPOT_LIGHTS (no spot
// light is on) and without ACTIVAR_SPECULAR (the material has no specular
// colour) and draws with those where they give the same pixels.
// Members are read in place: copying a Light per slot costs every fragment.
// The loop tests at its end: a software rasteriser runs a loop body at least
// once per fragment anyway, so a test at the start would cost a whole extra
// pass. With no light on the single pass finds slot 0 off and adds nothing.
void accumulateLights(vec3 position, vec3 normal, vec3 toEye, inout vec3 diffuse, inout vec3 specular) {
    int count = min(g_LightCount, MAX_LIGHTS);
    int i = 0;
    do {
        int type = g_Lights[i].type;
        vec3 toLight;
        float strength = 1.0;
        if (type == LIGHT_TYPE_DIRECTIONAL) {
            toLight = g_Lights[i].direction;
        } else if (type == LIGHT_TYPE_POINT || type == LIGHT_TYPE_SPOT) {
            vec3 offset = g_Lights[i].position - position;
            float distance = length(offset);
            toLight = distance > 0.0 ? offset / distance : normal;
            strength = lightAttenuation(i, distance);
#ifndef NO_SPOT_LIGHTS
            if (type == LIGHT_TYPE_SPOT) strength *= spotCone(i, toLight);
#endif
        } else {
            continue;  // LIGHT_TYPE_NONE or an unknown code
        }

        float lambert = dot(normal, toLight);
        if (lambert <= 0.0 || strength <= 0.0) continue;
#ifdef ACTIVAR_DIFFUSE
        diffuse += g_Lights[i].diffuse * (lambert * strength);
#endif
#ifdef ACTIVAR_SPECULAR
        vec3 halfway = toLight + toEye;
        float halfwayLength = length(halfway);
        if (halfwayLength > 0.0) {
            float highlight = max(dot(normal, halfway / halfwayLength), 0.0);
            specular += g_Lights[i].diffuse * (specularPower(highlight) * strength);
        }
#endif
    } while (++i < count);
}
