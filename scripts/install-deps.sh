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
  # media engines and their plugins, for every format a stream address can
  # select. Qt Multimedia (GStreamer): Ogg, Vorbis, Theora, typefinding in base;
  # FLV, MP4, AVI, Matroska, WAV, MP3 and the PulseAudio sink in good; ASF, WMV,
  # WMA and RealMedia demuxers and AC-3 in ugly; the decoders of libav (WMV,
  # WMA, RealVideo, H.264, AAC); the ALSA sink for machines without PulseAudio.
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad
  gstreamer1.0-plugins-ugly gstreamer1.0-libav gstreamer1.0-alsa gstreamer1.0-tools
  # libsoup 2.4 for GStreamer's HTTP source: the program loads it first, as
  # libsoup 3.2 may crash when a player that reads over HTTP is torn down.
  libsoup2.4-1
  # libmpv decodes with FFmpeg's own libraries.
  libmpv-dev mpv
  # libVLC: demuxers, decoders, playlists and sound outputs in base, pictures
  # in video-output.
  libvlc-dev vlc-plugin-base vlc-plugin-video-output vlc-bin
  # settings file, demo portal; zlib: compressed programme guides (the demo
  # portal writes one, the client reads them)
  libsimpleini-dev libcpp-httplib-dev zlib1g-dev
  # what the program remembers for the user (partial downloads, positions):
  # SQLite through Qt SQL
  libqt6sql6-sqlite
  # HTTPS: the system's certificate store that the client checks servers
  # against, OpenSSL's headers (the demo portal's TLS, the certificates the
  # tests make) and its command-line tool (certificates for a TLS demo)
  ca-certificates libssl-dev openssl
  # demo content, screenshots and headless runs
  ffmpeg espeak-ng xvfb xauth imagemagick fonts-dejavu-core
  # tests and benches (the guide bench reads beside xmllint and Python)
  libbenchmark-dev hyperfine libxml2-utils python3
  # desktop integration: packaging (dpkg-shlibdeps), its checks, the session bus,
  # the media-key client and the X session protocol the tests drive it with
  dpkg-dev lintian desktop-file-utils appstream man-db dbus playerctl libsm-dev libice-dev
  # accessibility: the AT-SPI bus and the screen readers' client library the
  # tests read the program's tree with
  at-spi2-core python3-pyatspi
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
# Packages get split and renamed between releases: check that GStreamer really
# has a demuxer and decoders for each format the demo portal serves.
gst_elements=(
  asfdemux avdec_wmv2 avdec_wmav2         # .wmv .wma .asf
  rmdemux avdec_rv20 a52dec               # .rm
  flvdemux avdec_flv                      # .flv
  qtdemux avdec_h264 avdec_aac            # .mp4
  mpegaudioparse mpg123audiodec id3demux  # .mp3
  oggdemux vorbisdec theoradec            # .ogg
  autoaudiosink alsasink pulsesink
)
missing_elements=()
for e in "${gst_elements[@]}"; do
  gst-inspect-1.0 --exists "$e" 2>/dev/null || missing_elements+=("$e")
done
if [ ${#missing_elements[@]} -gt 0 ]; then
  echo "install-deps: GStreamer lacks ${missing_elements[*]}" >&2
  exit 1
fi
echo "install-deps: all packages present"
