#!/usr/bin/env bash
# The tools' own FLV writing against ffmpeg and flvmeta, on a realistic FLV:
# 1280x720 H.264 at about 8 Mbit/s, 25 fps, AAC, 150 s (about 150 MB; a 1 GB
# file takes too long to encode on two cores, and every step scales with the
# size). Made once into BUILDDIR/bench-data (never committed).
#
#   bash bench/flv/run.sh BUILDDIR [RUNS]
#
# Measures, as medians of RUNS alternating runs, the ratios
#   cut   the middle half through the save's command lines (cut, remux, metadata)
#         against one plain "ffmpeg -ss -i -t -c copy";
#   split ten parts that way against ten plain ffmpeg copies;
#   fix   the fix tool (remux, metadata) of the whole file against
#         "ffmpeg -c copy" followed by "flvmeta -U";
# and the tool's peak memory (max RSS) on the whole file; then the fix tool on a
# damaged file of 4 GB, a few tags and then zeros, both as a sparse file (the zeros
# a hole, nothing stored) and, in /dev/shm, as 1 GB of stored zeros.
set -euo pipefail
build=$(cd "${1:?usage: run.sh BUILDDIR [RUNS]}" && pwd)
runs=${2:-5}
out="$build/bench-data"
mkdir -p "$out/tmp"
work=$(bash "$(dirname "$0")/../work-folder.sh" flvbench "$out")
trap 'rm -rf "$work"' EXIT

TMPDIR="$out/tmp" "$build/bin/ZelvoResFLV" Edit1
mcd="$out/tmp/~tmpExtMcd"
fmg="$out/tmp/~tmpExtFmg"
fmd="$out/tmp/~tmpExtFmd"

src=$(bash "$(dirname "$0")/../make-realistic.sh" "$out")
length=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$src")

now() { date +%s%N; }
median() { sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }

# One range the way the save makes a part of it, in the working folder.
save_part() {  # START LENGTH N
    local part
    part=$(printf '~tmpSP%03d.flv' "$3")
    (cd "$work" && "$mcd" -mc 1 -ovc copy -oac copy -ss "$1" -endpos "$2" -o "$part" "$src" \
        && "$fmg" -y -vcodec copy -acodec copy -i "$part" "~fix$part" \
        && rm -f "$part" && mv "~fix$part" "$part" && "$fmd" "$part") >/dev/null
}
plain_part() {  # START LENGTH N
    ffmpeg -nostdin -v error -y -ss "$1" -i "$src" -t "$2" -map 0:v:0 -map 0:a:0 -c copy \
        -f flv "$work/plain$3.flv"
}
tools_cut() { save_part "$(echo "$length / 4" | bc -l)" "$(echo "$length / 2" | bc -l)" 1; }
plain_cut() { plain_part "$(echo "$length / 4" | bc -l)" "$(echo "$length / 2" | bc -l)" 1; }
tools_split() {
    local i
    for i in $(seq 0 9); do save_part "$(echo "$length * $i / 10" | bc -l)" "$(echo "$length / 10" | bc -l)" "$i"; done
}
plain_split() {
    local i
    for i in $(seq 0 9); do plain_part "$(echo "$length * $i / 10" | bc -l)" "$(echo "$length / 10" | bc -l)" "$i"; done
}
tools_fix() {
    (cd "$work" && "$fmg" -y -vcodec copy -acodec copy -i "$src" "~fix~tmpSP.flv" \
        && "$fmd" "~fix~tmpSP.flv") >/dev/null
}
plain_fix() {
    ffmpeg -nostdin -v error -y -i "$src" -c copy -f flv "$work/plain.flv"
    flvmeta -U "$work/plain.flv" "$work/plain-meta.flv"
}

measure() {  # NAME
    local t0 i a b
    : > "$work/$1.tools"
    : > "$work/$1.plain"
    for i in $(seq "$runs"); do
        for side in tools plain; do
            rm -f "$work"/*.flv
            t0=$(now)
            "${side}_$1"
            echo $(( $(now) - t0 )) >> "$work/$1.$side"
        done
    done
    a=$(median < "$work/$1.tools")
    b=$(median < "$work/$1.plain")
    awk -v n="$1" -v a="$a" -v b="$b" \
        'BEGIN {printf "%-6s tools %7.3f s  ffmpeg %7.3f s  ratio %.2f\n", n, a / 1e9, b / 1e9, a / b}'
}

printf 'source %s: %s bytes, %.1f s; load %s\n' "$(basename "$src")" "$(stat -c %s "$src")" \
    "$length" "$(cut -d' ' -f1-3 /proc/loadavg)"
measure cut
measure split
measure fix
rm -f "$work"/*.flv
rss=$(cd "$work" && /usr/bin/time -f %M "$fmg" -y -vcodec copy -acodec copy -i "$src" \
    "~fix~tmpSP.flv" 2>&1 >/dev/null | tail -1)
printf 'peak memory of the fix tool on the whole file: %d MB\n' $(( rss / 1024 ))

# A few tags, then zeros: the reader's search past damage. Times of single runs in ms (the
# sparse file fresh, so the first run reads it from nothing cached), then their median.
zeros_fix() {  # FILE
    local t0
    rm -f "$work/~fix~tmpSP.flv"
    t0=$(now)
    (cd "$work" && "$fmg" -y -vcodec copy -acodec copy -i "$1" "~fix~tmpSP.flv") >/dev/null
    echo $(( ($(now) - t0) / 1000000 ))
}
zeros_runs() {  # FILE: "t1 t2 ... (median m)"
    local i times
    times=$(for i in $(seq "$runs"); do zeros_fix "$1"; done)
    echo "$(echo $times) (median $(echo "$times" | median))"
}
zeros="$work/zeros.flv"
head -c 65536 "$build/testmedia/h264.flv" >"$zeros"
truncate -s 4G "$zeros"
echo "fix of a few tags and 4 GB of zeros, sparse: $(zeros_runs "$zeros") ms"
rm -f "$zeros"
if [ "$(df --output=avail -B1M "$work" | tail -1)" -gt 2048 ]; then
    head -c 65536 "$build/testmedia/h264.flv" >"$zeros"
    dd if=/dev/zero bs=1M count=1024 status=none >>"$zeros"
    echo "fix of a few tags and 1 GB of zeros, stored: $(zeros_runs "$zeros") ms"
    rm -f "$zeros"
fi
