#!/usr/bin/env bash
# Starts the real program under Xvfb and writes pictures of its three windows into build/, at the
# desktop's usual scale and at 200 % (QT_SCALE_FACTOR=2, the same windows with twice the pixels):
#   build/screenshot-main.png, build/screenshot-settings.png, build/screenshot-progress.png, and of
#   the main window with a list of two generated clips, the first playing in the preview:
#   build/screenshot-main-preview.png; the same names ending in -200 for 200 %.
# Usage: tests/screenshots.sh [build folder]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
program="$build/bin/sonvarra"
[ -x "$program" ] || { echo "screenshots: $program is missing; build the program first" >&2; exit 1; }

# The program's own places stay out of the user's folders.
places=$(mktemp -d)
trap 'rm -rf "$places"' EXIT
mkdir -p "$places/clips"
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

# One run of the program, from a fresh start, at a scale; its pictures get the suffix.
pictures() {
  local scale=$1 suffix=$2 run="$places/run$2"
  mkdir -p "$run/windows" "$run/temp" "$run/home" "$run/program" "$run/config" "$run/shots"
  SONVARRA_WINDOWS_DIR="$run/windows" SONVARRA_TEMP_DIR="$run/temp" SONVARRA_HOME_DIR="$run/home" \
    XDG_CONFIG_HOME="$run/config" SONVARRA_MODULE_PATH="$run/program/sonvarra" SONVARRA_SCREENSHOT_DIR="$run/shots" \
    QT_SCALE_FACTOR=$scale timeout 60 xvfb-run -a -s "-screen 0 2048x1536x24" "$program"
  for pair in form1:main form1-preview:main-preview form2:settings form3:progress; do
    local from=${pair%%:*} to=${pair##*:}
    [ -s "$run/shots/$from.png" ] || { echo "screenshots: no picture of $to at scale $scale" >&2; exit 1; }
    cp "$run/shots/$from.png" "$build/screenshot-$to$suffix.png"
    echo "wrote $build/screenshot-$to$suffix.png"
  done
}
pictures 1 ""
pictures 2 "-200"
