#!/usr/bin/env bash
# Configures (once) and builds incrementally into build/; arguments go to
# cmake --build (./run.sh builds the program alone with --target vuruz).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${VURUZ_BUILD_DIR:-$root/build}
"$root/scripts/configure.sh" "$build_dir"
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root}
cmake --build "$build_dir" -j2 "$@"
