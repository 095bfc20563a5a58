#!/usr/bin/env bash
# Installs what is missing, builds everything (tests and benchmarks too) and
# runs every test under a fresh Xvfb server.
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
exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
  ctest --output-on-failure --timeout 600 "$@"
