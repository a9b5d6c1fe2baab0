#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Zevalo needs.
# Non-interactive and idempotent: packages already present are left alone.
set -euo pipefail

packages=(
  # toolchain
  build-essential cmake ninja-build ccache pkg-config git curl
  clang libclang-rt-14-dev
  # Qt 6
  qt6-base-dev qt6-base-dev-tools qt6-tools-dev-tools libgl-dev
  qt6-webengine-dev qt6-webengine-dev-tools
  qt6-multimedia-dev libqt6multimediawidgets6 qt6-translations-l10n
  # media engines and their plugins
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad
  gstreamer1.0-libav gstreamer1.0-tools
  libmpv-dev mpv
  libvlc-dev vlc-plugin-base vlc-plugin-video-output vlc-bin
  # settings file, demo portal
  libsimpleini-dev libcpp-httplib-dev
  # demo content, screenshots and headless runs
  ffmpeg espeak-ng xvfb xauth imagemagick fonts-dejavu-core
  # tests and benches
  libbenchmark-dev hyperfine
  # desktop integration: packaging (dpkg-shlibdeps), its checks, the session bus,
  # the media-key client and the X session protocol the tests drive it with
  dpkg-dev lintian desktop-file-utils appstream man-db dbus playerctl libsm-dev libice-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if ! command -v npm >/dev/null 2>&1; then
  missing+=(nodejs npm)
fi

if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO=sudo
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
echo "install-deps: all packages present"
