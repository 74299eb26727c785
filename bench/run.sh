#!/usr/bin/env bash
# Overhead of the multi-call tool against ffmpeg run directly, for the same
# stream-copy cut (one range, 13 s + 6 s), on the 30 s H.264 FLV of the test
# media and on a generated file of about 1 GB.
#
#   bash bench/run.sh BUILDDIR [RUNS]
#
# The large file is made once and kept in BUILDDIR/bench-data (never committed).
# Prints one line per file: the median wall time of each side and their ratio.
# Then runs the save benchmark (bench/save/run.sh), the playlist benchmark
# (bench/playlist/run.sh), the FLV writing benchmark (bench/flv/run.sh) and the tool tabs'
# benchmark (bench/tools/run.sh).
set -euo pipefail
build=$(cd "${1:?usage: run.sh BUILDDIR [RUNS]}" && pwd)
runs=${2:-9}
here=$(cd "$(dirname "$0")" && pwd)
out="$build/bench-data"
mkdir -p "$out/tmp"
# Outputs go to memory when possible: the disk's write-back would otherwise
# bill one side for the other's 250 MB.
work=$(bash "$here/work-folder.sh" bench "$out")
trap 'rm -rf "$work"' EXIT

# The tools, installed the way the program installs them.
TMPDIR="$out/tmp" "$build/bin/ZelvoResFLV" Edit1
mcd="$out/tmp/~tmpExtMcd"

small="$build/testmedia/h264.flv"
[ -s "$small" ] || bash "$here/../tests/media/make-test-media.sh" "$build/testmedia" >/dev/null

# About 1 GB of H.264 FLV, made once (bench/make-large.sh).
large=$(bash "$here/make-large.sh" "$out")

now() { date +%s%N; }

median() { sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }

bench() {  # label, source
    local label=$1 src=$2 direct=() tool=() t cut=0
    cd "$work"
    # One untimed run of each warms the page cache.
    ffmpeg -nostdin -hide_banner -loglevel error -ss 13 -i "file:$src" -t 6 \
        -map '0:v:0?' -map '0:a:0?' -c copy -y direct.flv
    "$mcd" -mc 1 -ovc copy -oac copy -ss 13 -endpos 6 -o tool.flv "$src" >/dev/null
    for ((i = 0; i < runs; i++)); do
        # Alternate which side goes first, so neither always inherits the
        # other's leftovers.
        for side in $(( i % 2 )) $(( 1 - i % 2 )); do
            rm -f direct.flv tool.flv
            t=$(now)
            if [ "$side" = 0 ]; then
                ffmpeg -nostdin -hide_banner -loglevel error -ss 13 -i "file:$src" -t 6 \
                    -map '0:v:0?' -map '0:a:0?' -c copy -y direct.flv
                direct+=($(( $(now) - t )))
            else
                "$mcd" -mc 1 -ovc copy -oac copy -ss 13 -endpos 6 -o tool.flv "$src" >/dev/null
                tool+=($(( $(now) - t )))
                cut=$(stat -c %s tool.flv)
            fi
        done
    done
    local d m
    d=$(printf '%s\n' "${direct[@]}" | median)
    m=$(printf '%s\n' "${tool[@]}" | median)
    awk -v l="$label" -v s="$(stat -c %s "$src")" -v o="$cut" -v d="$d" -v m="$m" \
        -v n="$runs" 'BEGIN {
        printf "%-28s source %7.1f MB  cut %6.1f MB  ffmpeg %7.1f ms  ~tmpExtMcd %7.1f ms  ratio %.2f  (median of %d)\n",
            l, s / 1048576, o / 1048576, d / 1e6, m / 1e6, m / d, n }'
    rm -f direct.flv tool.flv
}

echo "ffmpeg $(ffmpeg -version | head -1 | cut -d' ' -f3), $(nproc) cores, $(date -u +%Y-%m-%d)"
bench "h264.flv (30 s)" "$small"
bench "large.flv (~1 GB)" "$large"

# Saving marked ranges through the player window (bench/save, about 2 minutes).
echo
bash "$here/save/run.sh" "$build"

# The playlist window on lists of up to 100,000 entries (bench/playlist, about 1.5 minutes).
echo
bash "$here/playlist/run.sh" "$build"

# The tools' own FLV writing against ffmpeg and flvmeta (bench/flv, about 2 minutes
# with the source made, 1.5 more to make it the first time).
echo
bash "$here/flv/run.sh" "$build"

# The split, join and snapshot tabs' jobs against plain ffmpeg (bench/tools, about 2 minutes;
# it shares bench/flv's source).
echo
bash "$here/tools/run.sh" "$build"

# A batch repair of 20 recordings against 20 single repairs through the tool commands, and
# the program's own CPU during the batch (bench/batch, a few minutes).
echo
bash "$here/batch/run.sh" "$build"
