#!/usr/bin/env bash
# Builds and runs every benchmark on a private Xvfb server, with SDL's
# real-time paced disk driver as the audio device, and prints their tables.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/deps.sh" test
"$root/scripts/build.sh"
build_dir=${VURUZ_BUILD_DIR:-$root/build}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$scratch/audio.raw"
export XDG_RUNTIME_DIR="$scratch"
for bench in "$build_dir"/bench/*/*_bench; do
  [[ -x "$bench" ]] || continue
  echo "== $(basename "$bench")"
  xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$bench"
  echo
done
