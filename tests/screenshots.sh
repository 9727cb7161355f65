#!/usr/bin/env bash
# Starts the real program under Xvfb and writes pictures of its three windows into build/:
#   build/screenshot-main.png, build/screenshot-settings.png, build/screenshot-progress.png
# Usage: tests/screenshots.sh [build folder]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
program="$build/bin/sonvarra"
[ -x "$program" ] || { echo "screenshots: $program is missing; build the program first" >&2; exit 1; }

# The program's own places stay out of the user's folders.
places=$(mktemp -d)
trap 'rm -rf "$places"' EXIT
mkdir -p "$places/windows" "$places/temp" "$places/home" "$places/program" "$places/config" "$places/shots"
export SONVARRA_WINDOWS_DIR="$places/windows" SONVARRA_TEMP_DIR="$places/temp" SONVARRA_HOME_DIR="$places/home"
export XDG_CONFIG_HOME="$places/config"
export SONVARRA_MODULE_PATH="$places/program/sonvarra"
export SONVARRA_SCREENSHOT_DIR="$places/shots"
export QT_QPA_PLATFORM=xcb

timeout 60 xvfb-run -a -s "-screen 0 1024x768x24" "$program"

for pair in form1:main form2:settings form3:progress; do
  from=${pair%%:*}
  to=${pair##*:}
  [ -s "$places/shots/$from.png" ] || { echo "screenshots: no picture of $to" >&2; exit 1; }
  cp "$places/shots/$from.png" "$build/screenshot-$to.png"
  echo "wrote $build/screenshot-$to.png"
done
