#include a.glsl
#include "a.glsl
