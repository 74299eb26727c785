#!/usr/bin/env bash
# The frame-exact cut of the middle half of the realistic 8 Mbit/s H.264 FLV (bench/tools
# makes it into BUILDDIR/bench-data) against the keyframe cut of the same range, against
# one ffmpeg re-encode of the whole range with the same encoder settings (the usual way to
# an exact cut), and against its floor: the keyframe cut plus encoding the re-encoded
# pictures alone.
#
#   bash bench/exact/run.sh BUILDDIR [RUNS]          default RUNS: 1
#
# Prints a Markdown table (the figures in bench/README.md).
set -euo pipefail
build=$(cd "${1:?usage: run.sh BUILDDIR [RUNS]}" && pwd)
runs=${2:-1}
tool="$build/bin/ZelvoToolFLV"
[ -x "$tool" ] || { echo "build the program first (cmake --build $build)" >&2; exit 1; }

src=$(bash "$(dirname "$0")/../make-realistic.sh" "$build/bench-data")
work=$(mktemp -d "${TMPDIR:-/tmp}/zelvo-exact-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

# The middle half of 150 s: pictures 938 to 2812 (25 fps), keyframes every 10 s.
from=37.520 to=112.480 ss=37 len=76
calc() { awk "BEGIN { print $* }"; }
seconds() { local t0 t1; t0=$(date +%s.%N); "$@" >/dev/null 2>&1; t1=$(date +%s.%N); calc "$t1 - $t0"; }
best() { sort -g | head -1; }

cat "$src" > /dev/null   # in the page cache for every contender alike
keyframe=$(for _ in $(seq "$runs"); do
    rm -f "$work/k.flv"; seconds "$tool" '~tmpExtMcd' -mc 1 -ovc copy -oac copy -ss $ss -endpos $len -o "$work/k.flv" "$src"
done | best)
exact=$(for _ in $(seq "$runs"); do
    rm -f "$work/e.flv"; seconds "$tool" '~tmpExtMcd' -mc 1 -ovc copy -oac copy -exact $from,$to -ss $ss -endpos $len -o "$work/e.flv" "$src"
done | best)
"$tool" '~tmpExtMcd' -mc 1 -ovc copy -oac copy -exact $from,$to -ss $ss -endpos $len -o "$work/e2.flv" "$src" > "$work/exact.txt"
encoded=$(sed -n 's/^exact_encoded=//p' "$work/exact.txt")
pictures=$(sed -n 's/^exact_pictures=//p' "$work/exact.txt")
# The usual exact cut: the whole range encoded again, with the exact cut's encoder settings.
whole=$(for _ in $(seq "$runs"); do
    seconds ffmpeg -nostdin -y -ss $from -t $(calc "$to - $from") -i "$src" -c:v libx264 \
        -preset veryfast -crf 15 -c:a copy "$work/w.flv"
done | best)
# The floor's encoding part: the same number of pictures, already decoded, encoded alone.
ffmpeg -nostdin -v error -y -ss $from -i "$src" -frames:v "$encoded" -f rawvideo -pix_fmt yuv420p "$work/raw.yuv"
encode=$(for _ in $(seq "$runs"); do
    seconds ffmpeg -nostdin -y -f rawvideo -pix_fmt yuv420p -s 1280x720 -r 25 -i "$work/raw.yuv" \
        -c:v libx264 -preset veryfast -crf 15 -f null -
done | best)
floor=$(calc "$keyframe + $encode")

printf '| What | Seconds | Ratio |\n|---|---:|---:|\n'
printf '| Keyframe cut (stream copy) | %.2f | |\n' "$keyframe"
printf '| Frame-exact cut (%s of %s pictures encoded) | %.2f | %.1f× the keyframe cut |\n' "$encoded" "$pictures" "$exact" "$(calc "$exact / $keyframe")"
printf '| ffmpeg re-encode of the whole range | %.2f | exact cut = %.3f× of it |\n' "$whole" "$(calc "$exact / $whole")"
printf '| Floor: keyframe cut + encoding the %s pictures alone | %.2f | exact cut = %.2f× the floor |\n' "$encoded" "$floor" "$(calc "$exact / $floor")"
