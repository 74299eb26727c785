#!/usr/bin/env bash
# Makes the benchmarks' realistic source once: 150 s of 1280x720 H.264 at 8 Mbit/s with AAC
# sound in FLV, a keyframe every 10 s, many small tags as in real recordings.
#
#   bash bench/make-realistic.sh FOLDER    prints the file's path (FOLDER/realistic.flv)
#
# An existing file is kept; the file appears under its name only when complete.
set -euo pipefail
out=$(mkdir -p "${1:?usage: make-realistic.sh FOLDER}" && cd "$1" && pwd)
src="$out/realistic.flv"
if [ ! -s "$src" ]; then
    echo "making $src ..." >&2
    ffmpeg -nostdin -hide_banner -loglevel error -y \
        -f lavfi -i "testsrc2=size=1280x720:rate=25:duration=150,noise=alls=12:allf=t" \
        -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=150" \
        -c:v libx264 -preset ultrafast -b:v 8M -maxrate 8M -bufsize 8M -g 250 \
        -pix_fmt yuv420p -c:a aac -b:a 128k -f flv "$out/.realistic.flv"
    mv -f "$out/.realistic.flv" "$src"
fi
echo "$src"
