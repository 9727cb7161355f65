#!/usr/bin/env bash
# Installs the Debian package into a fresh minimal Debian 12 ("bookworm") root, made with
# `debootstrap --variant=minbase` from the mirror that apt uses on this machine, through
# `apt-get install --no-install-recommends ./FILE.deb`, so that its dependencies are all that comes
# with it. There it starts the program without a display (Qt's offscreen platform) as an ordinary
# user, with a generated video on its command line: the program must write out its engine and list
# the video with its probed length (seen through the program's screenshot hook, which writes the
# list's rows to a file). When the package holds sonvarra-cli, that command converts the same video.
#
# It skips, saying why, where it cannot run: not root, no debootstrap, the mirror out of reach, no
# right to mount /proc. The root lives in a temporary folder that is removed afterwards.
#
#   minimal_root_test.sh FILE.deb               all in one go
#   minimal_root_test.sh prepare FOLDER         makes the root in FOLDER (test.sh runs this in the
#                                               background early, while the builds keep the CPU busy)
#   minimal_root_test.sh run FOLDER FILE.deb    waits for the root, tests the package, removes FOLDER
#   minimal_root_test.sh remove FOLDER          stops a preparation still running and removes FOLDER
set -uo pipefail
suite=bookworm
say() { echo "minimal-root test: $*"; }
fail() {
  say "FAILED: $*" >&2
  exit 1
}
now() { date +%s; }

# "URI suite" of every enabled deb source of this machine, one-line and deb822 files alike.
apt_sources() {
  local file
  for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$file" ] && awk '$1 == "deb" { sub(/\[[^]]*\][ \t]*/, ""); print $2, $3 }' "$file"
  done
  for file in /etc/apt/sources.list.d/*.sources; do
    [ -f "$file" ] && awk 'BEGIN { RS = ""; FS = "\n" }
      { types = ""; uris = ""; suites = ""; enabled = "yes"
        for (n = 1; n <= NF; n++) {
          split($n, kv, ":[ \t]*"); key = tolower(kv[1]); value = substr($n, index($n, ":") + 1); sub(/^[ \t]+/, "", value)
          if (key == "types") types = value; else if (key == "uris") uris = value
          else if (key == "suites") suites = value; else if (key == "enabled") enabled = value
        }
        if (types ~ /(^| )deb( |$)/ && enabled != "no") {
          nu = split(uris, u, " "); ns = split(suites, s, " ")
          for (a = 1; a <= nu; a++) for (b = 1; b <= ns; b++) print u[a], s[b]
        } }' "$file"
  done
}

mirror_of() { apt_sources | awk -v s="$1" '$2 == s { print $1; exit }'; }

# Writes the reason to FOLDER/skipped and ends well: the caller reports it.
skip() {
  echo "$*" >"$folder/skipped"
  say "SKIPPED: $*"
  exit 0
}

prepare() {
  folder=$1
  mkdir -p "$folder"
  echo $$ >"$folder/prepare.pid"  # test.sh starts it with setsid: its own process group
  trap 'echo $? >"$folder/prepared"' EXIT
  local start
  start=$(now)
  [ "$(id -u)" -eq 0 ] || skip "it needs root (debootstrap, chroot, mount); run test.sh as root"
  command -v debootstrap >/dev/null || skip "debootstrap is not installed (setup.sh installs it)"
  local mirror
  mirror=$(mirror_of $suite)
  mirror=${mirror:-http://deb.debian.org/debian}
  if ! timeout 30 wget -q -O /dev/null "$mirror/dists/$suite/Release"; then
    skip "the Debian mirror $mirror cannot be reached"
  fi
  if ! debootstrap --variant=minbase $suite "$folder/root" "$mirror" >"$folder/debootstrap.log" 2>&1; then
    tail -20 "$folder/debootstrap.log" >&2
    return 1
  fi
  # The suites of this machine, so that the libraries are as new as those the package was built on.
  {
    echo "deb $mirror $suite main"
    local extra
    for extra in $suite-updates $suite-security; do
      [ -n "$(mirror_of $extra)" ] && echo "deb $(mirror_of $extra) $extra main"
    done
  } >"$folder/root/etc/apt/sources.list"
  cp /etc/resolv.conf "$folder/root/etc/resolv.conf" 2>/dev/null
  chroot "$folder/root" apt-get update -q >>"$folder/debootstrap.log" 2>&1 || return 1
  echo $(($(now) - start)) >"$folder/prepare.seconds"
}

# Stops a preparation still running and removes the folder; nothing is left mounted.
remove() {
  folder=$1
  [ -d "$folder" ] || return 0
  if [ -f "$folder/prepare.pid" ] && [ ! -f "$folder/prepared" ]; then
    kill -- "-$(cat "$folder/prepare.pid")" 2>/dev/null  # the preparation's group: debootstrap and its children
    sleep 2
  fi
  # Whatever is mounted in the root (our /proc; what debootstrap mounts, if it was stopped midway),
  # innermost first; --one-file-system keeps rm out of anything still mounted.
  local mount
  awk -v root="$(realpath "$folder")/root/" 'index($2, root) == 1 { print $2 }' /proc/mounts | sort -r |
    while read -r mount; do umount -l "$mount"; done
  rm -rf --one-file-system "$folder"
}

# In the root, as the user nobody, without a display.
in_root() {
  chroot --userspec=65534:65534 "$folder/root" env -i PATH=/usr/bin:/bin HOME=/tmp/user \
    XDG_RUNTIME_DIR=/tmp/user/runtime QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy "$@"
}

run() {
  folder=$1
  local deb=$2
  [ -f "$deb" ] || fail "no package $deb"
  trap 'remove "$folder"' EXIT
  local waited
  waited=$(now)
  while [ ! -f "$folder/prepared" ]; do
    [ $(($(now) - waited)) -lt 1800 ] || fail "the root was not ready within 30 minutes"
    sleep 2
  done
  waited=$(($(now) - waited))
  if [ -f "$folder/skipped" ]; then
    say "SKIPPED: $(cat "$folder/skipped")"
    return 0
  fi
  [ "$(cat "$folder/prepared")" = 0 ] || fail "the root could not be made: $(tail -5 "$folder/debootstrap.log")"
  say "the root was made in $(cat "$folder/prepare.seconds") s; waited $waited s for it"

  local start root="$folder/root"
  start=$(now)
  mount -t proc proc "$root/proc" || {
    say "SKIPPED: /proc cannot be mounted in the root here"
    return 0
  }
  cp "$deb" "$root/tmp/"
  if ! chroot "$root" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
    "./tmp/$(basename "$deb")" >"$folder/install.log" 2>&1; then
    tail -20 "$folder/install.log" >&2
    fail "apt-get cannot install the package"
  fi
  say "installed with $(grep -c '^Setting up' "$folder/install.log") packages in $(($(now) - start)) s"

  local user="$root/tmp/user"
  mkdir -p "$user/runtime" "$user/shots" "$user/out"
  chmod 700 "$user/runtime"
  ffmpeg -nostdin -loglevel error -f lavfi -i testsrc=size=64x48:rate=10 -f lavfi -i sine=frequency=440 -t 3 \
    -c:v mpeg4 -c:a mp2 "$user/my clip.avi" || fail "cannot make the test video"
  chown -R 65534:65534 "$user"

  in_root SONVARRA_SCREENSHOT_DIR=/tmp/user/shots timeout 120 sonvarra "/tmp/user/my clip.avi" >"$folder/program.log" 2>&1 ||
    fail "the program did not end normally: $(tail -5 "$folder/program.log")"
  [ -x "$user/.local/share/sonvarra/wyl/nnn.exe" ] || fail "the program did not write out its engine"
  grep -Eq $'^my clip\\.avi\t00:00:00 - 00:00:0[3-5]\t00:00:0[3-5]$' "$user/shots/sources.txt" 2>/dev/null ||
    fail "the video was not listed with its length: $(cat "$user/shots/sources.txt" 2>/dev/null)"
  [ -f "$user/.config/sonvarra/settings.ini" ] || fail "the settings are not in the user's folder"
  say "the program deployed its engine and listed: $(tr '\t' ' ' <"$user/shots/sources.txt")"

  if [ -x "$root/usr/bin/sonvarra-cli" ]; then
    in_root timeout 120 sonvarra-cli -o /tmp/user/out "/tmp/user/my clip.avi" >"$folder/cli.log" 2>&1 ||
      fail "sonvarra-cli failed: $(tail -5 "$folder/cli.log")"
    local mp3="$user/out/my clip.mp3"
    [ "$(ffprobe -v error -select_streams a -show_entries stream=codec_name -of csv=p=0 "$mp3" 2>/dev/null)" = mp3 ] ||
      fail "sonvarra-cli wrote no MP3: $(ls "$user/out")"
    say "sonvarra-cli converted the video into $(basename "$mp3")"
  else
    say "the package holds no sonvarra-cli: the conversion by the command is skipped"
  fi
  say "passed in $(($(now) - start)) s after the root was ready"
}

case ${1:-} in
  prepare) prepare "$2" ;;
  run) run "$2" "$3" ;;
  remove) remove "$2" ;;
  *.deb)
    deb=$(realpath "$1")
    folder=$(mktemp -d /var/tmp/sonvarra-root.XXXXXX)
    (prepare "$folder")
    run "$folder" "$deb"
    ;;
  *)
    echo "usage: $0 FILE.deb | prepare FOLDER | run FOLDER FILE.deb | remove FOLDER" >&2
    exit 2
    ;;
esac
