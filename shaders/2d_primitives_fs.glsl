// Flat screen-space shapes in the emission colour and transparency.

#include "material.glsl"

void main() {
    gl_FragColor = vec4(g_DatosMaterial.emission, g_DatosMaterial.transparency);
}
