#!/usr/bin/env bash
# Starts the real program under Xvfb and writes pictures of its three windows into build/:
#   build/screenshot-main.png, build/screenshot-settings.png, build/screenshot-progress.png, and of
#   the main window with a list of two generated clips, the first playing in the preview:
#   build/screenshot-main-preview.png
# Usage: tests/screenshots.sh [build folder]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
program="$build/bin/sonvarra"
[ -x "$program" ] || { echo "screenshots: $program is missing; build the program first" >&2; exit 1; }

# The program's own places stay out of the user's folders.
places=$(mktemp -d)
trap 'rm -rf "$places"' EXIT
mkdir -p "$places/windows" "$places/temp" "$places/home" "$places/program" "$places/config" "$places/shots" "$places/clips"
export SONVARRA_WINDOWS_DIR="$places/windows" SONVARRA_TEMP_DIR="$places/temp" SONVARRA_HOME_DIR="$places/home"
export XDG_CONFIG_HOME="$places/config"
export SONVARRA_MODULE_PATH="$places/program/sonvarra"
export SONVARRA_SCREENSHOT_DIR="$places/shots"
export QT_QPA_PLATFORM=xcb
export SDL_AUDIODRIVER=dummy  # nothing is listened to

# Two short clips for the list; the program probes them with its own engine.
for clip in "Holiday at the sea:8" "Birthday party:5"; do
  name=${clip%%:*}
  seconds=${clip##*:}
  ffmpeg -nostdin -v error -y -f lavfi -i "testsrc2=size=320x240:rate=25" -f lavfi -i "sine=frequency=440:sample_rate=44100" \
    -t "$seconds" -c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac "$places/clips/$name.mp4"
done
export SONVARRA_SCREENSHOT_SOURCES="$places/clips/Holiday at the sea.mp4
$places/clips/Birthday party.mp4"

timeout 60 xvfb-run -a -s "-screen 0 1024x768x24" "$program"

for pair in form1:main form1-preview:main-preview form2:settings form3:progress; do
  from=${pair%%:*}
  to=${pair##*:}
  [ -s "$places/shots/$from.png" ] || { echo "screenshots: no picture of $to" >&2; exit 1; }
  cp "$places/shots/$from.png" "$build/screenshot-$to.png"
  echo "wrote $build/screenshot-$to.png"
done
