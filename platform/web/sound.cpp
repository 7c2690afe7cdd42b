#include "platform/sound.h"

#include <emscripten/emscripten.h>

// The soundtrack through Web Audio: the file is read from the page's
// preloaded files, decoded by the browser and played by a looping buffer
// source. A browser lets a page's audio start only after a click or key
// press: until then the context waits, and the page resumes it on the first
// one (see the shell page), so the sound starts with that gesture.
namespace {
bool g_enabled = true;
bool g_playing = false;
}  // namespace

EM_JS(void, stopWebSound, (), {
    if (Module.soundSource) {
        Module.soundSource.stop();
        Module.soundSource.disconnect();
        Module.soundSource = null;
    }
    Module.soundRequest = (Module.soundRequest || 0) + 1;  // a decode still running plays nothing
});

EM_JS(bool, startWebSound, (const char* path), {
    const AudioContextClass = globalThis.AudioContext || globalThis.webkitAudioContext;
    let bytes;
    try {
        bytes = FS.readFile(UTF8ToString(path));
    } catch (e) {
        return false;
    }
    if (!AudioContextClass) return false;
    if (!Module.audioContext) Module.audioContext = new AudioContextClass();
    const context = Module.audioContext;
    const request = Module.soundRequest;
    context.decodeAudioData(bytes.buffer.slice(bytes.byteOffset, bytes.byteOffset + bytes.byteLength))
        .then(function(buffer) {
            if (request != Module.soundRequest) return;
            const source = context.createBufferSource();
            source.buffer = buffer;
            source.loop = true;
            source.connect(context.destination);
            // A page reloaded at a step (?from=N) starts the soundtrack where that step is.
            const offset = ((Module.fromStep || 0) / 60) % buffer.duration;
            source.start(0, offset);
            Module.soundSource = source;
            Module.soundStartedAt = context.currentTime - offset;  // the context's time at the track's start
        })
        .catch(function(e) { console.warn("the soundtrack could not be decoded: " + e); });
    return true;
});

void playSoundLooping(const char* path) {
    stopWebSound();
    g_playing = false;
    if (!g_enabled || !path) return;
    g_playing = startWebSound(path);
}

void setSoundEnabled(bool enabled) {
    g_enabled = enabled;
    if (!enabled) {
        stopWebSound();
        g_playing = false;
    }
}

bool soundPlaying() { return g_playing; }
