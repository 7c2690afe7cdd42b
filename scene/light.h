// A light of a Scene; its id is its uniform slot (0..4 reach the shaders).
#pragma once

#include "scene/actor.h"

enum LightType { LIGHT_TYPE_NONE = 0, LIGHT_TYPE_POINT = 1, LIGHT_TYPE_SPOT = 2, LIGHT_TYPE_DIRECTIONAL = 3 };

class LIGHT : public ACTOR {
public:
    int type = LIGHT_TYPE_NONE;
    Vector3 target{0.0f, 0.0f, 1.0f};
    float colour[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    float intensity = 1.0f;
    float attenuationStart = 0.0f;
    float attenuationEnd = 0.0f;
    float hotspot = 0.0f;  // full inner cone angle, halved on upload
    float falloff = 0.0f;  // full outer cone angle, halved on upload
    int id = 0;
};
