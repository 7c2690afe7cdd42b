#include "tools/demo_tool/video_encoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstring>

struct VideoEncoder {
    AVFormatContext* format = nullptr;
    AVCodecContext* video = nullptr;
    AVCodecContext* audio = nullptr;
    AVStream* videoStream = nullptr;
    AVStream* audioStream = nullptr;
    SwsContext* converter = nullptr;
    AVFrame* picture = nullptr;
    AVFrame* sound = nullptr;  // the audio frame being filled
    AVPacket* packet = nullptr;
    int fps = 60;
    int64_t framesDone = 0;
    std::vector<std::vector<float>> loop;  // the soundtrack, one plane per channel at the encoder's rate
    int64_t soundDone = 0;  // samples put into audio frames so far
    int soundFill = 0;  // samples in `sound` not yet encoded
};

namespace {
std::string describe(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

bool fail(std::string* error, const std::string& message) {
    *error = message;
    return false;
}

// A new stream of the file carrying what the opened encoder codec makes;
// null when out of memory.
AVStream* addStream(VideoEncoder* encoder, const AVCodecContext* codec) {
    AVStream* stream = avformat_new_stream(encoder->format, nullptr);
    if (!stream) return nullptr;
    avcodec_parameters_from_context(stream->codecpar, codec);
    stream->time_base = codec->time_base;
    return stream;
}

// Moves every packet the encoder has ready into the file.
bool writePackets(VideoEncoder* encoder, AVCodecContext* codec, AVStream* stream, std::string* error) {
    for (;;) {
        int result = avcodec_receive_packet(codec, encoder->packet);
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return true;
        if (result < 0) return fail(error, "encoding failed: " + describe(result));
        av_packet_rescale_ts(encoder->packet, codec->time_base, stream->time_base);
        encoder->packet->stream_index = stream->index;
        result = av_interleaved_write_frame(encoder->format, encoder->packet);
        if (result < 0) return fail(error, "writing failed: " + describe(result));
    }
}

// Sends a frame (null: the end) and writes what comes out.
bool encode(VideoEncoder* encoder, AVCodecContext* codec, AVStream* stream, AVFrame* frame, std::string* error) {
    int result = avcodec_send_frame(codec, frame);
    if (result < 0) return fail(error, "encoding failed: " + describe(result));
    return writePackets(encoder, codec, stream, error);
}

bool openVideoStream(VideoEncoder* encoder, const VideoSettings& settings, std::string* error) {
    const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
    if (!codec) return fail(error, "FFmpeg's libraries here have no H.264 encoder (libx264)");
    AVCodecContext* video = encoder->video = avcodec_alloc_context3(codec);
    if (!video) return fail(error, "out of memory");
    video->width = settings.width;
    video->height = settings.height;
    video->pix_fmt = AV_PIX_FMT_YUV420P;
    video->time_base = AVRational{1, settings.fps};
    video->framerate = AVRational{settings.fps, 1};
    // sRGB pixels through swscale's default BT.601 matrix into limited range:
    // say so, so that players convert back the same way.
    video->color_range = AVCOL_RANGE_MPEG;
    video->colorspace = AVCOL_SPC_SMPTE170M;
    video->color_primaries = AVCOL_PRI_BT709;
    video->color_trc = AVCOL_TRC_IEC61966_2_1;
    av_opt_set_double(video->priv_data, "crf", settings.crf, 0);
    if (encoder->format->oformat->flags & AVFMT_GLOBALHEADER) video->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    int result = avcodec_open2(video, codec, nullptr);
    if (result < 0)
        return fail(error, "the H.264 encoder refuses " + std::to_string(settings.width) + "x" +
                               std::to_string(settings.height) + ": " + describe(result));

    encoder->videoStream = addStream(encoder, video);
    if (!encoder->videoStream) return fail(error, "out of memory");
    encoder->videoStream->avg_frame_rate = video->framerate;

    encoder->picture = av_frame_alloc();
    if (!encoder->picture) return fail(error, "out of memory");
    encoder->picture->format = video->pix_fmt;
    encoder->picture->width = video->width;
    encoder->picture->height = video->height;
    if (av_frame_get_buffer(encoder->picture, 0) < 0) return fail(error, "out of memory");
    encoder->converter = sws_getContext(video->width, video->height, AV_PIX_FMT_RGBA, video->width, video->height,
                                        AV_PIX_FMT_YUV420P, SWS_BICUBIC, nullptr, nullptr, nullptr);
    if (!encoder->converter) return fail(error, "no pixel converter from RGBA to yuv420p");
    return true;
}

// The encoder's sample rate: the soundtrack's when AAC has it, else 48 kHz.
int aacSampleRate(const AVCodec* codec, int wanted) {
    for (const int* rate = codec->supported_samplerates; rate && *rate; ++rate)
        if (*rate == wanted) return wanted;
    return 48000;
}

// The soundtrack converted once to the encoder's planar layout and rate, so
// that looping is a copy.
bool convertSoundtrack(VideoEncoder* encoder, const Soundtrack& soundtrack, std::string* error) {
    AVCodecContext* audio = encoder->audio;
    encoder->loop.assign(audio->ch_layout.nb_channels, std::vector<float>());
    const int inputFrames = (int)(soundtrack.samples.size() / soundtrack.channels);
    if (inputFrames == 0) return true;
    AVChannelLayout inputLayout;
    av_channel_layout_default(&inputLayout, soundtrack.channels);
    SwrContext* resampler = nullptr;
    if (swr_alloc_set_opts2(&resampler, &audio->ch_layout, AV_SAMPLE_FMT_FLTP, audio->sample_rate, &inputLayout,
                            AV_SAMPLE_FMT_FLT, soundtrack.sampleRate, 0, nullptr) < 0 ||
        swr_init(resampler) < 0) {
        swr_free(&resampler);
        return fail(error, "the soundtrack's format cannot be converted for AAC");
    }
    const int capacity = swr_get_out_samples(resampler, inputFrames) + 64;
    for (std::vector<float>& plane : encoder->loop) plane.resize((size_t)capacity);
    std::vector<uint8_t*> planes;
    for (std::vector<float>& plane : encoder->loop) planes.push_back((uint8_t*)plane.data());
    const uint8_t* input = (const uint8_t*)soundtrack.samples.data();
    int produced = swr_convert(resampler, planes.data(), capacity, &input, inputFrames);
    if (produced >= 0) {
        // The resampler's tail.
        for (size_t c = 0; c < planes.size(); ++c) planes[c] = (uint8_t*)(encoder->loop[c].data() + produced);
        const int tail = swr_convert(resampler, planes.data(), capacity - produced, nullptr, 0);
        produced = tail < 0 ? tail : produced + tail;
    }
    swr_free(&resampler);
    if (produced <= 0) return fail(error, "the soundtrack could not be converted for AAC");
    for (std::vector<float>& plane : encoder->loop) plane.resize((size_t)produced);
    return true;
}

bool openAudioStream(VideoEncoder* encoder, const Soundtrack& soundtrack, std::string* error) {
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
    if (!codec) return fail(error, "FFmpeg's libraries here have no AAC encoder");
    AVCodecContext* audio = encoder->audio = avcodec_alloc_context3(codec);
    if (!audio) return fail(error, "out of memory");
    audio->sample_fmt = AV_SAMPLE_FMT_FLTP;
    audio->sample_rate = aacSampleRate(codec, soundtrack.sampleRate);
    av_channel_layout_default(&audio->ch_layout, soundtrack.channels == 1 ? 1 : 2);
    audio->bit_rate = 96000 * audio->ch_layout.nb_channels;
    audio->time_base = AVRational{1, audio->sample_rate};
    if (encoder->format->oformat->flags & AVFMT_GLOBALHEADER) audio->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    int result = avcodec_open2(audio, codec, nullptr);
    if (result < 0) return fail(error, "the AAC encoder cannot be opened: " + describe(result));

    encoder->audioStream = addStream(encoder, audio);
    if (!encoder->audioStream) return fail(error, "out of memory");

    encoder->sound = av_frame_alloc();
    if (!encoder->sound) return fail(error, "out of memory");
    encoder->sound->format = audio->sample_fmt;
    encoder->sound->sample_rate = audio->sample_rate;
    encoder->sound->nb_samples = audio->frame_size;
    av_channel_layout_copy(&encoder->sound->ch_layout, &audio->ch_layout);
    if (av_frame_get_buffer(encoder->sound, 0) < 0) return fail(error, "out of memory");
    return convertSoundtrack(encoder, soundtrack, error);
}

bool encodeSound(VideoEncoder* encoder, std::string* error) {
    encoder->sound->nb_samples = encoder->soundFill;
    encoder->sound->pts = encoder->soundDone - encoder->soundFill;
    encoder->soundFill = 0;
    return encode(encoder, encoder->audio, encoder->audioStream, encoder->sound, error);
}

// Fills audio frames with the looped soundtrack (or silence) up to `end`
// samples from the start, encoding each full frame.
bool addSound(VideoEncoder* encoder, int64_t end, std::string* error) {
    AVFrame* sound = encoder->sound;
    const int frameSize = encoder->audio->frame_size;
    while (encoder->soundDone < end) {
        if (encoder->soundFill == 0 && av_frame_make_writable(sound) < 0) return fail(error, "out of memory");
        const int count = (int)std::min<int64_t>(frameSize - encoder->soundFill, end - encoder->soundDone);
        for (size_t c = 0; c < encoder->loop.size(); ++c) {
            float* out = (float*)sound->extended_data[c] + encoder->soundFill;
            const std::vector<float>& plane = encoder->loop[c];
            if (plane.empty()) {
                std::fill(out, out + count, 0.0f);
                continue;
            }
            int64_t at = encoder->soundDone % (int64_t)plane.size();
            for (int i = 0; i < count; ++i) {
                out[i] = plane[(size_t)at];
                if (++at == (int64_t)plane.size()) at = 0;
            }
        }
        encoder->soundFill += count;
        encoder->soundDone += count;
        if (encoder->soundFill == frameSize && !encodeSound(encoder, error)) return false;
    }
    return true;
}
}  // namespace

Soundtrack readSoundtrack(const char* path) {
    Soundtrack soundtrack;
    AVFormatContext* input = nullptr;
    AVCodecContext* decoder = nullptr;
    SwrContext* converter = nullptr;
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    std::vector<float> converted;
    const AVCodec* codec = nullptr;
    int stream = -1;
    bool ok = packet && frame && avformat_open_input(&input, path, nullptr, nullptr) >= 0 &&
              avformat_find_stream_info(input, nullptr) >= 0 &&
              (stream = av_find_best_stream(input, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0)) >= 0 &&
              (decoder = avcodec_alloc_context3(codec)) != nullptr &&
              avcodec_parameters_to_context(decoder, input->streams[stream]->codecpar) >= 0 &&
              avcodec_open2(decoder, codec, nullptr) >= 0 && decoder->ch_layout.nb_channels > 0 &&
              swr_alloc_set_opts2(&converter, &decoder->ch_layout, AV_SAMPLE_FMT_FLT, decoder->sample_rate,
                                  &decoder->ch_layout, decoder->sample_fmt, decoder->sample_rate, 0, nullptr) >= 0 &&
              swr_init(converter) >= 0;
    // Every decoded frame, then a flush (a null packet) for the decoder's last frames.
    for (bool draining = false; ok && !draining;) {
        int sent = 0;
        if (av_read_frame(input, packet) >= 0) {
            if (packet->stream_index != stream) {
                av_packet_unref(packet);
                continue;
            }
            sent = avcodec_send_packet(decoder, packet);
            av_packet_unref(packet);
        } else {
            draining = true;
            sent = avcodec_send_packet(decoder, nullptr);
        }
        if (sent < 0 && sent != AVERROR(EAGAIN)) ok = false;
        while (ok && avcodec_receive_frame(decoder, frame) >= 0) {
            const int channels = decoder->ch_layout.nb_channels;
            converted.resize((size_t)frame->nb_samples * channels);
            uint8_t* out = (uint8_t*)converted.data();
            const int produced = swr_convert(converter, &out, frame->nb_samples, (const uint8_t**)frame->extended_data,
                                             frame->nb_samples);
            if (produced < 0)
                ok = false;
            else
                soundtrack.samples.insert(soundtrack.samples.end(), converted.begin(),
                                          converted.begin() + (ptrdiff_t)produced * channels);
            av_frame_unref(frame);
        }
    }
    if (ok) {
        soundtrack.channels = decoder->ch_layout.nb_channels;
        soundtrack.sampleRate = decoder->sample_rate;
    } else {
        soundtrack.samples.clear();
    }
    swr_free(&converter);
    avcodec_free_context(&decoder);
    avformat_close_input(&input);
    av_frame_free(&frame);
    av_packet_free(&packet);
    return soundtrack;
}

VideoEncoder* openVideoEncoder(const VideoSettings& settings, const Soundtrack& soundtrack, std::string* error) {
    av_log_set_level(AV_LOG_ERROR);  // the libraries' notes would bury the tool's own lines
    VideoEncoder* encoder = new VideoEncoder;
    encoder->fps = settings.fps;
    int result =
        avformat_alloc_output_context2(&encoder->format, nullptr, settings.container.c_str(), settings.path.c_str());
    bool ok = result >= 0 || fail(error, "FFmpeg's libraries here cannot write " + settings.container);
    ok = ok && (encoder->packet = av_packet_alloc()) != nullptr;
    ok = ok && openVideoStream(encoder, settings, error) && openAudioStream(encoder, soundtrack, error);
    if (ok) {
        result = avio_open(&encoder->format->pb, settings.path.c_str(), AVIO_FLAG_WRITE);
        ok = result >= 0 || fail(error, settings.path + ": " + describe(result));
    }
    if (ok) {
        // MP4: the index goes to the front when the file is finished, so that
        // players can start before the whole file has arrived.
        AVDictionary* options = nullptr;
        if (settings.container == "mp4") av_dict_set(&options, "movflags", "+faststart", 0);
        result = avformat_write_header(encoder->format, &options);
        av_dict_free(&options);
        ok = result >= 0 || fail(error, settings.path + ": " + describe(result));
    }
    if (!ok) {
        closeVideoEncoder(encoder);
        return nullptr;
    }
    return encoder;
}

bool encodeVideoFrame(VideoEncoder* encoder, const unsigned char* rgba, std::string* error) {
    AVFrame* picture = encoder->picture;
    if (av_frame_make_writable(picture) < 0) return fail(error, "out of memory");
    const uint8_t* source[1] = {rgba};
    const int sourceStride[1] = {picture->width * 4};
    sws_scale(encoder->converter, source, sourceStride, 0, picture->height, picture->data, picture->linesize);
    picture->pts = encoder->framesDone++;
    if (!encode(encoder, encoder->video, encoder->videoStream, picture, error)) return false;
    return addSound(encoder, encoder->framesDone * encoder->audio->sample_rate / encoder->fps, error);
}

bool finishVideo(VideoEncoder* encoder, std::string* error) {
    if (encoder->soundFill > 0 && !encodeSound(encoder, error)) return false;  // a short last frame
    if (!encode(encoder, encoder->video, encoder->videoStream, nullptr, error) ||
        !encode(encoder, encoder->audio, encoder->audioStream, nullptr, error))
        return false;
    const int result = av_write_trailer(encoder->format);
    if (result < 0) return fail(error, "writing failed: " + describe(result));
    return true;
}

void closeVideoEncoder(VideoEncoder* encoder) {
    if (!encoder) return;
    if (encoder->format && encoder->format->pb) avio_closep(&encoder->format->pb);
    avformat_free_context(encoder->format);
    avcodec_free_context(&encoder->video);
    avcodec_free_context(&encoder->audio);
    sws_freeContext(encoder->converter);
    av_frame_free(&encoder->picture);
    av_frame_free(&encoder->sound);
    av_packet_free(&encoder->packet);
    delete encoder;
}
