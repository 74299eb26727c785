#!/usr/bin/env bash
# The seek-bar preview's waits and memory on the realistic 8 Mbit/s H.264 FLV (no keyframe
# list) and on MP4 copies of it and of the test clip, and what hovering costs the file that
# plays. Prints two Markdown tables (the figures in README.md).
#   bench/preview/run.sh [BUILD_FOLDER]      default: build
# The player window runs on its own X server (xvfb-run) unless DISPLAY is set.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
media="$build/testmedia"
bash "$root/tests/media/make-test-media.sh" "$media" >/dev/null
data="$build/bench-data"
flv=$(bash "$root/bench/make-realistic.sh" "$data")
mp4="$data/realistic.mp4"
[ -s "$mp4" ] || ffmpeg -nostdin -v error -y -i "$flv" -c copy -movflags +faststart "$mp4"
cmake -S "$here" -B "$build/bench-preview" -DCMAKE_BUILD_TYPE=Release \
    -DZELVO_BUILD_DIR="$build" >/dev/null
cmake --build "$build/bench-preview" -j2 >/dev/null
bench="$build/bench-preview/preview_bench"
hover="$build/bench-preview/hover_bench"
length() { ffprobe -v error -show_entries format=duration -of csv=p=0 "$1"; }

echo "| File | keyframe picture, median ms | keyframe, 95th percentile ms | exact frame, median ms | exact, 95th percentile ms | memory added, kB | no picture |"
echo "|---|---|---|---|---|---|---|"
"$bench" "$flv" "realistic.flv (720p, 8 Mbit/s, keyframe every 10 s, no index)" "$(length "$flv")"
"$bench" "$mp4" "realistic.mp4 (the same, in MP4)" "$(length "$mp4")"
"$bench" "$media/h264.flv" "h264.flv (640x480, keyframe every 2 s)" "$(length "$media/h264.flv")"
"$bench" "$media/clip.mp4" "clip.mp4 (640x480, keyframe every 2 s)" "$(length "$media/clip.mp4")"

echo
echo "| File | pointer | seconds | pictures dropped | seconds played | previews shown |"
echo "|---|---|---|---|---|---|"
display=()
[ -n "${DISPLAY:-}" ] || display=(xvfb-run -a -s "-screen 0 1280x1024x24")
"${display[@]}" "$hover" "$media/h264.flv" "h264.flv (640x480)" 10
"${display[@]}" "$hover" "$flv" "realistic.flv (720p, 8 Mbit/s)" 10
