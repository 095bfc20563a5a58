#!/usr/bin/env bash
# Installs what is missing, builds and runs every test under a fresh Xvfb server.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
"$root/scripts/deps.sh" test
"$root/scripts/build.sh"
cd "${VURUZ_BUILD_DIR:-$root/build}"
# No test may reach a real sound card.
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
  ctest --output-on-failure --timeout 600 "$@"
