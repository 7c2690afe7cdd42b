// H.264 video with an AAC soundtrack, muxed into MP4 or Matroska through
// FFmpeg's libraries. Frame n (from 0) is shown at n / fps seconds; the
// soundtrack starts at time 0 and loops, and after every frame the sound is
// filled up to that frame's end, so the file ends with both streams equally
// long whenever it is finished.
#pragma once

#include <string>
#include <vector>

struct VideoEncoder;

struct VideoSettings {
    std::string path;  // the file written
    std::string container;  // FFmpeg's muxer name: "mp4" or "matroska"
    int width = 0, height = 0;  // even: the chroma planes are halved
    int fps = 60;
    double crf = 23.0;  // x264's constant rate factor, 0 (lossless) to 51
};

// Interleaved float samples, looped under the video; no samples: silence.
struct Soundtrack {
    std::vector<float> samples;
    int channels = 2;
    int sampleRate = 44100;
};

// Decodes a sound file (the demo's WAV soundtrack) into interleaved floats at
// its own rate and channel count; no samples when it cannot be read.
Soundtrack readSoundtrack(const char* path);

// Opens both encoders, creates the file and writes its header. Null, with a
// one-line reason in *error, when an encoder is missing or refuses the
// settings or the file cannot be written.
VideoEncoder* openVideoEncoder(const VideoSettings& settings, const Soundtrack& soundtrack, std::string* error);
// Appends a frame of RGBA pixels, top row first, and the soundtrack up to the
// frame's end.
bool encodeVideoFrame(VideoEncoder* encoder, const unsigned char* rgba, std::string* error);
// Drains both encoders and writes the trailer: the file is complete.
bool finishVideo(VideoEncoder* encoder, std::string* error);
// Closes the file (as it is, when not finished) and frees everything.
void closeVideoEncoder(VideoEncoder* encoder);
