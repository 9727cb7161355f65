#include "loudness_pass.h"

#include "audio_decoder.h"
#include "audio_pipeline.h"
#include "console.h"
#include "engine_error.h"
#include "input_file.h"
#include "loudness_meter.h"
#include "output_settings.h"
#include "resampler.h"
#include "summary_report.h"

extern "C" {
#include <libavutil/channel_layout.h>
}

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

namespace enginebin {
namespace {

constexpr double kCeiling = -1.0;  // dBTP
constexpr int kTrials = 3;         // encodings at most to find the gain for a lossy format

// What each channel adds to the loudness: the LFE nothing, the surround channels more.
std::vector<double> channel_weights(const AVChannelLayout& layout) {
  std::vector<double> weights;
  for (int i = 0; i < layout.nb_channels; ++i) {
    switch (av_channel_layout_channel_from_index(&layout, static_cast<unsigned>(i))) {
      case AV_CHAN_LOW_FREQUENCY:
      case AV_CHAN_LOW_FREQUENCY_2: weights.push_back(0.0); break;
      case AV_CHAN_SIDE_LEFT:
      case AV_CHAN_SIDE_RIGHT:
      case AV_CHAN_BACK_LEFT:
      case AV_CHAN_BACK_RIGHT: weights.push_back(1.41); break;
      default: weights.push_back(1.0); break;
    }
  }
  return weights;
}

struct ParametersFreer {
  void operator()(AVCodecParameters* parameters) const { avcodec_parameters_free(&parameters); }
};
using ParametersPtr = std::unique_ptr<AVCodecParameters, ParametersFreer>;

// The encoder's packets decoded again, as a player will, and measured as plain float samples.
class EncodedLoudness {
 public:
  EncodedLoudness(const AVCodecContext& encoder, const OutputSettings& settings, const std::string& input_name)
      : as_float_(float_settings(settings)), parameters_(parameters_of(encoder)),
        decoder_(*parameters_, encoder.time_base, input_name), resampler_(as_float_),
        meter_(settings.sample_rate, channel_weights(settings.channel_layout)) {}

  void add(const AVPacket* packet) {
    decoder_.decode(packet, [this](AVFrame& frame) { resampler_.convert(frame, 0, measure()); });
  }
  void finish() {
    add(nullptr);
    resampler_.flush(measure());
  }
  const LoudnessMeter& meter() const { return meter_; }

 private:
  static OutputSettings float_settings(const OutputSettings& settings) {
    OutputSettings as_float = settings;
    as_float.sample_format = AV_SAMPLE_FMT_FLT;
    as_float.gain = 1.0;
    return as_float;
  }
  static ParametersPtr parameters_of(const AVCodecContext& encoder) {
    ParametersPtr parameters(avcodec_parameters_alloc());
    if (!parameters) throw EngineError("Could not allocate the decoder (out of memory)");
    check_av(avcodec_parameters_from_context(parameters.get(), &encoder), "Could not set up the decoder for",
             encoder.codec->name);
    return parameters;
  }
  Resampler::Sink measure() {
    return [this](uint8_t* const* data, int count) { meter_.add(reinterpret_cast<const float*>(data[0]), count); };
  }

  OutputSettings as_float_;
  ParametersPtr parameters_;
  AudioDecoder decoder_;
  Resampler resampler_;
  LoudnessMeter meter_;
};

void rewind(AVFormatContext& input, const std::string& input_name) {
  const int64_t start = input_start_time(input);
  if (avformat_seek_file(&input, -1, std::numeric_limits<int64_t>::min(), start, start, 0) < 0)
    throw EngineError("'" + input_name + "' cannot be read a second time, which -loudness needs");
}

struct Measurement {
  double loudness = 0;   // LUFS
  double true_peak = 0;  // dBTP
  bool audible() const { return std::isfinite(loudness) && std::isfinite(true_peak); }
};

// The range as the settings would hand it to the encoder, as plain float samples.
Measurement measure_source(AVFormatContext& input, AVStream& audio, const std::string& input_name,
                           const OutputSettings& settings) {
  OutputSettings measuring = settings;
  measuring.encoder = avcodec_find_encoder(AV_CODEC_ID_PCM_F32LE);
  measuring.sample_format = AV_SAMPLE_FMT_FLT;
  if (measuring.encoder == nullptr) throw EngineError("The encoder 'pcm_f32le' is not available in this build");
  const int channels = settings.channel_layout.nb_channels;
  LoudnessMeter meter(settings.sample_rate, channel_weights(settings.channel_layout));
  {
    AudioPipeline pipeline(input, audio, input_name, measuring, whole_range(measuring));
    pipeline.run([&](AVPacket& packet) {
      meter.add(reinterpret_cast<const float*>(packet.data), packet.size / static_cast<int>(sizeof(float)) / channels);
    });
  }
  rewind(input, input_name);
  return {meter.integrated(), meter.true_peak()};
}

// The range encoded as the settings ask and decoded again, as a player will hear it.
Measurement measure_encoded(AVFormatContext& input, AVStream& audio, const std::string& input_name,
                            const OutputSettings& settings) {
  Measurement measurement;
  {
    AudioPipeline pipeline(input, audio, input_name, settings, whole_range(settings));
    EncodedLoudness encoded(pipeline.encoder(), settings, input_name);
    pipeline.run([&](AVPacket& packet) { encoded.add(&packet); });
    encoded.finish();
    measurement = {encoded.meter().integrated(), encoded.meter().true_peak()};
  }
  rewind(input, input_name);
  return measurement;
}

}  // namespace

double normalising_gain(double measured, double true_peak, double target, double ceiling) {
  return std::min(target - measured, ceiling - true_peak);
}

void normalise_loudness(AVFormatContext& input, AVStream& audio, const std::string& input_name,
                        OutputSettings& settings) {
  const Measurement source = measure_source(input, audio, input_name, settings);
  if (!source.audible()) {
    write_console("Loudness: silent, left as it is\n");
    return;
  }
  double gain = normalising_gain(source.loudness, source.true_peak, *settings.loudness);
  double result = source.loudness + gain;
  const AVCodecDescriptor* codec = avcodec_descriptor_get(settings.encoder->id);
  if (codec == nullptr || (codec->props & AV_CODEC_PROP_LOSSLESS) == 0) {
    // A lossy encoder moves the level a little, and its peaks more and not in proportion to the
    // gain: trials at the gain found show by how much. The loudness is then made up for; peaks
    // above the ceiling are lowered and tried again, and a trial within it is kept as it is.
    for (int trial = 1; trial <= kTrials; ++trial) {
      OutputSettings trying = settings;
      trying.gain *= std::pow(10.0, gain / 20);
      const Measurement encoded = measure_encoded(input, audio, input_name, trying);
      if (!encoded.audible()) break;
      const double lift = *settings.loudness - encoded.loudness;
      const double room = kCeiling - encoded.true_peak;
      const double step = lift <= room || trial == kTrials ? std::min(lift, room) : std::min(room, 0.0);
      gain += step;
      result = encoded.loudness + step;
      if (lift <= room || room >= 0) break;
    }
  }
  settings.gain *= std::pow(10.0, gain / 20);
  write_console(loudness_text(source.loudness, source.true_peak, gain, result));
}

}  // namespace enginebin
