#!/usr/bin/env bash
# Fails when a C++ file is not laid out as .clang-format says.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
"$root/scripts/deps.sh" test
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
echo "clang-format: every C++ file is formatted"
