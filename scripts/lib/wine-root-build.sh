#!/bin/bash
# Builds the Debian root that carries Wine 10 (the host's Wine 8 cannot compile the intro's
# shaders) together with a template Wine prefix, and swaps it into the cache when complete.
# Called by setup.sh, which holds the exclusive lock on the root.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

# The mirror comes from the host's own apt configuration; none is written in the repository.
# MirrorFor SUITE...: the URI of the first configured repository for one of the suites.
MirrorFor() {
  local suite uri
  for suite in "$@"; do
    uri=$(apt-get indextargets --no-release-info --format '$(RELEASE) $(REPO_URI)' 'Identifier: Packages' |
      awk -v release="$suite" '$1 == release { print $2; exit }')
    [[ -z $uri ]] || { echo "$uri"; return; }
  done
}

mirror=$(MirrorFor bookworm stable)
security=$(MirrorFor bookworm-security stable-security)
[[ -n $mirror ]] || HtnDie "cannot build the Wine root: apt lists no bookworm repository on this host"
# An https mirror needs the certificates inside the root too.
include=()
[[ $mirror != https:* && $security != https:* ]] || include=(--include=ca-certificates)

mkdir -p "$HTN_CACHE_DIR"
# Leftovers of interrupted builds; nobody else builds while we hold the lock.
find "$HTN_CACHE_DIR" -maxdepth 1 \( -name 'wine-root.new.*' -o -name 'wine-root.old.*' \) -exec rm -rf --one-file-system {} +
new=$(mktemp -d "$HTN_CACHE_DIR/wine-root.new.XXXXXX")
chmod 755 "$new"
trap 'rm -rf --one-file-system "$new"' EXIT

echo "setup: debootstrap $HTN_ROOT_SUITE into $new"
# In its own namespaces, so the /proc and /sys that debootstrap mounts vanish with it.
if ! HtnCleanEnv unshare --mount --pid --fork --kill-child \
  debootstrap --variant=minbase --components=main --arch=amd64 "${include[@]}" "$HTN_ROOT_SUITE" "$new" "$mirror" \
  >"$HTN_CACHE_DIR/debootstrap.log" 2>&1; then
  tail -n 30 "$HTN_CACHE_DIR/debootstrap.log" >&2
  HtnDie "cannot build the Wine root: debootstrap of $HTN_ROOT_SUITE failed (log: $HTN_CACHE_DIR/debootstrap.log)"
fi

{
  echo "deb $mirror $HTN_ROOT_SUITE main"
  echo "deb $mirror $HTN_ROOT_SUITE-updates main"
  [[ -z $security ]] || echo "deb $security $HTN_ROOT_SUITE-security main"
} >"$new/etc/apt/sources.list"
# Package scripts must not try to start services inside the root.
printf '#!/bin/sh\nexit 101\n' >"$new/usr/sbin/policy-rc.d"
chmod 755 "$new/usr/sbin/policy-rc.d"

echo "setup: installing ${HTN_ROOT_PACKAGES[*]}"
# "update --error-on=any": a plain update exits 0 even when the mirror cannot be reached.
if ! HtnCleanEnv DEBIAN_FRONTEND=noninteractive unshare --mount --pid --fork --kill-child \
  --mount-proc="$new/proc" chroot "$new" /bin/sh -c \
  'apt-get update --error-on=any && apt-get install -y --no-install-recommends "$@"' \
  sh "${HTN_ROOT_PACKAGES[@]}" >"$HTN_CACHE_DIR/root-install.log" 2>&1; then
  tail -n 30 "$HTN_CACHE_DIR/root-install.log" >&2
  HtnDie "cannot build the Wine root: installing packages failed (log: $HTN_CACHE_DIR/root-install.log)"
fi

# The finished root names no mirror: change the package list and rebuild rather than using apt inside.
rm -f "$new/usr/sbin/policy-rc.d" "$new/etc/resolv.conf" "$new/etc/apt/sources.list"
rm -rf "$new/etc/apt/sources.list.d"/* "$new/var/lib/apt/lists"/* "$new/var/cache/apt"/* "$new/var/log/apt"/* "$new/var/log/bootstrap.log"
mirrorHost=$(echo "$mirror" | sed -E 's|^[a-z+]+://([^/:]+).*|\1|')
if found=$(grep -rlF "$mirrorHost" "$new/etc" "$new/var" 2>/dev/null); then
  HtnDie "cannot build the Wine root: the mirror's name is still inside: $found"
fi

mkdir -p "$new$HTN_IN_REPO" "$new$HTN_IN_OUT"
echo "setup: making the template Wine prefix"
if ! HtnCleanEnv NS_ROOT="$new" NS_ROOT_RO=0 NS_PREFIX=template \
  timeout -k 2 300 unshare --mount --pid --fork --kill-child --net \
  "$HTN_REPO/scripts/lib/wine-namespace.sh" bash /repo/scripts/lib/wine-template.sh \
  >"$HTN_CACHE_DIR/template.log" 2>&1; then
  tail -n 30 "$HTN_CACHE_DIR/template.log" >&2
  HtnDie "cannot build the Wine root: making the template prefix failed (log: $HTN_CACHE_DIR/template.log)"
fi
[[ -f $new$HTN_IN_TEMPLATE/system.reg ]] || HtnDie "cannot build the Wine root: wineboot left no prefix"

HtnExpectedStamp >"$new/$HTN_STAMP_NAME"

# Swap the finished tree in; the old one goes only after the new one is in place.
old=
if [[ -e $HTN_WINE_ROOT ]]; then
  old=$HTN_CACHE_DIR/wine-root.old.$$
  mv "$HTN_WINE_ROOT" "$old"
fi
mv "$new" "$HTN_WINE_ROOT"
trap - EXIT
[[ -z $old ]] || rm -rf --one-file-system "$old"
echo "setup: Wine root ready in $HTN_WINE_ROOT"
