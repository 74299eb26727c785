#!/usr/bin/env bash
# The player window against the mpv player opening the same file, measured in one run:
# cold start to the first painted window, start with a file to the first video frame on
# screen, CPU while paused, and peak memory while playing the H.264 FLV.
# Prints a Markdown table (the figures in README.md).
#   bench/player/run.sh [BUILD_FOLDER] [RUNS]      default: build, 5
# Runs on its own X server (xvfb-run) unless DISPLAY is set.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi
build=$(cd "${1:-$root/build}" && pwd)
runs=${2:-5}
zelvo="$build/bin/Zelvo.FLV"
[ -x "$zelvo" ] || { echo "build Zelvo.FLV first (cmake --build $build)" >&2; exit 1; }
media="$build/testmedia"
bash "$root/tests/media/make-test-media.sh" "$media" >/dev/null
cmake -S "$here" -B "$build/bench-player" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build/bench-player" -j2 >/dev/null
watch="$build/bench-player/player_watch"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/run" "$work/tmp" "$work/config"
chmod 700 "$work/run"
# A private single-instance socket and settings, and no modal box (a machine without a
# sound card would otherwise wait on "No mixer found!").
export XDG_RUNTIME_DIR="$work/run" TMPDIR="$work/tmp" XDG_CONFIG_HOME="$work/config"
export ZELVO_TEST_LOG="$work/zelvo-log.txt"
flv="$work/clip.flv"
cp "$media/h264.flv" "$flv"
mpv=(mpv --no-config --really-quiet --force-window=yes)

median() { sort -g | sed -n "$(( (runs + 1) / 2 ))p"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b == 0) print "-"; else printf "%.2f", a / b }'; }

# Median over fresh starts of the milliseconds player_watch reports.
timed() {
    for _ in $(seq "$runs"); do
        "$watch" "$@"
        sleep 0.3
    done | median
}

# CPU time (utime + stime, clock ticks) of a process.
ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

# Share of one core a process used over 10 s, in percent.
cpu_over_10s() {
    local before after
    before=$(ticks "$1")
    sleep 10
    after=$(ticks "$1")
    awk -v t=$(( after - before )) -v hz="$(getconf CLK_TCK)" 'BEGIN { printf "%.2f", 100 * t / hz / 10 }'
}

peak_kb() { awk '/^VmHWM/ { print $2 }' "/proc/$1/status"; }

stop() {
    kill "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
    sleep 0.3
}

painted_zelvo=$(timed painted 20000 "$zelvo")
painted_mpv=$(timed painted 20000 "${mpv[@]}" --idle=yes)
menu_zelvo=$(timed menu 20000 "$zelvo")
frame_zelvo=$(timed frame 20000 "$zelvo" "$flv")
frame_mpv=$(timed frame 20000 "${mpv[@]}" "$flv")

# Paused: the program started with the file, then Space (its own pause key).
"$zelvo" "$flv" & pid=$!
sleep 3
window=$(xdotool search --onlyvisible --name ' clip.flv - Zelvo.FLV' | head -1)
xdotool windowfocus --sync "$window" key space
sleep 2
cpu_zelvo=$(cpu_over_10s "$pid")
stop "$pid"
"${mpv[@]}" --pause "$flv" & pid=$!
sleep 3
cpu_mpv=$(cpu_over_10s "$pid")
stop "$pid"

# Playing: peak resident memory after 10 s of playback with the picture on screen.
"$zelvo" "$flv" & pid=$!
sleep 10
mem_zelvo=$(peak_kb "$pid")
stop "$pid"
"${mpv[@]}" "$flv" & pid=$!
sleep 10
mem_mpv=$(peak_kb "$pid")
stop "$pid"

echo "| Measure (medians of $runs starts) | Zelvo.FLV | mpv | Zelvo.FLV / mpv |"
echo "|---|---|---|---|"
echo "| cold start to the first painted window, ms | $painted_zelvo | $painted_mpv | $(ratio "$painted_zelvo" "$painted_mpv") |"
echo "| cold start to the main window (its menu bar) painted, ms | $menu_zelvo | – | – |"
echo "| start with h264.flv to its first frame on screen, ms | $frame_zelvo | $frame_mpv | $(ratio "$frame_zelvo" "$frame_mpv") |"
echo "| CPU while paused, % of one core over 10 s | $cpu_zelvo | $cpu_mpv | $(ratio "$cpu_zelvo" "$cpu_mpv") |"
echo "| peak memory after 10 s playing h264.flv, kB | $mem_zelvo | $mem_mpv | $(ratio "$mem_zelvo" "$mem_mpv") |"
