#!/usr/bin/env bash
# Installs what is missing, builds the game (the program alone, no test or
# benchmark) and starts it.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
"$root/scripts/deps.sh" build
"$root/scripts/build.sh" --target vuruz
exec "${VURUZ_BUILD_DIR:-$root/build}/src/vuruz"
