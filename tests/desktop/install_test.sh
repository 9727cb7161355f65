#!/usr/bin/env bash
# Installs the program into a temporary prefix and checks the tree (check_installed_tree.sh), then
# starts the installed program under Xvfb with a video named on its command line: it must write out
# its engine, list the video through that engine, and keep its settings beside itself, as a copy
# run from its own writable folder does.
# Usage: install_test.sh <build folder> <source folder>
set -euo pipefail
build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "install test: $*" >&2; exit 1; }

prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" --strip >"$work/install.log" || { cat "$work/install.log"; fail "cmake --install failed"; }

# The tree, as the desktop's tools see it; the command of the build is installed with its page.
"$source/tests/desktop/check_installed_tree.sh" "$prefix" "$source" || fail "the installed tree"
if [ -x "$build/bin/sonvarra-cli" ]; then
  [ -x "$prefix/bin/sonvarra-cli" ] || fail "sonvarra-cli was built but is not installed"
fi

# The installed program, from its prefix, on the real module path.
mkdir -p "$work/windows" "$work/temp" "$work/home" "$work/config" "$work/shots"
clip="$work/home/my clip.avi"
ffmpeg -nostdin -loglevel error -f lavfi -i testsrc=size=64x48:rate=10 -f lavfi -i sine=frequency=440 -t 3 \
  -c:v mpeg4 -c:a mp2 "$clip"
env -u SONVARRA_MODULE_PATH SONVARRA_WINDOWS_DIR="$work/windows" SONVARRA_TEMP_DIR="$work/temp" \
  SONVARRA_HOME_DIR="$work/home" XDG_CONFIG_HOME="$work/config" SONVARRA_SCREENSHOT_DIR="$work/shots" \
  QT_QPA_PLATFORM=xcb timeout 60 xvfb-run -a -s "-screen 0 1024x768x24" "$prefix/bin/sonvarra" "$clip" ||
  fail "the installed program did not end normally"
cmp -s "$work/windows/wyl/nnn.exe" "$build/bin/nnn.exe" || fail "the engine was not written out whole"
printf 'my clip.avi\t00:00:00 - 00:00:04\t00:00:04\n' | cmp -s - "$work/shots/sources.txt" ||
  fail "the video named on the command line was not listed: $(cat "$work/shots/sources.txt" 2>/dev/null)"
tr -d '\r' <"$prefix/bin/settings.ini" | grep -qx "PARAM_4=$work/home/" || fail "the settings are not beside the program"
# The sound system's client library keeps a link to its runtime folder there (config/pulse) for
# any program that plays sound; that is its own, not the program's.
written=$(find "$work/config" -mindepth 1 -not -path "$work/config/pulse" -not -path "$work/config/pulse/*")
[ -z "$written" ] || fail "a program in a writable folder wrote into the user's folder: $written"
echo "install test: $prefix checked"
