// Stereo lens pre-distortion: the source holds the left eye's view in its
// left half and the right eye's in its right half. Each half is barrel
// distorted around its lens centre, so that the pincushion distortion of the
// headset's lenses cancels it. Outside the lens image stays black.

#include "post_effect.glsl"

const vec4 WARP = vec4(1.0, 0.22, 0.24, 0.0);  // radial polynomial k0 + k1 r^2 + k2 r^4 + k3 r^6
const float LENS_SHIFT = 0.05;                 // lens centres sit nearer the nose than the eye centres
const float FIT = 1.0 / (1.0 + 0.22 + 0.24);   // keeps the edge midpoints inside the image

void main() {
    bool leftEye = tex_coord.x < 0.5;
    float eyeStart = leftEye ? 0.0 : 0.5;
    vec2 eyeUv = vec2((tex_coord.x - eyeStart) * 2.0, tex_coord.y);
    vec2 lensCentre = vec2(leftEye ? 0.5 + LENS_SHIFT : 0.5 - LENS_SHIFT, 0.5);

    vec2 theta = (eyeUv - lensCentre) * 2.0;
    float r2 = dot(theta, theta);
    float scale = WARP.x + r2 * (WARP.y + r2 * (WARP.z + r2 * WARP.w));
    vec2 source = lensCentre + theta * (scale * FIT * 0.5);

    if (any(lessThan(source, vec2(0.0))) || any(greaterThan(source, vec2(1.0)))) {
        gl_FragColor = vec4(0.0, 0.0, 0.0, 1.0);
        return;
    }
    gl_FragColor = sourceTexel(vec2(eyeStart + source.x * 0.5, source.y));
}
