// The demo driver: start-up (scene building, assets, scattering, soundtrack)
// and the per-frame update with the timeline of nine acts.
#pragma once

bool demoStartup();
void demoUpdate();

// Steps of the update, exposed for tests.
void timelineStep();  // advances the script clock, enters acts, runs their per-frame work
void applyDayNight();  // sky faces, sun colour and ambient for day or night
void cameraStep();
void flyersStep();
void submitScatteredInstances();

// The act that contains script time t (seconds of 60 frames), or -1 at the
// exact act boundaries and after the last act.
int actAt(float scriptClock);
constexpr int kActCount = 9;
