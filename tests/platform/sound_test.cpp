#include <gtest/gtest.h>

#include <SDL2/SDL.h>

#include <cstdint>
#include <string>

#include "platform/sound.h"
#include "tests/support/scratch_dir.h"

namespace {
void putLe(std::string& bytes, uint32_t value, int size) {
    for (int i = 0; i < size; ++i) bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// A 16-bit mono PCM file of `frames` samples; `dataSize` overrides the
// declared size of the data chunk.
std::string wavFile(uint32_t frames, uint32_t dataSize) {
    std::string bytes = "RIFF";
    putLe(bytes, 36 + dataSize, 4);
    bytes += "WAVEfmt ";
    putLe(bytes, 16, 4);
    putLe(bytes, 1, 2);  // PCM
    putLe(bytes, 1, 2);  // mono
    putLe(bytes, 22050, 4);  // sample rate
    putLe(bytes, 44100, 4);  // byte rate
    putLe(bytes, 2, 2);  // block align
    putLe(bytes, 16, 2);  // bits
    bytes += "data";
    putLe(bytes, dataSize, 4);
    for (uint32_t i = 0; i < frames; ++i) putLe(bytes, (i * 997) & 0xFFFF, 2);
    return bytes;
}

// The dummy audio driver: a device that consumes sound without a speaker.
class SoundTest : public ::testing::Test {
protected:
    void SetUp() override {
        SDL_SetHint(SDL_HINT_AUDIODRIVER, "dummy");
        setSoundEnabled(true);
    }
    void TearDown() override { setSoundEnabled(false); }
    ScratchDir scratch;
};
}  // namespace

TEST_F(SoundTest, PlaysAReadableFileAndStopsWhenTurnedOff) {
    std::string path = scratch.write("loop.wav", wavFile(2000, 4000));
    playSoundLooping(path.c_str());
    EXPECT_TRUE(soundPlaying());
    SDL_Delay(50);  // let the device loop over the short buffer a few times
    setSoundEnabled(false);
    EXPECT_FALSE(soundPlaying());
    playSoundLooping(path.c_str());
    EXPECT_FALSE(soundPlaying());
}

TEST_F(SoundTest, MissingOrBrokenFilesPlayNothing) {
    playSoundLooping(scratch.file("absent.wav").c_str());
    EXPECT_FALSE(soundPlaying());
    playSoundLooping(scratch.write("text.wav", "not a sound file").c_str());
    EXPECT_FALSE(soundPlaying());
    playSoundLooping(scratch.write("empty.wav", wavFile(0, 0)).c_str());
    EXPECT_FALSE(soundPlaying());
    // A data chunk declared far larger than the file.
    playSoundLooping(scratch.write("truncated.wav", wavFile(10, 0x7FFFFFF0)).c_str());
    SDL_Delay(20);
    std::string cut = wavFile(100, 200).substr(0, 30);
    playSoundLooping(scratch.write("cut.wav", cut).c_str());
    EXPECT_FALSE(soundPlaying());
    playSoundLooping(nullptr);
    EXPECT_FALSE(soundPlaying());
}

TEST_F(SoundTest, OddByteLengthStillLoopsOnWholeSamples) {
    std::string bytes = wavFile(3, 7);
    bytes.push_back('\x01');
    playSoundLooping(scratch.write("odd.wav", bytes).c_str());
    SDL_Delay(30);
    setSoundEnabled(false);
    EXPECT_FALSE(soundPlaying());
}
