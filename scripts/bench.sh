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
  if [[ $(basename "$bench") == server_bench ]]; then
    # Against headless sound servers of its own, PipeWire and PulseAudio,
    # through the output the game picks when the player named no driver.
    "$root/tests/sound/sound_server.sh" run env -u SDL_AUDIODRIVER "$bench"
    "$root/tests/sound/sound_server.sh" run --pulseaudio env -u SDL_AUDIODRIVER "$bench"
  else
    xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$bench"
  fi
  echo
done
