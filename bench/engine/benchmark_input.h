#pragma once
// The benchmark's input: a 10-minute 720p H.264 + AAC video, made once with the ffmpeg program
// and kept in a cache folder (or, for a quick run, 45 seconds of small pictures).

#include <string>

namespace engine_bench {

// The folder: $SONVARRA_BENCH_CACHE, else $XDG_CACHE_HOME/sonvarra/bench, else
// ~/.cache/sonvarra/bench.
std::string cache_folder();

// The path of the input, generating it first when it is not in the cache yet. quick: a 45-second
// input of small pictures instead, made in a few seconds.
std::string benchmark_input(const std::string& folder, bool quick = false);

}  // namespace engine_bench
