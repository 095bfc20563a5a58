#!/usr/bin/env bash
# Installs the Debian packages that are missing for the given use:
#   deps.sh build   -- what building the program needs
#   deps.sh test    -- that, plus what the test suite needs (Xvfb, a window manager, X tools,
#                      numpy for the check of the recordings, PipeWire and PulseAudio, which
#                      the sound server tests start headless in folders of their own)
#   deps.sh package -- that, plus what making and checking the Debian package needs
set -euo pipefail

build_packages=(cmake g++ make pkg-config dpkg-dev qt6-base-dev qt6-base-dev-tools libsdl2-dev libpulse-dev
                libx11-dev libxext-dev libxcb-xfixes0-dev fonts-liberation2 fonts-dejavu-core)
test_packages=(libgtest-dev libgmock-dev libxtst-dev xvfb xauth x11-utils x11-xkb-utils xdotool
               openbox picom x11-xserver-utils weston xwayland qt6-wayland xserver-xorg-core xserver-xorg-video-dummy
               python3-numpy clang-format pipewire pipewire-bin pipewire-pulse wireplumber pulseaudio
               pulseaudio-utils dbus-daemon dbus-bin qt6-translations-l10n)
package_packages=(dpkg-dev file xz-utils lintian man-db desktop-file-utils appstream reuse
                  libsdl2-2.0-0 build-essential debhelper pkgconf libx11-xcb-dev fontconfig)

wanted=("${build_packages[@]}")
case "${1:-build}" in
  test) wanted+=("${test_packages[@]}") ;;
  package) wanted+=("${test_packages[@]}" "${package_packages[@]}") ;;
esac

missing=()
for pkg in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$pkg")
  fi
done
((${#missing[@]} == 0)) && exit 0

echo "Installing missing packages: ${missing[*]}"
sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"

# The tests start PulseAudio's daemon by hand. On a desktop whose sound runs
# through pipewire-pulse, Debian's pulseaudio package would also claim the
# players' sound socket at their next login: its own start is switched off.
if [[ " ${missing[*]} " == *" pulseaudio "* ]] && dpkg-query -W -f='${Status}' pipewire-pulse 2>/dev/null |
  grep -q 'install ok installed' && command -v systemctl >/dev/null; then
  echo "pulseaudio is for the tests only: its start at login is switched off (pipewire-pulse serves)"
  "${sudo_cmd[@]}" systemctl --global disable pulseaudio.service pulseaudio.socket >/dev/null 2>&1 || true
fi
