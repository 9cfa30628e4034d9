#!/bin/sh
# Runs the real window under a virtual display, with a private session bus and accessibility
# bus, in a home folder of its own, and lets drive.py use it as a person would.
# Usage: run.sh SWEEPWELL MDSEARCH DRIVER SOURCE_TREE
# Exits 77 (skipped) when the display server, the buses or pyatspi are not installed.
set -u
app=$1
mdsearch=$2
driver=$3
source_tree=$4
python=/usr/bin/python3

skip() {
    echo "SKIPPED: $*"
    exit 77
}

command -v Xvfb >/dev/null 2>&1 || skip "Xvfb is not installed (Debian: xvfb)"
command -v dbus-run-session >/dev/null 2>&1 ||
    skip "dbus-run-session is not installed (Debian: dbus-daemon)"
bus_launcher=
for candidate in /usr/libexec/at-spi-bus-launcher /usr/lib/at-spi2-core/at-spi-bus-launcher; do
    [ -x "$candidate" ] && bus_launcher=$candidate && break
done
[ -n "$bus_launcher" ] || skip "at-spi-bus-launcher is not installed (Debian: at-spi2-core)"
# pyatspi is a distribution package: another python3 on the PATH may not see it.
[ -x "$python" ] && "$python" -c 'import pyatspi' 2>/dev/null ||
    skip "pyatspi is not installed for $python (Debian: python3-pyatspi)"

scratch=$(mktemp -d "${TMPDIR:-/tmp}/sweepwell-e2e.XXXXXX")
xvfb_pid=
session_group=
cleanup() {
    # The session runs in a process group of its own: the buses, the registry daemon and
    # the application go with it.
    [ -n "$session_group" ] && kill -TERM "-$session_group" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill -TERM "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
    # drive.py unlocks the immutable file it made; should it have died first, unlock here.
    command -v chattr >/dev/null 2>&1 && chattr -R -i "$scratch/home" 2>/dev/null
    rm -rf "$scratch"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP

home=$scratch/home
mkdir -p "$home/.config" "$home/.cache" "$home/.local/share" "$home/.local/state" \
    "$scratch/runtime" "$scratch/xdg"
chmod 0700 "$scratch/runtime"
export HOME="$home"
export XDG_CONFIG_HOME="$home/.config" XDG_CACHE_HOME="$home/.cache"
export XDG_DATA_HOME="$home/.local/share" XDG_STATE_HOME="$home/.local/state"
# The buses' sockets live in the runtime folder, outside the home that is scanned.
export XDG_RUNTIME_DIR="$scratch/runtime"
# No system-wide autostart entries: the login items are the home's own. The system's data
# folders stay the defaults, for the bus launcher's settings schemas and the MIME database.
export XDG_CONFIG_DIRS="$scratch/xdg"
# Nothing of the desktop this runs from: no Wayland, no platform theme, no portal.
unset XDG_DATA_DIRS WAYLAND_DISPLAY XDG_CURRENT_DESKTOP XDG_SESSION_DESKTOP \
    XDG_SESSION_TYPE XDG_SESSION_ID XDG_SEAT XDG_VTNR DBUS_SESSION_BUS_ADDRESS \
    AT_SPI_BUS_ADDRESS QT_QPA_PLATFORMTHEME QT_SCALE_FACTOR
export QT_QPA_PLATFORM=xcb QT_ACCESSIBILITY=1 QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
export SWEEPWELL_MDSEARCH="$mdsearch"

# The server writes its display number once it accepts connections. Without -noreset it
# resets whenever its last client leaves, as the bus launcher does right after setting its
# property, and drops a client that connects meanwhile.
Xvfb -displayfd 5 -screen 0 1600x1200x24 -nolisten tcp -noreset 5>"$scratch/display" \
    >"$scratch/xvfb.log" 2>&1 &
xvfb_pid=$!
polls=0
while ! grep -q '[0-9]' "$scratch/display" 2>/dev/null; do
    polls=$((polls + 1))
    if [ "$polls" -gt 100 ] || ! kill -0 "$xvfb_pid" 2>/dev/null; then
        echo "FAILED: Xvfb did not start"
        cat "$scratch/xvfb.log"
        exit 1
    fi
    sleep 0.1
done
export DISPLAY=":$(tr -dc 0-9 <"$scratch/display")"

# In a shell without job control a background command is no group leader, so setsid
# makes the session's process group without forking and $! is that group's id; -w keeps
# the session's exit status should it ever fork.
setsid -w dbus-run-session -- sh -c '
    "$1" --launch-immediately >"$2/at-spi.log" 2>&1 &
    exec "$3" "$4" --app "$5" --source "$6" --home "$HOME" --log "$2/app.log"
' session "$bus_launcher" "$scratch" "$python" "$driver" "$app" "$source_tree" &
session_group=$!
wait "$session_group"
exit $?
