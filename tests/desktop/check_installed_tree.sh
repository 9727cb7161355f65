#!/usr/bin/env bash
# Checks the program's files as installed under a prefix (by `cmake --install`, or unpacked from
# the package), with the tools that distributions and software centres use: the desktop entry
# (desktop-file-validate) and the AppStream metadata (appstreamcli validate --no-net), and that the
# two name the same program and the same file types; the icons in their sizes; the manual pages;
# the copyright and changelog; one version in the program, the metadata and the changelog.
# Usage: check_installed_tree.sh <prefix> <source folder>
set -euo pipefail
prefix=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
id=com.sonvarra.Sonvarra
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "installed tree: $*" >&2; exit 1; }
for tool in desktop-file-validate appstreamcli; do
  command -v $tool >/dev/null || fail "$tool is missing (setup.sh installs it)"
done

[ -x "$prefix/bin/sonvarra" ] || fail "no bin/sonvarra"
version=$(env -u DISPLAY "$prefix/bin/sonvarra" --version | sed -n 's/^sonvarra //p')
[ -n "$version" ] || fail "bin/sonvarra --version names no version"

# The desktop entry.
entry="$prefix/share/applications/$id.desktop"
[ -f "$entry" ] || fail "no desktop entry $id.desktop"
desktop-file-validate "$entry" || fail "desktop-file-validate rejects $entry"
grep -qx 'Exec=sonvarra %F' "$entry" || fail "the entry does not hand files to the program"
grep -qx 'Icon=sonvarra' "$entry" || fail "the entry names another icon"
grep -qx 'Categories=AudioVideo;Audio;Video;' "$entry" || fail "the entry's categories"
grep '^MimeType=' "$entry" | cut -d= -f2 | tr ';' '\n' | sed '/^$/d' | sort >"$work/entry-types"

# The AppStream metadata: valid, and about the program the entry starts.
metainfo="$prefix/share/metainfo/$id.metainfo.xml"
[ -f "$metainfo" ] || fail "no AppStream metadata $id.metainfo.xml"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli rejects $metainfo"
tag() { grep -o "<$1[^>]*>[^<]*</$1>" "$metainfo" | sed 's/<[^>]*>//g'; }
[ "$(tag id)" = "$id" ] || fail "the metadata's id is not the entry's file name"
[ "$(tag launchable)" = "$id.desktop" ] || fail "the metadata launches $(tag launchable)"
[ "$(tag binary)" = sonvarra ] || fail "the metadata names the command $(tag binary)"
tag mediatype | sort >"$work/metainfo-types"
cmp -s "$work/entry-types" "$work/metainfo-types" || fail "the metadata and the entry open other file types"
newest=$(grep -o '<release version="[^"]*"' "$metainfo" | head -1 | cut -d'"' -f2)
[ "$newest" = "$version" ] || fail "the metadata's newest release is $newest, the program is $version"
grep -q '<content_rating type="oars-1.1"' "$metainfo" || fail "no content rating"
# The screenshots are the pictures tests/screenshots.sh takes, at addresses under the home page.
taken=$(sed -n 's/.*for pair in \(.*\); do$/\1/p' "$source/tests/screenshots.sh" | tr ' ' '\n' | cut -d: -f2)
[ -n "$(tag image)" ] || fail "no screenshots"
for shot in $(tag image); do
  case $shot in https://www.sonvarra.com/*) ;; *) fail "a screenshot outside the home page: $shot" ;; esac
  name=$(sed -n 's|.*/screenshot-\(.*\)\.png$|\1|p' <<<"$shot")
  grep -qx -- "${name%-200}" <<<"$taken" || fail "tests/screenshots.sh takes no $shot"
done

# The entry's file types are those that shared-mime-info gives the Add dialog's patterns: each one
# named is given to some pattern, and every video type given to a pattern is named.
if [ -f /usr/share/mime/globs2 ]; then
  sed -n '/Filter = /,/"\*\.\*"$/p' "$source/resources/tform1.layout" | grep -o '\*\.[A-Za-z0-9]*' | sort -u >"$work/patterns"
  awk -F: 'NR == FNR { wanted[tolower($0)] = 1; next } tolower($3) in wanted { print $2 }' \
    "$work/patterns" /usr/share/mime/globs2 | sort -u >"$work/given"
  while read -r type; do
    canonical=$(awk -v t="$type" '$1 == t { print $2 }' /usr/share/mime/aliases)
    grep -qx "${canonical:-$type}" "$work/given" || fail "$type is not given to any pattern of the Add dialog"
  done <"$work/entry-types"
  while read -r type; do
    grep -qx "$type" "$work/entry-types" || fail "$type (a pattern of the Add dialog) is missing from MimeType"
  done < <(grep '^video/' "$work/given")
fi

# The icons.
for size in 16 22 24 32 48 64 128 256; do
  icon="$prefix/share/icons/hicolor/${size}x${size}/apps/sonvarra.png"
  [ -f "$icon" ] || fail "no ${size}x${size} icon"
  # width and height of the PNG header, 4 bytes each from byte 16
  read -r w1 w2 w3 w4 h1 h2 h3 h4 < <(od -An -tu1 -j16 -N8 "$icon")
  [ $(((w1 << 24) + (w2 << 16) + (w3 << 8) + w4))x$(((h1 << 24) + (h2 << 16) + (h3 << 8) + h4)) = "${size}x${size}" ] ||
    fail "the ${size}x${size} icon has another size"
done

# The manual pages: the program's, and the command's where the tree has the command.
commands=(sonvarra)
[ -e "$prefix/bin/sonvarra-cli" ] && commands+=(sonvarra-cli)
for command in "${commands[@]}"; do
  man="$prefix/share/man/man1/$command.1.gz"
  gzip -t "$man" 2>/dev/null || fail "no readable manual page for $command"
  gzip -dc "$man" | grep -m1 '^\.TH' | grep -qi "^\.TH \"*$command\"* 1" || fail "the manual page of $command is not of section 1"
done

# The copyright, machine-readable, and the changelog of this version.
doc="$prefix/share/doc/sonvarra"
head -1 "$doc/copyright" 2>/dev/null | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
  fail "no machine-readable copyright file"
grep -q '^License: ' "$doc/copyright" || fail "the copyright file names no licence"
gzip -dc "$doc/changelog.gz" 2>/dev/null | head -1 | grep -q "^sonvarra ($version) " || fail "the changelog does not begin with $version"
echo "installed tree: $prefix checked (version $version)"
