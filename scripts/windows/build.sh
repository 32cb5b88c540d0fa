#!/usr/bin/env bash
# Builds the show for Windows x86-64 with mingw-w64: sava.exe and
# sava-capture.exe, linked statically (no DLL beyond Windows' own), and
# build-windows/sava-VERSION-windows-x86_64.zip with the programs, data/ (made
# by the native generator, build/) and README.txt. Installs the native
# build's packages, mingw-w64, wine and nasm when missing; the libraries come from Debian's sources
# (scripts/windows/deps.sh, kept between runs).
#
#   scripts/windows/build.sh
#
# Environment: NATIVE_BUILD_DIR (the native build that makes data/, default
# build), JOBS (-j, default 2).
set -euo pipefail
cd "$(dirname "$0")/../.."
started=$SECONDS
step() { echo "== [windows build $((SECONDS - started)) s] $*" >&2; }
native=${NATIVE_BUILD_DIR:-build}
jobs=${JOBS:-2}
root=$PWD/build-windows
export SAVA_WINDOWS_PREFIX=$root/deps/prefix

step "packages"
# The native build's packages first: data/ comes from the native generator.
scripts/install-deps.sh
scripts/install-deps.sh g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 nasm wine64 wine zip
# The time stamp the tools write into a program's header is the commit's, not
# the build's: the same commit builds the same bytes.
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null || echo 0)
export SOURCE_DATE_EPOCH

step "data/ (native asset generator)"
cmake -S . -B "$native" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$native" -j"$jobs" --target assets sava-capture
data=$native/data
[ -f "$data/rinnu.mp3" ] || { echo "no generated data/ in the native build $native" >&2; exit 1; }

step "libraries"
JOBS=$jobs scripts/windows/deps.sh

step "programs"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$root/programs" -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/scripts/windows/x86_64-w64-mingw32.cmake" -DSAVA_BUILD_TESTS=OFF >/dev/null
cmake --build "$root/programs" -j"$jobs" --target sava sava-capture

step "zip"
version=$(sed -n 's/^project(sava VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
name=sava-$version-windows-x86_64
stage=$root/$name
rm -rf "$stage" "$root/$name.zip"
mkdir -p "$stage"
for program in sava sava-capture; do
  x86_64-w64-mingw32-strip -o "$stage/$program.exe" "$(find "$root/programs" -name "$program.exe" | head -n 1)"
done
# Only Windows' own DLLs may be needed.
imports=$(x86_64-w64-mingw32-objdump -p "$stage"/*.exe | sed -n 's/^\tDLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
for dll in $imports; do
  case $dll in
    kernel32.dll | user32.dll | gdi32.dll | winmm.dll | msvcrt.dll | advapi32.dll | shell32.dll | shlwapi.dll | \
      ole32.dll | imm32.dll | version.dll | oleaut32.dll | setupapi.dll | dxguid.dll | dsound.dll | ddraw.dll | \
      api-ms-win-*) ;;
    *) echo "the programs need $dll, which is not part of Windows" >&2; exit 1 ;;
  esac
done
cp -r "$data" "$stage/data"
rm -f "$stage/data/.stamp"
sed "s/@VERSION@/$version/" scripts/windows/README.txt | sed 's/$/\r/' > "$stage/README.txt"
(cd "$root" && zip -qr -X "$name.zip" "$name")
step "done: build-windows/$name.zip ($(du -k "$root/$name.zip" | cut -f1) KiB; DLLs used: $(echo $imports))"
