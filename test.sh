#!/usr/bin/env bash
# Installs what is missing, builds everything (tests and benchmarks too) and
# runs the tests under a fresh Xvfb server. Without arguments it runs all but
# the long runs (label "long": the sound servers, the desktops, 50 trials per
# key); arguments go to ctest, e.g. ./test.sh -L long for the long runs alone.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build_dir=${VURUZ_BUILD_DIR:-$root/build}
"$root/scripts/deps.sh" test
# A folder first configured by ./run.sh before the test libraries were there
# holds no tests; its configuration is run again now that they are.
if [[ -f "$build_dir/CMakeCache.txt" && ! -f "$build_dir/tests/CTestTestfile.cmake" ]]; then
  cmake "$build_dir" >/dev/null
fi
"$root/scripts/build.sh"
cd "$build_dir"
# No test may reach a real sound card.
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
# The default run goes four tests at a time (most of them wait on sounds);
# asked-for runs, the long ones among them, one at a time.
(($# == 0)) && set -- -j4 -LE long
exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
  ctest --output-on-failure --timeout 900 "$@"
