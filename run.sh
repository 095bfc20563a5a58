#!/usr/bin/env bash
# Installs what is missing, builds and starts the game.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
"$root/scripts/deps.sh" build
"$root/scripts/build.sh"
exec "${VURUZ_BUILD_DIR:-$root/build}/src/vuruz"
