#!/usr/bin/env bash
# Installs the program into a temporary prefix and checks the tree (desktop entry, icon sizes,
# manual page), then starts the installed program under Xvfb with a video named on its command
# line: it must write out its engine, list the video through that engine, and keep its settings
# beside itself, as a copy run from its own writable folder does.
# Usage: install_test.sh <build folder> <source folder>
set -euo pipefail
build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "install test: $*" >&2; exit 1; }

prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" --strip >"$work/install.log" || { cat "$work/install.log"; fail "cmake --install failed"; }

# The tree.
[ -x "$prefix/bin/sonvarra" ] || fail "no bin/sonvarra"
entry="$prefix/share/applications/sonvarra.desktop"
[ -f "$entry" ] || fail "no desktop entry"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$entry" || fail "desktop-file-validate rejects $entry"
else
  echo "install test: desktop-file-validate is missing, the entry's syntax is not checked"
fi
grep -qx 'Exec=sonvarra %F' "$entry" || fail "the entry does not hand files to the program"
grep -qx 'Categories=AudioVideo;Audio;Video;' "$entry" || fail "the entry's categories"
for size in 16 22 24 32 48 64 128 256; do
  icon="$prefix/share/icons/hicolor/${size}x${size}/apps/sonvarra.png"
  [ -f "$icon" ] || fail "no ${size}x${size} icon"
  # width and height of the PNG header, 4 bytes each from byte 16
  read -r w1 w2 w3 w4 h1 h2 h3 h4 < <(od -An -tu1 -j16 -N8 "$icon")
  [ $(((w1 << 24) + (w2 << 16) + (w3 << 8) + w4))x$(((h1 << 24) + (h2 << 16) + (h3 << 8) + h4)) = "${size}x${size}" ] ||
    fail "the ${size}x${size} icon has another size"
done
man="$prefix/share/man/man1/sonvarra.1.gz"
gzip -t "$man" 2>/dev/null || fail "no readable manual page"
gzip -dc "$man" | head -1 | grep -q '^\.TH SONVARRA 1' || fail "the manual page is not of section 1"

# The MIME types are those that shared-mime-info gives the Add dialog's patterns: each one named
# is given to some pattern, and every video type given to a pattern is named.
if [ -f /usr/share/mime/globs2 ]; then
  sed -n '/Filter = /,/"\*\.\*"$/p' "$source/resources/tform1.layout" | grep -o '\*\.[A-Za-z0-9]*' | sort -u >"$work/patterns"
  awk -F: 'NR == FNR { wanted[tolower($0)] = 1; next } tolower($3) in wanted { print $2 }' \
    "$work/patterns" /usr/share/mime/globs2 | sort -u >"$work/given"
  grep '^MimeType=' "$entry" | cut -d= -f2 | tr ';' '\n' | sed '/^$/d' >"$work/named"
  while read -r type; do
    canonical=$(awk -v t="$type" '$1 == t { print $2 }' /usr/share/mime/aliases)
    grep -qx "${canonical:-$type}" "$work/given" || fail "$type is not given to any pattern of the Add dialog"
  done <"$work/named"
  while read -r type; do
    grep -qx "$type" "$work/named" || fail "$type (a pattern of the Add dialog) is missing from MimeType"
  done < <(grep '^video/' "$work/given")
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
