// The demo driver: start-up (scene building, assets, scattering, soundtrack)
// and the per-frame update with the timeline of nine acts.
#pragma once

#include "app/main_loop.h"

bool demoStartup();
// One 1/60-second step. A catch-up step is followed by another before the
// next frame is drawn: it skips the work only that frame would show (the
// landscape rebuilds and uploads, the submission of the instances).
void demoUpdate(bool catchUp);
// Both, as the main loop takes them.
inline MainLoopCallbacks demoCallbacks() { return {demoStartup, demoUpdate}; }

// Steps of the update, exposed for tests.
void timelineStep();  // advances the script clock, enters acts, runs their per-frame work
void applyDayNight();  // sky faces, sun colour and ambient for day or night
void cameraStep();
void flyersStep();
void submitScatteredInstances();

// The per-step advance of the update's three growing values: the animation
// time of the breathing and the waves, the orbit's yaw, and a flyer's path
// phase.
float advanceAnimationTime(float time);
float advanceOrbitYaw(float yaw);
float advanceFlyerPhase(float phase, float speed);

// The act that contains script time t (seconds of 60 frames), or -1 at the
// exact act boundaries and after the last act.
int actAt(float scriptClock);
constexpr int kActCount = 9;
constexpr int kActSeconds = 8;
