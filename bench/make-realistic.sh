#!/usr/bin/env bash
# Makes a benchmark's realistic source once: 1280x720 H.264 with AAC sound in FLV, many
# small tags as in real recordings. By default 150 s at 8 Mbit/s with a keyframe every 10 s
# (FOLDER/realistic.flv); SECONDS, MBITS and GOP (pictures between keyframes) make others
# (FOLDER/recSECONDSs-MBITSM-gGOP.flv).
#
#   bash bench/make-realistic.sh FOLDER [SECONDS MBITS GOP]    prints the file's path
#
# An existing file is kept; the file appears under its name only when complete.
set -euo pipefail
out=$(mkdir -p "${1:?usage: make-realistic.sh FOLDER [SECONDS MBITS GOP]}" && cd "$1" && pwd)
seconds=${2:-150}
mbits=${3:-8}
gop=${4:-250}
if [ "$seconds/$mbits/$gop" = 150/8/250 ]; then
    src="$out/realistic.flv"
else
    src="$out/rec${seconds}s-${mbits}M-g$gop.flv"
fi
if [ ! -s "$src" ]; then
    echo "making $src ..." >&2
    ffmpeg -nostdin -hide_banner -loglevel error -y \
        -f lavfi -i "testsrc2=size=1280x720:rate=25:duration=$seconds,noise=alls=12:allf=t" \
        -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=$seconds" \
        -c:v libx264 -preset ultrafast -b:v "${mbits}M" -maxrate "${mbits}M" \
        -bufsize "${mbits}M" -g "$gop" -pix_fmt yuv420p -c:a aac -b:a 128k -f flv "$src.part"
    mv -f "$src.part" "$src"
fi
echo "$src"
