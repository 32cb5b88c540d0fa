#!/usr/bin/env bash
# Writes the release into dist/release/: the source tarball, a .deb for
# amd64 and one for arm64 (the programs, the data in /usr/share/sava/data,
# the desktop entry and the manual pages; Depends from the libraries the
# programs link), the Windows zip, the web site as a zip, and SHA256SUMS.
# Every artefact is built from the commit being released: the work tree
# must be that commit unchanged, and every build (native, arm64, Windows,
# web, through their scripts) is brought up to date from it, incrementally
# where one exists already. Checks both packages with lintian (no errors allowed),
# then installs the amd64 package with apt-get, plays the end of the show
# and renders the whole show from the installed data, and removes it again.
#
#   scripts/release.sh [VERSION]   (default and only accepted: the project's version)
set -euo pipefail
cd "$(dirname "$0")/.."
# The native build's packages (git among them) before anything else.
scripts/install-deps.sh
scripts/install-deps.sh dpkg-dev lintian zip
started=$SECONDS
step() { echo "== [release $((SECONDS - started)) s] $*" >&2; }
project_version=$(sed -n 's/^project(sava VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
version=${1:-$project_version}
if [ $# -gt 1 ] || [ "$version" != "$project_version" ]; then
  echo "usage: $0 [VERSION]: VERSION must be the project's version, $project_version" >&2
  exit 2
fi
if [ -n "$(git status --porcelain)" ]; then
  echo "release: the work tree differs from the commit $(git rev-parse --short HEAD); commit or stash first:" >&2
  git status --short >&2
  exit 1
fi
commit=$(git rev-parse HEAD)
out=$PWD/dist/release
work=$PWD/build-release
rm -rf "$out" "$work"
mkdir -p "$out" "$work"

step "source tarball"
git archive --format=tar.gz --prefix="sava-$version/" -o "$out/sava-$version.tar.gz" HEAD

step "builds of $commit"
scripts/build.sh
scripts/cross/arm64.sh --build-only
scripts/windows/build.sh
scripts/web/build.sh
# Nothing a build did may have changed the tree it was built from.
if [ -n "$(git status --porcelain)" ] || [ "$(git rev-parse HEAD)" != "$commit" ]; then
  echo "release: the work tree changed during the builds" >&2
  exit 1
fi

# deb ARCH BUILD_DIR: stages the installed tree under /usr and packs it.
deb() {
  local arch=$1 build=$2 root=$work/$1
  local name=sava_${version}_$arch
  DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null
  # A cross build generates no data of its own: the native build's, the same bytes.
  if [ ! -d "$root/usr/share/sava/data" ]; then
    mkdir -p "$root/usr/share/sava/data"
    cp build/data/*.png build/data/*.jpg build/data/*.mp3 "$root/usr/share/sava/data/"
  fi
  # Only the manual pages of the programs the package holds.
  for page in "$root"/usr/share/man/man*/*; do
    local program
    program=$(basename "$page" | sed 's/\.[0-9]$//')
    [ -e "$root/usr/bin/$program" ] || rm "$page"
  done
  local strip=strip triplet=x86_64-linux-gnu
  [ "$arch" = arm64 ] && strip=aarch64-linux-gnu-strip triplet=aarch64-linux-gnu
  "$strip" --strip-unneeded --remove-section=.comment --remove-section=.note "$root"/usr/bin/*
  gzip -9n "$root"/usr/share/man/man*/*
  local doc=$root/usr/share/doc/sava
  mkdir -p "$doc"
  printf 'sava (%s) unstable; urgency=medium\n\n  * Release %s.\n\n -- The Sava developers <sava@example.org>  %s\n' \
    "$version" "$version" "$(date -R -d @"$(git log -1 --format=%ct)")" | gzip -9n > "$doc/changelog.gz"
  cat > "$doc/copyright" <<COPYRIGHT
Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: sava

Files: *
Copyright: 2026 The Sava developers
License: permissive
 The show, its pictures and its music are made by this project's own code.
COPYRIGHT
  # The libraries the programs link, as Debian names their packages.
  local shlibs
  mkdir -p "$work/shlibs-$arch/debian"
  printf 'Source: sava\n\nPackage: sava\nArchitecture: any\n' > "$work/shlibs-$arch/debian/control"
  shlibs=$(cd "$work/shlibs-$arch" &&
           DEB_HOST_ARCH=$arch DEB_HOST_MULTIARCH=$triplet DEB_HOST_GNU_TYPE=$triplet \
           dpkg-shlibdeps -O -l"/usr/lib/$triplet" "$root"/usr/bin/* 2>/dev/null | sed -n 's/^shlibs:Depends=//p')
  [ -n "$shlibs" ] || { echo "release: no library dependencies found for $arch" >&2; exit 1; }
  mkdir -p "$root/DEBIAN"
  cat > "$root/DEBIAN/control" <<CONTROL
Package: sava
Version: $version
Architecture: $arch
Maintainer: The Sava developers <sava@example.org>
Installed-Size: $(du -sk --exclude=DEBIAN "$root" | cut -f1)
Depends: $shlibs
Section: video
Priority: optional
Homepage: https://example.org/sava
Description: real-time audiovisual show drawn in software
 Sava plays 184 seconds of 25 scenes drawn in software from 224 pictures,
 in time with its own soundtrack, in a 400x300 window or full screen.
 sava-capture renders the same frames offline to pictures, raw frames,
 sound or video.
CONTROL
  find "$root" -type d -exec chmod 0755 {} +
  find "$root/usr" -type f -exec chmod 0644 {} +
  chmod 0755 "$root"/usr/bin/*
  dpkg-deb --root-owner-group -Zxz --build "$root" "$out/$name.deb" >/dev/null
  if lintian --fail-on error --suppress-tags no-manual-page,description-synopsis-might-not-be-phrased-properly \
       "$out/$name.deb" > "$work/lintian-$arch.txt" 2>&1; then
    echo "lintian $arch: no errors ($(grep -c '^W:' "$work/lintian-$arch.txt" || true) warnings)" >&2
  else
    cat "$work/lintian-$arch.txt" >&2
    echo "release: lintian found errors in $name.deb" >&2
    exit 1
  fi
}

step "amd64 package"
deb amd64 build
step "arm64 package"
deb arm64 build-arm64

step "Windows zip and web site zip"
cp "build-windows/sava-$version-windows-x86_64.zip" "$out/"
rm -rf "$work/sava-$version-web"
cp -r build-web/site "$work/sava-$version-web"
(cd "$work" && zip -qr -X "$out/sava-$version-web.zip" "sava-$version-web")

step "checksums"
(cd "$out" && sha256sum -- * > SHA256SUMS)

step "the amd64 package installed, played and removed"
if dpkg-query -W -f='${Status}' sava 2>/dev/null | grep -q 'install ok installed'; then
  echo "release: a sava package is installed already; remove it first" >&2
  exit 1
fi
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "$out/sava_${version}_amd64.deb" >/dev/null
installed=$(dpkg -L sava)
check_status=0
(cd "$work" && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy timeout 120 /usr/bin/sava --windowed --from 176000) ||
  { echo "release: the installed player failed" >&2; check_status=1; }
frames=$(cd "$work" && timeout 600 /usr/bin/sava-capture --fps 5 --null --stats | grep -c . || true)
[ "$frames" -gt 0 ] || { echo "release: the installed sava-capture failed" >&2; check_status=1; }
DEBIAN_FRONTEND=noninteractive $sudo apt-get remove --purge -y -qq sava >/dev/null
for f in $installed; do
  [ -f "$f" ] && { echo "release: $f is left after removal" >&2; check_status=1; }
done
[ "$check_status" = 0 ] || exit 1
rm -rf "$work"
step "done: dist/release/"
(cd "$out" && ls -l | awk 'NR > 1 { printf "  %-45s %10d bytes\n", $9, $5 }') >&2
