#!/usr/bin/env bash
# Builds a Debug copy under AddressSanitizer and UndefinedBehaviorSanitizer in
# its own folder (build-sanitize/, or VURUZ_SANITIZE_DIR) and runs every test
# there under a fresh Xvfb server. Any report fails the run. Extra arguments go
# to ctest.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/deps.sh" test
build_dir=${VURUZ_SANITIZE_DIR:-$root/build-sanitize}
flags="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined"
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$build_dir" -DCMAKE_BUILD_TYPE=Debug \
  "-DCMAKE_CXX_FLAGS=$flags" "-DCMAKE_C_FLAGS=$flags" \
  "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address,undefined" \
  "-DCMAKE_SHARED_LINKER_FLAGS=-fsanitize=address,undefined" \
  -DVURUZ_BUILD_BENCH=OFF "${launcher[@]}"
cmake --build "$build_dir" -j2
cd "$build_dir"
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
# The 50 trials per key ran in the plain build; here the default groups' few do.
(($# == 0)) && set -- -E e2e_key_trials
# Leaks are left out: Qt, fontconfig and the X libraries keep caches for the
# life of the process. Every other finding ends the test that made it.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0:abort_on_error=1:detect_stack_use_after_return=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
# On a session bus of its own: without one, libdbus in every toy forks to
# launch one, and a child forked from a threaded program under the sanitizers
# can hang on the sanitizer's allocator lock before it lets go of the toy's X
# connection, so a killed toy's window would stay on the screen.
exec dbus-run-session -- xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
  ctest --output-on-failure --timeout 900 "$@"
