// Looping background sound: plays a WAV file asynchronously, repeating
// without a gap until the process ends or another sound starts.
#pragma once

// Stops what is playing and starts `path`. A missing or unreadable file or
// no audio device plays nothing; nothing is reported.
void playSoundLooping(const char* path);
// Off: playSoundLooping does nothing and what plays stops. On by default.
void setSoundEnabled(bool enabled);
bool soundPlaying();
