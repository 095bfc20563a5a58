#!/usr/bin/env bash
# Writes debian/copyright from the REUSE data: the file list of .reuse/dep5,
# then each licence (GPL and CC0 by reference to Debian's common licences,
# CC-BY-SA in full because Debian does not carry it).
#   scripts/make_copyright.sh          rewrite debian/copyright
#   scripts/make_copyright.sh --check  fail when it is not up to date
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
made=$(mktemp)
trap 'rm -f "$made"' EXIT
{
  cat "$root/.reuse/dep5"
  cat "$root/packaging/copyright-licenses"
  printf '\nLicense: CC-BY-SA-4.0\n'
  # Continuation lines start with a space; an empty line becomes " .".
  sed -e :a -e '/^\n*$/{$d;N;ba' -e '}' "$root/LICENSES/CC-BY-SA-4.0.txt" |
    sed -e 's/^$/./' -e 's/^/ /'
} >"$made"
if [[ ${1:-} == --check ]]; then
  if ! cmp -s "$made" "$root/debian/copyright"; then
    diff -u "$root/debian/copyright" "$made" | head -20 >&2 || true
    echo "debian/copyright is not made from the REUSE data: run scripts/make_copyright.sh" >&2
    exit 1
  fi
  exit 0
fi
cp "$made" "$root/debian/copyright"
