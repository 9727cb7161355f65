#!/usr/bin/env bash
# Sets up, builds and runs every test suite: once in the normal build (build/), once with
# AddressSanitizer and UndefinedBehaviorSanitizer (build-asan/); builds and checks the Debian
# package of the normal build and installs it into a fresh minimal Debian root; runs the graph,
# frame grabber, engine, output placement and command suites with ThreadSanitizer (build-tsan/).
# Exits non-zero on any failure.
set -uo pipefail
cd "$(dirname "$0")"
jobs=$(nproc)
status=0

# The minimal root is made in the background from the start: it waits on the network while the
# builds keep the processors busy. Its test runs beside the sanitizer build once the package exists.
./setup.sh --deps-only || exit 1
root_test=$(mktemp -d /var/tmp/sonvarra-root.XXXXXX)
root_run=
stop_root_test() {
  [ -n "$root_run" ] && kill -- "-$root_run" 2>/dev/null
  tests/desktop/minimal_root_test.sh remove "$root_test"
  rm -f "$root_test.log"
}
trap stop_root_test EXIT
setsid tests/desktop/minimal_root_test.sh prepare "$root_test" >"$root_test.log" 2>&1 &

./setup.sh || exit 1
ctest --test-dir build --output-on-failure -j "$jobs" || status=1
tests/desktop/package_check.sh build || status=1
setsid tests/desktop/minimal_root_test.sh run "$root_test" build/package/*.deb >>"$root_test.log" 2>&1 &
root_run=$!

./setup.sh --sanitize || exit 1
ASAN_OPTIONS=detect_leaks=1 ctest --test-dir build-asan --output-on-failure -j "$jobs" || status=1

./setup.sh --thread || exit 1
TSAN_OPTIONS="suppressions=$PWD/tests/tsan.supp second_deadlock_stack=1" \
  ctest --test-dir build-tsan --output-on-failure -j "$jobs" || status=1

waited=$SECONDS
wait $root_run || status=1
root_run=
cat "$root_test.log"
echo "test.sh: waited $((SECONDS - waited)) s at the end for the minimal-root test"

[ $status -eq 0 ] && echo "test.sh: all suites passed in every build" || echo "test.sh: FAILURES (see above)"
exit $status
