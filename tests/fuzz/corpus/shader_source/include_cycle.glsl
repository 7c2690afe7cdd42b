#include "a.glsl"
void main() {}
#include "a.glsl"
