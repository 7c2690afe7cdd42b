// demo-tool record as a user runs it: a short recording read back with
// libavformat and compared with capture's frame and the soundtrack's samples,
// a run stopped with Ctrl+C on a terminal, and bad input.
#include <gtest/gtest.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}
#include <SDL2/SDL.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e/capture_run.h"
#include "tests/support/scratch_dir.h"

namespace {
// What a recording holds, decoded.
struct Recording {
    std::string container;
    int videoStreams = 0, audioStreams = 0;
    std::string videoCodec, audioCodec;
    int width = 0, height = 0, pixelFormat = -1;
    double frameRate = 0.0;
    std::vector<double> frameTimes;  // seconds, in decoding order of output
    std::vector<uint8_t> keptLuma;  // the luma plane of the frame numbered `keep` (from 1)
    int keptWidth = 0;
    std::vector<float> left;  // the first audio channel, as decoded (encoder padding included)
    double audioSeconds = NAN;  // the audio track's length as the container states it, when it does
    int sampleRate = 0;
};

void decodeInto(AVCodecContext* codec, AVPacket* packet, AVFrame* frame, AVStream* stream, int keep,
                Recording& recording) {
    if (avcodec_send_packet(codec, packet) < 0) return;
    while (avcodec_receive_frame(codec, frame) == 0) {
        if (codec->codec_type == AVMEDIA_TYPE_VIDEO) {
            recording.frameTimes.push_back(frame->best_effort_timestamp * av_q2d(stream->time_base));
            if ((int)recording.frameTimes.size() == keep) {
                recording.keptWidth = frame->width;
                for (int y = 0; y < frame->height; ++y)
                    recording.keptLuma.insert(recording.keptLuma.end(), frame->data[0] + y * frame->linesize[0],
                                              frame->data[0] + y * frame->linesize[0] + frame->width);
            }
        } else if (frame->format == AV_SAMPLE_FMT_FLTP) {
            const float* samples = (const float*)frame->extended_data[0];
            recording.left.insert(recording.left.end(), samples, samples + frame->nb_samples);
        }
    }
}

Recording readRecording(const std::string& path, int keep) {
    Recording recording;
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0) return recording;
    avformat_find_stream_info(format, nullptr);
    recording.container = format->iformat->name;
    std::vector<AVCodecContext*> codecs(format->nb_streams, nullptr);
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        const AVCodecParameters* parameters = format->streams[i]->codecpar;
        const AVCodec* decoder = avcodec_find_decoder(parameters->codec_id);
        if (parameters->codec_type == AVMEDIA_TYPE_VIDEO) {
            ++recording.videoStreams;
            recording.videoCodec = avcodec_get_name(parameters->codec_id);
            recording.width = parameters->width;
            recording.height = parameters->height;
            recording.pixelFormat = parameters->format;
            recording.frameRate = av_q2d(format->streams[i]->avg_frame_rate);
        } else if (parameters->codec_type == AVMEDIA_TYPE_AUDIO) {
            ++recording.audioStreams;
            recording.audioCodec = avcodec_get_name(parameters->codec_id);
            recording.sampleRate = parameters->sample_rate;
            if (format->streams[i]->duration != AV_NOPTS_VALUE)
                recording.audioSeconds = format->streams[i]->duration * av_q2d(format->streams[i]->time_base);
        }
        codecs[i] = avcodec_alloc_context3(decoder);
        avcodec_parameters_to_context(codecs[i], parameters);
        codecs[i]->pkt_timebase = format->streams[i]->time_base;
        avcodec_open2(codecs[i], decoder, nullptr);
    }
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    while (av_read_frame(format, packet) >= 0) {
        const int index = packet->stream_index;
        decodeInto(codecs[index], packet, frame, format->streams[index], keep, recording);
        av_packet_unref(packet);
    }
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        decodeInto(codecs[i], nullptr, frame, format->streams[i], keep, recording);
        avcodec_free_context(&codecs[i]);
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
    avformat_close_input(&format);
    return recording;
}

// PSNR of a decoded luma plane against a PNG's pixels through the encoder's
// matrix (BT.601, limited range): the encoding loss, without the chroma
// halving that yuv420p implies.
double lumaPsnr(const std::vector<uint8_t>& luma, const Picture& picture) {
    double squares = 0.0;
    for (size_t i = 0; i < luma.size(); ++i) {
        const unsigned char* rgb = &picture.rgb[i * 3];
        const double expected = 16.0 + (65.481 * rgb[0] + 128.553 * rgb[1] + 24.966 * rgb[2]) / 255.0;
        squares += (luma[i] - expected) * (luma[i] - expected);
    }
    const double mean = squares / luma.size();
    return 10.0 * std::log10(255.0 * 255.0 / std::max(mean, 1e-9));
}

// The soundtrack's first channel as floats.
std::vector<float> soundtrackLeft() {
    std::vector<float> left;
    SDL_AudioSpec spec;
    Uint8* bytes = nullptr;
    Uint32 length = 0;
    if (!SDL_LoadWAV("data/fiesta2018.wav", &spec, &bytes, &length)) return left;
    if (spec.format == AUDIO_S16SYS)
        for (Uint32 i = 0; i + 1 < length; i += 2 * spec.channels)
            left.push_back(*(const int16_t*)(bytes + i) / 32768.0f);
    SDL_FreeWAV(bytes);
    return left;
}

// Normalised correlation of `count` samples of a at `lag` with b from 0.
double correlation(const std::vector<float>& a, size_t lag, const std::vector<float>& b, size_t count) {
    double ab = 0, aa = 0, bb = 0;
    for (size_t i = 0; i < count; ++i) {
        ab += (double)a[lag + i] * b[i];
        aa += (double)a[lag + i] * a[lag + i];
        bb += (double)b[i] * b[i];
    }
    return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0.0;
}

class RecordTool : public ::testing::Test {
protected:
    std::string out(const std::string& name) const { return scratch.file("out/" + name); }
    bool outIsEmpty() const { return std::filesystem::is_empty(scratch.file("out")); }
    void SetUp() override { std::filesystem::create_directories(scratch.file("out")); }
    ScratchDir scratch;
};
}  // namespace

TEST_F(RecordTool, RecordsCapturesFramesWithTheSoundtrackInMp4) {
    ToolRun run =
        runTool("record", "--out " + out("demo.mp4") + " --frames 120 --size 320x180", scratch.file("errors.txt"));
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(run.output.find('\n'), run.output.size() - 1) << run.output;
    EXPECT_EQ(jsonNumber(run.output, "frames"), 120);
    EXPECT_EQ(jsonNumber(run.output, "fps"), 60);
    EXPECT_EQ(jsonNumber(run.output, "duration"), 2.0);
    EXPECT_EQ(jsonNumber(run.output, "bytes"), (double)std::filesystem::file_size(out("demo.mp4")));
    EXPECT_GT(jsonNumber(run.output, "renderMedianMs"), 0.0) << run.output;
    EXPECT_GT(jsonNumber(run.output, "encodeMedianMs"), 0.0) << run.output;
    EXPECT_FALSE(std::filesystem::exists(out("demo.mp4.part")));

    const Recording recording = readRecording(out("demo.mp4"), 60);
    EXPECT_NE(recording.container.find("mp4"), std::string::npos) << recording.container;
    ASSERT_EQ(recording.videoStreams, 1);
    ASSERT_EQ(recording.audioStreams, 1);
    EXPECT_EQ(recording.videoCodec, "h264");
    EXPECT_EQ(recording.pixelFormat, AV_PIX_FMT_YUV420P);
    EXPECT_EQ(recording.width, 320);
    EXPECT_EQ(recording.height, 180);
    EXPECT_DOUBLE_EQ(recording.frameRate, 60.0);
    ASSERT_EQ(recording.frameTimes.size(), 120u);
    for (size_t n = 0; n < recording.frameTimes.size(); ++n)
        ASSERT_NEAR(recording.frameTimes[n], n / 60.0, 1e-3) << "frame " << n + 1;
    EXPECT_EQ(recording.audioCodec, "aac");
    ASSERT_EQ(recording.sampleRate, 44100);
    EXPECT_NEAR(recording.audioSeconds, 2.0, 0.001);
    EXPECT_GE(recording.left.size(), 88200u);

    // Frame 60 is the picture that capture saves for iteration 60.
    ToolRun capture = runCapture("--out " + scratch.file("shots") + " --frames 60 --size 320x180 --fast-forward",
                                 scratch.file("capture-errors.txt"));
    ASSERT_EQ(capture.exitCode, 0) << capture.errors;
    const Picture captured = readPicture(scratch.file("shots/frame-00060.png"));
    ASSERT_EQ(recording.keptWidth, captured.width);
    ASSERT_EQ(recording.keptLuma.size() * 3, captured.rgb.size());
    EXPECT_GE(lumaPsnr(recording.keptLuma, captured), 35.0);

    // The sound starts with the soundtrack's first samples.
    const std::vector<float> wav = soundtrackLeft();
    ASSERT_GT(wav.size(), 4096u);
    size_t bestLag = 0;
    double best = -1.0;
    for (size_t lag = 0; lag <= 2048; ++lag) {
        const double value = correlation(recording.left, lag, wav, 4096);
        if (value > best) best = value, bestLag = lag;
    }
    EXPECT_GT(best, 0.95);
    EXPECT_LE(bestLag, 4u) << "the sound is late by " << bestLag << " samples";
}

TEST_F(RecordTool, CtrlCKeepsAPlayableFileOfTheFramesDone) {
    // Standard error on a terminal, as for a user at the keyboard: the
    // progress line shows how far the run is.
    int terminal = -1, terminalSide = -1;
    ASSERT_EQ(openpty(&terminal, &terminalSide, nullptr, nullptr, nullptr), 0);
    int output[2];
    ASSERT_EQ(pipe(output), 0);
    const std::string path = out("stopped.mkv");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        dup2(output[1], 1);
        dup2(terminalSide, 2);
        execl(BIN_DIR "/demo-tool", "demo-tool", "record", "--out", path.c_str(), "--frames", "3000", "--size", "64x36",
              (char*)nullptr);
        _exit(127);
    }
    close(output[1]);
    close(terminalSide);

    std::string errors;
    int shown = 0;
    const auto start = std::chrono::steady_clock::now();
    while (shown < 3 && std::chrono::steady_clock::now() - start < std::chrono::seconds(120)) {
        pollfd wait = {terminal, POLLIN, 0};
        if (poll(&wait, 1, 1000) <= 0) continue;
        char buffer[256];
        const ssize_t got = read(terminal, buffer, sizeof buffer);
        if (got <= 0) break;
        errors.append(buffer, (size_t)got);
        const size_t line = errors.rfind("\rdemo-tool record: frame ");
        if (line != std::string::npos) shown = std::atoi(errors.c_str() + line + 25);
    }
    kill(child, SIGINT);
    std::string json;
    char buffer[256];
    ssize_t got;
    while ((got = read(output[0], buffer, sizeof buffer)) > 0) json.append(buffer, (size_t)got);
    int status = 0;
    waitpid(child, &status, 0);
    pollfd more = {terminal, POLLIN, 0};
    while (poll(&more, 1, 0) > 0 && (got = read(terminal, buffer, sizeof buffer)) > 0)
        errors.append(buffer, (size_t)got);
    close(output[0]);
    close(terminal);

    ASSERT_GE(shown, 3) << "no progress line on the terminal: " << errors;
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 128 + SIGINT) << errors;
    EXPECT_NE(errors.find("interrupted by SIGINT after frame"), std::string::npos) << errors;
    const double frames = jsonNumber(json, "frames");
    ASSERT_GE(frames, shown) << json;
    EXPECT_LT(frames, 3000);

    const Recording recording = readRecording(path, 0);
    EXPECT_EQ(recording.container, "matroska,webm");
    EXPECT_EQ((double)recording.frameTimes.size(), frames);
    // Matroska keeps the AAC encoder's priming and last-frame padding.
    EXPECT_GE(recording.left.size(), frames * 735);
    EXPECT_LE(recording.left.size(), frames * 735 + 2048);
    EXPECT_FALSE(std::filesystem::exists(path + ".part"));
}

TEST_F(RecordTool, BadInputExitsWithTwoBeforeWritingAnything) {
    const std::string bad[] = {
        "--out " + out("missing/demo.mp4"),
        "--out " + out("demo.avi"),
        "--out " + out("demo.mp4") + " --size 321x180",
        "--out " + out("demo.mp4") + " --size 8192x8192",
        "--out " + out("demo.mp4") + " --keys 1:F13:down",
        "--out " + out("demo.mp4") + " --keys 4321:Q:down",  // after the timeline
        "--out " + out("demo.mp4") + " --seconds nan",
        "--out " + out("demo.mp4") + " --fps 25",
        "--out " + out("demo.mp4") + " --quality 52",
        "--out " + out("demo.mp4") + " --frames 10 --seconds 1",
        "--out " + out("demo.mp4") + " --frames",
    };
    for (const std::string& arguments : bad) {
        ToolRun run = runTool("record", arguments, scratch.file("errors.txt"));
        EXPECT_EQ(run.exitCode, 2) << arguments;
        EXPECT_EQ(run.errors.rfind("demo-tool record: ", 0), 0u) << arguments << ": " << run.errors;
        EXPECT_EQ(run.output, "") << arguments;
        EXPECT_TRUE(outIsEmpty()) << arguments;
    }
    EXPECT_NE(runTool("record", "--out " + out("demo.mp4") + " --frames", scratch.file("errors.txt"))
                  .errors.find("--frames needs a number"),
              std::string::npos);

    // A folder that cannot be written (root writes anywhere).
    if (geteuid() != 0) {
        chmod(scratch.file("out").c_str(), 0555);
        ToolRun run = runTool("record", "--out " + out("demo.mp4"), scratch.file("errors.txt"));
        chmod(scratch.file("out").c_str(), 0755);
        EXPECT_EQ(run.exitCode, 2) << run.errors;
        EXPECT_TRUE(outIsEmpty());
    }
}

// A shader that does not build ends the process during start-up; the output
// folder must be left as it was.
TEST_F(RecordTool, ShaderThatFailsToBuildLeavesNothing) {
    namespace fs = std::filesystem;
    const std::string run = scratch.file("run");
    fs::create_directories(run);
    fs::copy("shaders", run + "/shaders", fs::copy_options::recursive);
    fs::create_directory_symlink(fs::absolute("data"), run + "/data");
    scratch.write("run/shaders/default_fs.glsl", "void main() { this does not compile }\n");
    const std::string command = "cd " + run + " && " BIN_DIR "/demo-tool record --frames 2 --size 64x36 --out " +
                                out("demo.mp4") + " > /dev/null 2>&1";
    const int status = std::system(command.c_str());
    EXPECT_NE(WEXITSTATUS(status), 0);
    EXPECT_TRUE(outIsEmpty());
}
