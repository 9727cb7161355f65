#pragma once
// The benchmark's input: a 10-minute 720p H.264 + AAC video, made once with the ffmpeg program
// and kept in a cache folder.

#include <string>

namespace engine_bench {

// The folder: $SONVARRA_BENCH_CACHE, else $XDG_CACHE_HOME/sonvarra/bench, else
// ~/.cache/sonvarra/bench.
std::string cache_folder();

// The path of the input, generating it first when it is not in the cache yet.
std::string benchmark_input(const std::string& folder);

}  // namespace engine_bench
