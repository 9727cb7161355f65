#!/usr/bin/env bash
# Installs the Debian packages the build needs (only those missing), then configures and builds.
#   ./setup.sh                 normal build into build/
#   ./setup.sh --sanitize      AddressSanitizer + UndefinedBehaviorSanitizer build into build-asan/
#   ./setup.sh --thread        ThreadSanitizer build of the graph, frame grabber and engine suites into build-tsan/
#   ./setup.sh --deps-only     install packages only
set -euo pipefail
cd "$(dirname "$0")"

packages=(
  build-essential cmake pkg-config
  libgtest-dev libgmock-dev googletest
  qt6-base-dev
  libavformat-dev libavcodec-dev libavutil-dev libswresample-dev libswscale-dev
  libsdl2-dev libjpeg62-turbo-dev
  ffmpeg xvfb xauth ccache clang-format
  dpkg-dev file desktop-file-utils appstream lintian debootstrap
  fusefat dosfstools fuse3
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -q
  "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

mode=${1:-}
[ "$mode" = "--deps-only" ] && exit 0

jobs=$(nproc)
# The normal and the sanitizer builds compile their sources in batches of eight (unity builds),
# which halves their time here; the ThreadSanitizer build compiles file by file, so that a source
# that leans on another's includes still fails somewhere.
if [ "$mode" = "--thread" ]; then
  # Only what the streaming threads, the engine's workers, the placing of converted files and the
  # command's jobs touch, and the suites that drive them.
  cmake -S . -B build-tsan -DCMAKE_UNITY_BUILD=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" -DSONVARRA_TSAN=ON \
    -DSONVARRA_FOLDERS="platform/win32;platform/com;platform/dshow;platform/mediaplayer;framework;activex;player;engine;batch;enginebin;cli;tests" \
    -DSONVARRA_TEST_FOLDERS="dshow;grabber;enginebin;batch;cli"
  cmake --build build-tsan -j "$jobs" --target test_dshow test_grabber test_enginebin test_batch_placement test_cli
elif [ "$mode" = "--sanitize" ]; then
  # Line tables only (-g1): the sanitizers' reports keep their files and lines, the build is faster.
  # The benchmarks' quick modes run in the normal build; the product and its suites run here.
  cmake -S . -B build-asan -DCMAKE_UNITY_BUILD=ON -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g1" -DSONVARRA_SANITIZE=ON \
    -DSONVARRA_FOLDERS="platform/win32;platform/com;platform/dshow;platform/mediaplayer;framework;activex;player;engine;batch;enginebin;settings;app;cli;desktop;resources;tests"
  cmake --build build-asan -j "$jobs"
else
  # Optimised as a release, without debug information: it builds a third faster, and what is
  # installed or packaged is stripped of it anyway.
  cmake -S . -B build -DCMAKE_UNITY_BUILD=ON -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG"
  cmake --build build -j "$jobs"
fi
