// The soundtrack reaches the audio output and loops: SDL's disk driver
// writes everything the device plays into a file, which is compared with the
// samples of "data/fiesta2018.wav".
#include <gtest/gtest.h>

#include <SDL2/SDL.h>

#include <fstream>
#include <iterator>
#include <string>

#include "platform/sound.h"
#include "tests/support/scratch_dir.h"

TEST(Soundtrack, ItsSamplesReachTheOutputAndLoop) {
    const char* path = "data/fiesta2018.wav";
    SDL_AudioSpec spec;
    Uint8* samples = nullptr;
    Uint32 length = 0;
    if (!SDL_LoadWAV(path, &spec, &samples, &length)) GTEST_SKIP() << path << " is missing: run generate-data";
    const std::string wav(reinterpret_cast<char*>(samples), length);
    SDL_FreeWAV(samples);
    ASSERT_GT(wav.size(), 8192u);

    ScratchDir scratch;
    const std::string output = scratch.file("played.raw");
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "1", 1);  // one buffer per millisecond: faster than real time
    setSoundEnabled(true);
    playSoundLooping(path);
    ASSERT_TRUE(soundPlaying()) << SDL_GetError();
    // About 16 KB a millisecond: long enough to wrap around the whole file.
    const size_t wanted = wav.size() * 2 + 65536;
    for (int waited = 0; waited < 20000; waited += 50) {
        SDL_Delay(50);
        std::ifstream probe(output, std::ios::binary | std::ios::ate);
        if (probe && static_cast<size_t>(probe.tellg()) >= wanted) break;
    }
    setSoundEnabled(false);  // closes the device and the file
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    unsetenv("SDL_AUDIODRIVER");
    unsetenv("SDL_DISKAUDIOFILE");
    unsetenv("SDL_DISKAUDIODELAY");

    std::ifstream file(output, std::ios::binary);
    const std::string out((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_GE(out.size(), wanted) << "the device stopped writing";

    // The device may play silence before it is unpaused: find where the
    // file's samples begin from a stretch that is not silent.
    const size_t probeAt = 4096;
    const size_t found = out.find(wav.substr(probeAt, 256));
    ASSERT_NE(found, std::string::npos) << "the file's samples never reached the output";
    ASSERT_GE(found, probeAt);
    const size_t start = found - probeAt;
    ASSERT_GE(out.size(), start + wav.size() + 65536);
    EXPECT_TRUE(out.compare(start, wav.size(), wav) == 0) << "the first pass differs from the file";
    // Without a gap, the second pass starts again at the first sample.
    EXPECT_TRUE(out.compare(start + wav.size(), 65536, wav, 0, 65536) == 0) << "playback did not loop";
}
