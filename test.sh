#!/usr/bin/env bash
# Sets up, builds and runs every test suite: once in the normal build (build/), once with
# AddressSanitizer and UndefinedBehaviorSanitizer (build-asan/); builds and checks the Debian
# package of the normal build; runs the graph, frame grabber, engine, output placement and command
# suites with ThreadSanitizer (build-tsan/). Exits non-zero on any failure.
set -uo pipefail
cd "$(dirname "$0")"
jobs=$(nproc)
status=0

./setup.sh || exit 1
ctest --test-dir build --output-on-failure -j "$jobs" || status=1
tests/desktop/package_check.sh build || status=1

./setup.sh --sanitize || exit 1
ASAN_OPTIONS=detect_leaks=1 ctest --test-dir build-asan --output-on-failure -j "$jobs" || status=1

./setup.sh --thread || exit 1
TSAN_OPTIONS="suppressions=$PWD/tests/tsan.supp second_deadlock_stack=1" \
  ctest --test-dir build-tsan --output-on-failure -j "$jobs" || status=1

[ $status -eq 0 ] && echo "test.sh: all suites passed in every build" || echo "test.sh: FAILURES (see above)"
exit $status
