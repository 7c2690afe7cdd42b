// The soundtrack: eight bars of A minor at 120 beats per minute (16 s) with
// bass, chords, an arpeggio and drums, synthesised into a circular buffer so
// that notes ringing past the end continue at the start: the file loops
// without a seam. 16-bit stereo PCM at 44100 Hz.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/asset_generator/asset_generator.h"
#include "tools/asset_generator/noise.h"

static const int kSampleRate = 44100;
static const int kBars = 8;
static const int kBeatsPerBar = 4;
static const int kSamplesPerBeat = kSampleRate / 2;  // 120 beats per minute
static const int kLoopSamples = kBars * kBeatsPerBar * kSamplesPerBeat;
static const double kTwoPi = 6.283185307179586;

// Stereo mix whose indices wrap at the loop length.
struct Mix {
    std::vector<float> left, right;
};

static void addFrame(Mix& mix, long index, float value, float pan) {
    size_t i = static_cast<size_t>(((index % kLoopSamples) + kLoopSamples) % kLoopSamples);
    float angle = static_cast<float>((pan + 1.0f) * 0.25f * 3.14159265f);  // equal-power pan, -1 left .. 1 right
    mix.left[i] += value * std::cos(angle);
    mix.right[i] += value * std::sin(angle);
}

// Note shape that starts and ends at zero: linear attack, exponential decay
// (0: none), and a short fade over the note's last 8 ms.
static float envelope(float t, float length, float attack, float decay) {
    const float fade = 0.008f;
    float level = t < attack ? t / attack : 1.0f;
    if (decay > 0.0f) level *= std::exp(-(t - attack > 0.0f ? t - attack : 0.0f) / decay);
    if (t > length - fade) level *= (length - t) / fade;
    return level > 0.0f ? level : 0.0f;
}

static double midiFrequency(int note) { return 440.0 * std::pow(2.0, (note - 69) / 12.0); }

static long beatStart(int bar, float beat) {
    return static_cast<long>(bar) * kBeatsPerBar * kSamplesPerBeat + std::lround(beat * kSamplesPerBeat);
}

// ---- instruments ------------------------------------------------------------

// A plucked sawtooth whose upper partials die away first.
static void bassNote(Mix& mix, long start, int note, float seconds, float volume) {
    double frequency = midiFrequency(note);
    int frames = static_cast<int>(seconds * kSampleRate);
    for (int i = 0; i < frames; ++i) {
        float t = static_cast<float>(i) / kSampleRate;
        double phase = frequency * i / kSampleRate;
        float value = 0.0f;
        for (int k = 1; k <= 8; ++k)
            value += static_cast<float>(std::sin(kTwoPi * k * phase)) / static_cast<float>(k) * std::exp(-t * 4.0f * k);
        addFrame(mix, start + i, volume * value * envelope(t, seconds, 0.004f, 0.35f), 0.0f);
    }
}

// Soft pad: a triangle-like tone per ear, slightly detuned for width.
static void padNote(Mix& mix, long start, int note, float seconds, float volume) {
    int frames = static_cast<int>(seconds * kSampleRate);
    for (int ear = 0; ear < 2; ++ear) {
        double frequency = midiFrequency(note) * (ear == 0 ? 0.998 : 1.002);
        float pan = ear == 0 ? -0.8f : 0.8f;
        for (int i = 0; i < frames; ++i) {
            float t = static_cast<float>(i) / kSampleRate;
            double phase = frequency * i / kSampleRate;
            float value = 0.0f;
            for (int k = 1; k <= 7; k += 2)
                value += static_cast<float>(std::sin(kTwoPi * k * phase)) / static_cast<float>(k * k);
            float swell = t < 0.06f ? t / 0.06f : 1.0f;
            float release = t > seconds - 0.15f ? (seconds - t) / 0.15f : 1.0f;
            addFrame(mix, start + i, volume * value * swell * (release > 0.0f ? release : 0.0f), pan);
        }
    }
}

// Short bright pluck for off-beat chord stabs and the arpeggio.
static void pluckNote(Mix& mix, long start, int note, float seconds, float volume, float decay, float pan) {
    double frequency = midiFrequency(note);
    int frames = static_cast<int>(seconds * kSampleRate);
    for (int i = 0; i < frames; ++i) {
        float t = static_cast<float>(i) / kSampleRate;
        double phase = frequency * i / kSampleRate;
        float value = 0.0f;
        for (int k = 1; k <= 9; k += 2)
            value += static_cast<float>(std::sin(kTwoPi * k * phase)) / static_cast<float>(k);
        addFrame(mix, start + i, volume * value * envelope(t, seconds, 0.003f, decay), pan);
    }
}

// A sine falling from 120 Hz to 45 Hz.
static void kick(Mix& mix, long start, float volume) {
    const float seconds = 0.35f;
    int frames = static_cast<int>(seconds * kSampleRate);
    double phase = 0.0;
    for (int i = 0; i < frames; ++i) {
        float t = static_cast<float>(i) / kSampleRate;
        double frequency = 45.0 + 75.0 * std::exp(-t / 0.04f);
        phase += frequency / kSampleRate;
        float value = static_cast<float>(std::sin(kTwoPi * phase));
        addFrame(mix, start + i, volume * value * envelope(t, seconds, 0.002f, 0.12f), 0.0f);
    }
}

// High-passed noise (first difference) with an optional body tone.
static void noiseHit(Mix& mix, Random& random, long start, float seconds, float decay, float volume, float toneHz,
                     float pan) {
    int frames = static_cast<int>(seconds * kSampleRate);
    float previous = 0.0f;
    for (int i = 0; i < frames; ++i) {
        float t = static_cast<float>(i) / kSampleRate;
        float noise = randomRange(random, -1.0f, 1.0f);
        float value = 0.6f * (noise - previous);
        previous = noise;
        if (toneHz > 0.0f) value += 0.8f * std::sin(static_cast<float>(kTwoPi) * toneHz * t) * std::exp(-t / 0.05f);
        addFrame(mix, start + i, volume * value * envelope(t, seconds, 0.001f, decay), pan);
    }
}

// ---- the arrangement --------------------------------------------------------

struct Chord {
    int bass;  // root in the bass register
    int tones[3];  // the chord in the middle register
};

static void arrange(Mix& mix) {
    // Am F C G | Am F G E
    const Chord chords[kBars] = {{45, {57, 60, 64}}, {41, {57, 60, 65}}, {48, {55, 60, 64}}, {43, {55, 59, 62}},
                                 {45, {57, 60, 64}}, {41, {57, 60, 65}}, {43, {55, 59, 62}}, {40, {56, 59, 64}}};
    const int bassSteps[8] = {0, 0, 12, 0, 7, 0, 12, 7};
    const int arpeggio[16] = {0, 1, 2, 3, 2, 1, 0, 1, 2, 3, 2, 1, 0, 1, 2, 3};
    Random random = randomSeeded(2018);

    for (int bar = 0; bar < kBars; ++bar) {
        const Chord& chord = chords[bar];
        for (int tone : chord.tones) padNote(mix, beatStart(bar, 0.0f), tone, 2.0f, 0.05f);
        for (int step = 0; step < 8; ++step)
            bassNote(mix, beatStart(bar, 0.5f * step), chord.bass + bassSteps[step], 0.22f, 0.28f);
        for (int beat = 0; beat < kBeatsPerBar; ++beat) {
            for (int tone : chord.tones)
                pluckNote(mix, beatStart(bar, beat + 0.5f), tone + 12, 0.12f, 0.035f, 0.05f, 0.35f);
        }
        if (bar >= 4) {  // the second half adds an arpeggio
            for (int step = 0; step < 16; ++step) {
                int index = arpeggio[step];
                int note = (index == 3 ? chord.tones[0] + 12 : chord.tones[index]) + 12;
                pluckNote(mix, beatStart(bar, 0.25f * step), note, 0.2f, 0.03f, 0.09f, -0.35f);
            }
        }

        for (int beat = 0; beat < kBeatsPerBar; ++beat) {
            kick(mix, beatStart(bar, static_cast<float>(beat)), 0.6f);
            noiseHit(mix, random, beatStart(bar, beat + 0.5f), 0.08f, 0.025f, 0.12f, 0.0f, 0.3f);
        }
        bool lastBar = bar == kBars - 1;
        noiseHit(mix, random, beatStart(bar, 1.0f), 0.2f, 0.07f, 0.3f, 190.0f, 0.0f);
        if (lastBar) {
            // A short fill leading back to the top; its last hit ends well before the loop point.
            noiseHit(mix, random, beatStart(bar, 3.0f), 0.2f, 0.07f, 0.26f, 190.0f, 0.0f);
            noiseHit(mix, random, beatStart(bar, 3.25f), 0.12f, 0.05f, 0.22f, 200.0f, 0.0f);
            noiseHit(mix, random, beatStart(bar, 3.5f), 0.2f, 0.06f, 0.3f, 210.0f, 0.0f);
        } else {
            noiseHit(mix, random, beatStart(bar, 3.0f), 0.2f, 0.07f, 0.3f, 190.0f, 0.0f);
        }
        if (bar % 4 == 3) noiseHit(mix, random, beatStart(bar, 3.5f), 0.22f, 0.1f, 0.1f, 0.0f, -0.3f);  // open hat
    }
}

// ---- writing ----------------------------------------------------------------

static void putU32(std::vector<unsigned char>& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

static void putU16(std::vector<unsigned char>& out, uint16_t value) {
    out.push_back(static_cast<unsigned char>(value));
    out.push_back(static_cast<unsigned char>(value >> 8));
}

static void putText(std::vector<unsigned char>& out, const char* four) { out.insert(out.end(), four, four + 4); }

bool generateSoundtrack(const std::string& outDir) {
    Mix mix;
    mix.left.assign(kLoopSamples, 0.0f);
    mix.right.assign(kLoopSamples, 0.0f);
    arrange(mix);

    float peak = 1e-6f;
    for (int i = 0; i < kLoopSamples; ++i)
        peak = std::fmax(peak, std::fmax(std::fabs(mix.left[i]), std::fabs(mix.right[i])));
    float gain = 0.89f / peak;

    const uint16_t channels = 2, bits = 16;
    const uint32_t dataBytes = static_cast<uint32_t>(kLoopSamples) * channels * (bits / 8);
    std::vector<unsigned char> wav;
    wav.reserve(44 + dataBytes);
    putText(wav, "RIFF");
    putU32(wav, 36 + dataBytes);
    putText(wav, "WAVE");
    putText(wav, "fmt ");
    putU32(wav, 16);
    putU16(wav, 1);  // PCM
    putU16(wav, channels);
    putU32(wav, kSampleRate);
    putU32(wav, kSampleRate * channels * (bits / 8));
    putU16(wav, channels * (bits / 8));
    putU16(wav, bits);
    putText(wav, "data");
    putU32(wav, dataBytes);
    for (int i = 0; i < kLoopSamples; ++i) {
        putU16(wav, static_cast<uint16_t>(static_cast<int16_t>(std::lround(mix.left[i] * gain * 32767.0f))));
        putU16(wav, static_cast<uint16_t>(static_cast<int16_t>(std::lround(mix.right[i] * gain * 32767.0f))));
    }

    std::string path = outDir + "/fiesta2018.wav";
    FILE* file = std::fopen(path.c_str(), "wb");
    bool written = file && std::fwrite(wav.data(), 1, wav.size(), file) == wav.size();
    if (file && std::fclose(file) != 0) written = false;
    if (!written) {
        std::fprintf(stderr, "%s: cannot write the file\n", path.c_str());
        return false;
    }
    reportFile(path,
               ", " + std::to_string(kBars) + " bars, " + std::to_string(kLoopSamples / kSampleRate) + " s stereo");
    return true;
}
