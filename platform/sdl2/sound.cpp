#include "platform/sound.h"

#include <SDL2/SDL.h>

#include <cstring>

namespace {
struct Sound {
    bool enabled = true;
    SDL_AudioDeviceID device = 0;
    Uint8* samples = nullptr;  // the decoded file, in the device's format
    Uint32 length = 0;
    Uint32 position = 0;  // touched only by the audio thread while the device runs
};

Sound& sound() {
    static Sound state;
    return state;
}

// Runs on SDL's audio thread: copies the buffer, wrapping to its start.
void fillAudio(void* userdata, Uint8* stream, int streamLength) {
    Sound* state = static_cast<Sound*>(userdata);
    Uint32 wanted = static_cast<Uint32>(streamLength);
    while (wanted > 0) {
        Uint32 chunk = state->length - state->position;
        if (chunk > wanted) chunk = wanted;
        std::memcpy(stream, state->samples + state->position, chunk);
        stream += chunk;
        wanted -= chunk;
        state->position += chunk;
        if (state->position == state->length) state->position = 0;
    }
}

void stopSound() {
    Sound& state = sound();
    if (state.device) SDL_CloseAudioDevice(state.device);  // waits for the callback to finish
    if (state.samples) SDL_FreeWAV(state.samples);
    state.device = 0;
    state.samples = nullptr;
    state.length = 0;
    state.position = 0;
}
}  // namespace

void playSoundLooping(const char* path) {
    Sound& state = sound();
    stopSound();
    if (!state.enabled || !path) return;
    if (!SDL_WasInit(SDL_INIT_AUDIO) && SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return;

    SDL_AudioSpec spec;
    Uint8* samples = nullptr;
    Uint32 length = 0;
    if (!SDL_LoadWAV(path, &spec, &samples, &length)) return;
    // Whole sample frames only, so that the wrap lands on a frame boundary.
    Uint32 frameBytes = SDL_AUDIO_BITSIZE(spec.format) / 8 * spec.channels;
    if (frameBytes > 0) length -= length % frameBytes;
    if (length == 0) {
        SDL_FreeWAV(samples);
        return;
    }
    state.samples = samples;
    state.length = length;
    state.position = 0;

    spec.callback = fillAudio;
    spec.userdata = &state;
    // No allowed changes: SDL converts to the device, the callback sees the file's format.
    state.device = SDL_OpenAudioDevice(nullptr, 0, &spec, nullptr, 0);
    if (!state.device) {
        stopSound();
        return;
    }
    SDL_PauseAudioDevice(state.device, 0);
}

void setSoundEnabled(bool enabled) {
    sound().enabled = enabled;
    if (!enabled) stopSound();
}

bool soundPlaying() { return sound().device != 0; }
