#!/usr/bin/env bash
# Configures a build folder once, with Debian's hardening flags (the package is
# built from the same folder the tests run in) and ccache when it is there:
#   scripts/configure.sh BUILD_DIR [more cmake arguments]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=$1
shift
[[ -f "$build_dir/CMakeCache.txt" ]] && exit 0

args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
if command -v dpkg-buildflags >/dev/null; then
  export DEB_BUILD_MAINT_OPTIONS=hardening=+all
  # dpkg-buildflags maps the current folder out of the debug paths.
  cxxflags=$(cd "$root" && echo "$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)")
  ldflags=$(cd "$root" && dpkg-buildflags --get LDFLAGS)
  args+=(-DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags")
fi
if command -v ccache >/dev/null; then
  args+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$build_dir" "${args[@]}" "$@"
