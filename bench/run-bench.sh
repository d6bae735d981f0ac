#!/bin/sh
# Measures the game against a bare Qt window in a private, headless X server and
# prints the figures as a table.
#   bench/run-bench.sh [OPTIONS...]                    binaries from build/bench
#   bench/run-bench.sh DRIVER GAME BARE [OPTIONS...]
# OPTIONS go to the driver: --runs N (20), --idle SECONDS (5), --cards N (24), --verbose.
set -eu

if [ $# -ge 3 ] && [ -x "$1" ] && [ -x "$2" ] && [ -x "$3" ]; then
    driver=$1 game=$2 bare=$3
    shift 3
else
    build=${BUILD_DIR:-$(dirname "$0")/../build/bench}
    driver=$build/bench/bench_startup game=$build/src/ui/pairon12 bare=$build/bench/bench_bare_window
    for f in "$driver" "$game" "$bare"; do
        if [ ! -x "$f" ]; then
            echo "run-bench: $f is missing; build first: cmake --preset bench && cmake --build --preset bench" >&2
            exit 1
        fi
    done
fi

tmp=$(mktemp -d)
xvfb=
cleanup() {
    if [ -n "$xvfb" ]; then
        kill "$xvfb" 2>/dev/null || true
        wait "$xvfb" 2>/dev/null || true
    fi
    rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 1' HUP INT TERM

# Xvfb picks a free display itself and writes its number once it accepts clients.
mkfifo "$tmp/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$tmp/display" 2>"$tmp/xvfb.log" &
xvfb=$!
display=
read -r display <"$tmp/display" || true
if [ -z "$display" ]; then
    echo "run-bench: Xvfb did not start:" >&2
    cat "$tmp/xvfb.log" >&2
    exit 1
fi

DISPLAY=:$display "$driver" "$@" "$game" "$bare"
