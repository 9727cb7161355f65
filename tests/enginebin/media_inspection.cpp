#include "media_inspection.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <functional>

namespace enginebin_test {
namespace {

struct Decoding {
  AVFormatContext* input = nullptr;
  AVCodecContext* decoder = nullptr;
  int stream = -1;
  ~Decoding() {
    avcodec_free_context(&decoder);
    avformat_close_input(&input);
  }
  bool open(const std::string& path) {
    // The library's notes about test files would only clutter the test log.
    av_log_set_level(AV_LOG_QUIET);
    if (avformat_open_input(&input, ("file:" + path).c_str(), nullptr, nullptr) < 0) return false;
    if (avformat_find_stream_info(input, nullptr) < 0) return false;
    stream = av_find_best_stream(input, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (stream < 0) return false;
    const AVCodec* codec = avcodec_find_decoder(input->streams[stream]->codecpar->codec_id);
    decoder = avcodec_alloc_context3(codec);
    avcodec_parameters_to_context(decoder, input->streams[stream]->codecpar);
    decoder->pkt_timebase = input->streams[stream]->time_base;
    return avcodec_open2(decoder, codec, nullptr) >= 0;
  }
  // Calls back with every decoded frame.
  void decode_all(const std::function<void(const AVFrame&)>& on_frame) {
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    auto drain = [&] {
      while (avcodec_receive_frame(decoder, frame) == 0) {
        on_frame(*frame);
        av_frame_unref(frame);
      }
    };
    while (av_read_frame(input, packet) >= 0) {
      if (packet->stream_index == stream) {
        avcodec_send_packet(decoder, packet);
        drain();
      }
      av_packet_unref(packet);
    }
    avcodec_send_packet(decoder, nullptr);
    drain();
    av_frame_free(&frame);
    av_packet_free(&packet);
  }
};

}  // namespace

std::optional<AudioFacts> inspect_audio(const std::string& path) {
  Decoding decoding;
  if (!decoding.open(path)) return std::nullopt;
  AudioFacts facts;
  facts.format = decoding.input->iformat->name;
  facts.codec = avcodec_get_name(decoding.decoder->codec_id);
  facts.sample_rate = decoding.decoder->sample_rate;
  facts.channels = decoding.decoder->ch_layout.nb_channels;
  decoding.decode_all([&](const AVFrame& frame) { facts.samples += frame.nb_samples; });
  return facts;
}

std::vector<int16_t> decode_s16(const std::string& path) {
  Decoding decoding;
  std::vector<int16_t> samples;
  if (!decoding.open(path)) return samples;
  decoding.decode_all([&](const AVFrame& frame) {
    if (frame.format == AV_SAMPLE_FMT_S16) {
      const auto* data = reinterpret_cast<const int16_t*>(frame.data[0]);
      samples.insert(samples.end(), data, data + frame.nb_samples * frame.ch_layout.nb_channels);
    }
  });
  return samples;
}

std::vector<float> decode_samples(const std::string& path) {
  Decoding decoding;
  std::vector<float> samples;
  if (!decoding.open(path)) return samples;
  decoding.decode_all([&](const AVFrame& frame) {
    const auto format = static_cast<AVSampleFormat>(frame.format);
    const int channels = frame.ch_layout.nb_channels;
    const bool planar = av_sample_fmt_is_planar(format) != 0;
    for (int i = 0; i < frame.nb_samples; ++i)
      for (int c = 0; c < channels; ++c) {
        const int plane = planar ? c : 0;
        const int index = planar ? i : i * channels + c;
        switch (av_get_packed_sample_fmt(format)) {
          case AV_SAMPLE_FMT_FLT:
            samples.push_back(reinterpret_cast<const float*>(frame.extended_data[plane])[index]);
            break;
          case AV_SAMPLE_FMT_S16:
            samples.push_back(reinterpret_cast<const int16_t*>(frame.extended_data[plane])[index] / 32768.0f);
            break;
          case AV_SAMPLE_FMT_S32:
            samples.push_back(
                static_cast<float>(reinterpret_cast<const int32_t*>(frame.extended_data[plane])[index] / 2147483648.0));
            break;
          default: samples.push_back(0.0f);
        }
      }
  });
  return samples;
}

std::optional<int64_t> reported_duration(const std::string& path) {
  AVFormatContext* input = nullptr;
  if (avformat_open_input(&input, ("file:" + path).c_str(), nullptr, nullptr) < 0) return std::nullopt;
  std::optional<int64_t> duration;
  if (avformat_find_stream_info(input, nullptr) >= 0 && input->duration != AV_NOPTS_VALUE) duration = input->duration;
  avformat_close_input(&input);
  return duration;
}

}  // namespace enginebin_test
