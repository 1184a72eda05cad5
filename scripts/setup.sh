#!/bin/bash
# Prepares a Debian 12 machine (as root, no terminal needed, safe to run again): installs the host
# packages for both builds and the tests, then builds or reuses the cached Wine 10 root.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"
HtnNeedRoot

hostPackages=(
  cmake g++ googletest libgtest-dev
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
  debootstrap ca-certificates util-linux clang libclang-rt-14-dev lame ffmpeg
)

missing=()
for package in "${hostPackages[@]}"; do
  if [[ $(dpkg-query -W -f='${Status}' "$package" 2>/dev/null) != "install ok installed" ]]; then
    missing+=("$package")
  fi
done
if ((${#missing[@]} > 0)); then
  echo "setup: installing host packages: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y --no-install-recommends "${missing[@]}"
fi

mkdir -p "$HTN_CACHE_DIR"
exec {lockFd}>"$HTN_ROOT_LOCK"
# Runs hold the lock shared, so a rebuild waits until no test is using the old root.
flock -s "$lockFd"
if HtnRootIsCurrent; then
  echo "setup: Wine root is current ($HTN_WINE_ROOT)"
  exit 0
fi
flock -u "$lockFd"
flock -x "$lockFd"
# Another setup may have built it while we waited.
if HtnRootIsCurrent; then
  echo "setup: Wine root is current ($HTN_WINE_ROOT)"
  exit 0
fi
started=$SECONDS
"$HTN_REPO/scripts/lib/wine-root-build.sh"
echo "setup: Wine root built in $((SECONDS - started)) s"
