#!/usr/bin/env bash
# Installs the Debian packages that are missing for the given use:
#   deps.sh build   -- what building the program needs
#   deps.sh test    -- that, plus what the test suite needs (Xvfb, a window manager, X tools,
#                      numpy for the check of the recordings, PipeWire and PulseAudio, which
#                      the sound server tests start headless in folders of their own)
#   deps.sh package -- that, plus what making and checking the Debian package needs
# Nothing is done when everything is there. Where it cannot install (no apt,
# no sudo) it says in one line what is missing and how to get it, and fails.
set -euo pipefail

use=${1:-build}
build_packages=(cmake g++ make pkg-config dpkg-dev qt6-base-dev qt6-base-dev-tools libsdl2-dev libpulse-dev
                libx11-dev libxext-dev libxcb-xfixes0-dev fonts-liberation2 fonts-dejavu-core)
test_packages=(libgtest-dev libgmock-dev libxtst-dev xvfb xauth x11-utils x11-xkb-utils xdotool
               openbox picom x11-xserver-utils weston xwayland qt6-wayland xserver-xorg-core xserver-xorg-video-dummy
               python3-numpy clang-format pipewire pipewire-bin pipewire-pulse wireplumber pulseaudio
               pulseaudio-utils dbus-daemon dbus-bin qt6-translations-l10n at-spi2-core python3-pyatspi)
package_packages=(dpkg-dev file xz-utils lintian man-db desktop-file-utils appstream reuse
                  libsdl2-2.0-0 build-essential debhelper pkgconf libx11-xcb-dev fontconfig
                  autopkgtest)

wanted=("${build_packages[@]}")
case "$use" in
  test) wanted+=("${test_packages[@]}") ;;
  package) wanted+=("${test_packages[@]}" "${package_packages[@]}") ;;
esac

# Without Debian's package tools: the programs and libraries themselves are
# looked for, and a missing one is named with the package that has it on
# Fedora (Ubuntu has Debian's names).
if ! command -v dpkg-query >/dev/null; then
  # command or pkg-config module : Fedora package
  probes=(cmake:cmake c++:gcc-c++ make:make pkg-config:pkgconf Qt6Widgets:qt6-qtbase-devel
          sdl2:SDL2-devel x11:libX11-devel xext:libXext-devel xcb-xfixes:libxcb-devel)
  case "$use" in
    test | package)
      probes+=(gtest:gtest-devel gmock:gmock-devel xtst:libXtst-devel Xvfb:xorg-x11-server-Xvfb
               xauth:xorg-x11-xauth xprop:xprop xdotool:xdotool openbox:openbox picom:picom
               numpy:python3-numpy clang-format:clang-tools-extra) ;;
  esac
  [[ $use == package ]] && probes+=(dpkg-buildpackage:dpkg-dev debhelper:debhelper lintian:lintian)
  has() {
    case $1 in
      numpy) python3 -c 'import numpy' 2>/dev/null ;;
      *) command -v "$1" >/dev/null || { command -v pkg-config >/dev/null && pkg-config --exists "$1"; } ;;
    esac
  }
  missing=()
  fedora=()
  for probe in "${probes[@]}"; do
    thing=${probe%%:*}
    has "$thing" && continue
    missing+=("$thing")
    fedora+=("${probe#*:}")
  done
  ((${#missing[@]} == 0)) && exit 0
  echo "deps.sh: missing ${missing[*]}; this system has no Debian package tools: install them" \
    "with its package manager (on Fedora: sudo dnf install ${fedora[*]})" >&2
  exit 1
fi

missing=()
for pkg in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$pkg")
  fi
done
((${#missing[@]} == 0)) && exit 0

sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then
  if ! command -v sudo >/dev/null; then
    echo "deps.sh: missing Debian packages ${missing[*]}; there is no sudo here: as root," \
      "run apt-get install ${missing[*]}" >&2
    exit 1
  fi
  sudo_cmd=(sudo)
fi
if ! command -v apt-get >/dev/null; then
  echo "deps.sh: missing Debian packages ${missing[*]}; there is no apt-get here: install them" \
    "with dpkg -i from their .deb files" >&2
  exit 1
fi

# The process that holds one of the package manager's locks, if any: dpkg and
# apt lock with fcntl(), which the kernel lists in /proc/locks by inode.
lock_holder() {
  local lock inode
  for lock in /var/lib/dpkg/lock-frontend /var/lib/dpkg/lock /var/lib/apt/lists/lock \
    /var/cache/apt/archives/lock; do
    [[ -e $lock ]] || continue
    inode=$(stat -c %i "$lock")
    # Lines of waiters carry "->" in their second field.
    awk -v inode="$inode" '$2 != "->" && $6 ~ (":" inode "$") { print $5; found = 1; exit }
      END { exit !found }' /proc/locks 2>/dev/null && return 0
  done
  return 1
}

# Another apt or a software centre at work: wait for it instead of failing.
wait_for_package_manager() {
  local holder name
  while holder=$(lock_holder); do
    if [[ $said_waiting == no ]]; then
      name=$(cat "/proc/$holder/comm" 2>/dev/null || echo "another program")
      echo "deps.sh: waiting for the package manager, which $name (process $holder) is using..." >&2
      said_waiting=yes
    fi
    sleep 2
  done
}
said_waiting=no

# apt-get, run again when another program took the lock between the wait and
# apt's own start (apt-get update does not wait for it).
run_apt() {
  local log status attempt
  log=$(mktemp)
  for attempt in {1..100}; do
    wait_for_package_manager
    status=0
    "${sudo_cmd[@]}" env LC_ALL=C DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 "$@" 2>"$log" || status=$?
    if ((status != 0)) && grep -q 'Could not get lock' "$log"; then
      said_waiting=no
      continue
    fi
    cat "$log" >&2
    rm -f "$log"
    return "$status"
  done
  cat "$log" >&2
  rm -f "$log"
  return 1
}

echo "Installing missing packages: ${missing[*]}"
run_apt update -qq
run_apt install -y -qq --no-install-recommends "${missing[@]}"
