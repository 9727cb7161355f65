#!/usr/bin/env bash
# Builds the Debian package of a build folder and checks it: a dependency list that CPack computed,
# naming the runtime libraries and no development package; the files in it, sonvarra-cli among
# them when the build made it; the installed tree as the desktop's tools see it
# (check_installed_tree.sh on the unpacked package); and lintian, without an error or a warning.
# Usage: package_check.sh <build folder> [source folder]   (the package lands in <build folder>/package)
set -euo pipefail
build=$(cd "$1" && pwd)
source=$(cd "${2:-$(dirname "$0")/../..}" && pwd)
out="$build/package"
fail() { echo "package check: $*" >&2; exit 1; }
command -v lintian >/dev/null || fail "lintian is missing (setup.sh installs it)"

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
files=(./usr/bin/sonvarra ./usr/share/applications/com.sonvarra.Sonvarra.desktop
  ./usr/share/metainfo/com.sonvarra.Sonvarra.metainfo.xml ./usr/share/man/man1/sonvarra.1.gz
  ./usr/share/icons/hicolor/16x16/apps/sonvarra.png ./usr/share/icons/hicolor/256x256/apps/sonvarra.png
  ./usr/share/doc/sonvarra/copyright ./usr/share/doc/sonvarra/changelog.gz)
[ -x "$build/bin/sonvarra-cli" ] && files+=(./usr/bin/sonvarra-cli ./usr/share/man/man1/sonvarra-cli.1.gz)
for file in "${files[@]}"; do
  grep -q " $file\$" <<<"$contents" || fail "$file is not in the package"
done

unpacked="$out/unpacked"
dpkg-deb -x "$deb" "$unpacked"
"$source/tests/desktop/check_installed_tree.sh" "$unpacked/usr" "$source" || fail "the packaged tree"
rm -rf "$unpacked"

# Every tag of severity error or warning fails; the informational ones are shown. An override,
# if one is ever needed, goes into the package with a comment that says why.
if ! report=$(lintian -I --fail-on error,warning "$deb" 2>&1); then
  grep -v 'root privileges' <<<"$report"
  fail "lintian found errors or warnings in $deb"
fi
grep -v 'root privileges' <<<"$report" || true
echo "package check: $deb passed lintian"
