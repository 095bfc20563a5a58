#!/usr/bin/env bash
# Builds and runs every benchmark on a private Xvfb server, with SDL's
# real-time paced disk driver as the audio device, prints their tables and
# keeps them in docs/bench.md with the date, the machine and the commit, so a
# figure quoted anywhere names the run that printed it. Benchmark names as
# arguments run those alone (e.g. scripts/bench.sh press_bench).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/deps.sh" test
"$root/scripts/build.sh"
build_dir=${VURUZ_BUILD_DIR:-$root/build}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$scratch/audio.raw"
export XDG_RUNTIME_DIR="$scratch"

run_all() {
  for bench in "$build_dir"/bench/*/*_bench; do
    [[ -x "$bench" ]] || continue
    if (($# > 0)) && [[ " $* " != *" $(basename "$bench") "* ]]; then
      continue
    fi
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
}

commit=$(git -C "$root" rev-parse --short HEAD 2>/dev/null || echo unknown)
git -C "$root" diff --quiet HEAD 2>/dev/null || commit="$commit with changes not committed"
model=$(awk -F': ' '/^model name/ {print $2; exit}' /proc/cpuinfo)
{
  echo "# Benchmark figures"
  echo
  echo "Printed by \`scripts/bench.sh${*:+ $*}\` on $(date -u '+%Y-%m-%d %H:%M UTC'), commit $commit,"
  echo "$(nproc) cores ($model). Each bench says what it measures; times in ms."
  echo
  echo '```'
  run_all "$@"
  echo '```'
} | tee "$scratch/bench.md"
cp "$scratch/bench.md" "$root/docs/bench.md"
echo "written to docs/bench.md"
