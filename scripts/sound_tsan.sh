#!/usr/bin/env bash
# Builds the sound tests under ThreadSanitizer in their own folder
# (build-tsan/, or VURUZ_TSAN_DIR) and runs them once, the long sound server
# runs included, on a fresh Xvfb server: the outputs' threads against SDL's
# disk driver, a missing server, and real PipeWire and PulseAudio servers that
# die, stall and come back. Any report fails the run. Extra arguments go to ctest.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/deps.sh" test
build_dir=${VURUZ_TSAN_DIR:-$root/build-tsan}
flags="-fsanitize=thread -fno-omit-frame-pointer -O1 -g"
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$build_dir" -DCMAKE_BUILD_TYPE=Debug \
  "-DCMAKE_CXX_FLAGS=$flags" "-DCMAKE_C_FLAGS=$flags" \
  "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread" \
  -DVURUZ_BUILD_BENCH=OFF -DVURUZ_LONG_TESTS=ON "${launcher[@]}" >/dev/null
cmake --build "$build_dir" -j2 --target sound_tests sound_server_tests
cd "$build_dir"
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
# The first report ends the test that made it, with both stacks. Reports go
# to files, since some tests take stderr for themselves, and are shown here.
reports=$build_dir/tsan-reports
rm -rf "$reports"
mkdir -p "$reports"
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1:history_size=4:log_path=$reports/tsan}
status=0
xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
  ctest --output-on-failure --timeout 900 -R '^sound_(tests|servers)' "$@" || status=$?
if compgen -G "$reports/tsan*" >/dev/null; then
  cat "$reports"/tsan*
  echo "sound_tsan.sh: ThreadSanitizer reported the above" >&2
  exit 1
fi
exit $status
