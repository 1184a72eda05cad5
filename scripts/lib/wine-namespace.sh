#!/bin/bash
# First process of a fresh mount, pid (and usually network) namespace made by wine-run.sh or by the
# root builder. Sets up the root's mounts, then runs wine-session.sh inside it with chroot. Every
# mount here disappears with the namespace, and when this process ends the kernel ends everything
# that was started inside (wineserver, Xvfb, pulseaudio, the program under test).
#
# Settings come in the environment:
#   NS_ROOT          the root file system to enter
#   NS_ROOT_RO       1: bind the root read-only (runs); 0: writable (template prefix build)
#   NS_PREFIX        overlay: a private prefix stacked on the template; template: use the template itself
#   NS_OUT           host folder bound read-write at /out (optional)
#   NS_HOST_DISPLAY  1: use the host's X server ($DISPLAY) and PulseAudio if there is one
# Every exported HTN_* variable is handed on to the session (screen size, DLL overrides, ...).
# Arguments: the command for wine-session.sh.
set -euo pipefail

root=$NS_ROOT
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

# Nothing mounted here may leak back to the host.
mount --make-rprivate /

if [[ $NS_ROOT_RO == 1 ]]; then
  mount --bind "$root" "$root"
  mount -o remount,bind,ro "$root"
fi

mount -t proc -o nosuid,nodev,noexec proc "$root/proc"
# sysfs read-only: Wine reads CPU details there and logs a failure without it.
mount -t sysfs -o ro,nosuid,nodev,noexec sysfs "$root/sys"

# A private /dev with only the nodes a headless Wine session needs.
mount -t tmpfs -o mode=755,nosuid dev "$root/dev"
for node in null zero full random urandom tty; do
  touch "$root/dev/$node"
  mount --bind "/dev/$node" "$root/dev/$node"
done
mkdir "$root/dev/pts" "$root/dev/shm"
mount -t devpts -o newinstance,ptmxmode=0666,mode=620 devpts "$root/dev/pts"
ln -s pts/ptmx "$root/dev/ptmx"
mount -t tmpfs -o mode=1777,nosuid,nodev shm "$root/dev/shm"
ln -s /proc/self/fd "$root/dev/fd"
ln -s /proc/self/fd/0 "$root/dev/stdin"
ln -s /proc/self/fd/1 "$root/dev/stdout"
ln -s /proc/self/fd/2 "$root/dev/stderr"

for dir in tmp run root; do
  mount -t tmpfs -o mode=755,nosuid,nodev "$dir" "$root/$dir"
done
chmod 1777 "$root/tmp"
chmod 700 "$root/root"

mount --bind "$repo" "$root/repo"
mount -o remount,bind,ro "$root/repo"
if [[ -n ${NS_OUT:-} ]]; then
  mount --bind "$NS_OUT" "$root/out"
fi

prefix=/opt/htn-wine-template
if [[ $NS_PREFIX == overlay ]]; then
  # Writes land in tmpfs; the template stays as built, and the prefix is ready at once.
  mkdir -p "$root/root/.prefix-upper" "$root/root/.prefix-work" "$root/root/prefix"
  mount -t overlay overlay \
    -o "lowerdir=$root/opt/htn-wine-template,upperdir=$root/root/.prefix-upper,workdir=$root/root/.prefix-work" \
    "$root/root/prefix"
  prefix=/root/prefix
fi

session_env=(PATH=/usr/local/bin:/usr/bin:/bin HOME=/root LANG=C.UTF-8 WINEPREFIX="$prefix")
for name in $(compgen -e | grep '^HTN_' || true); do
  session_env+=("$name=${!name}")
done

if [[ ${NS_HOST_DISPLAY:-0} == 1 ]]; then
  mkdir -p "$root/tmp/.X11-unix"
  mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"
  session_env+=(DISPLAY="$DISPLAY")
  if [[ -n ${XAUTHORITY:-} && -r $XAUTHORITY ]]; then
    cp "$XAUTHORITY" "$root/root/.Xauthority"
    session_env+=(XAUTHORITY=/root/.Xauthority)
  fi
  # The host's PulseAudio, when it has one; otherwise the session starts a null sink.
  pulse_socket=${PULSE_SERVER:-}
  pulse_socket=${pulse_socket#unix:}
  [[ -n $pulse_socket ]] || pulse_socket=${XDG_RUNTIME_DIR:-/run/user/$(id -u)}/pulse/native
  if [[ -S $pulse_socket ]]; then
    touch "$root/run/pulse.sock"
    mount --bind "$pulse_socket" "$root/run/pulse.sock"
    session_env+=(PULSE_SERVER=unix:/run/pulse.sock)
    if [[ -r ${HOME:-/root}/.config/pulse/cookie ]]; then
      mkdir -p "$root/root/.config/pulse"
      cp "${HOME:-/root}/.config/pulse/cookie" "$root/root/.config/pulse/cookie"
    fi
  fi
fi

chroot "$root" /usr/bin/env -i "${session_env[@]}" /bin/bash /repo/scripts/lib/wine-session.sh "$@"
