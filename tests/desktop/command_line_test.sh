#!/usr/bin/env bash
# The installed program's own options without any display: --help and --version print on standard
# output and end with 0; an unknown option prints the usage on standard error and ends with 2.
# Usage: command_line_test.sh <program>
set -uo pipefail
program=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "command line test: $*" >&2; exit 1; }

run() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 20 "$program" "$@" >"$work/out" 2>"$work/err"; }

run --help; status=$?
[ $status -eq 0 ] || fail "--help ended with $status: $(cat "$work/err")"
head -1 "$work/out" | grep -qx 'Usage: sonvarra \[OPTION\]\.\.\. \[FILE\]\.\.\.' || fail "--help printed: $(cat "$work/out")"
[ -s "$work/err" ] && fail "--help wrote to standard error: $(cat "$work/err")"

run --version; status=$?
[ $status -eq 0 ] || fail "--version ended with $status"
grep -Eqx 'sonvarra [0-9]+(\.[0-9]+)+' "$work/out" || fail "--version printed: $(cat "$work/out")"

run --no-such-option clip.avi; status=$?
[ $status -eq 2 ] || fail "an unknown option ended with $status"
[ -s "$work/out" ] && fail "an unknown option wrote to standard output"
grep -q "unrecognised option '--no-such-option'" "$work/err" || fail "no mistake on standard error: $(cat "$work/err")"
grep -q '^Usage: sonvarra' "$work/err" || fail "no usage on standard error"
echo "command line test: passed"
