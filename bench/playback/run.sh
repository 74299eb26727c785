#!/usr/bin/env bash
# Benchmarks of the playback engine against the mpv command-line player doing the same
# jobs, measured in one run. Prints a Markdown table (the figures in README.md).
#   bench/playback/run.sh [BUILD_FOLDER]      default: build
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${1:-$root/build}
mkdir -p "$build"
build=$(cd "$build" && pwd)
media="$build/testmedia"

bash "$root/tests/media/make-test-media.sh" "$media" >/dev/null
cmake -S "$here" -B "$build/bench-playback" -DCMAKE_BUILD_TYPE=Release \
    -DZELVO_BUILD_DIR="$build" >/dev/null
cmake --build "$build/bench-playback" -j2 >/dev/null
engine="$build/bench-playback/mci_bench"
ipc=(python3 "$here/mpv_ipc.py")
cli=(mpv --no-config --really-quiet --vo=null --ao=null)

# Median wall time in ms of a whole mpv process, over 5 runs.
cli_ms() {
    local times=()
    for _ in 1 2 3 4 5; do
        local start end
        start=$(date +%s%N)
        "${cli[@]}" "$@" >/dev/null 2>&1 </dev/null
        end=$(date +%s%N)
        times+=($(( (end - start) / 1000000 )))
    done
    printf '%s\n' "${times[@]}" | sort -n | sed -n 3p
}

# Median over 5 fresh processes of a command that prints one number.
fresh() {
    local values=()
    for _ in 1 2 3 4 5; do
        values+=("$("$@")")
    done
    printf '%s\n' "${values[@]}" | sort -g | sed -n 3p
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

flv="$media/h264.flv"
mpg="$media/clip.mpg"

first_engine=$(fresh "$engine" open "$flv" 1)
first_ipc=$(fresh "${ipc[@]}" open "$flv" 1)
open_engine=$("$engine" open "$flv" 20)
open_ipc=$("${ipc[@]}" open "$flv" 20)
open_cli=$(cli_ms --frames=1 "$flv")
seek_engine=$("$engine" seek "$flv" 100)
seek_ipc=$("${ipc[@]}" seek "$flv" 100)
seek_cli=$(cli_ms --frames=1 --hr-seek=yes --start=12.3 "$flv")
mseek_engine=$("$engine" seek "$mpg" 100)
mseek_ipc=$("${ipc[@]}" seek "$mpg" 100)
mseek_ipc2=$("${ipc[@]}" seek "$mpg" 100 --hr-seek-demuxer-offset=2)
status_engine=$("$engine" status "$flv" 5000)
status_ipc=$("${ipc[@]}" status "$flv" 5000)
memory_engine=$("$engine" memory "$flv" 5)
memory_cli=$(/usr/bin/time -f %M "${cli[@]}" --length=5 "$flv" 2>&1 >/dev/null </dev/null | tail -n 1)

echo "| Job (h264.flv unless named) | engine | mpv | engine / mpv |"
echo "|---|---|---|---|"
echo "| first open after start, ms (mpv: first loadfile of a new player) | $first_engine | $first_ipc | $(ratio "$first_engine" "$first_ipc") |"
echo "| open to first frame, ms (mpv: loadfile in a running player) | $open_engine | $open_ipc | $(ratio "$open_engine" "$open_ipc") |"
echo "| open to first frame, ms (mpv: whole \`--frames=1\` run) | $open_engine | $open_cli | $(ratio "$open_engine" "$open_cli") |"
echo "| seek to an exact frame, ms (mpv: \`seek … absolute+exact\`) | $seek_engine | $seek_ipc | $(ratio "$seek_engine" "$seek_ipc") |"
echo "| seek to an exact frame, ms (mpv: whole \`--start=12.3 --frames=1\` run) | $seek_engine | $seek_cli | $(ratio "$seek_engine" "$seek_cli") |"
echo "| seek to an exact frame in clip.mpg, ms (mpv: as above) | $mseek_engine | $mseek_ipc | $(ratio "$mseek_engine" "$mseek_ipc") |"
echo "| seek to an exact frame in clip.mpg, ms (mpv: \`--hr-seek-demuxer-offset=2\`) | $mseek_engine | $mseek_ipc2 | $(ratio "$mseek_engine" "$mseek_ipc2") |"
echo "| one \"status … position\" round trip, µs (mpv: IPC get_property) | $status_engine | $status_ipc | $(ratio "$status_engine" "$status_ipc") |"
echo "| peak memory playing 5 s, kB | $memory_engine | $memory_cli | $(ratio "$memory_engine" "$memory_cli") |"
