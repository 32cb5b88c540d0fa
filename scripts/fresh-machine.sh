#!/usr/bin/env bash
# Proves the project on a machine that has nothing installed: makes a minimal
# Debian 12 root with debootstrap (kept between runs under the cache folder),
# copies a clean clone of the committed HEAD into a fresh copy of it, and
# runs the README's two commands there as a new user would, then each stage
# asked for. Uncommitted changes are not part of the check.
#
#   scripts/fresh-machine.sh [STAGE...]      (default: run test)
#
# Stages: run (the README's first command: the show built and played
# headless with the dummy drivers, from 180000 ms to its end), test (the
# README's second command), and the stages of .ci/run: web, scalar, arm64,
# windows (build and checks under wine), release, sanitize, fuzz, valgrind;
# ci runs .ci/run whole. Each stage's time and result are printed, and the
# script ends with status 1 when any failed.
#
# Environment: FRESH_MACHINE_CACHE (default /var/cache/sava-fresh-machine),
# FRESH_MACHINE_KEEP=1 keeps the root after the run (its path is printed),
# FRESH_MACHINE_PREPARE (commands run in the root before the stages, e.g.
# "apt-get update && apt-get install -y libpulse-dev"). Needs root.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
[ "$(id -u)" -eq 0 ] || { echo "fresh-machine: needs root (debootstrap, mounts, chroot)" >&2; exit 1; }
stages=("$@")
[ ${#stages[@]} -gt 0 ] || stages=(run test)
for stage in "${stages[@]}"; do
  case $stage in
    run | test | web | scalar | arm64 | windows | release | sanitize | fuzz | valgrind | ci) ;;
    *) echo "fresh-machine: unknown stage $stage (run, test, web, scalar, arm64, windows, release, sanitize, fuzz, valgrind, ci)" >&2
       exit 2 ;;
  esac
done

cache=${FRESH_MACHINE_CACHE:-/var/cache/sava-fresh-machine}
base=$cache/bookworm-minbase
mkdir -p "$cache"

command -v debootstrap >/dev/null || scripts/install-deps.sh debootstrap
# The Debian archive this machine already uses (the one its bookworm
# packages come from); no host is written down here.
source scripts/lib/debian-mirror.sh
mirror=$(debian_mirror) || exit 1

if [ ! -f "$base/.complete" ]; then
  echo "== fresh-machine: debootstrap of a minimal Debian 12 into $base" >&2
  rm -rf "$base"
  debootstrap --variant=minbase bookworm "$base" "$mirror" > "$cache/debootstrap.log" 2>&1 ||
    { tail -n 20 "$cache/debootstrap.log" >&2; echo "fresh-machine: debootstrap failed" >&2; exit 1; }
  # The same package sources as this machine's Debian ones (security and
  # updates included), so that versions agree with what its builds pinned.
  rm -f "$base/etc/apt/sources.list"
  mkdir -p "$base/etc/apt/sources.list.d"
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.sources /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    grep -qi 'debian' "$f" || continue
    case $f in /etc/apt/sources.list) cp "$f" "$base/etc/apt/sources.list" ;;
               *) cp "$f" "$base/etc/apt/sources.list.d/" ;; esac
  done
  touch "$base/.complete"
fi

# A fresh copy of the root for this run, with a clean clone of HEAD in it.
root=$(mktemp -d "$cache/root.XXXXXX")
mounts=()
cleanup() {
  local status=$? i
  for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do
    umount "${mounts[i]}" 2>/dev/null || umount -l "${mounts[i]}" 2>/dev/null || true
  done
  if [ "${FRESH_MACHINE_KEEP:-0}" = 1 ]; then
    echo "fresh-machine: the root is kept in $root" >&2
  else
    # Only once nothing is mounted inside it any more.
    if ! grep -q " $root/" /proc/mounts; then rm -rf "$root"; fi
  fi
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
mount_in() { # TYPE SOURCE TARGET [OPTIONS]
  mkdir -p "$root/$3"
  mount -t "$1" ${4:+-o "$4"} "$2" "$root/$3"
  mounts+=("$root/$3")
}
cp -a "$base/." "$root/"
cp /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true
mount_in proc proc proc
mount_in sysfs sysfs sys
mount_in tmpfs tmpfs dev/shm mode=1777
mkdir -p "$root/dev/pts"
mount -t devpts -o newinstance,ptmxmode=0666 devpts "$root/dev/pts" && mounts+=("$root/dev/pts") || true
# Inside the root the clone and the shared test data sit side by side, as
# they do beside each other here.
checkout=/srv/sava
mkdir -p "$root/srv"
git clone -q --no-local "$repo" "$root$checkout"
if [ -d "$repo/../shared" ]; then
  cp -a "$repo/../shared" "$root/srv/shared"
  chmod -R a-w "$root/srv/shared"
fi

run_in_root() { # the command line, run by bash -lc in the clone as root
  chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    TERM=dumb LANG=C.UTF-8 CI=true /bin/bash -c "cd $checkout && $1"
}
if [ -n "${FRESH_MACHINE_PREPARE:-}" ]; then
  echo "== fresh-machine: prepare: $FRESH_MACHINE_PREPARE" >&2
  run_in_root "$FRESH_MACHINE_PREPARE"
fi

declare -A command=(
  [run]="SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy timeout 1800 scripts/run.sh --windowed --from 180000"
  [test]="scripts/test.sh"
  [web]="scripts/web/test.sh"
  [scalar]="scripts/cross/scalar.sh"
  [arm64]="scripts/cross/arm64.sh"
  [windows]="scripts/windows/build.sh && scripts/windows/test.sh"
  [release]="scripts/release.sh"
  [sanitize]="scripts/reliability/sanitize.sh"
  [fuzz]="scripts/reliability/fuzz.sh 60"
  [valgrind]="scripts/reliability/valgrind.sh"
  [ci]="bash .ci/run"
)
failed=0
summary=()
for stage in "${stages[@]}"; do
  echo "== fresh-machine: stage $stage: ${command[$stage]}" >&2
  started=$SECONDS
  if run_in_root "${command[$stage]}"; then result=passed; else result=FAILED; failed=1; fi
  summary+=("$stage: $result in $((SECONDS - started)) s")
  echo "== fresh-machine: stage $stage $result in $((SECONDS - started)) s" >&2
  if [ "$stage" = run ] || [ "$stage" = test ]; then
    # The README's commands leave the checkout as it was.
    changed=$(run_in_root "git status --porcelain")
    if [ -n "$changed" ]; then
      echo "fresh-machine: stage $stage left the checkout changed:" >&2
      echo "$changed" >&2
      summary+=("$stage: left the checkout changed")
      failed=1
    fi
  fi
done
printf '== fresh-machine: %s\n' "${summary[@]}" >&2
exit "$failed"
