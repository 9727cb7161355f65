#include "parallel_conversion.h"

#include "audio_pipeline.h"
#include "engine_error.h"
#include "input_file.h"
#include "interruption.h"
#include "output_file.h"
#include "output_settings.h"
#include "progress.h"
#include "segment_joiner.h"
#include "segment_queue.h"

extern "C" {
#include <libavutil/mem.h>
}

#include <algorithm>
#include <cstring>
#include <memory>
#include <system_error>
#include <thread>

namespace enginebin {
namespace {

QueuedPacket queued(const AVPacket& packet, int64_t encode_from, const AVCodecContext& encoder) {
  QueuedPacket queued;
  queued.position = encode_from + packet.pts + encoder.initial_padding;
  queued.duration = packet.duration;
  queued.data.assign(packet.data, packet.data + packet.size);
  std::size_t size = 0;
  if (const uint8_t* skip = av_packet_get_side_data(&packet, AV_PKT_DATA_SKIP_SAMPLES, &size))
    queued.skip_samples.assign(skip, skip + size);
  return queued;
}

PacketPtr packet_of(const QueuedPacket& queued, const AVCodecContext& encoder) {
  PacketPtr packet = allocate_packet();
  check_av(av_new_packet(packet.get(), static_cast<int>(queued.data.size())), "Could not allocate a packet for",
           "the output");
  if (!queued.data.empty()) std::memcpy(packet->data, queued.data.data(), queued.data.size());
  packet->pts = packet->dts = queued.position - encoder.initial_padding;
  packet->duration = queued.duration;
  if (!queued.skip_samples.empty()) {
    uint8_t* skip = av_packet_new_side_data(packet.get(), AV_PKT_DATA_SKIP_SAMPLES, queued.skip_samples.size());
    if (skip == nullptr) throw EngineError("Could not allocate a packet for the output (out of memory)");
    std::memcpy(skip, queued.skip_samples.data(), queued.skip_samples.size());
  }
  return packet;
}

// One worker: its own opening of the input, the pipeline over its segment, the packets into its queue.
void run_worker(const std::string& input_name, int audio_stream, const OutputSettings& settings,
                const PipelineBounds& bounds, SegmentQueue& queue) {
  try {
    const ReopenedInput reopened = reopen_input(input_name, audio_stream);
    AudioPipeline pipeline(*reopened.input, *reopened.audio, input_name, settings, bounds);
    const bool ran_out = pipeline.run(
        [&](AVPacket& packet) {
          queue.push(queued(packet, bounds.encode_from, pipeline.encoder()));
          queue.set_progress(bounds.encode_from + pipeline.samples_encoded());
        },
        [&] { return queue.stop_requested(); });
    queue.set_progress(bounds.encode_from + pipeline.samples_encoded());
    queue.finish(
        SegmentOutcome{ran_out, pipeline.decoded_end(), pipeline.samples_encoded(), pipeline.damaged_packets()});
  } catch (const AudioPipeline::StopRequested&) {
    queue.finish(SegmentOutcome{});
  } catch (...) {
    queue.fail(std::current_exception());
  }
}

// Stops and joins every worker when it goes, however the join ended.
class Workers {
 public:
  Workers(const std::string& input_name, int audio_stream, const OutputSettings& settings, const SegmentPlan& plan) {
    for (std::size_t k = 0; k < plan.bounds.size(); ++k) queues_.push_back(std::make_unique<SegmentQueue>());
    // Threads start with the signal mask of their creator: termination requests then always
    // reach the joiner's thread, whose waits time out to look at them.
    const InterruptionHold hold;
    try {
      for (std::size_t k = 0; k < plan.bounds.size(); ++k)
        threads_.emplace_back(run_worker, std::cref(input_name), audio_stream, std::cref(settings),
                              std::cref(plan.bounds[k]), std::ref(*queues_[k]));
    } catch (const std::system_error& error) {
      stop();
      throw EngineError(std::string("Could not start the workers (") + error.what() + ")");
    }
  }
  ~Workers() { stop(); }
  Workers(const Workers&) = delete;
  Workers& operator=(const Workers&) = delete;

  std::vector<SegmentQueue*> queues() const {
    std::vector<SegmentQueue*> all;
    for (const auto& queue : queues_) all.push_back(queue.get());
    return all;
  }
  SegmentQueue& queue(std::size_t k) const { return *queues_[k]; }

  void stop() {
    for (auto& queue : queues_) queue->request_stop();
    for (auto& thread : threads_) thread.join();
    threads_.clear();
  }

  // Throws the failure of the earliest segment that failed so far.
  void check() const {
    for (const auto& queue : queues_)
      if (const auto failure = queue->failure()) std::rethrow_exception(failure);
  }

 private:
  std::vector<std::unique_ptr<SegmentQueue>> queues_;
  std::vector<std::thread> threads_;
};

}  // namespace

ParallelOutcome convert_in_segments(const std::string& input_name, int audio_stream, const OutputSettings& settings,
                                    const SegmentPlan& plan, const EncoderSeams& seams, const AVCodecContext& encoder,
                                    OutputFile& output, ProgressPrinter& progress) {
  Workers workers(input_name, audio_stream, settings, plan);
  const std::size_t count = plan.bounds.size();

  // Seconds of the range done: each segment counts from its own part of the output on.
  const auto done = [&] {
    int64_t samples = 0;
    for (std::size_t k = 0; k < count; ++k) {
      const int64_t part = k + 1 < count ? plan.join_from[k + 1] - plan.join_from[k] : INT64_MAX;
      samples += std::clamp<int64_t>(workers.queue(k).progress() - plan.join_from[k], 0, part);
    }
    return static_cast<double>(samples) / settings.sample_rate;
  };
  const auto idle = [&] {
    if (interruption_requested()) throw EngineError(interruption_text(input_name));
    workers.check();
    progress.update(Progress{output.size(), done()});
  };
  const auto write = [&](QueuedPacket& queued) {
    PacketPtr packet = packet_of(queued, encoder);
    output.write(*packet, encoder.time_base);
    progress.update(Progress{output.size(), done()});
  };

  SegmentJoiner joiner(workers.queues(), plan.join_from, seams, write, idle);
  joiner.run();

  const std::size_t last = joiner.final_segment();
  const SegmentOutcome final_outcome = workers.queue(last).outcome();
  ParallelOutcome outcome;
  outcome.samples = plan.bounds[last].encode_from + final_outcome.samples_encoded;
  outcome.input_ran_out = final_outcome.input_ran_out;
  outcome.decoded_end = final_outcome.decoded_end;
  for (std::size_t k = 0; k <= last; ++k) outcome.damaged_packets += workers.queue(k).outcome().damaged_packets;
  return outcome;
}

}  // namespace enginebin
