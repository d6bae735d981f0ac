#!/bin/sh
# Runs the end-to-end driver against a private headless X server, which it always stops.
#   run-e2e.sh DRIVER [DRIVER ARGUMENTS...]
set -eu
tmp=$(mktemp -d)
xvfb=
trap '[ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || :; rm -rf "$tmp"' EXIT
trap 'exit 1' HUP INT TERM

# Xvfb picks a free display itself and writes its number once it accepts clients.
mkfifo "$tmp/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$tmp/display" 2>"$tmp/xvfb.log" &
xvfb=$!
read -r display <"$tmp/display" || { echo "FAIL: Xvfb did not start" >&2; cat "$tmp/xvfb.log" >&2; exit 1; }

# 96 dpi and X11, whatever the caller's session asks of Qt.
unset QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_FONT_DPI WAYLAND_DISPLAY
DISPLAY=:$display QT_QPA_PLATFORM=xcb "$@"
