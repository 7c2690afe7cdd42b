#include "platform/sound.h"

#include <windows.h>
#include <mmsystem.h>

namespace {
struct Sound {
    bool enabled = true;
    bool playing = false;
};

Sound& sound() {
    static Sound state;
    return state;
}

void stopSound() {
    PlaySoundA(nullptr, nullptr, 0);
    sound().playing = false;
}
}  // namespace

void playSoundLooping(const char* path) {
    Sound& state = sound();
    stopSound();
    if (!state.enabled || !path) return;
    // The system's sound service reads the file and loops it on its own
    // thread. A missing file plays nothing and PlaySound reports false.
    state.playing = PlaySoundA(path, nullptr, SND_ASYNC | SND_LOOP | SND_FILENAME | SND_NODEFAULT) != FALSE;
}

void setSoundEnabled(bool enabled) {
    sound().enabled = enabled;
    if (!enabled) stopSound();
}

bool soundPlaying() { return sound().playing; }
