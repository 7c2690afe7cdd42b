// Material values of the mesh being drawn and its texture samplers
// (sampler i reads texture unit i).

struct DatosMaterial {
    vec3 emission;
    vec3 specular;
    float transparency;   // material alpha x item alpha
    int numTextures;
    vec2 offset_animacion0;
    vec2 offset_animacion1;
};

uniform DatosMaterial g_DatosMaterial;
uniform sampler2D shader_texture_ids[NUMERO_MAXIMO_TEXTURAS_POR_MATERIAL];

// The first texture, modulated by the second when the material has two;
// white without textures. Each texture scrolls by its animation offset.
vec4 materialTexel(vec2 uv) {
    vec4 colour = vec4(1.0);
#ifdef ACTIVAR_TEXTURA
    vec2 offset0 = vec2(0.0);
    vec2 offset1 = vec2(0.0);
#if ANIMACION_DE_TEXTURA_ACTIVA
    offset0 = g_DatosMaterial.offset_animacion0;
    offset1 = g_DatosMaterial.offset_animacion1;
#endif
    if (g_DatosMaterial.numTextures > 0) colour = texture(shader_texture_ids[0], uv + offset0);
#ifndef SINGLE_TEXTURE  // left out by the engine where at most one texture is bound
    if (g_DatosMaterial.numTextures > 1) colour *= texture(shader_texture_ids[1], uv + offset1);
#endif
#endif
    return colour;
}

// Opacity of a mesh fragment from its texture alpha and the transparency:
// - 0 means "not set": scattered instances are submitted with item alpha 0
//   and must look solid, so the texture alpha is used as it is;
// - between 0 and 1 the value fades the surface, mapped linearly into
//   0.7..1 so that a faint value (the water's 0.04) still gives a visible,
//   translucent surface instead of vanishing;
// - 1 and above is opaque (the texture alpha still cuts out).
float materialOpacity(float textureAlpha) {
    float transparency = g_DatosMaterial.transparency;
    if (transparency <= 0.0) return textureAlpha;
    return textureAlpha * mix(0.7, 1.0, clamp(transparency, 0.0, 1.0));
}
