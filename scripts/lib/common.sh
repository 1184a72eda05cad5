# Shared settings for the scripts: where the Wine root lives, what goes into it, and small helpers.
# Sourced, never run.

HTN_REPO=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

# The Wine 10 root is large and slow to make, so it lives outside the repository and is reused.
HTN_CACHE_DIR=${HTN_CACHE_DIR:-/var/cache/htn-intro}
HTN_WINE_ROOT=$HTN_CACHE_DIR/wine-root
HTN_ROOT_LOCK=$HTN_CACHE_DIR/wine-root.lock
HTN_STAMP_NAME=.htn-root-stamp

# Bump when the way the root is made changes, so every cached root is rebuilt.
HTN_ROOT_RECIPE=1
HTN_ROOT_SUITE=trixie
HTN_ROOT_PACKAGES=(
  wine wine64 xvfb xdotool x11-utils imagemagick fonts-liberation gstreamer1.0-plugins-good
  pulseaudio pulseaudio-utils python3
  dxvk dxvk-wine64 libvulkan1 mesa-vulkan-drivers vulkan-validationlayers vulkan-tools
)

# Jobs for every build and for ctest. The machine is shared with other builds and Wine runs, so
# the default stays low.
HTN_BUILD_JOBS=${HTN_BUILD_JOBS:-2}

# Fixed paths inside the root.
HTN_IN_REPO=/repo
HTN_IN_OUT=/out
HTN_IN_TEMPLATE=/opt/htn-wine-template

HtnDie() {
  echo "$(basename "$0"): $*" >&2
  exit 1
}

HtnNeedRoot() {
  [[ $(id -u) -eq 0 ]] || HtnDie "must run as root (it installs packages and uses mount namespaces)"
}

# What the stamp of an up-to-date root holds: the recipe version and the sorted package list.
HtnExpectedStamp() {
  echo "recipe $HTN_ROOT_RECIPE suite $HTN_ROOT_SUITE"
  printf '%s\n' "${HTN_ROOT_PACKAGES[@]}" | sort
}

HtnRootIsCurrent() {
  [[ -f $HTN_WINE_ROOT/$HTN_STAMP_NAME ]] &&
    [[ "$(cat "$HTN_WINE_ROOT/$HTN_STAMP_NAME")" == "$(HtnExpectedStamp)" ]]
}

# Host tools run with a clean environment: PATH may carry shims and LANG may name a locale the
# root lacks.
HtnCleanEnv() {
  env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 "$@"
}

# HtnConfigure PRESET: configures build/PRESET from CMakePresets.json (native or windows), Release.
HtnConfigure() {
  cmake -S "$HTN_REPO" --preset "$1"
}

# HtnBuild PRESET [OPTIONS...]: builds that tree with HTN_BUILD_JOBS jobs; OPTIONS go to
# cmake --build (e.g. --target NAME). A build preset is found only from the source directory.
HtnBuild() {
  local preset=$1
  shift
  (cd "$HTN_REPO" && cmake --build --preset "$preset" -j "$HTN_BUILD_JOBS" "$@")
}
