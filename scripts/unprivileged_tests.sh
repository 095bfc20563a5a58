#!/usr/bin/env bash
# Runs the start-up tests that skip as root (permission bits do not stop root)
# as another user, so that CI, which runs as root, does not merely skip them:
#   scripts/unprivileged_tests.sh [BUILD_DIR]      (default: build/)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=$(realpath -m "${1:-$root/build}")
program=$build_dir/tests/startup/startup_tests
if [[ $(id -u) -ne 0 ]]; then
  echo "not root: the suite ran them already"
  exit 0
fi
user=nobody
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# Which tests skip because they run as root, by the reason they give.
skipped=$(QT_QPA_PLATFORM=offscreen "$program" 2>/dev/null | awk '
  / Skipped$/ { getline reason; next_is_root = (reason ~ /root/) }
  /^\[  SKIPPED \] [A-Za-z0-9_]+\.[A-Za-z0-9_]+ \(/ { if (next_is_root) print $4; next_is_root = 0 }' |
  sort -u)
if [[ -z $skipped ]]; then
  echo "no start-up test skips as root"
  exit 0
fi
echo "skipped as root: $(tr '\n' ' ' <<<"$skipped")"

# The test program, where the other user can run it.
chmod 755 "$scratch"
install -m 755 "$program" "$scratch/startup_tests"
mkdir -m 700 "$scratch/run" "$scratch/home"
chown "$user" "$scratch/run" "$scratch/home"
filter=$(paste -sd: <<<"$skipped")
out=$(cd "$scratch" && setpriv --reuid="$user" --regid="$(id -g "$user")" --clear-groups \
  env -i PATH="$PATH" HOME="$scratch/home" TMPDIR="$scratch/home" XDG_RUNTIME_DIR="$scratch/run" \
  QT_QPA_PLATFORM=offscreen ./startup_tests --gtest_filter="$filter" 2>&1) || {
  echo "$out"
  exit 1
}
echo "$out" | grep -E '^\[ *(OK|SKIPPED|FAILED|PASSED) *\]'
if grep -q '^\[  SKIPPED \]' <<<"$out"; then
  echo "a test skipped as $user too" >&2
  exit 1
fi
count=$(wc -l <<<"$skipped")
grep -q "^\[  PASSED  \] $count test" <<<"$out" || { echo "not all $count ran" >&2; exit 1; }
