#pragma once
// The benchmark's input: a 10-minute 720p H.264 + AAC video, made once with the ffmpeg program
// and kept in a cache folder (or, for a quick run, 45 seconds of small pictures).

#include <string>
#include <vector>

namespace engine_bench {

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
