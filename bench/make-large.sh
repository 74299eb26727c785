#!/usr/bin/env bash
# Makes the benchmarks' large source once: about 1 GB of 1280x720 H.264 FLV with
# AAC sound, 28 s long. A 4 s lossless noisy chunk is joined seven times by stream
# copy: lossless noise keeps it big while it takes seconds to make.
#
#   bash bench/make-large.sh FOLDER        prints the file's path (FOLDER/large.flv)
#
# An existing file is kept; the file appears under its name only when complete.
set -euo pipefail
out=$(mkdir -p "${1:?usage: make-large.sh FOLDER}" && cd "$1" && pwd)
large="$out/large.flv"
if [ ! -s "$large" ]; then
    echo "making $large ..." >&2
    ffmpeg -nostdin -hide_banner -loglevel error -y \
        -f lavfi -i "testsrc2=size=1280x720:rate=25:duration=4,noise=alls=40:allf=t" \
        -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=4" \
        -c:v libx264 -preset ultrafast -qp 0 -g 50 -keyint_min 50 -pix_fmt yuv420p \
        -c:a aac -b:a 128k -f flv "$out/chunk.flv"
    : > "$out/chunk.txt"
    for _ in 1 2 3 4 5 6 7; do echo "file 'chunk.flv'" >> "$out/chunk.txt"; done
    ffmpeg -nostdin -hide_banner -loglevel error -y -f concat -safe 0 -i "$out/chunk.txt" \
        -c copy -f flv "$out/.large.flv"
    mv -f "$out/.large.flv" "$large"
    rm -f "$out/chunk.flv" "$out/chunk.txt"
fi
echo "$large"
