#!/usr/bin/env bash
# Builds the Debian package of a build folder and checks it: the installed tree in it, and a
# dependency list that CPack computed, names the runtime libraries and no development package.
# Usage: package_check.sh <build folder>     (the package lands in <build folder>/package)
set -euo pipefail
build=$(cd "$1" && pwd)
out="$build/package"
fail() { echo "package check: $*" >&2; exit 1; }

rm -rf "$out"
mkdir -p "$out"
cpack --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 || { cat "$out/cpack.log"; fail "cpack failed"; }
deb=$(ls "$out"/*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
echo "package: $deb"
echo "Depends: $depends"
names=$(tr ',|' '\n\n' <<<"$depends" | sed 's/^ *//; s/ .*//' | sed '/^$/d')
for wanted in libc6 libqt6widgets6 libavformat libavcodec libavutil libswresample; do
  grep -q "^$wanted" <<<"$names" || fail "no dependency on $wanted"
done
if grep -- '-dev$' <<<"$names"; then fail "a development package among the dependencies"; fi
contents=$(dpkg-deb -c "$deb")
for file in ./usr/bin/sonvarra ./usr/share/applications/sonvarra.desktop ./usr/share/man/man1/sonvarra.1.gz \
  ./usr/share/icons/hicolor/16x16/apps/sonvarra.png ./usr/share/icons/hicolor/256x256/apps/sonvarra.png; do
  grep -q " $file\$" <<<"$contents" || fail "$file is not in the package"
done
