# Builds libraries from Debian's source packages at pinned versions checked
# by sha256, for the builds whose target has no Debian packages of its own
# (the web page, Windows). Sourced by their deps scripts, which set first:
#
#   deps       the folder of downloads/, src/, stamps/, logs/ and apt/
#   deps_label the prefix of the messages ("web deps")
#   deps_flags what else a library's stamp depends on (compiler flags, ...)
#
# and define one build_<recipe> function per library, given the unpacked
# source folder (recipes: zlib, libpng, libjpeg_turbo, mpg123, sdl12). Then
# `debian_sources_build PIN...` with PIN = "name|version|file=sha256 ...".
# Each library is rebuilt only when its pin, its recipe or deps_flags
# changed. The sources come through a private apt configuration under
# $deps/apt: nothing under /etc is touched.

# The pins: name|version|file=sha256 ... (the original and Debian tarballs).
pin_zlib="zlib|1:1.2.13.dfsg-1|zlib_1.2.13.dfsg.orig.tar.bz2=71feb7947e3c00ef125f83b79a4e529bde31171e5babe48b391f06758d1ab0a1 zlib_1.2.13.dfsg-1.debian.tar.xz=f66cf3d4f2d7defcd4d1fd1fb0a11ee39f1e01b42ec7d059c9dc5c1695133c44"
pin_libpng="libpng1.6|1.6.39-2+deb12u5|libpng1.6_1.6.39.orig.tar.gz=a00e9d2f2f664186e4202db9299397f851aea71b36a35e74910b8820e380d441 libpng1.6_1.6.39-2+deb12u5.debian.tar.xz=ab14906eda9fddf14cbb1e589b9ba7439c22e233dc3c5e3cf9356c9625565a82"
pin_libjpeg_turbo="libjpeg-turbo|1:2.1.5-2|libjpeg-turbo_2.1.5.orig.tar.gz=254f3642b04e309fee775123133c6464181addc150499561020312ec61c1bf7c libjpeg-turbo_2.1.5-2.debian.tar.xz=cdb2433c2f7101345c1ffa14efb943787c675b86354691a32490845fe4bc9237"
pin_mpg123="mpg123|1.31.2-1+deb12u1|mpg123_1.31.2.orig.tar.bz2=b17f22905e31f43b6b401dfdf6a71ed11bb7d056f68db449d70b9f9ae839c7de mpg123_1.31.2-1+deb12u1.debian.tar.xz=9fc7eeeb4be67525fb7901022955b646832f095499612672ad7c24a1b3303599"

# What a recipe installs of a libjpeg-turbo built in $1/build: the static
# library, its headers and its pkg-config file, into $prefix (its install
# target would also want the programs, which are not built). It is not part
# of the recipe's stamp: a change here rebuilds nothing by itself.
install_libjpeg_static() {
  local src=$1
  mkdir -p "$prefix/include" "$prefix/lib/pkgconfig" &&
    cp "$src/build/libjpeg.a" "$prefix/lib/" &&
    cp "$src/build/jconfig.h" "$src/jpeglib.h" "$src/jmorecfg.h" "$src/jerror.h" "$prefix/include/" &&
    cp "$src/build/pkgscripts/libjpeg.pc" "$prefix/lib/pkgconfig/"
}

source "$(dirname "${BASH_SOURCE[0]}")/debian-mirror.sh"

downloads=$deps/downloads
mkdir -p "$downloads" "$deps/stamps" "$deps/logs"

sha_ok() { [ -f "$1" ] && [ "$(sha256sum "$1" | cut -d' ' -f1)" = "$2" ]; }

apt_dir=$deps/apt
apt_opts=(
  -o "Dir::Etc::SourceList=$apt_dir/sources.list" -o Dir::Etc::SourceParts=/dev/null
  -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache"
  -o APT::Sandbox::User=root
)
apt_ready=0
prepare_apt() {
  [ "$apt_ready" = 1 ] && return
  mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
  # The machine's own Debian archive (the one its bookworm packages come from).
  local uri
  uri=$(debian_mirror) || exit 1
  echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $uri bookworm main" \
    > "$apt_dir/sources.list"
  apt-get "${apt_opts[@]}" -qq update
  apt_ready=1
}

# Makes sure every pinned file of a package is in downloads/ with its sum.
fetch() {
  local name=$1 version=$2 files=$3 entry missing=0
  for entry in $files; do sha_ok "$downloads/${entry%%=*}" "${entry#*=}" || missing=1; done
  [ "$missing" = 0 ] && return
  prepare_apt
  echo "$deps_label: fetching $name $version" >&2
  # apt-get source also asks for upstream signatures the mirror may lack
  # (it then reports an error); the pinned sums below are the check that counts.
  (cd "$downloads" && apt-get "${apt_opts[@]}" -qq source --download-only "$name=$version" >/dev/null 2>&1) || true
  for entry in $files; do
    if ! sha_ok "$downloads/${entry%%=*}" "${entry#*=}"; then
      echo "$deps_label: ${entry%%=*} is missing or does not match its pinned sha256" >&2
      exit 1
    fi
  done
}

# Unpacks a package's original and Debian tarballs into a fresh directory and
# applies the Debian patch series; prints the directory.
unpack() {
  local files=$1 dir=$deps/src/$2 entry orig="" debian=""
  for entry in $files; do
    case ${entry%%=*} in
      *.debian.tar.*) debian=${entry%%=*} ;;
      *.orig.tar.*) orig=${entry%%=*} ;;
    esac
  done
  rm -rf "$dir" && mkdir -p "$dir"
  tar -xf "$downloads/$orig" -C "$dir" --strip-components=1
  tar -xf "$downloads/$debian" -C "$dir"
  if [ -f "$dir/debian/patches/series" ]; then
    local patch level
    while read -r patch level; do
      case $patch in '' | '#'*) continue ;; esac
      patch -d "$dir" -s -N --no-backup-if-mismatch "${level:--p1}" < "$dir/debian/patches/$patch"
    done < "$dir/debian/patches/series"
  fi
  echo "$dir"
}

# The recipe is part of each library's stamp: changing it rebuilds.
recipe_sum() { declare -f "build_$1" | sha256sum | cut -c1-16; }

debian_sources_build() {
  local pin name version files recipe stamp started src log
  for pin in "$@"; do
    IFS='|' read -r name version files <<< "$pin"
    fetch "$name" "$version" "$files"
    case $name in
      libpng1.6) recipe=libpng ;;
      libjpeg-turbo) recipe=libjpeg_turbo ;;
      libsdl1.2) recipe=sdl12 ;;
      *) recipe=$name ;;
    esac
    stamp="$name $version $(recipe_sum "$recipe") $deps_flags"
    if [ "$(cat "$deps/stamps/$name" 2>/dev/null)" = "$stamp" ]; then continue; fi
    echo "$deps_label: building $name $version" >&2
    started=$SECONDS
    src=$(unpack "$files" "$name")
    log=$deps/logs/$name.log
    if ! "build_$recipe" "$src" > "$log" 2>&1; then
      tail -n 40 "$log" >&2
      echo "$deps_label: building $name failed (whole log: $log)" >&2
      exit 1
    fi
    echo "$stamp" > "$deps/stamps/$name"
    echo "$deps_label: $name built in $((SECONDS - started)) s" >&2
  done
}
