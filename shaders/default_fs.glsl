// Per-pixel lighting of static and skinned meshes: ambient, up to five
// point, spot and directional lights with specular highlights, emission,
// one or two scrolling textures.

#include "material.glsl"
#include "lighting.glsl"

uniform vec3 posicion_camara_world;

in vec3 world_position;
in vec3 world_normal;
in vec2 tex_coord;

void main() {
    vec4 texel = materialTexel(tex_coord);
    // Cut-out texels (leaf cards) write neither colour nor depth.
    if (texel.a < 0.1) discard;

    // The geometric normal of the triangle, towards the viewer. The shading
    // normal is turned to the same side, so surfaces drawn without culling
    // (terrain, water whose waves invert) are lit on the side that is seen,
    // and vertices without a normal (landscape borders) take the face's.
    vec3 faceNormal = cross(dFdx(world_position), dFdy(world_position));
    vec3 normal = world_normal;
    if (dot(normal, normal) <= 0.0) normal = faceNormal;
    if (dot(normal, faceNormal) < 0.0) normal = -normal;
    float normalLength = length(normal);
    normal = normalLength > 0.0 ? normal / normalLength : vec3(0.0, 1.0, 0.0);

    vec3 toEye = posicion_camara_world - world_position;
    float eyeDistance = length(toEye);
    toEye = eyeDistance > 0.0 ? toEye / eyeDistance : normal;

    vec3 diffuse = g_LightModel.ambient;
    vec3 specular = vec3(0.0);
    accumulateLights(world_position, normal, toEye, diffuse, specular);

    vec3 colour = texel.rgb * diffuse + specular * g_DatosMaterial.specular + g_DatosMaterial.emission;
    gl_FragColor = vec4(colour, materialOpacity(texel.a));
}
