#include "a.glsl"
#include "a.glsl"x#include <a.glsl> #include "missing.glsl"
