// The demo driver: start-up (scene building, assets, scattering, soundtrack)
// and the per-frame update with the timeline.
#pragma once

bool demoStartup();
void demoUpdate();
