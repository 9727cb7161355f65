#pragma once
// The benchmark's input: a 10-minute 720p H.264 + AAC video, made once with the ffmpeg program
// and kept in a cache folder (or, for a quick run, 45 seconds of small pictures).

#include <string>
#include <vector>

namespace engine_bench {

// What the benchmarks take from their command line: [--runs N] [--cache FOLDER] [--quick].
struct BenchmarkOptions {
  int runs = 3;        // 1 when quick
  bool quick = false;  // one run on short inputs, no target enforced
  std::string cache;   // cache_folder() unless given
};
BenchmarkOptions parse_benchmark_options(int argc, char** argv);

// The audio options of the program's conversion command with its default settings, for the
// engine (bit_rate "128", in kbit/s) or for today's ffmpeg ("128k").
std::vector<std::string> default_audio_options(const std::string& codec, const std::string& bit_rate,
                                               const std::string& format);

// The folder: $SONVARRA_BENCH_CACHE, else $XDG_CACHE_HOME/sonvarra/bench, else
// ~/.cache/sonvarra/bench.
std::string cache_folder();

// The path of the input, generating it first when it is not in the cache yet. quick: a 45-second
// input of small pictures instead, made in a few seconds.
std::string benchmark_input(const std::string& folder, bool quick = false);

// path, made by the ffmpeg program with these arguments (inputs and settings, not the output)
// when it does not exist yet.
std::string made_with_ffmpeg(const std::string& path, const std::vector<std::string>& recipe);

}  // namespace engine_bench
