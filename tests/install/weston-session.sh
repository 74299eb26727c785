#!/usr/bin/env bash
# weston-session.sh PROGRAM [ARGS...]
# Runs PROGRAM as a Wayland client of a headless weston of its own (GL renderer, so OpenGL
# widgets draw; a runtime folder of its own, so nothing meets another session), and ends
# the compositor after it. Exits 77, which CTest reports as skipped, when weston cannot
# start here.
set -u
runtime=$(mktemp -d "${TMPDIR:-/tmp}/zelvo-weston.XXXXXX")
chmod 700 "$runtime"
socket=zelvo-test
XDG_RUNTIME_DIR=$runtime weston --backend=headless-backend.so --use-gl --idle-time=0 \
    --width=1600 --height=1200 --socket="$socket" >"$runtime/weston.log" 2>&1 </dev/null &
weston=$!
trap 'kill "$weston" 2>/dev/null; wait "$weston" 2>/dev/null; rm -rf "$runtime"' EXIT
# Up to 15 s for the compositor's socket, or for weston to give up.
for _ in $(seq 150); do
    [ -S "$runtime/$socket" ] && break
    kill -0 "$weston" 2>/dev/null || break
    sleep 0.1
done
if [ ! -S "$runtime/$socket" ] || ! kill -0 "$weston" 2>/dev/null; then
    echo "weston cannot start a headless compositor here; its log:" >&2
    tail -n 20 "$runtime/weston.log" >&2
    exit 77
fi
env -u DISPLAY XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY="$socket" QT_QPA_PLATFORM=wayland "$@"
