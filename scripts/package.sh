#!/usr/bin/env bash
# Builds the Debian packages zevalo-multimedia (the client, Ruffle, desktop
# entry, icon, metainfo, manual page) and zevalo-portal (the demo portal, its
# content and media, a systemd user unit left disabled) from a build tree.
#   --build-dir DIR  build tree (default build; configured and built here)
#   --out DIR        where the .deb files go (default dist)
#   --media DIR      the portal's generated media (default: made in BUILD/server/package-media)
#   --no-build       package the build tree as it stands (it must hold the programs)
#   --fast           light compression, for tests
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=build
out=dist
media=
do_build=1
compress=(-Zxz -z6)
while [ $# -gt 0 ]; do
  case "$1" in
    --build-dir) build=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    --media) media=$2; shift 2 ;;
    --no-build) do_build=0; shift ;;
    --fast) compress=(-Zgzip -z1); shift ;;
    *) echo "package: unknown option $1" >&2; exit 2 ;;
  esac
done
case "$build" in /*) ;; *) build="$root/$build" ;; esac
case "$out" in /*) ;; *) out="$root/$out" ;; esac
[ -n "$media" ] || media="$build/server/package-media"

if [ "$do_build" = 1 ]; then
  bash scripts/install-deps.sh
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build" -j"${ZV_JOBS:-2}" --target zevalo zevalo-portal zevalo-gencontent zv_icons zv_ruffle
  # Quick when the media are already there.
  "$build/server/zevalo-gencontent" --content "$root/server/content" --out "$media" --quiet
fi
[ -x "$build/app/zevalo" ] && [ -x "$build/server/zevalo-portal" ] \
  || { echo "package: $build holds no built programs" >&2; exit 1; }
[ -d "$media" ] || { echo "package: no media in $media" >&2; exit 1; }

version=$(sed -n 's/^project(zevalo VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
arch=$(dpkg --print-architecture)
mkdir -p "$out"
stage="$out/.stage"
rm -rf "$stage"
trap 'rm -rf "$stage"' EXIT

# Installs one component into the package's tree, with its documentation.
stage_package() { # package component
  local pkg=$1 tree="$stage/$1"
  DESTDIR="$tree" cmake --install "$build" --prefix /usr --component "$2" >/dev/null
  install -d "$tree/usr/share/doc/$pkg"
  gzip -9n <packaging/debian/changelog >"$tree/usr/share/doc/$pkg/changelog.gz"
  find "$tree/usr/share/man" -name '*.1' -exec gzip -9n {} +
}

# Strips the programs, fills DEBIAN/ and builds the .deb.
build_package() { # package
  local pkg=$1 tree="$stage/$1" work="$stage/$1.shlibs"
  find "$tree/usr/bin" -type f -exec strip --strip-unneeded --remove-section=.comment --remove-section=.note {} +
  find "$tree" -type d -exec chmod 0755 {} +
  find "$tree" -type f ! -path '*/usr/bin/*' -exec chmod 0644 {} +
  # dpkg-shlibdeps reads the package list from a debian/control of its own.
  mkdir -p "$work/debian"
  printf 'Source: zevalo\n\nPackage: %s\nArchitecture: any\n' "$pkg" >"$work/debian/control"
  local shlibs
  shlibs=$(cd "$work" && dpkg-shlibdeps -O "$tree"/usr/bin/* 2>/dev/null | sed -n 's/^shlibs:Depends=//p')
  rm -rf "$work"
  mkdir -p "$tree/DEBIAN"
  (cd "$tree" && find usr -type f -print0 | sort -z | xargs -0 md5sum) >"$tree/DEBIAN/md5sums"
  local size
  size=$(du -sk --apparent-size --exclude=DEBIAN "$tree" | cut -f1)
  sed -e "s/@VERSION@/$version/" -e "s/@ARCH@/$arch/" -e "s/@SIZE@/$size/" -e "s/@SHLIBS@/$shlibs/" \
    "packaging/debian/$pkg.control" >"$tree/DEBIAN/control"
  chmod 0644 "$tree/DEBIAN/control" "$tree/DEBIAN/md5sums"
  dpkg-deb --root-owner-group "${compress[@]}" --build "$tree" "$out/${pkg}_${version}_${arch}.deb" >/dev/null
  echo "package: $out/${pkg}_${version}_${arch}.deb"
}

stage_package zevalo-multimedia client
cat packaging/debian/copyright-common packaging/debian/copyright-ruffle \
  >"$stage/zevalo-multimedia/usr/share/doc/zevalo-multimedia/copyright"
build_package zevalo-multimedia

stage_package zevalo-portal portal
cp packaging/debian/copyright-common "$stage/zevalo-portal/usr/share/doc/zevalo-portal/copyright"
mkdir -p "$stage/zevalo-portal/usr/share/zevalo-portal/content/generated"
cp -a "$media"/. "$stage/zevalo-portal/usr/share/zevalo-portal/content/generated/"
rm -f "$stage/zevalo-portal/usr/share/zevalo-portal/content/generated/.stamp"
build_package zevalo-portal
