#!/usr/bin/env bash
# Runs a test on a screen 3840 x 2160, where the widget kit's screen scale is 2: a private
# Xvfb server of that size (it picks a free display number itself), reached through Qt's
# xcb platform. The offscreen platform's screen is 800 x 600 and cannot be made wider.
#
#   widescreen.sh TEST [ARGS...]      exits with TEST's status; 1 when no server starts
set -uo pipefail

readonly SCREEN=3840x2160x24

work=$(mktemp -d)
server=
cleanup() {
    [ -n "$server" ] && kill "$server" 2>/dev/null && wait "$server" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 "$SCREEN" -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
server=$!
display=
read -r display <"$work/display"
if [ -z "$display" ]; then
    echo "widescreen.sh: Xvfb did not start:" >&2
    cat "$work/xvfb.log" >&2
    exit 1
fi

# No session bus: the test neither talks to one nor has one started for it through the
# display (D-Bus autolaunch).
export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-session-bus"
# When the xcb platform connects, libxkbcommon-x11 hands strndup a name that is not
# NUL-terminated; strndup reads no further than the length it is given, but
# AddressSanitizer's strict string check reads on and reports it.
if [ -n "${ASAN_OPTIONS:-}" ]; then
    export ASAN_OPTIONS="$ASAN_OPTIONS:strict_string_checks=0"
fi

DISPLAY=":$display" QT_QPA_PLATFORM=xcb "$@"
