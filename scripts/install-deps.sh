#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later

# Installs every Debian package that building, running and testing Vorda needs.
# Runs apt-get only when something is missing; as root, or through sudo.
set -euo pipefail

PACKAGES=(
  # build
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools libgl-dev libutf8proc-dev zlib1g-dev
  # vorda-cli: argument parsing and JSON output
  libcli11-dev nlohmann-json3-dev
  # tests, sanitizers and fuzzing
  libgtest-dev googletest clang libclang-rt-14-dev dbus
  # the private session bus of the media player remote's tests
  dbus-daemon
  # interop peers and audio makers
  libtag1-dev python3 python3-mutagen ffmpeg lame
  # looking at the window without a display
  xvfb xauth
  # style checks (scripts/check-style.sh)
  clang-format-14 clang-tidy-14
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: everything is installed"
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi
echo "install-deps: installing ${missing[*]}"
$SUDO apt-get update
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
