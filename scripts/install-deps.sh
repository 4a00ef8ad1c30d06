#!/usr/bin/env bash
# Installs every Debian 12 package the build, the program and the test suite use.
# Safe to run again: packages already present are skipped quickly.
set -euo pipefail

PACKAGES=(
  # build
  cmake ninja-build ccache g++ pkg-config clang libclang-rt-14-dev clang-format
  qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev libqt6opengl6-dev libgstreamer1.0-dev
  libx11-dev libx11-xcb-dev libxi-dev libxext-dev libgl-dev
  libwayland-dev libwayland-bin wayland-protocols plasma-wayland-protocols
  libglib2.0-dev libglib2.0-bin qt6-webengine-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev valgrind
  # run: sound and streams, Chinese fonts, a display when there is none
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad gstreamer1.0-libav
  fonts-wqy-microhei xvfb xauth gsettings-desktop-schemas
  # tests: X11 peers, D-Bus mock of logind, wine for the Windows binding, stream server
  x11-utils xdotool imagemagick icewm dbus python3-dbusmock
  g++-mingw-w64-x86-64-posix wine wine64 locales
  icecast2 ffmpeg sox iproute2 playerctl
  # tests: headless Wayland compositors, a native client, typing, Qt on Wayland
  sway foot wtype kwin-wayland libkf5service-bin gnome-shell python3-dbus qt6-wayland
  # tests: a stand-in script host for the Windows cleaner, an ordinary user for the Linux one
  nodejs util-linux
  # the Debian package: its dependency list and its check
  dpkg-dev lintian appstream desktop-file-utils
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# wine runs the Windows build of the platform layer in the Chinese ANSI code page.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN.utf8$'; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO sed -i 's/^# *zh_CN.UTF-8 UTF-8/zh_CN.UTF-8 UTF-8/' /etc/locale.gen
  $SUDO locale-gen >/dev/null
fi
