#include "top.glsl"
#include	"a.glsl"
